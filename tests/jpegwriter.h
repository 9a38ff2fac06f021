#pragma once

// Grey progressive JPEGs for tests, benchmark and fuzzing: each AC scan is a few bytes but a full pass.

#include <QByteArray>

#include <bit>

namespace JpegWriter {

// A `width` x `height` grey progressive JPEG with one DC scan and `acScans` AC scans.
inline QByteArray progressive(int width, int height, int acScans) {
    using namespace Qt::StringLiterals;
    const auto be16 = [](int v) { return QByteArray(1, char(v >> 8)) + char(v & 0xFF); };
    QByteArray out = "\xFF\xD8\xFF\xDB\x00\x43\x00"_ba + QByteArray(64, '\1') + "\xFF\xC2\x00\x0B\x08"_ba +
                     be16(height) + be16(width) + "\x01\x01\x11\x00"_ba;
    // DC table: category 0 only, code "0". AC table: end-of-band runs EOB0..EOB14, four-bit codes.
    out += "\xFF\xC4\x00\x14\x00\x01"_ba + QByteArray(16, '\0') + "\xFF\xC4\x00\x22\x10\0\0\0\x0F"_ba +
           QByteArray(12, '\0') + "\x00\x10\x20\x30\x40\x50\x60\x70\x80\x90\xA0\xB0\xC0\xD0\xE0"_ba;
    // DC scan: a zero bit a block, the last byte filled up with ones.
    const int blocks = ((width + 7) / 8) * ((height + 7) / 8);
    out += "\xFF\xDA\x00\x08\x01\x01\x00\x00\x00\x00"_ba + QByteArray(blocks / 8, '\0') +
           QByteArray(blocks % 8 ? 1 : 0, char(0xFF >> (blocks % 8)));
    // AC scans: all bands empty, in end-of-band runs of at most 2^15 - 1 blocks, 0xFF bytes stuffed.
    QByteArray bits, ac;
    for (int left = blocks, run = 0; left > 0; left -= run) {
        run = qMin(left, 32767);
        const int n = int(std::bit_width(unsigned(run))) - 1;
        bits += QByteArray::number(n, 2).rightJustified(4, '0') + QByteArray::number(run, 2).right(n);
    }
    bits += QByteArray((8 - bits.size() % 8) % 8, '1');
    for (qsizetype i = 0; i < bits.size(); i += 8)
        ac += char(bits.mid(i, 8).toInt(nullptr, 2)) + (bits.mid(i, 8) == "11111111" ? "\0"_ba : ""_ba);
    return out + ("\xFF\xDA\x00\x08\x01\x01\x00\x01\x3F\x00"_ba + ac).repeated(acScans) + "\xFF\xD9"_ba;
}

} // namespace JpegWriter
