// The JPEG scan count the viewer takes before decoding, on arbitrary bytes: it never reads outside them,
// and stopping early gives the same count as counting on, cut at the stop.
#include "core/JpegScans.h"

#include <QByteArrayView>

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const int all = JpegScans::count(bytes, 1 << 30);
    if (all < 0 || qsizetype(all) > bytes.size() / 4)
        __builtin_trap();
    for (const int stop : {1, 2, 7, JpegScans::kMaxScans + 1}) {
        if (JpegScans::count(bytes, stop) != std::min(all, stop))
            __builtin_trap();
    }
    if (JpegScans::tooMany(bytes) != (all > JpegScans::kMaxScans))
        __builtin_trap();
    return 0;
}
