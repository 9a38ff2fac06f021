#include "platform/PictureFile.h"

#include "core/BmpCheck.h"
#include "core/JpegScans.h"
#include "core/ThumbnailNames.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <limits>
#include <optional>

namespace Platform {

namespace {

PictureLoad failed(PictureLoad result, PictureError error, const QString& reason) {
    result.image = {};
    result.error = error;
    result.reason = reason;
    return result;
}

bool stopped(const std::atomic_bool* cancelled) {
    return cancelled && cancelled->load(std::memory_order_relaxed);
}

} // namespace

PictureError errorFor(OpenResult kind) {
    switch (kind) {
    case OpenResult::Ok:
        return PictureError::None;
    case OpenResult::Missing:
        return PictureError::NotFound;
    case OpenResult::NotRegular:
    case OpenResult::TooLarge:
        return PictureError::Invalid;
    case OpenResult::Failed:
        break;
    }
    return PictureError::Other;
}

void prepareReaders() {
    static const bool once = [] {
        QImageReader::setAllocationLimit(int(PictureBudget::kBytes >> 20));
        return true;
    }();
    Q_UNUSED(once);
}

namespace {

// Decodes unless the picture is larger than `maxPixels` (negative: any size) or is a metafile or tells
// no size; then nothing, and the picture is to be decoded elsewhere. A `side` above 0 decodes it scaled
// to fit that square.
std::optional<PictureLoad> load(const QString& path, qint64 budgetBytes, const std::atomic_bool* cancelled,
                                qint64 maxPixels, int side = 0) {
    prepareReaders();
    PictureLoad result;
    QFile file;
    QString why;
    const OpenResult opened = openRegularFile(path, file, std::numeric_limits<qint64>::max(), &why);
    if (opened != OpenResult::Ok) {
        result.stamp.kind = opened;
        return failed(std::move(result), errorFor(opened), why);
    }
    result.stamp = stampOpenFile(file);
    const qint64 fileBytes = file.size();
    if (BmpCheck::isTruncated(file.peek(BmpCheck::kHeaderBytes), fileBytes))
        return failed(std::move(result), PictureError::Invalid, QStringLiteral("truncated"));

    // Only the picture types the viewer offers, told by content. Other installed readers (PNG, MNG,
    // TIFF and the like) are not offered, and not all of them honour the allocation limit.
    static const QByteArrayList kOffered = {"bmp", "gif", "jpeg", "jpg", "ico", "cur", "wmf"};
    const QByteArray detected = QImageReader::imageFormat(&file).toLower();
    const QByteArray format = detected.isEmpty() ? QFileInfo(path).suffix().toLatin1().toLower() : detected;
    if (!kOffered.contains(format))
        return failed(std::move(result), PictureError::Invalid, QStringLiteral("not an offered type"));
    const bool jpeg = format == "jpeg" || format == "jpg";
    const bool raster = format != "wmf";
    if (side > 0 && !raster)
        return failed(std::move(result), PictureError::Invalid, QStringLiteral("a metafile"));

    // The header's size decides before anything is decoded.
    {
        QImageReader header(&file, format);
        header.setDecideFormatFromContent(false);
        result.size = header.size();
    }
    if (result.size.isValid()) {
        const QSize s = result.size;
        const qint64 density =
            jpeg ? PictureBudget::kMaxJpegPixelsPerFileByte : PictureBudget::kMaxPixelsPerFileByte;
        if (raster && !PictureBudget::plausible(s.width(), s.height(), fileBytes, density))
            return failed(std::move(result), PictureError::Invalid, QStringLiteral("size beyond the file"));
        if (!PictureBudget::fits(s.width(), s.height(), budgetBytes))
            return failed(std::move(result), PictureError::TooLarge, QStringLiteral("over the budget"));
    }
    if (maxPixels >= 0 &&
        (!raster || !result.size.isValid() || qint64(result.size.width()) * result.size.height() > maxPixels))
        return std::nullopt;
    if (!file.seek(0))
        return failed(std::move(result), PictureError::Other, file.errorString());

    // A JPEG is read whole (it is never larger than its decoded picture) so its scans can be counted.
    QByteArray bytes;
    QBuffer buffer;
    QIODevice* device = &file;
    if (jpeg) {
        const OpenResult read = readAll(file, budgetBytes, bytes);
        if (read != OpenResult::Ok)
            return failed(std::move(result), errorFor(read), file.errorString());
        const JpegScans::Walk stream = JpegScans::walk(bytes);
        if (stream.scans > JpegScans::kMaxScans)
            return failed(std::move(result), PictureError::Invalid, QStringLiteral("too many scans"));
        // Cut off in its coded data (a copy that broke): the decoder would fill the rest with grey.
        if (!stream.ended)
            return failed(std::move(result), PictureError::Invalid, QStringLiteral("truncated"));
        buffer.setBuffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        device = &buffer;
    }
    if (stopped(cancelled))
        return failed(std::move(result), PictureError::Other, QStringLiteral("cancelled"));

    QImageReader reader(device, format);
    reader.setDecideFormatFromContent(false);
    const QSize scaled = side > 0 ? ThumbnailNames::fitted(result.size, side) : QSize();
    if (scaled.isValid())
        reader.setScaledSize(scaled);
    if (reader.read(&result.image) && !result.image.isNull()) {
        const QSize s = result.image.size();
        if (!scaled.isValid())
            result.size = s;
        if (!PictureBudget::fits(s.width(), s.height(), budgetBytes))
            return failed(std::move(result), PictureError::TooLarge, QStringLiteral("over the budget"));
        return result;
    }
    const QString reason = reader.errorString();
    switch (reader.error()) {
    case QImageReader::FileNotFoundError:
        return failed(std::move(result), PictureError::NotFound, reason);
    case QImageReader::DeviceError:
        return failed(std::move(result), PictureError::Other, reason);
    default:
        break;
    }
    return failed(std::move(result), PictureError::Invalid, reason);
}

} // namespace

PictureLoad loadPicture(const QString& path, qint64 budgetBytes, const std::atomic_bool* cancelled) {
    return *load(path, budgetBytes, cancelled, -1);
}

PictureLoad loadScaledPicture(const QString& path, int side, qint64 budgetBytes,
                              const std::atomic_bool* cancelled) {
    PictureLoad result = *load(path, budgetBytes, cancelled, -1, std::max(side, 1));
    // A picture that told no size is decoded whole, and then made small.
    if (!result.image.isNull()) {
        const QSize fit = ThumbnailNames::fitted(result.image.size(), std::max(side, 1));
        if (fit != result.image.size())
            result.image = result.image.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return result;
}

std::optional<PictureLoad> loadSmallPicture(const QString& path, qint64 budgetBytes) {
    return load(path, budgetBytes, nullptr, kSmallPixels);
}

} // namespace Platform
