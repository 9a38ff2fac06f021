#pragma once

#include <QByteArrayView>

// A progressive JPEG holds its picture in several scans, and the decoder passes over every block of the
// picture once per scan: a file of a few hundred kilobytes with tens of thousands of scans ties the
// decoder up for many seconds. Encoders write about ten (the usual progressive script) and rarely more
// than a few dozen, so the scans are counted before decoding and a file with far more is refused.
namespace JpegScans {

// At this many scans a picture of the largest size the viewer shows still decodes in a few seconds.
inline constexpr int kMaxScans = 256;

// The scans (start-of-scan segments) of a JPEG stream, walking its marker segments and skipping the
// coded data between them as a decoder does; counting stops at `stopAt`. 0 for anything not a JPEG.
[[nodiscard]] int count(QByteArrayView jpeg, int stopAt = kMaxScans + 1);

// Whether the stream has more scans than any encoder writes.
[[nodiscard]] inline bool tooMany(QByteArrayView jpeg) {
    return count(jpeg) > kMaxScans;
}

} // namespace JpegScans
