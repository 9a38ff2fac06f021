#pragma once

#include "core/Placement.h"

#include <QWidget>

// Design geometry is in twips; widgets take logical pixels (15 twips each at 96 dpi).
namespace Twips {

[[nodiscard]] inline int px(double twips) {
    return Placement::twipsToPixels(twips);
}
[[nodiscard]] inline int tw(int pixels) {
    return static_cast<int>(Placement::pixelsToTwips(pixels));
}

inline void setGeometry(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(px(left), px(top), px(width), px(height));
}

// Names a design control and puts it at its design place; returns it, so creation and placing are one line.
template <class W> W* place(W* widget, const char* objectName, int left, int top, int width, int height) {
    widget->setObjectName(QLatin1String(objectName));
    setGeometry(widget, left, top, width, height);
    return widget;
}

// Sets a client-area size in twips on a top-level window.
inline void setClientSize(QWidget* w, int width, int height) {
    w->resize(px(width), px(height));
}

[[nodiscard]] inline int left(const QWidget* w) {
    return tw(w->x());
}
[[nodiscard]] inline int top(const QWidget* w) {
    return tw(w->y());
}
[[nodiscard]] inline int width(const QWidget* w) {
    return tw(w->width());
}
[[nodiscard]] inline int height(const QWidget* w) {
    return tw(w->height());
}

// A control refuses a negative size: the step is skipped and the control keeps its last size.
inline bool setWidth(QWidget* w, double twips) {
    if (twips < 0)
        return false;
    w->resize(px(twips), w->height());
    return true;
}
inline bool setHeight(QWidget* w, double twips) {
    if (twips < 0)
        return false;
    w->resize(w->width(), px(twips));
    return true;
}
inline void setTop(QWidget* w, double twips) {
    w->move(w->x(), px(twips));
}
inline void setLeft(QWidget* w, double twips) {
    w->move(px(twips), w->y());
}

} // namespace Twips
