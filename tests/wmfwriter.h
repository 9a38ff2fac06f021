#pragma once

// Builds Windows metafiles in memory for the reader's tests and the fuzzer's seed files.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRect>

#include <initializer_list>

class WmfWriter {
public:
    // Appends one record; each value is stored as a little-endian 16-bit word.
    WmfWriter& record(quint16 function, std::initializer_list<int> words) {
        QByteArray params;
        for (int w : words)
            putWord(params, w);
        return raw(function, params);
    }
    WmfWriter& raw(quint16 function, QByteArray params) {
        if (params.size() % 2)
            params.append('\0');
        return rawSized(quint32(3 + params.size() / 2), function, params);
    }
    // A record whose size field is written as given, for malformed files.
    WmfWriter& rawSized(quint32 sizeWords, quint16 function, const QByteArray& params) {
        putDword(body, sizeWords);
        putWord(body, function);
        body += params;
        return *this;
    }

    WmfWriter& windowOrg(int x, int y) { return record(0x020B, {y, x}); }
    WmfWriter& windowExt(int x, int y) { return record(0x020C, {y, x}); }
    WmfWriter& viewportOrg(int x, int y) { return record(0x020D, {y, x}); }
    WmfWriter& mapMode(int mode) { return record(0x0103, {mode}); }
    WmfWriter& saveDc() { return record(0x001E, {}); }
    WmfWriter& restoreDc(int n) { return record(0x0127, {n}); }
    WmfWriter& pen(int style, int width, QColor c) {
        return record(0x02FA, {style, width, 0, lo(c), c.blue()});
    }
    WmfWriter& brush(int style, QColor c, int hatch = 0) {
        return record(0x02FC, {style, lo(c), c.blue(), hatch});
    }
    WmfWriter& select(int handle) { return record(0x012D, {handle}); }
    WmfWriter& remove(int handle) { return record(0x01F0, {handle}); }
    WmfWriter& textColor(QColor c) { return record(0x0209, {lo(c), c.blue()}); }
    WmfWriter& bkColor(QColor c) { return record(0x0201, {lo(c), c.blue()}); }
    WmfWriter& bkMode(int mode) { return record(0x0102, {mode}); }
    WmfWriter& fillMode(int mode) { return record(0x0106, {mode}); }
    WmfWriter& textAlign(int align) { return record(0x012E, {align}); }
    WmfWriter& moveTo(int x, int y) { return record(0x0214, {y, x}); }
    WmfWriter& lineTo(int x, int y) { return record(0x0213, {y, x}); }
    WmfWriter& rectangle(QRect r) {
        return record(0x041B, {r.bottom() + 1, r.right() + 1, r.top(), r.left()});
    }
    WmfWriter& ellipse(QRect r) { return record(0x0418, {r.bottom() + 1, r.right() + 1, r.top(), r.left()}); }
    WmfWriter& setPixel(int x, int y, QColor c) { return record(0x041F, {lo(c), c.blue(), y, x}); }
    // Fills with the brush (PATCOPY).
    WmfWriter& patBlt(QRect r) {
        return record(0x061D, {0x0021, 0x00F0, r.height(), r.width(), r.top(), r.left()});
    }
    WmfWriter& poly(quint16 function, const QList<QPoint>& points) {
        QByteArray p;
        putWord(p, int(points.size()));
        return raw(function, p + coordinates(points));
    }
    WmfWriter& polyPolygon(const QList<QList<QPoint>>& polys) {
        QByteArray p, points;
        putWord(p, int(polys.size()));
        for (const auto& poly : polys)
            putWord(p, int(poly.size())), points += coordinates(poly);
        return raw(0x0538, p + points);
    }
    WmfWriter& font(int height, int charset) {
        QByteArray p;
        for (int w : {height, 0, 0, 0, 400, 0, charset << 8, 0, 0})
            putWord(p, w);
        return raw(0x02FB, p + QByteArray("DejaVu Sans", 12));
    }
    WmfWriter& textOut(int x, int y, const QByteArray& text) {
        QByteArray p;
        putWord(p, int(text.size()));
        p += text;
        if (p.size() % 2)
            p += '\0';
        putWord(p, y);
        putWord(p, x);
        return raw(0x0521, p);
    }
    WmfWriter& extTextOut(int x, int y, const QByteArray& text, int options = 0, QRect box = {}) {
        QByteArray p;
        for (int w : {y, x, int(text.size()), options})
            putWord(p, w);
        if (options & 6)
            for (int w : {box.left(), box.top(), box.right() + 1, box.bottom() + 1})
                putWord(p, w);
        return raw(0x0A32, p + text);
    }
    // Draws a bitmap with STRETCHDIB (0x0F43), DIBSTRETCHBLT (0x0B41) or DIBBITBLT (0x0940).
    WmfWriter& bitmap(quint16 function, QRect dst, const QByteArray& dib, QSize src) {
        QByteArray p;
        putDword(p, 0x00CC0020); // SRCCOPY
        if (function == 0x0F43)
            putWord(p, 0);
        if (function != 0x0940)
            putWord(p, src.height()), putWord(p, src.width());
        for (int w : {0, 0, dst.height(), dst.width(), dst.top(), dst.left()})
            putWord(p, w);
        return raw(function, p + dib);
    }

    // The finished file: an optional placeable header, the standard header, the records, an end record.
    QByteArray bytes(int objects = 8, bool endRecord = true) const {
        QByteArray out, records = body;
        if (placeable) {
            putDword(out, 0x9AC6CDD7);
            putWord(out, 0);
            for (int w :
                 {bounds.left(), bounds.top(), bounds.right() + 1, bounds.bottom() + 1, unitsPerInch, 0, 0})
                putWord(out, w);
            quint16 sum = 0;
            for (int i = 0; i < 10; ++i)
                sum ^= quint16(quint8(out[2 * i]) | (quint8(out[2 * i + 1]) << 8));
            putWord(out, sum ^ checksumDelta);
        }
        if (endRecord)
            putDword(records, 3), putWord(records, 0);
        for (int w : {1, 9, 0x0300})
            putWord(out, w);
        putDword(out, quint32(9 + records.size() / 2));
        putWord(out, objects);
        putDword(out, 3);
        putWord(out, 0);
        return out + records;
    }

    // An uncompressed bitmap of 16, 24 or 32 bits, or of 8 bits or fewer with a palette of the image's
    // colours.
    static QByteArray dib(const QImage& image, int bits, bool topDown = false) {
        QList<QRgb> palette;
        for (int y = 0; bits <= 8 && y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (!palette.contains(image.pixel(x, y)))
                    palette << image.pixel(x, y);
        QByteArray d;
        putDword(d, 40);
        putDword(d, quint32(image.width()));
        putDword(d, quint32(topDown ? -image.height() : image.height()));
        putWord(d, 1);
        putWord(d, bits);
        for (quint32 v : {0u, 0u, 0u, 0u, quint32(palette.size()), 0u})
            putDword(d, v);
        for (QRgb c : palette)
            d += char(qBlue(c)), d += char(qGreen(c)), d += char(qRed(c)), d += char(0);
        const int stride = ((image.width() * bits + 31) / 32) * 4;
        for (int row = 0; row < image.height(); ++row) {
            const int y = topDown ? row : image.height() - 1 - row;
            QByteArray line(stride, '\0');
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                const int at = x * bits / 8;
                if (bits == 16) { // five bits each of red, green and blue
                    const int v = (qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | qBlue(c) >> 3;
                    line[at] = char(v), line[at + 1] = char(v >> 8);
                } else if (bits > 16) {
                    line[at] = char(qBlue(c)), line[at + 1] = char(qGreen(c)), line[at + 2] = char(qRed(c));
                } else {
                    const int index = int(palette.indexOf(c));
                    line[at] = char(line[at] | (index << (8 - bits - x * bits % 8)));
                }
            }
            d += line;
        }
        return d;
    }

    bool placeable = false;
    QRect bounds;
    int unitsPerInch = 1440;
    int checksumDelta = 0;

private:
    static int lo(QColor c) { return c.red() | (c.green() << 8); }
    static QByteArray coordinates(const QList<QPoint>& points) {
        QByteArray p;
        for (QPoint pt : points)
            putWord(p, pt.x()), putWord(p, pt.y());
        return p;
    }
    static void putWord(QByteArray& b, int w) { b += char(w & 0xFF), b += char((w >> 8) & 0xFF); }
    static void putDword(QByteArray& b, quint32 d) { putWord(b, int(d & 0xFFFF)), putWord(b, int(d >> 16)); }

    QByteArray body;
};
