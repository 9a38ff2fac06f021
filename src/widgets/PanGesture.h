#pragma once

#include <QPoint>

class QEvent;

// Moving a picture larger than its frame: a drag with the left button, the wheel (with Shift, across).
// Keeps the offset from the picture's top-left corner; the owner clamps it to the picture's edges.
class PanGesture {
public:
    // Takes a mouse or wheel event over the picture; true when it moved the picture or started or ended
    // a drag. `movable`: whether the picture is larger than its frame.
    bool handle(QEvent* event, bool movable);

    [[nodiscard]] QPoint offset() const { return offset_; }
    void setOffset(QPoint offset) { offset_ = offset; }
    [[nodiscard]] bool dragging() const { return dragging_; }

private:
    QPoint offset_;
    QPoint offsetAtPress_;
    QPoint pressedAt_;
    bool dragging_ = false;
};
