#include "core/PictureBudget.h"

namespace PictureBudget {

QString megapixels(qint64 budgetBytes) {
    const qint64 tenths = (budgetBytes / kBytesPerPixel + 50000) / 100000;
    if (tenths % 10 == 0)
        return QString::number(tenths / 10);
    return QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}

} // namespace PictureBudget
