#include "widgets/DigitFilter.h"

#include "core/Numbers.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>

DigitFilter::DigitFilter(QObject* parent) : QObject(parent) {}

void DigitFilter::guard(QLineEdit* box) {
    box->setAcceptDrops(false);
    box->setInputMethodHints(Qt::ImhDigitsOnly | Qt::ImhPreferNumbers);
    box->installEventFilter(this);
}

bool DigitFilter::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        return !Numbers::keyPassesDigitFilter(key->key(), key->text(), key->modifiers());
    }
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
