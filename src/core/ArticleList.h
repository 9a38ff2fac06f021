#pragma once

#include <QString>
#include <QStringList>

// The article reader's list: which files count as articles, their order, titles and pages.
namespace ArticleList {

inline constexpr int kPerPage = 6;

// The article folder, relative to the program folder.
[[nodiscard]] QString folderName();

// Ascending by the name as shown, ignoring case; Chinese names in code page 950 order (stroke count), as
// Traditional Chinese Windows lists them.
[[nodiscard]] QStringList sortNames(QStringList names);

// The name without its last four characters (its ".txt"); empty for a name of four characters or fewer.
[[nodiscard]] QString titleOf(const QString& name);

// The listed name an option button with this title loads: the one whose name (as shown) is title +
// ".txt", letter case matched as Windows would find "Note.TXT" for "Note.txt"; title + ".txt" itself
// when no listed name is.
[[nodiscard]] QString fileFor(const QString& title, const QStringList& names);

// Entries divided by six, rounded up; 0 for no entries.
[[nodiscard]] int pageCount(qsizetype entries);

// The page "+" and "-" lead to; never below 1, never past the last page.
[[nodiscard]] int nextPage(int current, qsizetype entries);
[[nodiscard]] int previousPage(int current);

// The six button titles of page `page` (from 1), from the names as shown; blank past the end of the list.
[[nodiscard]] QStringList pageTitles(const QStringList& names, int page);

} // namespace ArticleList
