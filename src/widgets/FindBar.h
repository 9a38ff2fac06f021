#pragma once

#include <QLineEdit>
#include <QPointer>

class ListBox;
class TextBox;

// The find field: finds as the player types in one list or text pane of its window. Enter or F3 finds
// the next, Shift+Enter or Shift+F3 the previous, wrapping at the ends; Escape closes the field and
// gives the focus back. A query found nowhere colours the field and changes nothing else.
class FindBar : public QLineEdit {
    Q_OBJECT
public:
    explicit FindBar(QWidget* parent);

    // Opens on `target` (a ListBox or a TextBox), with the focus in the field; `returnTo` gets the focus
    // back when it closes.
    void openOn(QWidget* target, QWidget* returnTo);
    void close();
    [[nodiscard]] QWidget* target() const { return target_; }
    // Whether the last search found nothing.
    [[nodiscard]] bool missed() const { return missed_; }

signals:
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // From the current item or match on (`again`: from just after or before it).
    void find(bool forward, bool again);
    [[nodiscard]] bool findInList(ListBox* list, bool forward, bool again);
    [[nodiscard]] bool findInText(TextBox* box, bool forward, bool again);
    void showMissed(bool missed);

    QPointer<QWidget> target_;
    QPointer<QWidget> returnTo_;
    bool missed_ = false;
};
