#pragma once

#include <QByteArrayView>
#include <QImage>

// Device-independent bitmaps inside the records: checked, then decoded when they can be drawn.
namespace Wmf {

struct DibResult {
    bool valid = false; // structurally sound
    QImage image;       // null when the bitmap is sound but of a kind not drawn (compressed, palette indices)
    bool bottomUp = false;
};

// Reads a device-independent bitmap as an uncompressed BMP would be checked: header size, planes,
// bit count, and the pixel rows fitting the bytes at hand. colorUsage 0 means an RGB colour table.
[[nodiscard]] DibResult decodeDib(QByteArrayView dib, quint16 colorUsage);

} // namespace Wmf
