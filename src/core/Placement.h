#pragma once

#include <QPointF>
#include <QSizeF>

// Window placement arithmetic, in twips.
namespace Placement {

inline constexpr double kTwipsPerPixel = 15.0;

// Bottom-right placement: the window's outer edge `marginRight` twips from the screen's right edge and
// `marginBottom` from its bottom. Not clamped: a window larger than the screen gets a negative position.
[[nodiscard]] constexpr QPointF bottomRight(QSizeF screenTw, QSizeF outerTw, double marginRight = 100,
                                            double marginBottom = 80) {
    const double left = screenTw.width() - outerTw.width() - marginRight;
    const double top = screenTw.height() - outerTw.height() - marginBottom;
    return {left, top};
}

[[nodiscard]] constexpr int twipsToPixels(double twips) {
    const double px = twips / kTwipsPerPixel;
    return static_cast<int>(px < 0 ? px - 0.5 : px + 0.5);
}

[[nodiscard]] constexpr double pixelsToTwips(int px) {
    return px * kTwipsPerPixel;
}

} // namespace Placement
