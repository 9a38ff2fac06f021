#include "WmfPlayer.h"

#include "WmfBitmaps.h"
#include "WmfReader.h"

#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace Wmf {

Player::Player(QByteArrayView data, const Layout& layout, QImage& image)
    : data(data), layout(layout), image(image), objects(layout.objectCount) {
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

bool Player::run(QString* error) {
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

bool Player::malformed(const QString& reason) {
    why = reason;
    return false;
}

bool Player::tooShort() {
    return malformed(QStringLiteral("A record is shorter than its fields."));
}

bool Player::charge(const QRectF& deviceBounds, qint64 extra) {
    const QRectF clipped = deviceBounds.normalized().intersected(QRectF(image.rect()));
    budget -= qint64(clipped.width() * clipped.height()) + extra + 1;
    if (budget < 0)
        return malformed(QStringLiteral("The metafile needs too much drawing work."));
    return true;
}

void Player::applyTools() {
    painter.setPen(st.qpen());
    painter.setBrush(st.qbrush());
    painter.setBackground(st.bkColor);
    painter.setBackgroundMode(st.bkOpaque ? Qt::OpaqueMode : Qt::TransparentMode);
}

QRectF Player::onPicture(const QRectF& r, double margin) const {
    return r.intersected(QRectF(image.rect()).adjusted(-margin, -margin, margin, margin));
}

qint64 Player::strokeCost(const QPolygonF& poly) const {
    if (!st.penVisible() || poly.size() < 2)
        return 0;
    const double w = st.qpen().widthF() + 1;
    const double area = double(image.width()) * image.height();
    double cost = 0;
    for (qsizetype i = 1; i < poly.size(); ++i)
        cost += std::min(area, (QLineF(poly[i - 1], poly[i]).length() + w) * w);
    return qint64(std::min(cost, 1e15));
}

QRectF Player::strokeBounds(const QRectF& r) const {
    const double m = st.penVisible() ? st.qpen().widthF() / 2 + 1 : 0;
    return r.adjusted(-m, -m, m, m);
}

QRectF Player::shapeRect(const QRectF& r) const {
    return st.penVisible() && r.width() > 1 && r.height() > 1 ? r.adjusted(0, 0, -1, -1) : r;
}

bool Player::addObject(GdiObject obj) {
    if (objects.add(std::move(obj)))
        return true;
    return malformed(QStringLiteral("The metafile creates more objects than its header declares."));
}

GdiObject* Player::objectAt(const Record& rec) {
    if (rec.words() < 1) {
        tooShort();
        return nullptr;
    }
    GdiObject* obj = objects.at(rec.u(0));
    if (!obj)
        malformed(QStringLiteral("An object handle is outside the object table."));
    return obj;
}

bool Player::points(const Record& rec, qsizetype first, qsizetype count, QPolygonF& out) {
    if (count < 0 || first + 2 * count > rec.words())
        return malformed(QStringLiteral("A point count does not fit its record."));
    out.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        out << st.map(rec.s(first + 2 * i), rec.s(first + 2 * i + 1));
    return true;
}

bool Player::play(const Record& rec) {
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
        if (scaled.x() != 0 && scaled.y() != 0 && std::abs(scaled.x()) <= 1e6 && std::abs(scaled.y()) <= 1e6)
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
        const QLineF line(st.map(st.current.x(), st.current.y()), st.map(to.x(), to.y()));
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
        const QRectF r = st.mapRect(rec.s(3), rec.s(2), rec.s(1), rec.s(0));
        if (!charge(strokeBounds(r)))
            return false;
        applyTools();
        if (rec.function == RECTANGLE)
            painter.drawRect(onPicture(shapeRect(r), st.qpen().widthF() + 2));
        else
            painter.drawEllipse(shapeRect(r));
        return true;
    }
    case ROUNDRECT: {
        if (n < 6)
            return tooShort();
        const QRectF r = st.mapRect(rec.s(5), rec.s(4), rec.s(3), rec.s(2));
        if (!charge(strokeBounds(r)))
            return false;
        applyTools();
        const double rx = std::abs(rec.s(1) * st.scaleX()) / 2, ry = std::abs(rec.s(0) * st.scaleY()) / 2;
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
        const QRectF cell(st.map(rec.s(3), rec.s(2)), st.map(rec.s(3) + 1, rec.s(2) + 1));
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

bool Player::createFont(const Record& rec) {
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

bool Player::polyPolygon(const Record& rec) {
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

bool Player::arc(const Record& rec) {
    if (rec.words() < 8)
        return tooShort();
    const QRectF r = shapeRect(st.mapRect(rec.s(7), rec.s(6), rec.s(5), rec.s(4)));
    if (!charge(strokeBounds(r)))
        return false;
    const double rx = r.width() / 2, ry = r.height() / 2;
    if (rx <= 0 || ry <= 0)
        return true;
    // GDI gives the ends as rays from the centre; QPainterPath wants angles on the ellipse's circle.
    const auto angle = [&](int x, int y) {
        const QPointF d = st.map(x, y) - r.center();
        return std::atan2(-d.y() / ry, d.x() / rx) * 180 / M_PI;
    };
    const double a1 = angle(rec.s(3), rec.s(2)), a2 = angle(rec.s(1), rec.s(0));
    // Counter-clockwise in logical space; a flipped axis turns that around on the picture.
    const bool flipped = st.scaleX() * st.scaleY() < 0;
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

} // namespace Wmf
