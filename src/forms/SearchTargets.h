#pragma once

#include "modules/SearchIndex.h"

#include <QList>
#include <QString>

// Which windows' files the search reads, and the way back from a result to its window.
namespace SearchTargets {

// Every file the reference windows, the quest guide and the article reader read, in menu order: the
// coordinate lookup's regions, the synthesis table, the professions, the quests band by band, cooking
// and medicine, the skill groups, then the articles as the reader lists them.
[[nodiscard]] QList<SearchSource> catalogue(const QString& folder);

// Opens (or raises) the window that shows `source` the way the player reaches it, with the same button
// handlers, then picks line `line` of a list, or selects `matched` in that line of a pane and scrolls to
// it. The window gets the focus.
void open(const SearchSource& source, int line, const QString& matched);

} // namespace SearchTargets
