#include "widgets/TextBox.h"

#include "platform/Platform.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <limits>

namespace {

// Marks a block that carries on the line of the block before it.
constexpr int kContinued = 1;

// A text this large, let go, leaves enough behind in the allocator to be worth handing back.
constexpr int kLargeChars = 8 << 20;

// Short lines share a block, separated by line separators (which lay out as line breaks and read back
// as line ends): a block per line costs a hundred bytes and more, fifty times an empty line's own.
constexpr int kGroupLines = 1024;
constexpr qsizetype kGroupChars = 4096;

// The widget's text for `text`: lines end at LF (CR LF becomes LF) or, within a block shared when
// `share`, at a line separator; a line longer than a block may hold goes on in further blocks, whose numbers
// (counted from the block the text starts in) are noted. `column` is where the text starts in its first
// block.
QString toWidget(const QString& text, qsizetype column, QList<int>& continued, bool share) {
    const int groupLines = share ? kGroupLines : 1;
    const QStringView in(text);
    // Written in place: an append per line costs more than the line. Breaks added within long lines
    // are one per kBlockChars characters, and one more where the text starts in a filled block.
    QString split(in.size() + in.size() / TextBox::kBlockChars + 2, Qt::Uninitialized);
    QChar* const first = split.data();
    QChar* out = first;
    int block = 0;
    int linesInBlock = 1;
    qsizetype filled = column;
    qsizetype start = 0;
    while (start <= in.size()) {
        // Most lines are short: looked through here rather than by a call per line.
        qsizetype end = start;
        while (end < in.size() && in[end] != u'\n')
            ++end;
        // An empty line in a block with room: its separator alone.
        if (end == start && end < in.size() && linesInBlock < groupLines && filled < kGroupChars) {
            *out++ = QChar::LineSeparator;
            ++linesInBlock;
            ++filled;
            start = end + 1;
            continue;
        }
        const qsizetype lineEnd = end > start && end < in.size() && in[end - 1] == u'\r' ? end - 1 : end;
        for (qsizetype at = start; at < lineEnd;) {
            if (filled == TextBox::kBlockChars) {
                *out++ = u'\n';
                continued.append(++block);
                filled = 0;
                linesInBlock = 1;
            }
            qsizetype take = qMin(lineEnd - at, TextBox::kBlockChars - filled);
            // A character outside the Basic Multilingual Plane stays whole, in the next block.
            if (take > 0 && at + take < lineEnd && in[at + take - 1].isHighSurrogate())
                --take;
            out = std::copy_n(in.data() + at, take, out);
            at += take;
            filled = at < lineEnd ? TextBox::kBlockChars : filled + take;
        }
        if (end == in.size())
            break;
        if (linesInBlock < groupLines && filled < kGroupChars) {
            *out++ = QChar::LineSeparator;
            ++linesInBlock;
            ++filled;
        } else {
            *out++ = u'\n';
            ++block;
            filled = 0;
            linesInBlock = 1;
        }
        start = end + 1;
    }
    split.truncate(out - first);
    return split;
}

} // namespace

TextBox::TextBox(QWidget* parent, ScrollBars bars) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control, as in every text box of the design; it never types a tab.
    setTabChangesFocus(true);
    setScrollBars(bars);
}

QString TextBox::text() const {
    if (!continued_) {
        QString t = toPlainText();
        t.replace(u'\n', QLatin1String("\r\n"));
        return t;
    }
    return joined(document()->firstBlock(), document()->lastBlock(), 0, -1, QStringLiteral("\r\n"));
}

QString TextBox::joined(QTextBlock first, const QTextBlock& last, qsizetype from, qsizetype to,
                        const QString& lineEnd) const {
    QString t;
    for (QTextBlock b = first; b.isValid(); b = b.next()) {
        if (b != first && b.userState() != kContinued)
            t += lineEnd;
        const QString text = b.text();
        const qsizetype begin = b == first ? from : 0;
        const qsizetype end = b == last && to >= 0 ? to : text.size();
        QString piece = text.sliced(begin, qMax<qsizetype>(0, end - begin));
        t += piece.replace(QChar::LineSeparator, lineEnd);
        if (b == last)
            break;
    }
    return t;
}

void TextBox::replaceText(const QString& text) {
    const bool large = document()->characterCount() > kLargeChars;
    if (text.isNull())
        QPlainTextEdit::clear();
    else
        setPlainText(text);
    if (large)
        Platform::releaseFreeMemory();
}

void TextBox::clear() {
    replaceText({});
    continued_ = false;
}

void TextBox::setText(const QString& text) {
    QList<int> continued;
    replaceText(toWidget(text, 0, continued, shareBlocks_));
    continued_ = !continued.isEmpty();
    markContinued(document()->firstBlock(), continued);
}

void TextBox::appendText(const QString& text) {
    QTextCursor c(document());
    c.movePosition(QTextCursor::End);
    const QTextBlock start = c.block();
    QList<int> continued;
    const QString widgetText = toWidget(text, start.length() - 1, continued, shareBlocks_);
    const int startNumber = start.blockNumber();
    // Text read from a file is no edit to undo, and the undo stack would keep a record per block.
    const bool undo = document()->isUndoRedoEnabled();
    document()->setUndoRedoEnabled(false);
    c.insertText(widgetText);
    document()->setUndoRedoEnabled(undo);
    if (!continued.isEmpty()) {
        continued_ = true;
        markContinued(document()->findBlockByNumber(startNumber), continued);
    }
}

void TextBox::markContinued(QTextBlock block, const QList<int>& numbers) {
    int number = 0;
    for (int wanted : numbers) {
        while (block.isValid() && number < wanted) {
            block = block.next();
            ++number;
        }
        if (block.isValid())
            block.setUserState(kContinued);
    }
}

QMimeData* TextBox::createMimeDataFromSelection() const {
    const QTextCursor c = textCursor();
    if (!continued_ || !c.hasSelection())
        return QPlainTextEdit::createMimeDataFromSelection();
    // A long line held in several blocks is copied as the one line it is.
    const QTextBlock first = document()->findBlock(c.selectionStart());
    const QTextBlock last = document()->findBlock(c.selectionEnd());
    auto* data = new QMimeData;
    data->setText(joined(first, last, c.selectionStart() - first.position(),
                         c.selectionEnd() - last.position(), QStringLiteral("\n")));
    return data;
}

QTextCursor TextBox::find(const QRegularExpression& pattern, int from, bool forward, qsizetype span) const {
    const QTextDocument* doc = document();
    QTextBlock block = doc->findBlock(qBound(0, from, doc->characterCount() - 1));
    qsizetype at = from - block.position();
    for (; block.isValid(); block = forward ? block.next() : block.previous()) {
        // The block's text and as much of the pieces that carry its line on as a match could reach.
        QString text = block.text();
        const qsizetype own = text.size();
        QList<QTextBlock> pieces{block};
        for (QTextBlock b = block.next();
             b.isValid() && b.userState() == kContinued && text.size() < own + span; b = b.next()) {
            text += b.text();
            pieces.append(b);
        }
        // Only matches starting in this block count: the others belong to the blocks they start in.
        QRegularExpressionMatch hit;
        if (forward) {
            hit = pattern.match(text, qMax<qsizetype>(0, at));
            if (hit.hasMatch() && hit.capturedStart() >= own)
                hit = {};
        } else {
            const qsizetype before = qMin(own, at);
            for (auto it = pattern.globalMatch(text); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                if (m.capturedStart() >= before)
                    break;
                hit = m;
            }
        }
        at = forward ? 0 : std::numeric_limits<qsizetype>::max();
        if (!hit.hasMatch())
            continue;
        // Text offsets back to document positions: each piece starts a block of its own.
        const auto position = [&pieces](qsizetype offset) {
            for (const QTextBlock& b : pieces) {
                if (offset <= b.length() - 1 || b == pieces.last())
                    return b.position() + int(offset);
                offset -= b.length() - 1;
            }
            return 0;
        };
        QTextCursor found(document());
        found.setPosition(position(hit.capturedStart()));
        found.setPosition(position(hit.capturedEnd()), QTextCursor::KeepAnchor);
        return found;
    }
    return {};
}

int TextBox::lineStart(qsizetype line) const {
    qsizetype number = -1;
    for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) {
        if (b.userState() != kContinued && ++number == line)
            return b.position();
    }
    return -1;
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    // Tab only ever moves the focus; in a window with nothing else to move to, it does nothing.
    const bool tab = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab;
    if (tab && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::setScrollBars(ScrollBars bars) {
    setHorizontalScrollBarPolicy((bars & Horizontal) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy((bars & Vertical) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}
