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
    // Only the picture types the viewer offers, told by content. Other installed readers (PNG, MNG,
    // TIFF and the like) are not offered, and not all of them honour the allocation limit.
    static const QByteArrayList kOffered = {"bmp", "gif", "jpeg", "jpg", "ico", "cur", "wmf"};
    const QByteArray detected = QImageReader::imageFormat(&file).toLower();
    const QByteArray format = detected.isEmpty() ? QFileInfo(path).suffix().toLatin1().toLower() : detected;
    QImageReader reader(&file, format);
    reader.setDecideFormatFromContent(false);
    const qint64 limitBytes = qint64(kPictureAllocationLimitMb) << 20;
    const auto tooLarge = [limitBytes](QSize s) {
        return s.isValid() && qint64(s.width()) * s.height() * 4 > limitBytes;
    };
    if (!kOffered.contains(format) || tooLarge(reader.size())) {
        result.error = PictureError::Invalid;
        result.reason = QStringLiteral("not an offered picture type, or too large");
        return result;
    }
    if (reader.read(&result.image) && !result.image.isNull() && !tooLarge(result.image.size()))
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
