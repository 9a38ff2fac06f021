#pragma once

#include <QByteArrayView>
#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>

// The file's layout: its headers, its records one by one, and the picture size they give.
namespace Wmf {

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

[[nodiscard]] inline quint16 u16At(QByteArrayView d, qsizetype off) {
    return quint16(quint8(d[off]) | (quint8(d[off + 1]) << 8));
}
[[nodiscard]] inline quint32 u32At(QByteArrayView d, qsizetype off) {
    return quint32(u16At(d, off)) | (quint32(u16At(d, off + 2)) << 16);
}

// Stores the reason where the caller asked for one; false, so a check can end with `return fail(...)`.
inline bool fail(QString* error, const QString& why) {
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

// Reads the placeable and standard headers; false with the reason in *error when they are not sound.
bool parseLayout(QByteArrayView data, Layout& out, QString* error);

// Walks the records one by one, checking each against the file before handing it out.
class RecordWalker {
public:
    RecordWalker(QByteArrayView data, qsizetype start) : d(data), pos(start) {}

    // Returns false at the end (check error to tell a clean end from a fault).
    bool next(Record& rec);

    QString error;

private:
    QByteArrayView d;
    qsizetype pos;
    int count = 0;
    bool done = false;
};

// True when a picture or bitmap of w x h pixels stays within the allocation limits.
[[nodiscard]] bool sizeWithinLimits(qint64 w, qint64 h);

// The picture's size in pixels, or an empty size with the reason in *error.
[[nodiscard]] QSize sizeOf(QByteArrayView data, const Layout& layout, QString* error);

} // namespace Wmf
