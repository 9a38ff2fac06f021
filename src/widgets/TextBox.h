#pragma once

#include <QPlainTextEdit>

// A multi-line text box. Its text uses CR LF between lines, as the data files and the windows that
// read characters by position expect; the widget itself stores plain line breaks.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    enum ScrollBars { None = 0, Horizontal = 1, Vertical = 2, Both = 3 };

    explicit TextBox(QWidget* parent = nullptr, ScrollBars bars = None);

    [[nodiscard]] QString text() const;
    void setText(const QString& text);
    // Appends at the end without rebuilding the whole document.
    void appendText(const QString& text);
    void setScrollBars(ScrollBars bars);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
