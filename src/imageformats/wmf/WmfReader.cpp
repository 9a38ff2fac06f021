#include "WmfReader.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QStringDecoder>

#include <algorithm>
#include <cmath>
#include <variant>
#include <vector>

namespace Wmf {
namespace {

constexpr quint32 placeableKey = 0x9AC6CDD7;
constexpr int placeableBytes = 22;
constexpr int headerBytes = 18;
constexpr double farAway = 1e7;
constexpr int maxFaces = 16;

// Record function codes.
enum : quint16 {
    EOF_ = 0x0000,
    SAVEDC = 0x001E,
    CREATEPALETTE = 0x00F7,
    SETBKMODE = 0x0102,
    SETMAPMODE = 0x0103,
    SETPOLYFILLMODE = 0x0106,
    RESTOREDC = 0x0127,
    SELECTOBJECT = 0x012D,
    SETTEXTALIGN = 0x012E,
    DIBCREATEPATTERNBRUSH = 0x0142,
    DELETEOBJECT = 0x01F0,
    CREATEPATTERNBRUSH = 0x01F9,
    SETBKCOLOR = 0x0201,
    SETTEXTCOLOR = 0x0209,
    SETWINDOWORG = 0x020B,
    SETWINDOWEXT = 0x020C,
    SETVIEWPORTORG = 0x020D,
    SETVIEWPORTEXT = 0x020E,
    OFFSETWINDOWORG = 0x020F,
    OFFSETVIEWPORTORG = 0x0211,
    LINETO = 0x0213,
    MOVETO = 0x0214,
    CREATEPENINDIRECT = 0x02FA,
    CREATEFONTINDIRECT = 0x02FB,
    CREATEBRUSHINDIRECT = 0x02FC,
    POLYGON = 0x0324,
    POLYLINE = 0x0325,
    SCALEWINDOWEXT = 0x0410,
    SCALEVIEWPORTEXT = 0x0412,
    ELLIPSE = 0x0418,
    RECTANGLE = 0x041B,
    SETPIXEL = 0x041F,
    TEXTOUT = 0x0521,
    POLYPOLYGON = 0x0538,
    ROUNDRECT = 0x061C,
    PATBLT = 0x061D,
    CREATEREGION = 0x06FF,
    ARC = 0x0817,
    PIE = 0x081A,
    CHORD = 0x0830,
    DIBBITBLT = 0x0940,
    EXTTEXTOUT = 0x0A32,
    DIBSTRETCHBLT = 0x0B41,
    STRETCHDIB = 0x0F43,
};

enum : quint32 {
    ropBlackness = 0x00000042,
    ropDstInvert = 0x00550009,
    ropPatInvert = 0x005A0049,
    ropWhiteness = 0x00FF0062,
};

quint16 u16At(QByteArrayView d, qsizetype off) {
    return quint16(quint8(d[off]) | (quint8(d[off + 1]) << 8));
}
quint32 u32At(QByteArrayView d, qsizetype off) {
    return quint32(u16At(d, off)) | (quint32(u16At(d, off + 2)) << 16);
}

bool fail(QString* error, const QString& why) {
    if (error)
        *error = why;
    return false;
}

// The parameters of one record, read as 16-bit words; callers check words() before reading.
struct Record {
    quint16 function = 0;
    QByteArrayView params;

    [[nodiscard]] qsizetype words() const { return params.size() / 2; }
    [[nodiscard]] quint16 u(qsizetype i) const { return u16At(params, 2 * i); }
    [[nodiscard]] qint16 s(qsizetype i) const { return qint16(u(i)); }
    [[nodiscard]] quint32 u32(qsizetype i) const { return u32At(params, 2 * i); }
    [[nodiscard]] QColor color(qsizetype i) const {
        const quint32 v = u32(i);
        return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
    }
};

struct Layout {
    bool placeable = false;
    QRect bounds; // placeable bounding box, logical units
    int unitsPerInch = 0;
    int objectCount = 0;
    qsizetype recordsStart = 0;
};

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

// Walks the records one by one, checking each against the file before handing it out.
class RecordWalker {
public:
    RecordWalker(QByteArrayView data, qsizetype start) : d(data), pos(start) {}

    // Returns false at the end (check error to tell a clean end from a fault).
    bool next(Record& rec) {
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

    QString error;

private:
    QByteArrayView d;
    qsizetype pos;
    int count = 0;
    bool done = false;
};

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

struct DibResult {
    bool valid = false; // structurally sound
    QImage image;       // null when the bitmap is sound but of a kind not drawn (compressed, palette indices)
    bool bottomUp = false;
};

// Reads a device-independent bitmap as an uncompressed BMP would be checked: header size, planes,
// bit count, and the pixel rows fitting the bytes at hand.
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

struct PenDef {
    int style = 0; // PS_SOLID
    int width = 0;
    QColor color = Qt::black;
};
struct BrushDef {
    int style = 0; // BS_SOLID
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern;
};
struct FontDef {
    int height = 0;
    int escapement = 0;
    int weight = 0;
    bool italic = false, underline = false, strikeOut = false;
    int charset = 0;
    QString face;
};
struct OtherDef {}; // palettes and regions: they take a slot but are not drawn
using GdiObject = std::variant<std::monostate, PenDef, BrushDef, FontDef, OtherDef>;

struct DcState {
    PenDef pen;
    BrushDef brush;
    FontDef font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    bool bkOpaque = true;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    int textAlign = 0;
    int mapMode = 1;
    QPointF winOrg, winExt{1, 1}, vpOrg, vpExt{1, 1};
    QPoint current;
};

const char* codecForCharset(int charset) {
    switch (charset) {
    case 1: // the system's own code page, which for this program's files is Big5
    case 136:
        return "windows-950";
    case 128:
        return "Shift_JIS";
    case 129:
        return "windows-949";
    case 134:
        return "GBK";
    case 2:
        return "ISO-8859-1";
    default:
        return "windows-1252";
    }
}

bool isDoubleByteCharset(int charset) {
    return charset == 1 || charset == 136 || charset == 128 || charset == 129 || charset == 134;
}

class Player {
public:
    Player(QByteArrayView data, const Layout& layout, QImage& image)
        : data(data), layout(layout), image(image), objects(size_t(layout.objectCount)) {
        const qint64 area = qint64(image.width()) * image.height();
        budget = 64 * area + 16 * 1024 * 1024;
        if (layout.placeable) {
            st.winOrg = layout.bounds.topLeft();
            st.winExt = QPointF(layout.bounds.width(), layout.bounds.height());
        } else {
            st.winExt = QPointF(image.width(), image.height());
        }
        st.vpExt = QPointF(image.width(), image.height());
    }

    bool run(QString* error) {
        painter.begin(&image);
        RecordWalker walker(data, layout.recordsStart);
        Record rec;
        bool ok = true;
        while (ok && walker.next(rec))
            ok = play(rec);
        painter.end();
        if (!ok)
            return fail(error, why);
        if (!walker.error.isEmpty())
            return fail(error, walker.error);
        return true;
    }

private:
    bool malformed(const QString& reason) {
        why = reason;
        return false;
    }
    bool tooShort() { return malformed(QStringLiteral("A record is shorter than its fields.")); }

    // Charges the work a drawing call will do, so a small file cannot keep the reader busy for minutes.
    bool charge(const QRectF& deviceBounds, qint64 extra = 0) {
        const QRectF clipped = deviceBounds.normalized().intersected(QRectF(image.rect()));
        budget -= qint64(clipped.width() * clipped.height()) + extra + 1;
        if (budget < 0)
            return malformed(QStringLiteral("The metafile needs too much drawing work."));
        return true;
    }

    [[nodiscard]] double scaleX() const { return scales().first; }
    [[nodiscard]] double scaleY() const { return scales().second; }
    [[nodiscard]] std::pair<double, double> scales() const {
        double sx = st.vpExt.x() / st.winExt.x(), sy = st.vpExt.y() / st.winExt.y();
        if (st.mapMode == 7) { // isotropic: one scale for both axes
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        return {sx, sy};
    }
    // Fixed map modes are played like anisotropic so that the picture still fills its frame.
    [[nodiscard]] QPointF map(double x, double y) const {
        const auto [sx, sy] = scales();
        return {st.vpOrg.x() + (x - st.winOrg.x()) * sx, st.vpOrg.y() + (y - st.winOrg.y()) * sy};
    }
    [[nodiscard]] QRectF mapRect(int l, int t, int r, int b) const {
        return QRectF(map(l, t), map(r, b)).normalized();
    }
    [[nodiscard]] double meanScale() const { return (std::abs(scaleX()) + std::abs(scaleY())) / 2; }

    [[nodiscard]] QPen qpen() const {
        const int style = st.pen.style & 0x0F;
        if (style == 5)
            return Qt::NoPen;
        const double w = std::min(st.pen.width * meanScale(), double(maxSide));
        QPen pen(st.pen.color, w < 1 && st.pen.width > 0 ? 1 : w);
        static constexpr Qt::PenStyle styles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                                  Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen};
        pen.setStyle(style < 5 ? styles[style] : Qt::SolidLine);
        const int cap = st.pen.style & 0x0F00, join = st.pen.style & 0xF000;
        pen.setCapStyle(cap == 0x0100 ? Qt::SquareCap : cap == 0x0200 ? Qt::FlatCap : Qt::RoundCap);
        pen.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
        return pen;
    }
    [[nodiscard]] QBrush qbrush() const {
        switch (st.brush.style) {
        case 1: // BS_NULL
            return Qt::NoBrush;
        case 2: {
            static constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                         Qt::FDiagPattern, Qt::BDiagPattern,
                                                         Qt::CrossPattern, Qt::DiagCrossPattern};
            const int h = st.brush.hatch;
            return QBrush(st.brush.color, h >= 0 && h < 6 ? hatches[h] : Qt::SolidPattern);
        }
        case 3:
        case 5:
        case 6:
            if (!st.brush.pattern.isNull())
                return QBrush(st.brush.pattern);
            return QBrush(st.brush.color, Qt::Dense4Pattern); // a pattern we could not read
        default:
            return QBrush(st.brush.color);
        }
    }
    [[nodiscard]] bool penVisible() const { return (st.pen.style & 0x0F) != 5; }
    void applyTools() {
        painter.setPen(qpen());
        painter.setBrush(qbrush());
        painter.setBackground(st.bkColor);
        painter.setBackgroundMode(st.bkOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
    }
    // Qt rounds rectangle fills to int, so rectangles are cut to the picture (plus a margin) first.
    [[nodiscard]] QRectF onPicture(const QRectF& r, double margin = 0) const {
        return r.intersected(QRectF(image.rect()).adjusted(-margin, -margin, margin, margin));
    }
    // Wide pens make every segment of a line a filled shape of its own.
    [[nodiscard]] qint64 strokeCost(const QPolygonF& poly) const {
        if (!penVisible() || poly.size() < 2)
            return 0;
        const double w = qpen().widthF() + 1;
        const double area = double(image.width()) * image.height();
        double cost = 0;
        for (qsizetype i = 1; i < poly.size(); ++i)
            cost += std::min(area, (QLineF(poly[i - 1], poly[i]).length() + w) * w);
        return qint64(std::min(cost, 1e15));
    }
    // Pen half-width added to shape bounds for the work estimate.
    [[nodiscard]] QRectF strokeBounds(const QRectF& r) const {
        const double m = penVisible() ? qpen().widthF() / 2 + 1 : 0;
        return r.adjusted(-m, -m, m, m);
    }
    // GDI leaves the right and bottom edge out of a shape's box.
    [[nodiscard]] QRectF shapeRect(const QRectF& r) const {
        return penVisible() && r.width() > 1 && r.height() > 1 ? r.adjusted(0, 0, -1, -1) : r;
    }

    bool addObject(GdiObject obj) {
        for (auto& slot : objects) {
            if (std::holds_alternative<std::monostate>(slot)) {
                slot = std::move(obj);
                return true;
            }
        }
        return malformed(QStringLiteral("The metafile creates more objects than its header declares."));
    }
    GdiObject* objectAt(const Record& rec) {
        if (rec.words() < 1) {
            tooShort();
            return nullptr;
        }
        const quint16 h = rec.u(0);
        if (h >= objects.size()) {
            malformed(QStringLiteral("An object handle is outside the object table."));
            return nullptr;
        }
        return &objects[h];
    }

    bool points(const Record& rec, qsizetype first, qsizetype count, QPolygonF& out) {
        if (count < 0 || first + 2 * count > rec.words())
            return malformed(QStringLiteral("A point count does not fit its record."));
        out.reserve(count);
        for (qsizetype i = 0; i < count; ++i)
            out << map(rec.s(first + 2 * i), rec.s(first + 2 * i + 1));
        return true;
    }

    bool play(const Record& rec) {
        const qsizetype n = rec.words();
        switch (rec.function) {
        case SAVEDC:
            if (saved.size() >= size_t(maxSaveDepth))
                return malformed(QStringLiteral("The drawing state is saved too deeply."));
            saved.push_back(st);
            return true;
        case RESTOREDC: {
            if (n < 1)
                return tooShort();
            const int k = rec.s(0);
            const qint64 target = k < 0 ? qint64(saved.size()) + k : k - 1;
            if (k != 0 && target >= 0 && target < qint64(saved.size())) {
                st = saved[size_t(target)];
                saved.resize(size_t(target));
            }
            return true;
        }
        case SETWINDOWORG:
        case SETWINDOWEXT:
        case SETVIEWPORTORG:
        case SETVIEWPORTEXT:
        case OFFSETWINDOWORG:
        case OFFSETVIEWPORTORG:
        case MOVETO: {
            if (n < 2)
                return tooShort();
            const QPointF p(rec.s(1), rec.s(0));
            if (rec.function == SETWINDOWORG)
                st.winOrg = p;
            else if (rec.function == SETVIEWPORTORG)
                st.vpOrg = p;
            else if (rec.function == OFFSETWINDOWORG)
                st.winOrg += p;
            else if (rec.function == OFFSETVIEWPORTORG)
                st.vpOrg += p;
            else if (rec.function == MOVETO)
                st.current = p.toPoint();
            else if (p.x() != 0 && p.y() != 0) // a zero extent is refused
                (rec.function == SETWINDOWEXT ? st.winExt : st.vpExt) = p;
            return true;
        }
        case SCALEWINDOWEXT:
        case SCALEVIEWPORTEXT: {
            if (n < 4)
                return tooShort();
            const int yDen = rec.s(0), yNum = rec.s(1), xDen = rec.s(2), xNum = rec.s(3);
            if (yDen == 0 || xDen == 0 || yNum == 0 || xNum == 0)
                return true;
            QPointF& ext = rec.function == SCALEWINDOWEXT ? st.winExt : st.vpExt;
            const QPointF scaled(std::trunc(ext.x() * xNum / xDen), std::trunc(ext.y() * yNum / yDen));
            if (scaled.x() != 0 && scaled.y() != 0 && std::abs(scaled.x()) <= 1e6 &&
                std::abs(scaled.y()) <= 1e6)
                ext = scaled;
            return true;
        }
        case SETMAPMODE:
            if (n < 1)
                return tooShort();
            if (rec.u(0) >= 1 && rec.u(0) <= 8)
                st.mapMode = rec.u(0);
            return true;
        case SETBKMODE:
            if (n < 1)
                return tooShort();
            st.bkOpaque = rec.u(0) == 2;
            return true;
        case SETPOLYFILLMODE:
            if (n < 1)
                return tooShort();
            st.fillRule = rec.u(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
            return true;
        case SETTEXTALIGN:
            if (n < 1)
                return tooShort();
            st.textAlign = rec.u(0);
            return true;
        case SETTEXTCOLOR:
        case SETBKCOLOR:
            if (n < 2)
                return tooShort();
            (rec.function == SETTEXTCOLOR ? st.textColor : st.bkColor) = rec.color(0);
            return true;
        case CREATEPENINDIRECT: {
            if (n < 5)
                return tooShort();
            return addObject(PenDef{rec.u(0), rec.s(1), rec.color(3)});
        }
        case CREATEBRUSHINDIRECT: {
            if (n < 3)
                return tooShort();
            return addObject(BrushDef{rec.u(0), rec.color(1), n >= 4 ? rec.u(3) : 0, {}});
        }
        case CREATEFONTINDIRECT:
            return createFont(rec);
        case DIBCREATEPATTERNBRUSH: {
            if (n < 2)
                return tooShort();
            const DibResult dib = decodeDib(rec.params.sliced(4), rec.u(0) == 3 ? 0 : rec.u(1));
            if (!dib.valid)
                return malformed(QStringLiteral("A pattern bitmap is not valid."));
            return addObject(BrushDef{5, Qt::black, 0, dib.image});
        }
        case CREATEPATTERNBRUSH:
            return addObject(BrushDef{3, Qt::black, 0, {}});
        case CREATEPALETTE:
        case CREATEREGION:
            return addObject(OtherDef{});
        case SELECTOBJECT: {
            GdiObject* obj = objectAt(rec);
            if (!obj)
                return false;
            if (auto* p = std::get_if<PenDef>(obj))
                st.pen = *p;
            else if (auto* b = std::get_if<BrushDef>(obj))
                st.brush = *b;
            else if (auto* f = std::get_if<FontDef>(obj))
                st.font = *f;
            return true;
        }
        case DELETEOBJECT: {
            GdiObject* obj = objectAt(rec);
            if (!obj)
                return false;
            *obj = std::monostate{};
            return true;
        }
        case LINETO: {
            if (n < 2)
                return tooShort();
            const QPoint to(rec.s(1), rec.s(0));
            const QLineF line(map(st.current.x(), st.current.y()), map(to.x(), to.y()));
            st.current = to;
            if (!charge(strokeBounds(QRectF(line.p1(), line.p2()).normalized()), 2))
                return false;
            applyTools();
            painter.drawLine(line);
            return true;
        }
        case POLYLINE:
        case POLYGON: {
            if (n < 1)
                return tooShort();
            QPolygonF poly;
            if (!points(rec, 1, rec.s(0), poly))
                return false;
            if (!charge(strokeBounds(poly.boundingRect()), poly.size() + strokeCost(poly)))
                return false;
            applyTools();
            if (rec.function == POLYLINE)
                painter.drawPolyline(poly);
            else
                painter.drawPolygon(poly, st.fillRule);
            return true;
        }
        case POLYPOLYGON:
            return polyPolygon(rec);
        case RECTANGLE:
        case ELLIPSE: {
            if (n < 4)
                return tooShort();
            const QRectF r = mapRect(rec.s(3), rec.s(2), rec.s(1), rec.s(0));
            if (!charge(strokeBounds(r)))
                return false;
            applyTools();
            if (rec.function == RECTANGLE)
                painter.drawRect(onPicture(shapeRect(r), qpen().widthF() + 2));
            else
                painter.drawEllipse(shapeRect(r));
            return true;
        }
        case ROUNDRECT: {
            if (n < 6)
                return tooShort();
            const QRectF r = mapRect(rec.s(5), rec.s(4), rec.s(3), rec.s(2));
            if (!charge(strokeBounds(r)))
                return false;
            applyTools();
            const double rx = std::abs(rec.s(1) * scaleX()) / 2, ry = std::abs(rec.s(0) * scaleY()) / 2;
            painter.drawRoundedRect(shapeRect(r), rx, ry, Qt::AbsoluteSize);
            return true;
        }
        case ARC:
        case PIE:
        case CHORD:
            return arc(rec);
        case PATBLT:
            if (n < 6)
                return tooShort();
            return patBlt(rec.u32(0), rec.s(5), rec.s(4), rec.s(3), rec.s(2));
        case SETPIXEL: {
            if (n < 4)
                return tooShort();
            const QRectF cell(map(rec.s(3), rec.s(2)), map(rec.s(3) + 1, rec.s(2) + 1));
            QRectF r = cell.normalized();
            r.setSize(r.size().expandedTo(QSizeF(1, 1)));
            if (!charge(r))
                return false;
            painter.fillRect(onPicture(r), rec.color(0));
            return true;
        }
        case TEXTOUT: {
            if (n < 1)
                return tooShort();
            const qsizetype len = rec.u(0), strWords = (len + 1) / 2;
            if (n < 3 + strWords)
                return tooShort();
            return text(rec.params.sliced(2, len), rec.s(2 + strWords), rec.s(1 + strWords), 0, {}, {});
        }
        case EXTTEXTOUT:
            return extTextOut(rec);
        case STRETCHDIB:
        case DIBSTRETCHBLT:
        case DIBBITBLT:
            return blit(rec);
        default:
            // Escapes, palettes, clipping regions and the rest do not change what is drawn here.
            return true;
        }
    }

    bool createFont(const Record& rec) {
        if (rec.words() < 9)
            return tooShort();
        FontDef f;
        f.height = rec.s(0);
        f.escapement = rec.s(2);
        f.weight = rec.s(4);
        const QByteArrayView p = rec.params;
        f.italic = p[10] != 0;
        f.underline = p[11] != 0;
        f.strikeOut = p[12] != 0;
        f.charset = quint8(p[13]);
        QByteArrayView face = p.sliced(18).first(std::min<qsizetype>(32, p.size() - 18));
        if (const qsizetype nul = face.indexOf('\0'); nul >= 0)
            face = face.first(nul);
        f.face = decodeText(face, f.charset);
        return addObject(f);
    }

    bool polyPolygon(const Record& rec) {
        if (rec.words() < 1)
            return tooShort();
        const qsizetype polys = rec.u(0);
        if (1 + polys > rec.words())
            return malformed(QStringLiteral("A polygon count does not fit its record."));
        QPainterPath path;
        path.setFillRule(st.fillRule);
        qsizetype next = 1 + polys;
        qint64 strokes = 0;
        for (qsizetype i = 0; i < polys; ++i) {
            QPolygonF poly;
            if (!points(rec, next, rec.u(1 + i), poly))
                return false;
            next += 2 * poly.size();
            strokes = std::min<qint64>(strokes + strokeCost(poly), qint64(1e15));
            path.addPolygon(poly);
            path.closeSubpath();
        }
        if (!charge(strokeBounds(path.boundingRect()), next + strokes))
            return false;
        applyTools();
        painter.drawPath(path);
        return true;
    }

    bool arc(const Record& rec) {
        if (rec.words() < 8)
            return tooShort();
        const QRectF r = shapeRect(mapRect(rec.s(7), rec.s(6), rec.s(5), rec.s(4)));
        if (!charge(strokeBounds(r)))
            return false;
        const double rx = r.width() / 2, ry = r.height() / 2;
        if (rx <= 0 || ry <= 0)
            return true;
        // GDI gives the ends as rays from the centre; QPainterPath wants angles on the ellipse's circle.
        const auto angle = [&](int x, int y) {
            const QPointF d = map(x, y) - r.center();
            return std::atan2(-d.y() / ry, d.x() / rx) * 180 / M_PI;
        };
        const double a1 = angle(rec.s(3), rec.s(2)), a2 = angle(rec.s(1), rec.s(0));
        // Counter-clockwise in logical space; a flipped axis turns that around on the picture.
        const bool flipped = scaleX() * scaleY() < 0;
        double span = flipped ? a1 - a2 : a2 - a1;
        span = std::fmod(span + 720, 360);
        if (span <= 1e-9)
            span = 360;
        if (flipped)
            span = -span;
        QPainterPath path;
        if (rec.function == PIE) {
            path.moveTo(r.center());
            path.arcTo(r, a1, span);
            path.closeSubpath();
        } else {
            path.arcMoveTo(r, a1);
            path.arcTo(r, a1, span);
            if (rec.function == CHORD)
                path.closeSubpath();
        }
        applyTools();
        if (rec.function == ARC)
            painter.setBrush(Qt::NoBrush);
        painter.drawPath(path);
        return true;
    }

    bool patBlt(quint32 rop, int x, int y, int w, int h) {
        const QRectF r = onPicture(QRectF(map(x, y), map(x + w, y + h)).normalized());
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
            painter.fillRect(r, qbrush());
        }
        painter.restore();
        return true;
    }

    bool blit(const Record& rec) {
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
            srcY = rec.s(2), srcX = rec.s(3), dstH = rec.s(4), dstW = rec.s(5), dstY = rec.s(6),
            dstX = rec.s(7);
            srcW = dstW, srcH = dstH;
            dibStart = 16;
        }
        const DibResult dib = decodeDib(rec.params.sliced(dibStart), usage);
        if (!dib.valid)
            return malformed(QStringLiteral("A bitmap in the metafile is not valid."));
        if (dib.image.isNull())
            return true;
        QRect src = QRect(srcX, srcY, std::abs(srcW), std::abs(srcH));
        if (rec.function == STRETCHDIB &&
            dib.bottomUp) // bottom-up source rectangles count from the bottom row
            src.moveTop(dib.image.height() - srcY - src.height());
        src = src.intersected(dib.image.rect());
        const QPointF p1 = map(dstX, dstY), p2 = map(dstX + dstW, dstY + dstH);
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
                          QRectF((visible.x() - dst.x()) * fx, (visible.y() - dst.y()) * fy,
                                 visible.width() * fx, visible.height() * fy));
        return true;
    }

    bool extTextOut(const Record& rec) {
        const qsizetype n = rec.words();
        if (n < 4)
            return tooShort();
        const qsizetype len = rec.u(2);
        const quint16 opts = rec.u(3);
        qsizetype at = 4;
        QRectF box;
        if (opts & 0x0006) { // ETO_OPAQUE or ETO_CLIPPED carry a rectangle
            if (n < 8)
                return tooShort();
            box = mapRect(rec.s(4), rec.s(5), rec.s(6), rec.s(7));
            at = 8;
        }
        const qsizetype strWords = (len + 1) / 2;
        if (at + strWords > n)
            return tooShort();
        QList<int> dx;
        if (at + strWords + len <= n) {
            for (qsizetype i = 0; i < len; ++i)
                dx << rec.s(at + strWords + i);
        }
        if (opts & 0x0002) {
            if (!charge(box))
                return false;
            painter.fillRect(onPicture(box), st.bkColor);
        }
        return text(rec.params.sliced(2 * at, len), rec.s(1), rec.s(0), opts, box, dx);
    }

    // Splits the bytes into characters (one or two bytes each) with the byte count of each.
    [[nodiscard]] QList<std::pair<QString, int>> characters(QByteArrayView bytes) const {
        QList<std::pair<QString, int>> out;
        const bool dbcs = isDoubleByteCharset(st.font.charset);
        for (qsizetype i = 0; i < bytes.size();) {
            const int take = dbcs && quint8(bytes[i]) >= 0x81 && i + 1 < bytes.size() ? 2 : 1;
            out.append({decodeText(bytes.sliced(i, take), st.font.charset), take});
            i += take;
        }
        return out;
    }

    bool text(QByteArrayView bytes, int x, int y, quint16 opts, const QRectF& box, const QList<int>& dx) {
        const bool updateCp = st.textAlign & 1;
        if (updateCp)
            x = st.current.x(), y = st.current.y();
        const double sy = std::abs(scaleY()), sx = scaleX();
        QFont font;
        // Every new family name is a font-database search that stays cached, so a file gets only a few.
        const QString& face = st.font.face;
        if (!face.isEmpty() && (faces.contains(face) || faces.size() < maxFaces)) {
            if (!faces.contains(face))
                faces << face;
            font.setFamily(face);
        }
        const double logical = st.font.height == 0 ? 12 / std::max(sy, 1e-9) : std::abs(st.font.height);
        const int pixels = int(std::clamp(std::round(logical * sy), 1.0, 4096.0));
        font.setPixelSize(pixels);
        if (st.font.weight > 0)
            font.setWeight(QFont::Weight(std::clamp(st.font.weight, 100, 900)));
        font.setItalic(st.font.italic);
        font.setUnderline(st.font.underline);
        font.setStrikeOut(st.font.strikeOut);
        if (st.font.height > 0) { // a positive height is the cell height, leading included
            const QFontMetricsF m(font);
            if (m.height() > 0)
                font.setPixelSize(std::max(1, int(std::round(pixels * pixels / m.height()))));
        }
        const QFontMetricsF metrics(font);
        const auto chars = characters(bytes);

        QList<double> advances;
        double width = 0;
        qsizetype byte = 0;
        for (const auto& [s, take] : chars) {
            double adv = metrics.horizontalAdvance(s);
            if (byte + take <= dx.size()) {
                adv = 0;
                for (int k = 0; k < take; ++k)
                    adv += dx[byte + k] * std::abs(sx);
            }
            byte += take;
            advances << adv;
            width += adv;
        }
        const QRectF guess(map(x, y) - QPointF(width, metrics.height()),
                           QSizeF(2 * width, 2 * metrics.height()));
        // Drawing a glyph takes about as long as filling a 64 x 64 square.
        if (!charge(guess, bytes.size() * std::max<qint64>(4096, qint64(pixels) * pixels / 4)))
            return false;

        double left = 0;
        const int horizontal = st.textAlign & 6;
        if (horizontal == 2)
            left = -width;
        else if (horizontal == 6)
            left = -width / 2;
        const int vertical = st.textAlign & 24;
        const double baseline = vertical == 24 ? 0 : vertical == 8 ? -metrics.descent() : metrics.ascent();

        painter.save();
        painter.setBackgroundMode(Qt::TransparentMode); // the background box below is GDI's, not Qt's
        if (opts & 0x0004)
            painter.setClipRect(box);
        // Glyph positions are fixed-point inside Qt; text that far out could never show anyway.
        const QPointF origin = map(x, y);
        if (std::abs(origin.x()) > farAway || std::abs(origin.y()) > farAway) {
            painter.restore();
            return true;
        }
        painter.translate(origin);
        if (st.font.escapement != 0)
            painter.rotate(-st.font.escapement / 10.0);
        if (st.bkOpaque)
            painter.fillRect(QRectF(left, baseline - metrics.ascent(), width, metrics.height())
                                 .intersected(QRectF(-farAway, -farAway, 2 * farAway, 2 * farAway)),
                             st.bkColor);
        painter.setFont(font);
        painter.setPen(st.textColor);
        double pen = left;
        for (qsizetype i = 0; i < chars.size() && std::abs(pen) <= farAway; ++i) {
            painter.drawText(QPointF(pen, baseline), chars[i].first);
            pen += advances[i];
        }
        painter.restore();
        if (updateCp && sx != 0)
            st.current.setX(int(std::clamp(std::round(st.current.x() + width / sx), -1e9, 1e9)));
        return true;
    }

    QByteArrayView data;
    const Layout& layout;
    QImage& image;
    QPainter painter;
    std::vector<GdiObject> objects;
    std::vector<DcState> saved;
    DcState st;
    qint64 budget = 0;
    QStringList faces;
    QString why;
};

} // namespace

QString decodeText(QByteArrayView bytes, int charset) {
    // A lead byte with nothing after it would sit in the decoder unseen; show it as unreadable.
    bool danglingLead = false;
    if (isDoubleByteCharset(charset)) {
        for (qsizetype i = 0; i < bytes.size();) {
            const bool pair = quint8(bytes[i]) >= 0x81 && i + 1 < bytes.size();
            danglingLead = !pair && quint8(bytes[i]) >= 0x81;
            i += pair ? 2 : 1;
        }
    }
    if (danglingLead)
        bytes.chop(1);
    QString text;
    QStringDecoder decoder(codecForCharset(charset));
    if (!decoder.isValid()) { // a system without that code page still shows something
        text = QString::fromLatin1(bytes);
    } else {
        text = decoder.decode(bytes);
        if (decoder.hasError())
            text.replace(QChar(0xFFFD), QChar(u'?'));
    }
    return danglingLead ? text + QChar(u'?') : text;
}

bool looksLikeWmf(QByteArrayView head) {
    if (head.size() >= 4 && u32At(head, 0) == placeableKey)
        return true;
    if (head.size() < 6)
        return false;
    const quint16 type = u16At(head, 0), size = u16At(head, 2), version = u16At(head, 4);
    return (type == 1 || type == 2) && size == 9 && (version == 0x0100 || version == 0x0300);
}

QSize naturalSize(QByteArrayView data, QString* error) {
    Layout layout;
    if (data.size() > maxFileBytes)
        return fail(error, QStringLiteral("The metafile is too large.")), QSize();
    if (!parseLayout(data, layout, error))
        return QSize();
    return sizeOf(data, layout, error);
}

QImage render(QByteArrayView data, QString* error) {
    Layout layout;
    if (data.size() > maxFileBytes)
        return fail(error, QStringLiteral("The metafile is too large.")), QImage();
    if (!parseLayout(data, layout, error))
        return QImage();
    const QSize size = sizeOf(data, layout, error);
    if (size.isEmpty())
        return QImage();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return fail(error, QStringLiteral("Out of memory for the picture.")), QImage();
    image.fill(Qt::transparent);
    Player player(data, layout, image);
    if (!player.run(error))
        return QImage();
    return image;
}

} // namespace Wmf
