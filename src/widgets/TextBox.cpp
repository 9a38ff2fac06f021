#include "widgets/TextBox.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextCursor>

namespace {
QString toWidget(QString text) {
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return text;
}
} // namespace

TextBox::TextBox(QWidget* parent, ScrollBars bars) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab moves on to the next control, as in every text box of the design; it never types a tab.
    setTabChangesFocus(true);
    setScrollBars(bars);
}

QString TextBox::text() const {
    QString t = toPlainText();
    t.replace(u'\n', QLatin1String("\r\n"));
    return t;
}

void TextBox::setText(const QString& text) {
    setPlainText(toWidget(text));
}

void TextBox::appendText(const QString& text) {
    QTextCursor c(document());
    c.movePosition(QTextCursor::End);
    c.insertText(toWidget(text));
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
