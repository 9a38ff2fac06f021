#pragma once

#include <QString>
#include <QStringList>

// The article reader's list: which files count as articles, their order, titles and pages.
namespace ArticleList {

inline constexpr int kPerPage = 6;

// The article folder, relative to the program folder.
[[nodiscard]] QString folderName();

// Names of the ordinary files of `folder` (no hidden or system files, no folders), in display order.
// A missing or unreadable folder gives an empty list.
[[nodiscard]] QStringList listFolder(const QString& folder);

// Ascending, ignoring case; Chinese names in code page 950 order (stroke count), as Traditional
// Chinese Windows lists them.
[[nodiscard]] QStringList sortNames(QStringList names);

// The name without its last four characters (its ".txt"); empty for a name of four characters or fewer.
[[nodiscard]] QString titleOf(const QString& name);

// The file an option button with this title loads, relative to the program folder: title + ".txt".
// Letter case is matched against the listed `names`, as Windows would find "Note.TXT" for "Note.txt".
[[nodiscard]] QString articleFile(const QString& title, const QStringList& names = {});

// Entries divided by six, rounded up; 0 for no entries.
[[nodiscard]] int pageCount(qsizetype entries);

// The page "+" and "-" lead to; never below 1, never past the last page.
[[nodiscard]] int nextPage(int current, qsizetype entries);
[[nodiscard]] int previousPage(int current);

// The six button titles of page `page` (from 1); blank past the end of the list.
[[nodiscard]] QStringList pageTitles(const QStringList& names, int page);

} // namespace ArticleList
