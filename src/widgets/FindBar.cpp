#include "widgets/FindBar.h"

#include "core/Find.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QKeyEvent>
#include <QRegularExpression>
#include <QTextDocument>

FindBar::FindBar(QWidget* parent) : QLineEdit(parent) {
    setObjectName(QStringLiteral("FindBar"));
    setAccessibleName(QStringLiteral("尋找"));
    setPlaceholderText(QStringLiteral("尋找"));
    setClearButtonEnabled(true);
    hide();
    connect(this, &QLineEdit::textEdited, this, [this] { find(true, false); });
}

void FindBar::openOn(QWidget* target, QWidget* returnTo) {
    target_ = target;
    returnTo_ = returnTo;
    show();
    raise();
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

void FindBar::close() {
    if (isHidden())
        return;
    // The focus goes back before the field hides, so Qt does not pass it on to another control first.
    if (returnTo_)
        returnTo_->setFocus(Qt::OtherFocusReason);
    hide();
    showMissed(false);
    emit closed();
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3:
        find(!shift, true);
        return;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void FindBar::find(bool forward, bool again) {
    if (text().isEmpty() || !target_) {
        showMissed(false);
        return;
    }
    bool found = false;
    if (auto* list = qobject_cast<ListBox*>(target_))
        found = findInList(list, forward, again);
    else if (auto* box = qobject_cast<TextBox*>(target_))
        found = findInText(box, forward, again);
    showMissed(!found);
}

bool FindBar::findInList(ListBox* list, bool forward, bool again) {
    const int current = list->listIndex();
    int start = current < 0 ? (forward ? 0 : list->listCount() - 1) : current;
    if (again && current >= 0)
        start += forward ? 1 : -1;
    const int n = list->listCount();
    if (n > 0)
        start = (start % n + n) % n;
    const int found = Find::findItem(list->rows(), text(), start, forward);
    if (found < 0)
        return false;
    // A change of the picked item runs the window's own handler, as any pick does.
    list->setListIndex(found);
    list->scrollTo(list->model()->index(found, 0));
    return true;
}

bool FindBar::findInText(TextBox* box, bool forward, bool again) {
    const QRegularExpression pattern(Find::pattern(text()));
    const QTextCursor at = box->textCursor();
    int from = 0;
    if (forward)
        from = again ? at.selectionEnd() : at.selectionStart();
    else
        from = again ? at.selectionStart() : at.selectionEnd();
    QTextCursor hit = box->find(pattern, from, forward, text().size());
    if (hit.isNull()) // round the end and on from the other side
        hit = box->find(pattern, forward ? 0 : box->document()->characterCount(), forward, text().size());
    if (hit.isNull())
        return false;
    box->setTextCursor(hit);
    box->ensureCursorVisible();
    return true;
}

void FindBar::showMissed(bool missed) {
    missed_ = missed;
    QPalette p = palette();
    p.setColor(QPalette::Base,
               missed ? QColor(255, 200, 200) : parentWidget()->palette().color(QPalette::Base));
    setPalette(p);
}
