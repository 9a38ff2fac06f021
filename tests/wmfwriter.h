#pragma once

// Builds Windows metafiles in memory for the reader's tests and the fuzzer's seed files.

#include "platform/CodePages.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QImage>
#include <QRect>

#include <algorithm>
#include <initializer_list>

class WmfWriter {
public:
    // Little-endian 16-bit words, as every field of a metafile is stored.
    static QByteArray words(std::initializer_list<int> values) {
        QByteArray b;
        for (int w : values)
            b += char(w & 0xFF), b += char((w >> 8) & 0xFF);
        return b;
    }
    static QByteArray dword(quint32 d) { return words({int(d & 0xFFFF), int(d >> 16)}); }

    // One record; a size in words other than its own makes a malformed file.
    WmfWriter& raw(quint16 function, QByteArray params, qint64 sizeWords = -1) {
        params.resize(params.size() + params.size() % 2, '\0');
        body +=
            dword(quint32(sizeWords < 0 ? 3 + params.size() / 2 : sizeWords)) + words({function}) + params;
        return *this;
    }
    WmfWriter& windowExt(int x, int y) { return raw(0x020C, words({y, x})); }

    // GDI calls, "brush 0 red; rectangle 0 0 10 10", arguments in call order (drawing records store them
    // backwards); also "placeable l t r b unitsPerInch", "font height charset", "text x y s", "exttext".
    WmfWriter& add(const QString& calls) {
        // Function numbers by name; 0x10000 marks records stored backwards.
        static const QHash<QString, int> codes{
            {"bkmode", 0x0102},     {"mapmode", 0x0103},    {"save", 0x001E},        {"restore", 0x0127},
            {"select", 0x012D},     {"align", 0x012E},      {"delete", 0x01F0},      {"bkcolor", 0x0201},
            {"textcolor", 0x0209},  {"pen", 0x02FA},        {"brush", 0x02FC},       {"polygon", 0x0324},
            {"polyline", 0x0325},   {"escape", 0x0626},     {"polypolygon", 0x0538}, {"org", 0x1020B},
            {"ext", 0x1020C},       {"vporg", 0x1020D},     {"lineto", 0x10213},     {"moveto", 0x10214},
            {"ellipse", 0x10418},   {"rectangle", 0x1041B}, {"pixel", 0x1041F},      {"arc", 0x10817},
            {"roundrect", 0x1061C}, {"patblt", 0x1061D},    {"pie", 0x1081A}};
        for (const QString& call : calls.split(u';', Qt::SkipEmptyParts)) {
            const QStringList a = call.split(u' ', Qt::SkipEmptyParts);
            const auto n = [&a](qsizetype i) { return a.value(i).toInt(nullptr, 0); };
            QByteArray text = Platform::encodeCodePage950(a.last());
            if (a[0] == u"placeable") {
                placeable = true, unitsPerInch = n(5), bounds = QRect(n(1), n(2), n(3) - n(1), n(4) - n(2));
            } else if (a[0] == u"font") {
                raw(0x02FB, words({n(1), 0, 0, 0, 400, 0, n(2) << 8, 0, 0}) + QByteArray("DejaVu Sans", 12));
            } else if (a[0] == u"text") {
                const int length = int(text.size());
                text.resize(length + length % 2, '\0');
                raw(0x0521, words({length}) + text + words({n(2), n(1)}));
            } else if (a[0] == u"exttext") {
                const QByteArray box = n(3) & 6 ? words({n(4), n(5), n(6), n(7)}) : QByteArray();
                raw(0x0A32, words({n(2), n(1), int(text.size()), n(3)}) + box + text);
            } else {
                QList<QByteArray> params;
                for (const QString& arg : a.sliced(1)) {
                    const QColor c = QColor::fromString(arg);
                    const qint64 v = arg.toLongLong(nullptr, 0);
                    params << (c.isValid() ? words({c.red() | c.green() << 8, c.blue()})
                                           : (v > 0xFFFF ? dword(quint32(v)) : words({int(v)})));
                }
                const int code = codes.value(a[0], n(0));
                if (code & 0x10000)
                    std::reverse(params.begin(), params.end());
                raw(quint16(code), params.join());
            }
        }
        return *this;
    }
    // The finished file: an optional placeable header, the standard header, the records, an end record.
    QByteArray bytes(int objects = 8) const {
        QByteArray out, records = body + dword(3) + words({0});
        if (placeable) {
            out = dword(0x9AC6CDD7) + words({0, bounds.left(), bounds.top(), bounds.right() + 1,
                                             bounds.bottom() + 1, unitsPerInch, 0, 0});
            quint16 sum = 0;
            for (int i = 0; i < 20; i += 2)
                sum ^= quint16(quint8(out[i]) | quint8(out[i + 1]) << 8);
            out += words({sum});
        }
        return out + words({1, 9, 0x0300}) + dword(quint32(9 + records.size() / 2)) + words({objects}) +
               dword(3) + words({0}) + records;
    }

    // An uncompressed bitmap of 24 or 32 bits, or of 8 bits with the image's colours.
    static QByteArray dib(const QImage& image, int bits, bool topDown = false) {
        const QImage indexed = image.convertToFormat(QImage::Format_Indexed8);
        const QList<QRgb> palette = bits == 8 ? indexed.colorTable() : QList<QRgb>();
        const int h = image.height(), stride = (image.width() * bits + 31) / 32 * 4;
        QByteArray d = dword(40) + dword(image.width()) + dword(topDown ? -h : h) + words({1, bits}) +
                       QByteArray(16, '\0') + dword(palette.size()) + dword(0);
        for (QRgb c : palette)
            d += dword(c & 0xFFFFFF);
        for (int row = 0; row < h; ++row) {
            QByteArray line(stride, '\0');
            for (int x = 0, y = topDown ? row : h - 1 - row; x < image.width(); ++x) {
                const int at = x * bits / 8;
                if (bits == 8)
                    line[at] = char(indexed.pixelIndex(x, y));
                else
                    line.replace(at, 3, dword(image.pixel(x, y)).left(3));
            }
            d += line;
        }
        return d;
    }

    bool placeable = false;
    QRect bounds;
    int unitsPerInch = 1440;

private:
    QByteArray body;
};
