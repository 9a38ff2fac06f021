#pragma once

// Builds progressive JPEG files by hand for the viewer's tests, the benchmark and the fuzzer's seeds: a
// grey picture whose first scan holds every block's DC value and whose further scans each mark every
// block's AC coefficients empty in a few bytes. Each scan is legal and costs the decoder a pass over
// every block, so a file of a few hundred kilobytes can hold tens of thousands of them.

#include <QByteArray>

namespace JpegWriter {

namespace detail {

inline void put16(QByteArray& out, int v) {
    out += char((v >> 8) & 0xFF);
    out += char(v & 0xFF);
}

inline void segment(QByteArray& out, quint8 marker, const QByteArray& body) {
    out += char(0xFF);
    out += char(marker);
    put16(out, int(body.size()) + 2);
    out += body;
}

// Entropy-coded bits, most significant first; a 0xFF byte is followed by a stuffed zero.
class Bits {
public:
    void put(quint32 value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            byte_ = quint8((byte_ << 1) | ((value >> i) & 1));
            if (++filled_ == 8)
                flush();
        }
    }
    QByteArray finish() {
        while (filled_ != 0)
            put(1, 1);
        return std::move(bytes_);
    }

private:
    void flush() {
        bytes_ += char(byte_);
        if (byte_ == 0xFF)
            bytes_ += char(0);
        byte_ = 0;
        filled_ = 0;
    }
    QByteArray bytes_;
    quint8 byte_ = 0;
    int filled_ = 0;
};

} // namespace detail

// A `width` x `height` grey progressive JPEG with one DC scan and `acScans` AC scans.
inline QByteArray progressive(int width, int height, int acScans) {
    using namespace detail;
    QByteArray out("\xFF\xD8", 2);
    segment(out, 0xDB, QByteArray(1, '\0') + QByteArray(64, '\1'));
    QByteArray frame;
    frame += char(8);
    put16(frame, height);
    put16(frame, width);
    frame += QByteArray("\x01\x01\x11\x00", 4);
    segment(out, 0xC2, frame);
    // DC table 0: the one category 0 (no difference), code "0".
    QByteArray dc(1, '\x00');
    dc += QByteArray("\x01", 1) + QByteArray(15, '\0') + QByteArray(1, '\0');
    segment(out, 0xC4, dc);
    // AC table 0: end-of-band runs EOB0..EOB14 (symbol n << 4), four-bit codes 0000..1110.
    QByteArray ac(1, '\x10');
    ac += QByteArray(3, '\0') + QByteArray(1, '\x0F') + QByteArray(12, '\0');
    for (int n = 0; n <= 14; ++n)
        ac += char(n << 4);
    segment(out, 0xC4, ac);

    const int blocks = ((width + 7) / 8) * ((height + 7) / 8);
    // DC scan: one bit a block.
    segment(out, 0xDA, QByteArray("\x01\x01\x00\x00\x00\x00", 6));
    {
        Bits bits;
        for (int b = 0; b < blocks; ++b)
            bits.put(0, 1);
        out += bits.finish();
    }
    // AC scans: all blocks' bands empty, in end-of-band runs of at most 2^15 - 1 blocks.
    QByteArray acData;
    {
        Bits bits;
        int left = blocks;
        while (left > 0) {
            const int run = qMin(left, 32767);
            int n = 0;
            while ((2 << n) <= run)
                ++n;
            bits.put(quint32(n), 4);
            bits.put(quint32(run - (1 << n)), n);
            left -= run;
        }
        acData = bits.finish();
    }
    for (int s = 0; s < acScans; ++s) {
        segment(out, 0xDA, QByteArray("\x01\x01\x00\x01\x3F\x00", 6));
        out += acData;
    }
    out += QByteArray("\xFF\xD9", 2);
    return out;
}

} // namespace JpegWriter
