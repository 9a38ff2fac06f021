#pragma once

#include <algorithm>

// Placing a picture at natural size inside the viewer's frame, and the frame's growth with the window.
namespace Centring {

// Offset along one axis: centred when the picture fits, else 0 so it is cut at the far edge.
[[nodiscard]] constexpr int offset(int inner, int picture) {
    return picture <= inner ? (inner - picture) / 2 : 0;
}

// How far a picture larger than the frame can be moved along one axis: from its first pixel at the frame's
// edge to its last. A picture that fits does not move.
[[nodiscard]] constexpr int clampPan(int inner, int picture, int pan) {
    return picture <= inner ? 0 : std::clamp(pan, 0, picture - inner);
}

// Offset along one axis of a picture moved `pan` pixels towards its far edge: `offset` when it fits,
// else its top-left corner moved back by the pan, which never leaves a gap inside the frame.
[[nodiscard]] constexpr int pannedOffset(int inner, int picture, int pan) {
    return picture <= inner ? offset(inner, picture) : -clampPan(inner, picture, pan);
}

// Frame and file-list sizes for a client area of `width` x `height` (all twips). A negative result is a
// refused step: the caller leaves that size as it was.
struct Layout {
    int frameWidth;
    int frameHeight;
    int listHeight;
};

inline constexpr int kFrameMargin = 10;
inline constexpr int kListMargin = 20;

[[nodiscard]] constexpr Layout layout(int width, int height, int frameLeft, int frameTop, int listTop) {
    return {width - frameLeft - kFrameMargin, height - frameTop - kFrameMargin,
            height - listTop - kListMargin};
}

} // namespace Centring
