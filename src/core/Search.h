#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// Searching every data file at once: a file's text held folded the way the find field folds (so a query
// is a plain, fast comparison), the lines that hold every word of a query, and the part of a long line
// around its match.
namespace Search {

// The words of a query as the player typed it, folded: split at spaces (the ideographic one too),
// empty words dropped.
[[nodiscard]] QStringList words(QStringView query);

struct Hit {
    qint32 line = 0;
    qint32 column = 0; // where the earliest word matched, in the line as shown
    qint32 length = 0;
    friend bool operator==(const Hit&, const Hit&) = default;
};

// One file's decoded text, split into lines as the loaders split it (and trimmed as its window trims).
// Held once, folded: what folding changed is noted aside, so a line can still be shown as it is.
class Text {
public:
    Text() = default;
    // Takes the decoded text over and folds it in place.
    Text(QString decoded, bool trim);

    [[nodiscard]] qsizetype lineCount() const { return qsizetype(starts_.size()); }
    // Characters held, line ends included.
    [[nodiscard]] qsizetype size() const { return folded_.size(); }
    [[nodiscard]] qsizetype lineLength(qsizetype line) const;
    // Characters `from` to `to` of a line as the file has them; empty past the last line.
    [[nodiscard]] QString line(qsizetype line, qsizetype from = 0, qsizetype to = -1) const;
    // Every line holding all of `words` (as words() gives them), in file order.
    void find(const QStringList& words, std::vector<Hit>& hits) const;
    // Bytes held.
    [[nodiscard]] qsizetype memory() const;

private:
    struct Change {
        qint32 at;
        char16_t original;
    };
    // A line's bounds in the text, line end and trimmed spaces left out.
    void bounds(qsizetype line, qsizetype& begin, qsizetype& end) const;
    [[nodiscard]] bool foldedFrom3000(qsizetype at) const;

    QString folded_;
    std::vector<qint32> starts_;
    std::vector<Change> changes_;
    bool trim_ = false;
};

// The part of a line of `lineLength` characters to show so that a match at `column`, `length` long,
// is seen in `width` characters: [from, to). A short line is shown whole; a long one from a little
// before the match.
struct Span {
    qsizetype from;
    qsizetype to;
};
[[nodiscard]] Span excerpt(qsizetype lineLength, qsizetype column, qsizetype length, qsizetype width);

} // namespace Search
