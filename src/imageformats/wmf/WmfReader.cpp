#include "WmfReader.h"

#include "WmfPlayer.h"
#include "WmfRecords.h"

namespace Wmf {

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
