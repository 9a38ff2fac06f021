#include "WmfBitmaps.h"

#include "WmfPlayer.h"
#include "WmfReader.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Wmf {
namespace {

enum : quint32 {
    ropBlackness = 0x00000042,
    ropDstInvert = 0x00550009,
    ropPatInvert = 0x005A0049,
    ropWhiteness = 0x00FF0062,
};

} // namespace

DibResult decodeDib(QByteArrayView dib, quint16 colorUsage) {
    DibResult r;
    if (dib.size() < 4)
        return r;
    const quint32 hs = u32At(dib, 0);
    qint64 width = 0, height = 0;
    int planes = 0, bits = 0, tableEntries = 0, entryBytes = 4;
    quint32 compression = 0;
    if (hs == 12) {
        if (dib.size() < 12)
            return r;
        width = u16At(dib, 4);
        height = qint16(u16At(dib, 6));
        planes = u16At(dib, 8);
        bits = u16At(dib, 10);
        entryBytes = 3;
        tableEntries = bits <= 8 ? 1 << bits : 0;
    } else if (hs >= 40 && hs <= 124) {
        if (dib.size() < qsizetype(hs))
            return r;
        width = qint32(u32At(dib, 4));
        height = qint32(u32At(dib, 8));
        planes = u16At(dib, 12);
        bits = u16At(dib, 14);
        compression = u32At(dib, 16);
        const quint32 used = u32At(dib, 32);
        if (used > 256 || (bits <= 8 && used > (1u << bits)))
            return r;
        tableEntries = used ? int(used) : (bits <= 8 ? 1 << bits : 0);
    } else {
        return r;
    }
    static constexpr int knownBits[] = {1, 4, 8, 16, 24, 32};
    if (planes != 1 || std::find(std::begin(knownBits), std::end(knownBits), bits) == std::end(knownBits))
        return r;
    const qint64 rows = std::abs(height);
    if (!sizeWithinLimits(width, rows))
        return r;
    if (colorUsage == 1)
        entryBytes = 2; // indices into a logical palette
    else if (colorUsage == 2)
        entryBytes = 0;
    else if (colorUsage != 0)
        return r;
    const qint64 tableStart = hs;
    const qint64 pixelsStart = tableStart + qint64(tableEntries) * entryBytes;
    if (compression != 0) {
        // Compressed bitmaps are not drawn, but their header must still fit.
        r.valid = pixelsStart <= dib.size();
        return r;
    }
    const qint64 stride = ((width * bits + 31) / 32) * 4;
    if (pixelsStart + stride * rows > dib.size())
        return r;
    r.valid = true;
    r.bottomUp = height > 0;
    if (colorUsage != 0)
        return r;

    std::vector<QRgb> table(size_t(tableEntries), qRgb(0, 0, 0));
    for (int i = 0; i < tableEntries; ++i) {
        const qsizetype o = qsizetype(tableStart + qint64(i) * entryBytes);
        table[size_t(i)] = qRgb(quint8(dib[o + 2]), quint8(dib[o + 1]), quint8(dib[o]));
    }
    QImage img(int(width), int(rows), QImage::Format_RGB32);
    if (img.isNull())
        return r;
    const auto* base = reinterpret_cast<const quint8*>(dib.data()) + pixelsStart;
    for (int y = 0; y < rows; ++y) {
        const quint8* row = base + (height > 0 ? rows - 1 - y : y) * stride;
        auto* out = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            QRgb px = 0;
            switch (bits) {
            case 1:
            case 4:
            case 8: {
                const int bitPos = x * bits;
                const int index = (row[bitPos / 8] >> (8 - bits - bitPos % 8)) & ((1 << bits) - 1);
                px = index < tableEntries ? table[size_t(index)] : qRgb(0, 0, 0);
                break;
            }
            case 16: {
                const int v = row[2 * x] | (row[2 * x + 1] << 8);
                px = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
                break;
            }
            case 24:
                px = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
                break;
            default:
                px = qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
                break;
            }
            out[x] = px;
        }
    }
    r.image = img;
    return r;
}

bool Player::patBlt(quint32 rop, int x, int y, int w, int h) {
    const QRectF r = onPicture(QRectF(st.map(x, y), st.map(x + w, y + h)).normalized());
    if (!charge(r))
        return false;
    painter.save();
    if (rop == ropBlackness || rop == ropWhiteness) {
        painter.fillRect(r, rop == ropBlackness ? Qt::black : Qt::white);
    } else if (rop == ropDstInvert) {
        painter.setCompositionMode(QPainter::RasterOp_NotDestination);
        painter.fillRect(r, Qt::black);
    } else {
        if (rop == ropPatInvert)
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        applyTools();
        painter.fillRect(r, st.qbrush());
    }
    painter.restore();
    return true;
}

bool Player::blit(const Record& rec) {
    const qsizetype n = rec.words();
    // Without a bitmap the record is a plain pattern fill; its size tells which layout it has.
    const qsizetype bareWords = (rec.function >> 8);
    if (rec.function != STRETCHDIB && n == bareWords) {
        if (rec.function == DIBBITBLT)
            return patBlt(rec.u32(0), rec.s(8), rec.s(7), rec.s(6), rec.s(5));
        return patBlt(rec.u32(0), rec.s(10), rec.s(9), rec.s(8), rec.s(7));
    }
    int srcX, srcY, srcW, srcH, dstX, dstY, dstW, dstH;
    qsizetype dibStart;
    quint16 usage = 0;
    if (rec.function == STRETCHDIB) {
        if (n < 11)
            return tooShort();
        usage = rec.u(2);
        srcH = rec.s(3), srcW = rec.s(4), srcY = rec.s(5), srcX = rec.s(6);
        dstH = rec.s(7), dstW = rec.s(8), dstY = rec.s(9), dstX = rec.s(10);
        dibStart = 22;
    } else if (rec.function == DIBSTRETCHBLT) {
        if (n < 10)
            return tooShort();
        srcH = rec.s(2), srcW = rec.s(3), srcY = rec.s(4), srcX = rec.s(5);
        dstH = rec.s(6), dstW = rec.s(7), dstY = rec.s(8), dstX = rec.s(9);
        dibStart = 20;
    } else {
        if (n < 8)
            return tooShort();
        srcY = rec.s(2), srcX = rec.s(3), dstH = rec.s(4), dstW = rec.s(5), dstY = rec.s(6), dstX = rec.s(7);
        srcW = dstW, srcH = dstH;
        dibStart = 16;
    }
    const DibResult dib = decodeDib(rec.params.sliced(dibStart), usage);
    if (!dib.valid)
        return malformed(QStringLiteral("A bitmap in the metafile is not valid."));
    if (dib.image.isNull())
        return true;
    QRect src = QRect(srcX, srcY, std::abs(srcW), std::abs(srcH));
    if (rec.function == STRETCHDIB && dib.bottomUp) // bottom-up source rectangles count from the bottom row
        src.moveTop(dib.image.height() - srcY - src.height());
    src = src.intersected(dib.image.rect());
    const QPointF p1 = st.map(dstX, dstY), p2 = st.map(dstX + dstW, dstY + dstH);
    const QRectF dst = QRectF(p1, p2).normalized();
    if (src.isEmpty() || dst.isEmpty())
        return true;
    if (!charge(dst, qint64(dib.image.width()) * dib.image.height()))
        return false;
    const bool mirrorX = (p2.x() < p1.x()) != (srcW < 0), mirrorY = (p2.y() < p1.y()) != (srcH < 0);
    const QImage part = dib.image.copy(src).mirrored(mirrorX, mirrorY);
    // Only the part on the picture is drawn, so no coordinate handed to Qt is out of its range.
    const QRectF visible = onPicture(dst);
    if (visible.isEmpty())
        return true;
    const double fx = part.width() / dst.width(), fy = part.height() / dst.height();
    painter.drawImage(visible, part,
                      QRectF((visible.x() - dst.x()) * fx, (visible.y() - dst.y()) * fy, visible.width() * fx,
                             visible.height() * fy));
    return true;
}

} // namespace Wmf
