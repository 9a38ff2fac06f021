#include "widgets/DigitFilter.h"

#include "core/Numbers.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>

DigitFilter::DigitFilter(QObject* parent) : QObject(parent) {}

void DigitFilter::guard(QLineEdit* box) {
    box->setAcceptDrops(false);
    box->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhPreferNumbers);
    box->installEventFilter(this);
}

void DigitFilter::pasteDigits(QLineEdit* box, QClipboard::Mode mode) {
    if (box->isReadOnly())
        return;
    // Text without a digit pastes nothing, as a typed letter does: a selection stays as it was.
    const QString digits = Numbers::digitsOnly(QGuiApplication::clipboard()->text(mode));
    if (!digits.isEmpty())
        box->insert(digits);
}

void DigitFilter::showMenu(QLineEdit* box, const QPoint& globalPos) {
    QMenu* menu = box->createStandardContextMenu();
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's Paste is the action wired to the box's own paste.
    for (QAction* action : menu->actions()) {
        // Qt wires it by name in some versions and by member pointer in others.
        if (disconnect(action, SIGNAL(triggered()), box, SLOT(paste())) ||
            disconnect(action, &QAction::triggered, box, &QLineEdit::paste))
            connect(action, &QAction::triggered, box, [box] { pasteDigits(box, QClipboard::Clipboard); });
    }
    menu->popup(globalPos);
}

bool DigitFilter::eventFilter(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (!box)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            pasteDigits(box, QClipboard::Clipboard);
            return true;
        }
        return !Numbers::keyPassesDigitFilter(key->key(), key->text(), key->modifiers());
    }
    case QEvent::MouseButtonRelease: {
        // The middle button pastes the X11 selection.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection())
            return false;
        box->deselect();
        pasteDigits(box, QClipboard::Selection);
        return true;
    }
    case QEvent::ContextMenu:
        showMenu(box, static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    case QEvent::InputMethod: {
        const auto* im = static_cast<QInputMethodEvent*>(event);
        const QString digits = Numbers::digitsOnly(im->commitString());
        if (digits == im->commitString())
            return false;
        // The same event with only the digits committed; the composition display is left as it is.
        QInputMethodEvent filtered(im->preeditString(), im->attributes());
        filtered.setCommitString(digits, im->replacementStart(), im->replacementLength());
        QCoreApplication::sendEvent(watched, &filtered);
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}
