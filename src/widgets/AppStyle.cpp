#include "widgets/AppStyle.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QStyleOption>

QRect AppStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                               const QWidget* widget) const {
    QRect r = QProxyStyle::subControlRect(control, option, sub, widget);
    if (control == CC_GroupBox && (sub == SC_GroupBoxLabel || sub == SC_GroupBoxCheckBox) && option) {
        const int inset = option->rect.left() + kCaptionInset - r.left();
        if (inset > 0 && r.right() + inset <= option->rect.right())
            r.translate(inset, 0);
    }
    return r;
}

int AppStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    if (metric == PM_RadioButtonLabelSpacing || metric == PM_CheckBoxLabelSpacing)
        return kMarkSpacing;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

void AppStyle::polish(QWidget* widget) {
    QProxyStyle::polish(widget);
    if (qobject_cast<QPushButton*>(widget))
        widget->installEventFilter(this);
}

void AppStyle::unpolish(QWidget* widget) {
    if (qobject_cast<QPushButton*>(widget))
        widget->removeEventFilter(this);
    QProxyStyle::unpolish(widget);
}

bool AppStyle::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QProxyStyle::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    auto* button = qobject_cast<QPushButton*>(watched);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    // A dialog's buttons press themselves on Enter (auto-default); Qt gives other windows' buttons
    // only Space. Enter with Ctrl, Alt or Shift is left to shortcuts.
    if (!button || !enter || button->autoDefault() || (key->modifiers() & ~Qt::KeypadModifier))
        return QProxyStyle::eventFilter(watched, event);
    button->click();
    return true;
}
