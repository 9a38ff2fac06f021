#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

// The rows of a list, held compactly: the characters of many rows back to back in a few large blocks,
// with where each row ends. A string per row costs some 40 bytes besides its characters, which for a
// file of short lines is twenty times the file; this costs four.
//
// A file's text goes into a block as it was decoded, its line ends included, so that reading a file is
// one copy per piece and one look at each character; a row's end is where its line end starts.
class RowTable {
public:
    RowTable() = default;
    RowTable(const RowTable&) = default;
    RowTable& operator=(const RowTable&) = default;
    // A table moved from is empty.
    RowTable(RowTable&& other) noexcept { *this = std::move(other); }
    RowTable& operator=(RowTable&& other) noexcept {
        blocks_ = std::exchange(other.blocks_, {});
        rows_ = std::exchange(other.rows_, 0);
        trimmed_ = other.trimmed_;
        return *this;
    }
    ~RowTable() = default;

    [[nodiscard]] qsizetype size() const { return rows_; }
    [[nodiscard]] bool isEmpty() const { return rows_ == 0; }
    // The characters held, line ends included.
    [[nodiscard]] qsizetype chars() const;
    // The row's text, without its line end (and without its leading and trailing ASCII spaces when the
    // table trims). Valid while the table is not changed.
    [[nodiscard]] QStringView at(qsizetype row) const;
    [[nodiscard]] QString text(qsizetype row) const { return at(row).toString(); }

    // Appends one row as it is, whatever characters it holds.
    void append(QStringView row);
    [[nodiscard]] static RowTable fromList(const QStringList& rows);
    [[nodiscard]] QStringList toList() const;
    // The first row from `from` on that reads `text`, or -1.
    [[nodiscard]] qsizetype indexOf(QStringView text, qsizetype from = 0) const;
    // Calls `visit(row, text)` for every row in order, without looking each up.
    template <typename Visit> void forEach(Visit&& visit) const;

    // Gives all memory back.
    void clear() { *this = RowTable(); }

    // Leading and trailing ASCII spaces off; tabs and the ideographic space stay.
    [[nodiscard]] static QStringView spacesTrimmed(QStringView row);

private:
    friend class RowSplitter;

    // The line end at `at`: CR LF, or one character (what append() writes, or a file's lone CR or LF).
    [[nodiscard]] static qsizetype lineEndLength(const QString& text, qsizetype at) {
        return at + 1 < text.size() && text[at] == u'\r' && text[at + 1] == u'\n' ? 2 : 1;
    }

    struct Block {
        QString text;
        // Where each row's text ends; the next row starts after its line end. Reserved room that is never
        // written costs no memory, so it is not given back.
        std::vector<quint32> ends;
        qsizetype firstRow = 0;
    };

    // Where row `i` of `block` starts: after the line end that follows the row before it.
    [[nodiscard]] qsizetype startOf(const Block& block, qsizetype i) const;
    [[nodiscard]] QStringView view(const Block& block, qsizetype i) const;
    Block& openBlock();

    std::vector<Block> blocks_;
    qsizetype rows_ = 0;
    bool trimmed_ = false;
};

// Ranks rows by an estimate of their width from a table of character widths (a row of plain ASCII by
// its length), so that only the few widest need laying out. Only the first `shownChars` characters count.
class WidthRank {
public:
    WidthRank() = default;
    WidthRank(const std::array<int, 128>& ascii, int wide, int other, qsizetype shownChars);

    [[nodiscard]] qint64 operator()(QStringView text) const {
        // Most rows of a long list are short: scored here without a call.
        if (text.size() <= kShortRow) {
            bool ascii = true;
            qint64 sum = 0;
            for (const QChar c : text) {
                ascii = ascii && c.unicode() < 0x80;
                sum += charWidth(c.unicode());
            }
            return ascii ? text.size() * other_ : sum;
        }
        return score(text);
    }
    // The rows of the `count` greatest estimates, in no particular order.
    [[nodiscard]] std::vector<qsizetype> widest(const RowTable& rows, int count) const;
    [[nodiscard]] std::vector<qsizetype> widest(const QStringList& rows, int count) const;

    [[nodiscard]] qsizetype shownChars() const { return shownChars_; }
    [[nodiscard]] int widestChar() const { return widest_; }

private:
    static constexpr qsizetype kShortRow = 8;
    [[nodiscard]] int charWidth(char16_t u) const {
        return u < ascii_.size() ? ascii_[u] : u >= 0x2E80 ? wide_ : other_;
    }
    [[nodiscard]] qint64 score(QStringView text) const;

    std::array<int, 128> ascii_{};
    int wide_ = 1;
    int other_ = 1;
    int widest_ = 1;
    qsizetype shownChars_ = 1;
};

// Keeps the rows of the `count` greatest estimates among those it is shown; a row that could not
// beat the least of them, even were all its characters the widest, is passed over unread.
class WidestRows {
public:
    WidestRows(const WidthRank& rank, int count)
        : rank_(rank), best_(std::size_t(std::max(count, 1)), {-1, -1}) {}
    void consider(qsizetype row, QStringView text) {
        const qint64 least = best_[least_].first;
        if (std::min(text.size(), rank_.shownChars()) * rank_.widestChar() <= least)
            return;
        if (const qint64 s = rank_(text); s > least) {
            best_[least_] = {s, row};
            least_ = std::size_t(std::min_element(best_.begin(), best_.end()) - best_.begin());
        }
    }
    // In no particular order.
    [[nodiscard]] std::vector<qsizetype> rows() const;

private:
    WidthRank rank_;
    std::vector<std::pair<qint64, qsizetype>> best_;
    std::size_t least_ = 0;
};

// Splits text fed in pieces into the rows of a table: CR LF, a lone CR and a lone LF each end a line; the
// last line counts without a line end; a line end after it adds no empty line; an empty text has no lines.
class RowSplitter {
public:
    // `trim`: rows read without their leading and trailing ASCII spaces. `expectedChars`, when known,
    // lets each block be allocated once.
    explicit RowSplitter(bool trim = false, qsizetype expectedChars = 0);
    void feed(QStringView piece);
    // Ranks the rows by width as they are split (see WidthRank::widest).
    void rankWith(const WidthRank& rank, int count) { best_.emplace(rank, count); }
    // Ends the last line and hands the table over, its blocks trimmed to what they hold.
    [[nodiscard]] RowTable finish();
    // The widest rows, once finished, when ranking.
    [[nodiscard]] std::vector<qsizetype> widest() const {
        return best_ ? best_->rows() : std::vector<qsizetype>();
    }

private:
    void scan();
    void startBlock();
    void reserve(RowTable::Block& block);
    void commit(qsizetype end);

    RowTable table_;
    qsizetype expected_ = 0; // characters still to come, as far as known
    qsizetype open_ = 0;     // where the line being read starts in the last block
    std::optional<WidestRows> best_;
    qsizetype scanned_ = 0; // how far the last block has been looked through
};

template <typename Visit> void RowTable::forEach(Visit&& visit) const {
    for (const Block& block : blocks_) {
        qsizetype start = 0;
        const QChar* chars = block.text.constData();
        for (qsizetype i = 0, n = qsizetype(block.ends.size()); i < n; ++i) {
            const qsizetype end = block.ends[i];
            QStringView row(chars + start, end - start);
            visit(block.firstRow + i, trimmed_ ? spacesTrimmed(row) : row);
            start = end + lineEndLength(block.text, end);
        }
    }
}
