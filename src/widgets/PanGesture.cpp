#include "widgets/PanGesture.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace {
// Pixels one notch of the wheel moves the picture.
constexpr int kWheelNotch = 100;
} // namespace

// A picture larger than the frame follows a drag with the left button and the wheel (with Shift, across).
bool PanGesture::handle(QEvent* event, bool movable) {
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton || !movable)
            return false;
        dragging_ = true;
        // Screen positions: the picture moves under the pointer while it is dragged.
        pressedAt_ = mouse->globalPosition().toPoint();
        offsetAtPress_ = offset_;
        return true;
    }
    case QEvent::MouseMove: {
        if (!dragging_)
            return false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        offset_ = offsetAtPress_ - (mouse->globalPosition().toPoint() - pressedAt_);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!dragging_ || mouse->button() != Qt::LeftButton)
            return false;
        dragging_ = false;
        return true;
    }
    case QEvent::Wheel: {
        if (!movable)
            return false;
        const auto* wheel = static_cast<QWheelEvent*>(event);
        QPoint step =
            wheel->pixelDelta().isNull() ? wheel->angleDelta() * kWheelNotch / 120 : wheel->pixelDelta();
        if ((wheel->modifiers() & Qt::ShiftModifier) && step.x() == 0)
            step = {step.y(), 0};
        offset_ -= step;
        return true;
    }
    default:
        return false;
    }
}
