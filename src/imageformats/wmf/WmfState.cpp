#include "WmfState.h"

#include "WmfReader.h"

#include <algorithm>

namespace Wmf {

bool ObjectTable::add(GdiObject obj) {
    for (auto& slot : entries) {
        if (std::holds_alternative<std::monostate>(slot)) {
            slot = std::move(obj);
            return true;
        }
    }
    return false;
}

GdiObject* ObjectTable::at(quint16 handle) {
    if (handle >= entries.size())
        return nullptr;
    return &entries[handle];
}

QPen DcState::qpen() const {
    const int style = pen.style & 0x0F;
    if (style == 5)
        return Qt::NoPen;
    const double w = std::min(pen.width * meanScale(), double(maxSide));
    QPen out(pen.color, w < 1 && pen.width > 0 ? 1 : w);
    static constexpr Qt::PenStyle styles[] = {Qt::SolidLine,   Qt::DashLine,       Qt::DotLine,
                                              Qt::DashDotLine, Qt::DashDotDotLine, Qt::NoPen};
    out.setStyle(style < 5 ? styles[style] : Qt::SolidLine);
    const int cap = pen.style & 0x0F00, join = pen.style & 0xF000;
    out.setCapStyle(cap == 0x0100 ? Qt::SquareCap : cap == 0x0200 ? Qt::FlatCap : Qt::RoundCap);
    out.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
    return out;
}

QBrush DcState::qbrush() const {
    switch (brush.style) {
    case 1: // BS_NULL
        return Qt::NoBrush;
    case 2: {
        static constexpr Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                     Qt::FDiagPattern, Qt::BDiagPattern,
                                                     Qt::CrossPattern, Qt::DiagCrossPattern};
        const int h = brush.hatch;
        return QBrush(brush.color, h >= 0 && h < 6 ? hatches[h] : Qt::SolidPattern);
    }
    case 3:
    case 5:
    case 6:
        if (!brush.pattern.isNull())
            return QBrush(brush.pattern);
        return QBrush(brush.color, Qt::Dense4Pattern); // a pattern we could not read
    default:
        return QBrush(brush.color);
    }
}

} // namespace Wmf
