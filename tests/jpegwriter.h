#pragma once

// Builds progressive JPEG files by hand for the viewer's tests, the benchmark and the fuzzer's seeds: a
// grey picture whose first scan holds every block's DC value and whose further scans each mark every
// block's AC coefficients empty in a few bytes. Each scan is legal and costs the decoder a pass over
// every block, so a file of a few hundred kilobytes can hold tens of thousands of them.

#include <QByteArray>

namespace JpegWriter {

// A `width` x `height` grey progressive JPEG with one DC scan and `acScans` AC scans.
inline QByteArray progressive(int width, int height, int acScans) {
    QByteArray out("\xFF\xD8", 2);
    const auto segment = [&out](int marker, const QByteArray& body) {
        const int length = int(body.size()) + 2;
        out += QByteArray(1, char(0xFF)) + char(marker) + char(length >> 8) + char(length & 0xFF) + body;
    };
    segment(0xDB, QByteArray(1, '\0') + QByteArray(64, '\1'));
    segment(0xC2, QByteArray(1, 8) + char(height >> 8) + char(height & 0xFF) + char(width >> 8) +
                      char(width & 0xFF) + QByteArray("\x01\x01\x11\x00", 4));
    // DC table 0: the one category 0 (no difference), code "0".
    segment(0xC4, QByteArray("\x00\x01", 2) + QByteArray(16, '\0'));
    // AC table 0: end-of-band runs EOB0..EOB14 (symbol n << 4), four-bit codes 0000..1110.
    QByteArray ac = QByteArray("\x10\0\0\0\x0F", 5) + QByteArray(12, '\0');
    for (int n = 0; n <= 14; ++n)
        ac += char(n << 4);
    segment(0xC4, ac);

    // DC scan: a zero bit a block, the last byte filled up with ones.
    const int blocks = ((width + 7) / 8) * ((height + 7) / 8);
    segment(0xDA, QByteArray("\x01\x01\x00\x00\x00\x00", 6));
    out += QByteArray(blocks / 8, '\0');
    if (blocks % 8 != 0)
        out += char(0xFF >> (blocks % 8));
    // AC scans: all blocks' bands empty, in end-of-band runs of at most 2^15 - 1 blocks. Bits go most
    // significant first; a 0xFF byte is followed by a stuffed zero.
    QByteArray acData;
    quint32 byte = 0;
    int filled = 0;
    const auto put = [&](quint32 value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            byte = (byte << 1) | ((value >> i) & 1);
            if (++filled < 8)
                continue;
            acData += char(byte);
            if (byte == 0xFF)
                acData += '\0';
            byte = 0;
            filled = 0;
        }
    };
    for (int left = blocks; left > 0;) {
        const int run = qMin(left, 32767);
        int n = 0;
        while ((2 << n) <= run)
            ++n;
        put(quint32(n), 4);
        put(quint32(run - (1 << n)), n);
        left -= run;
    }
    while (filled != 0)
        put(1, 1);
    for (int s = 0; s < acScans; ++s) {
        segment(0xDA, QByteArray("\x01\x01\x00\x01\x3F\x00", 6));
        out += acData;
    }
    return out + QByteArray("\xFF\xD9", 2);
}

} // namespace JpegWriter
