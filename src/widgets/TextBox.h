#pragma once

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

class QRegularExpression;

// A multi-line text box. Its text uses CR LF between lines, as the data files and the windows that
// read characters by position expect; the widget itself stores plain line breaks, or line separators
// between the short lines that share a block. A line longer than
// kBlockChars is held in several blocks, so that a line of megabytes is laid out a piece at a time
// instead of freezing the window; text() and copying give it back as the one line it is.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    enum ScrollBars { None = 0, Horizontal = 1, Vertical = 2, Both = 3 };
    static constexpr qsizetype kBlockChars = 10000;

    explicit TextBox(QWidget* parent = nullptr, ScrollBars bars = None);

    [[nodiscard]] QString text() const;
    void clear();
    void setText(const QString& text);
    // Whether the text set or appended from now on puts short lines into shared blocks: a large file's
    // lines then cost their characters rather than a block each, though the vertical scroll bar counts
    // a shared block as one line until it has been shown.
    void setLinesShareBlocks(bool share) { shareBlocks_ = share; }
    // Appends at the end without rebuilding the whole document.
    void appendText(const QString& text);
    void setScrollBars(ScrollBars bars);
    // The document position where line `line` (from 0) of the text starts, or -1 past the last line.
    [[nodiscard]] int lineStart(qsizetype line) const;
    // The first match of `pattern` at or after document position `from` (or the last one starting before
    // it), with the whole line to match in however many blocks hold it; a match is at most `span`
    // characters long. A null cursor when there is none.
    [[nodiscard]] QTextCursor find(const QRegularExpression& pattern, int from, bool forward,
                                   qsizetype span) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    [[nodiscard]] QMimeData* createMimeDataFromSelection() const override;

private:
    static void markContinued(QTextBlock block, const QList<int>& numbers);
    // The text from `from` in `first` to `to` in `last` (-1: its end), long lines joined again.
    [[nodiscard]] QString joined(QTextBlock first, const QTextBlock& last, qsizetype from, qsizetype to,
                                 const QString& lineEnd) const;

    // Sets the document's text (a null `text` empties it), giving the memory of a large one back.
    void replaceText(const QString& text);

    // Whether some block carries on a long line (so text() must join blocks itself).
    bool continued_ = false;
    bool shareBlocks_ = false;
};
