#pragma once

#include "core/RowTable.h"

#include <QString>
#include <QStringList>

// Finding text the way a player types it: ASCII letters without regard to case, and the full-width
// forms of ASCII characters (a Chinese input method types those) the same as the half-width ones.
namespace Find {

// One character as finding sees it: a full-width ASCII form or the ideographic space as its ASCII
// character, an ASCII letter in lower case; anything else as it is.
[[nodiscard]] QChar foldChar(QChar c);

// The text with what finding ignores folded away: full-width ASCII forms (U+FF01..U+FF5E) and the
// ideographic space become their ASCII characters, ASCII letters lower case. One character for one,
// so a position in the folded text is the same position in the text.
[[nodiscard]] QString fold(QStringView text);

// The first item containing `query`, looking from item `start` on (or back from it), wrapping at the
// ends; -1 when none does or the query is empty.
[[nodiscard]] int findItem(const QStringList& items, const QString& query, int start, bool forward);
[[nodiscard]] int findItem(const RowTable& items, const QString& query, int start, bool forward);

// A regular expression matching `query` under the same folding, for searching a text document. A match
// is as long as the query, character for character.
[[nodiscard]] QString pattern(QStringView query);

} // namespace Find
