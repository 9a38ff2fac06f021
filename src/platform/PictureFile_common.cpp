#include "platform/PictureFile.h"

#include "core/BmpCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace Platform {

PictureLoad loadPicture(const QString& path) {
    PictureLoad result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.error = PictureError::NotFound;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.error() == QFileDevice::OpenError && !QFileInfo::exists(path)
                           ? PictureError::NotFound
                           : PictureError::Other;
        result.reason = file.errorString();
        return result;
    }
    if (BmpCheck::isTruncated(file.peek(BmpCheck::kHeaderBytes), file.size())) {
        result.error = PictureError::Invalid;
        result.reason = QStringLiteral("truncated");
        return result;
    }
    QImageReader::setAllocationLimit(kPictureAllocationLimitMb);
    QImageReader reader(&file, QFileInfo(path).suffix().toLatin1());
    reader.setDecideFormatFromContent(true);
    if (reader.read(&result.image))
        return result;
    result.image = {};
    result.reason = reader.errorString();
    switch (reader.error()) {
    case QImageReader::FileNotFoundError:
        result.error = PictureError::NotFound;
        break;
    case QImageReader::DeviceError:
        result.error = PictureError::Other;
        break;
    default:
        result.error = PictureError::Invalid;
        break;
    }
    return result;
}

} // namespace Platform
