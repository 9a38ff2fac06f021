#pragma once

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <algorithm>
#include <cmath>
#include <utility>
#include <variant>
#include <vector>

// The drawing state a metafile changes as it plays: the objects it creates and selects, colours, modes
// and the mapping from its logical coordinates to the picture's pixels.
namespace Wmf {

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

// The slots the header declares; a new object takes the first free one, as GDI hands out handles.
class ObjectTable {
public:
    explicit ObjectTable(int count) : entries(size_t(count)) {}

    // False when every slot is taken.
    bool add(GdiObject obj);
    // Null when the handle is outside the table.
    [[nodiscard]] GdiObject* at(quint16 handle);

private:
    std::vector<GdiObject> entries;
};

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

    [[nodiscard]] std::pair<double, double> scales() const {
        double sx = vpExt.x() / winExt.x(), sy = vpExt.y() / winExt.y();
        if (mapMode == 7) { // isotropic: one scale for both axes
            const double s = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(s, sx);
            sy = std::copysign(s, sy);
        }
        return {sx, sy};
    }
    [[nodiscard]] double scaleX() const { return scales().first; }
    [[nodiscard]] double scaleY() const { return scales().second; }
    [[nodiscard]] double meanScale() const { return (std::abs(scaleX()) + std::abs(scaleY())) / 2; }
    // Fixed map modes are played like anisotropic so that the picture still fills its frame.
    [[nodiscard]] QPointF map(double x, double y) const {
        const auto [sx, sy] = scales();
        return {vpOrg.x() + (x - winOrg.x()) * sx, vpOrg.y() + (y - winOrg.y()) * sy};
    }
    [[nodiscard]] QRectF mapRect(int l, int t, int r, int b) const {
        return QRectF(map(l, t), map(r, b)).normalized();
    }

    // The selected pen and brush as Qt draws them, the pen's width scaled to the picture.
    [[nodiscard]] QPen qpen() const;
    [[nodiscard]] QBrush qbrush() const;
    [[nodiscard]] bool penVisible() const { return (pen.style & 0x0F) != 5; }
};

} // namespace Wmf
