#pragma once

#include <QString>
#include <QtGlobal>

// How large a picture the viewer decodes. A 2020s desktop has 8 GB of memory or more, and the viewer
// holds at most three decoded pictures (the one shown and its two neighbours) besides those being decoded.
namespace PictureBudget {

// Decoded size at 4 bytes a pixel: 512 MiB is 134 megapixels, beyond the largest camera sensors (about
// 100 megapixels) and panoramas of a few frames.
inline constexpr qint64 kBytes = qint64(512) << 20;
inline constexpr int kBytesPerPixel = 4;

// No raster format the viewer offers packs more pixels into a byte of file than this, so a header
// claiming more lies about the picture.
inline constexpr qint64 kMaxPixelsPerFileByte = 4096;
// JPEG codes each 8 x 8 block of every scan with at least one bit (a grey picture's DC scan), so its
// files hold at most 512 pixels a byte.
inline constexpr qint64 kMaxJpegPixelsPerFileByte = 512;

// Whether a `width` x `height` picture fits `budgetBytes` once decoded.
[[nodiscard]] constexpr bool fits(qint64 width, qint64 height, qint64 budgetBytes) {
    return width <= 0 || height <= 0 || width * height <= budgetBytes / kBytesPerPixel;
}

// Whether a raster file of `fileBytes` can hold a `width` x `height` picture at all, its format packing
// at most `pixelsPerByte`.
[[nodiscard]] constexpr bool plausible(qint64 width, qint64 height, qint64 fileBytes,
                                       qint64 pixelsPerByte = kMaxPixelsPerFileByte) {
    return width <= 0 || height <= 0 || width * height / pixelsPerByte <= fileBytes;
}

// The budget as the player reads it: millions of pixels, with one decimal unless whole ("134.2", "4").
[[nodiscard]] QString megapixels(qint64 budgetBytes);

} // namespace PictureBudget
