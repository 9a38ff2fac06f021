#pragma once

#include "WmfRecords.h"
#include "WmfState.h"

#include <QImage>
#include <QList>
#include <QPainter>
#include <QPolygonF>
#include <QStringList>

// Plays records onto a picture one at a time, keeping GDI's drawing state and charging every drawing
// call against a work budget. Text records are played in WmfText.cpp, bitmap and pattern transfers in
// WmfBitmaps.cpp, everything else in WmfPlayer.cpp.
namespace Wmf {

class Player {
public:
    // The image must already have the picture's natural size; it is drawn over, not cleared.
    Player(QByteArrayView data, const Layout& layout, QImage& image);

    // False with the reason in *error when a record is malformed or the drawing work runs out.
    bool run(QString* error);

private:
    // Each returns false, the record's verdict, after noting the reason.
    bool malformed(const QString& reason);
    bool tooShort();
    // Charges the work a drawing call will do, so a small file cannot keep the reader busy for minutes.
    bool charge(const QRectF& deviceBounds, qint64 extra = 0);

    void applyTools();
    // Qt rounds rectangle fills to int, so rectangles are cut to the picture (plus a margin) first.
    [[nodiscard]] QRectF onPicture(const QRectF& r, double margin = 0) const;
    // Wide pens make every segment of a line a filled shape of its own.
    [[nodiscard]] qint64 strokeCost(const QPolygonF& poly) const;
    // Pen half-width added to shape bounds for the work estimate.
    [[nodiscard]] QRectF strokeBounds(const QRectF& r) const;
    // GDI leaves the right and bottom edge out of a shape's box.
    [[nodiscard]] QRectF shapeRect(const QRectF& r) const;

    bool addObject(GdiObject obj);
    // Null, with the reason noted, when the record names no object in the table.
    GdiObject* objectAt(const Record& rec);
    bool points(const Record& rec, qsizetype first, qsizetype count, QPolygonF& out);

    bool play(const Record& rec);
    bool createFont(const Record& rec);
    bool polyPolygon(const Record& rec);
    bool arc(const Record& rec);

    bool patBlt(quint32 rop, int x, int y, int w, int h);
    bool blit(const Record& rec);

    bool extTextOut(const Record& rec);
    bool text(QByteArrayView bytes, int x, int y, quint16 opts, const QRectF& box, const QList<int>& dx);

    QByteArrayView data;
    const Layout& layout;
    QImage& image;
    QPainter painter;
    ObjectTable objects;
    std::vector<DcState> saved;
    DcState st;
    qint64 budget = 0;
    QStringList faces;
    QString why;
};

} // namespace Wmf
