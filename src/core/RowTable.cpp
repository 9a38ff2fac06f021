#include "core/RowTable.h"

#include <algorithm>

namespace {

// A block is closed once it holds this many characters: large enough that a table of millions of rows
// is a few hundred blocks, small enough that growing one moves little.
constexpr qsizetype kBlockChars = qsizetype(4) << 20;
// What a block may be fed past kBlockChars at once: a reader's piece.
constexpr qsizetype kSlackChars = qsizetype(1) << 20;

} // namespace

QStringView RowTable::spacesTrimmed(QStringView row) {
    qsizetype begin = 0;
    qsizetype end = row.size();
    while (begin < end && row[begin] == u' ')
        ++begin;
    while (end > begin && row[end - 1] == u' ')
        --end;
    return row.sliced(begin, end - begin);
}

qsizetype RowTable::startOf(const Block& block, qsizetype i) const {
    if (i == 0)
        return 0;
    const qsizetype end = block.ends[i - 1];
    return end + lineEndLength(block.text, end);
}

QStringView RowTable::view(const Block& block, qsizetype i) const {
    const qsizetype start = startOf(block, i);
    const QStringView row = QStringView(block.text).sliced(start, block.ends[i] - start);
    return trimmed_ ? spacesTrimmed(row) : row;
}

QStringView RowTable::at(qsizetype row) const {
    if (row < 0 || row >= rows_)
        return {};
    const auto after = std::upper_bound(blocks_.begin(), blocks_.end(), row,
                                        [](qsizetype r, const Block& b) { return r < b.firstRow; });
    const Block& block = *(after - 1);
    return view(block, row - block.firstRow);
}

RowTable::Block& RowTable::openBlock() {
    if (blocks_.empty() || blocks_.back().text.size() >= kBlockChars) {
        if (!blocks_.empty()) {
            blocks_.back().text.squeeze();
        }
        blocks_.push_back({{}, {}, rows_});
    }
    return blocks_.back();
}

void RowTable::append(QStringView row) {
    Block& block = openBlock();
    block.text += row;
    block.ends.push_back(quint32(block.text.size()));
    block.text += u'\n';
    ++rows_;
}

RowTable RowTable::fromList(const QStringList& rows) {
    RowTable table;
    for (const QString& row : rows)
        table.append(row);
    return table;
}

QStringList RowTable::toList() const {
    QStringList list;
    list.reserve(rows_);
    forEach([&list](qsizetype, QStringView row) { list.append(row.toString()); });
    return list;
}

qsizetype RowTable::indexOf(QStringView text, qsizetype from) const {
    qsizetype found = -1;
    // forEach cannot stop early; a table is searched rarely (a followed file reloaded), so a whole pass
    // costs no more than the reload itself.
    forEach([&](qsizetype row, QStringView t) {
        if (found < 0 && row >= from && t == text)
            found = row;
    });
    return found;
}

qsizetype RowTable::chars() const {
    qsizetype n = 0;
    for (const Block& block : blocks_)
        n += block.text.size();
    return n;
}

RowSplitter::RowSplitter(bool trim, qsizetype expectedChars) : expected_(expectedChars) {
    table_.trimmed_ = trim;
}

void RowSplitter::reserve(RowTable::Block& block) {
    // Grown piece by piece, a block would be copied each time its allocation moves. Reserved pages
    // that are never written cost no memory.
    const qsizetype chars = std::min(expected_, kBlockChars + kSlackChars);
    if (chars > block.text.size()) {
        block.text.reserve(chars);
        block.ends.reserve(chars / 2);
    }
}

void RowSplitter::startBlock() {
    // The line being read moves to a block of its own, so that no row spans two blocks.
    RowTable::Block& last = table_.blocks_.back();
    QString rest = last.text.sliced(open_);
    last.text.truncate(open_);
    last.text.squeeze();
    table_.blocks_.push_back({{}, {}, table_.rows_});
    reserve(table_.blocks_.back());
    table_.blocks_.back().text += rest;
    scanned_ -= open_;
    open_ = 0;
}

void RowSplitter::feed(QStringView piece) {
    if (piece.isEmpty())
        return;
    if (table_.blocks_.empty()) {
        table_.blocks_.push_back({});
        reserve(table_.blocks_.back());
    } else if (table_.blocks_.back().text.size() >= kBlockChars && open_ > 0)
        startBlock();
    table_.blocks_.back().text += piece;
    expected_ = std::max<qsizetype>(0, expected_ - piece.size());
    scan();
}

void RowSplitter::commit(qsizetype end) {
    RowTable::Block& block = table_.blocks_.back();
    block.ends.push_back(quint32(end));
    if (best_) {
        const QStringView row(block.text.constData() + open_, end - open_);
        best_->consider(table_.rows_, table_.trimmed_ ? RowTable::spacesTrimmed(row) : row);
    }
    ++table_.rows_;
}

void RowSplitter::scan() {
    RowTable::Block& block = table_.blocks_.back();
    const QChar* chars = block.text.constData();
    const qsizetype size = block.text.size();
    qsizetype i = scanned_;
    for (; i < size; ++i) {
        const char16_t c = chars[i].unicode();
        if (c > u'\r' || (c != u'\n' && c != u'\r'))
            continue;
        // A CR at the end of what has come may be the first half of a CR LF.
        if (c == u'\r' && i + 1 == size)
            break;
        commit(i);
        if (c == u'\r' && chars[i + 1] == u'\n')
            ++i;
        open_ = i + 1;
    }
    scanned_ = i;
}

RowTable RowSplitter::finish() {
    if (!table_.blocks_.empty()) {
        RowTable::Block& block = table_.blocks_.back();
        const qsizetype size = block.text.size();
        // The last line, with no line end or with a CR that turned out to be alone.
        if (open_ < size) {
            const bool cr = block.text[size - 1] == u'\r' && scanned_ == size - 1;
            commit(cr ? size - 1 : size);
        }
        block.text.squeeze();
    }
    RowTable table = std::move(table_);
    table_ = RowTable();
    open_ = scanned_ = 0;
    return table;
}

WidthRank::WidthRank(const std::array<int, 128>& ascii, int wide, int other, qsizetype shownChars)
    : ascii_(ascii), wide_(wide), other_(other), shownChars_(shownChars) {
    widest_ = std::max({wide_, other_, *std::max_element(ascii_.begin(), ascii_.end())});
}

qint64 WidthRank::score(QStringView text) const {
    text = text.left(shownChars_);
    // Names and numbers: ranked by length alone, which a vectorised check affords for every row.
    if (QtPrivate::isAscii(text))
        return text.size() * other_;
    qint64 sum = 0;
    for (const QChar c : text)
        sum += charWidth(c.unicode());
    return sum;
}

namespace {

// The rows of the greatest scores, kept in one pass; a row no wider can be passed over without reading
// its characters when even its widest characters would not make it wider.
template <typename Rows> std::vector<qsizetype> rank(const Rows& rows, const WidthRank& score, int count) {
    WidestRows best(score, count);
    rows.forEach([&best](qsizetype r, QStringView text) { best.consider(r, text); });
    return best.rows();
}

struct ListRows {
    const QStringList& list;
    template <typename Visit> void forEach(Visit&& visit) const {
        for (qsizetype r = 0; r < list.size(); ++r)
            visit(r, QStringView(list[r]));
    }
};

} // namespace

std::vector<qsizetype> WidestRows::rows() const {
    std::vector<qsizetype> found;
    for (const auto& [s, r] : best_) {
        if (r >= 0)
            found.push_back(r);
    }
    return found;
}

std::vector<qsizetype> WidthRank::widest(const RowTable& rows, int count) const {
    return rank(rows, *this, count);
}

std::vector<qsizetype> WidthRank::widest(const QStringList& rows, int count) const {
    return rank(ListRows{rows}, *this, count);
}
