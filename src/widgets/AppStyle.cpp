#include "widgets/AppStyle.h"

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
