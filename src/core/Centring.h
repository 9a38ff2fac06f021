#pragma once

// Placing a picture at natural size inside the viewer's frame, and the frame's growth with the window.
namespace Centring {

// Offset along one axis: centred when the picture fits, else 0 so it is cut at the far edge.
[[nodiscard]] constexpr int offset(int inner, int picture) {
    return picture <= inner ? (inner - picture) / 2 : 0;
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
