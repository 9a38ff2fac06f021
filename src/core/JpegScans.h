#pragma once

#include <QByteArrayView>

// A progressive JPEG holds its picture in several scans, and the decoder passes over every block of the
// picture once per scan: a file of a few hundred kilobytes with tens of thousands of scans ties the
// decoder up for many seconds. Encoders write about ten (the usual progressive script) and rarely more
// than a few dozen, so the scans are counted before decoding and a file with far more is refused.
namespace JpegScans {

// At this many scans a picture of the largest size the viewer shows still decodes in a few seconds.
inline constexpr int kMaxScans = 256;

struct Walk {
    int scans = 0;      // start-of-scan segments met
    bool ended = false; // an end-of-image marker closes the stream
};

// Walks a JPEG stream's marker segments, skipping the coded data between them as a decoder does, up to
// its end-of-image marker; stops at the `stopAt`th scan. Nothing found for anything not a JPEG.
[[nodiscard]] Walk walk(QByteArrayView jpeg, int stopAt = kMaxScans + 1);

// The scans (start-of-scan segments) of a JPEG stream; counting stops at `stopAt`.
[[nodiscard]] inline int count(QByteArrayView jpeg, int stopAt = kMaxScans + 1) {
    return walk(jpeg, stopAt).scans;
}

// Whether the stream has more scans than any encoder writes.
[[nodiscard]] inline bool tooMany(QByteArrayView jpeg) {
    return count(jpeg) > kMaxScans;
}

} // namespace JpegScans
