#pragma once

#include <QByteArray>
#include <QtGlobal>

// Image decoders accept an uncompressed BMP that ends early and paint the missing rows black. The
// header says how long the file must be, so a short one can be refused before decoding.
namespace BmpCheck {

// Bytes of the header needed to decide.
inline constexpr int kHeaderBytes = 54;

namespace detail {

inline quint32 u32(const QByteArray& b, int at) {
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16 |
           quint32(quint8(b[at + 3])) << 24;
}
inline quint16 u16(const QByteArray& b, int at) {
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

} // namespace detail

// True when `head` starts a BMP with uncompressed (or bit-field) pixels whose rows need more bytes
// than `fileSize`. False for anything else, which is left to the decoder.
[[nodiscard]] inline bool isTruncated(const QByteArray& head, qint64 fileSize) {
    if (head.size() < 26 || head[0] != 'B' || head[1] != 'M')
        return false;
    const quint32 dataOffset = detail::u32(head, 10);
    const quint32 infoSize = detail::u32(head, 14);
    qint64 width = 0;
    qint64 height = 0;
    quint16 bits = 0;
    quint32 compression = 0;
    if (infoSize == 12) { // the old OS/2 header: 16-bit sizes, never compressed
        width = detail::u16(head, 18);
        height = detail::u16(head, 20);
        bits = detail::u16(head, 24);
    } else if (infoSize >= 40 && head.size() >= 34) {
        width = qint32(detail::u32(head, 18));
        height = qint32(detail::u32(head, 22));
        bits = detail::u16(head, 28);
        compression = detail::u32(head, 30);
    } else {
        return false;
    }
    constexpr quint32 kRgb = 0;
    constexpr quint32 kBitFields = 3;
    if (compression != kRgb && compression != kBitFields)
        return false;
    if (width <= 0 || bits == 0 || bits > 32)
        return false;
    const qint64 rows = height < 0 ? -height : height;
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    // Divided rather than multiplied: a lying header can claim more rows than 64 bits can count bytes of.
    const qint64 available = fileSize - qint64(dataOffset);
    if (available < 0)
        return true;
    return rows > available / stride;
}

} // namespace BmpCheck
