#include "widgets/TextBox.h"

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

void TextBox::setScrollBars(ScrollBars bars) {
    setHorizontalScrollBarPolicy((bars & Horizontal) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy((bars & Vertical) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}
