#include "core/JpegScans.h"

#include <cstring>

namespace JpegScans {

namespace {

constexpr quint8 kSoi = 0xD8;
constexpr quint8 kEoi = 0xD9;
constexpr quint8 kSos = 0xDA;
constexpr quint8 kTem = 0x01;

// Markers that stand alone, without a length: restarts inside coded data, start of image, TEM.
bool standsAlone(quint8 m) {
    return (m >= 0xD0 && m <= 0xD7) || m == kSoi || m == kTem;
}

} // namespace

Walk walk(QByteArrayView jpeg, int stopAt) {
    const auto* b = reinterpret_cast<const quint8*>(jpeg.data());
    const qsizetype n = jpeg.size();
    if (n < 2 || b[0] != 0xFF || b[1] != kSoi)
        return {};
    Walk w;
    qsizetype i = 2;
    while (i < n) {
        // Coded data, or bytes a decoder skips, run up to the next 0xFF.
        if (b[i] != 0xFF) {
            const void* ff = std::memchr(b + i, 0xFF, size_t(n - i));
            if (!ff)
                break;
            i = static_cast<const quint8*>(ff) - b;
        }
        while (i < n && b[i] == 0xFF)
            ++i;
        if (i >= n)
            break;
        const quint8 marker = b[i++];
        // A zero after 0xFF is a data byte, not a marker.
        if (marker == 0x00 || standsAlone(marker))
            continue;
        if (marker == kEoi) {
            w.ended = true;
            break;
        }
        if (i + 2 > n)
            break;
        const int length = b[i] << 8 | b[i + 1];
        if (length < 2)
            break;
        if (marker == kSos && ++w.scans >= stopAt)
            break;
        i += length;
    }
    return w;
}

} // namespace JpegScans
