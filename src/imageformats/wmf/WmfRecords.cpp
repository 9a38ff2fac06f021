#include "WmfRecords.h"

#include "WmfReader.h"

#include <algorithm>
#include <cmath>

namespace Wmf {
namespace {

constexpr quint32 placeableKey = 0x9AC6CDD7;
constexpr int placeableBytes = 22;
constexpr int headerBytes = 18;

} // namespace

bool parseLayout(QByteArrayView data, Layout& out, QString* error) {
    qsizetype off = 0;
    if (data.size() >= 4 && u32At(data, 0) == placeableKey) {
        if (data.size() < placeableBytes)
            return fail(error, QStringLiteral("The placeable header is cut short."));
        quint16 sum = 0;
        for (int i = 0; i < 10; ++i)
            sum ^= u16At(data, 2 * i);
        if (sum != u16At(data, 20))
            return fail(error, QStringLiteral("The placeable header's checksum does not match."));
        const int l = qint16(u16At(data, 6)), t = qint16(u16At(data, 8));
        const int r = qint16(u16At(data, 10)), b = qint16(u16At(data, 12));
        out.placeable = true;
        out.bounds = QRect(QPoint(std::min(l, r), std::min(t, b)), QSize(std::abs(r - l), std::abs(b - t)));
        out.unitsPerInch = u16At(data, 14);
        off = placeableBytes;
    }
    if (data.size() - off < headerBytes)
        return fail(error, QStringLiteral("The metafile header is missing or cut short."));
    const quint16 type = u16At(data, off), size = u16At(data, off + 2), version = u16At(data, off + 4);
    if ((type != 1 && type != 2) || size != 9 || (version != 0x0100 && version != 0x0300))
        return fail(error, QStringLiteral("The metafile header is not valid."));
    out.objectCount = u16At(data, off + 10);
    out.recordsStart = off + headerBytes;
    return true;
}

bool RecordWalker::next(Record& rec) {
    if (done || pos >= d.size())
        return false;
    if (++count > maxRecords) {
        error = QStringLiteral("The metafile has too many records.");
        return false;
    }
    if (d.size() - pos < 6) {
        error = QStringLiteral("A record is cut short.");
        return false;
    }
    const qint64 bytes = qint64(u32At(d, pos)) * 2;
    if (bytes < 6 || bytes > d.size() - pos) {
        error = QStringLiteral("A record's size is outside the file.");
        return false;
    }
    rec.function = u16At(d, pos + 4);
    rec.params = d.sliced(pos + 6, qsizetype(bytes) - 6);
    pos += qsizetype(bytes);
    if (rec.function == EOF_) {
        done = true;
        return false;
    }
    return true;
}

bool sizeWithinLimits(qint64 w, qint64 h) {
    return w >= 1 && h >= 1 && w <= maxSide && h <= maxSide && w * h * 4 <= maxImageBytes;
}

QSize sizeOf(QByteArrayView data, const Layout& layout, QString* error) {
    qint64 w = 0, h = 0;
    if (layout.placeable) {
        if (layout.unitsPerInch == 0)
            return fail(error, QStringLiteral("The placeable header gives zero units per inch.")), QSize();
        w = std::llround(layout.bounds.width() * 96.0 / layout.unitsPerInch);
        h = std::llround(layout.bounds.height() * 96.0 / layout.unitsPerInch);
    } else {
        RecordWalker walker(data, layout.recordsStart);
        Record rec;
        while (walker.next(rec)) {
            if (rec.function == SETWINDOWEXT && rec.words() >= 2) {
                w = std::abs(int(rec.s(1)));
                h = std::abs(int(rec.s(0)));
                break;
            }
        }
        if (!walker.error.isEmpty())
            return fail(error, walker.error), QSize();
        if (w == 0 && h == 0)
            return fail(error, QStringLiteral("The metafile sets no window extent, so it has no size.")),
                   QSize();
    }
    if (!sizeWithinLimits(w, h))
        return fail(error, QStringLiteral("The picture's size %1 x %2 is empty or too large.").arg(w).arg(h)),
               QSize();
    return QSize(int(w), int(h));
}

bool looksLikeWmf(QByteArrayView head) {
    if (head.size() >= 4 && u32At(head, 0) == placeableKey)
        return true;
    if (head.size() < 6)
        return false;
    const quint16 type = u16At(head, 0), size = u16At(head, 2), version = u16At(head, 4);
    return (type == 1 || type == 2) && size == 9 && (version == 0x0100 || version == 0x0300);
}

} // namespace Wmf
