#include "modules/Thumbnails.h"

#include "core/PictureBudget.h"
#include "core/Version.h"
#include "platform/PictureFile.h"
#include "platform/ThumbnailFolder.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QThread>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace {

// A cache entry is a small PNG; anything larger, or claiming a larger picture, is not one of ours to read.
constexpr qint64 kMaxEntryBytes = qint64(4) << 20;
constexpr int kMaxEntrySide = 4 * ThumbnailNames::kLarge;

qint64 seconds(qint64 ns) {
    constexpr qint64 kNs = 1'000'000'000;
    return ns >= 0 ? ns / kNs : -((-ns + kNs - 1) / kNs);
}

// The entry at `path` when its keys name this file as it is.
std::optional<QImage> readEntry(const QString& path, const QByteArray& uri, qint64 mtime) {
    QFile file;
    if (Platform::openRegularFile(path, file, kMaxEntryBytes) != Platform::OpenResult::Ok)
        return std::nullopt;
    QImageReader reader(&file, "png");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxEntrySide || size.height() > kMaxEntrySide)
        return std::nullopt;
    // The reader's own text() splits keys at their first colon, which "Thumb::URI" holds: the keys are
    // read from the picture.
    QImage image;
    if (!reader.read(&image) || image.isNull() ||
        !ThumbnailNames::matches(image.text(QStringLiteral("Thumb::URI")),
                                 image.text(QStringLiteral("Thumb::MTime")), uri, mtime))
        return std::nullopt;
    return image;
}

// Painted fast: no alpha where the picture has none, premultiplied where it has.
QImage forPainting(QImage image) {
    if (image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

void Thumbnails::writeEntry(const QString& path, const QImage& image, const QByteArray& uri,
                            const Platform::FileStamp& stamp) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Light compression: a thumbnail is small either way, and the worker's time is the player's wait.
    writer.setQuality(80);
    if (!writer.write(image))
        return;
    const QByteArray png = ThumbnailNames::withTextChunks(
        buffer.data(), {{"Thumb::URI", uri},
                        {"Thumb::MTime", QByteArray::number(seconds(stamp.modifiedNs))},
                        {"Thumb::Size", QByteArray::number(stamp.size)},
                        {"Software", "qmquery " + Version::text().toLatin1()}});
    Platform::writeThumbnailEntry(path, png);
}

Thumbnails::Thumbnails(QObject* parent)
    : QObject(parent), cacheFolder_(Platform::sharedThumbnailFolder()), budget_(PictureBudget::kBytes),
      threads_(std::clamp(QThread::idealThreadCount(), 1, 4)) {
    Platform::prepareReaders();
    pool_.setMaxThreadCount(threads_);
}

Thumbnails::~Thumbnails() {
    want({});
    pool_.clear();
    pool_.waitForDone();
}

void Thumbnails::setCacheFolder(const QString& folder) {
    cacheFolder_ = folder;
    held_.clear();
}

void Thumbnails::setBudget(qint64 bytes) {
    budget_ = bytes;
    held_.clear();
}

void Thumbnails::setThreads(int threads) {
    threads_ = std::max(threads, 1);
    pool_.setMaxThreadCount(threads_);
}

QImage Thumbnails::placeholder() {
    static const QImage image = [] {
        QImage p(kSide, kSide * 3 / 4, QImage::Format_RGB32);
        p.fill(QColor(224, 224, 224));
        QPainter painter(&p);
        painter.setPen(QColor(160, 160, 160));
        painter.drawRect(p.rect().adjusted(0, 0, -1, -1));
        // A crossed frame: a picture that is not shown here.
        painter.drawLine(p.rect().topLeft(), p.rect().bottomRight());
        painter.drawLine(p.rect().bottomLeft(), p.rect().topRight());
        return p;
    }();
    return image;
}

Thumbnails::Thumb Thumbnails::make(const QString& path, const QString& cacheFolder, qint64 budgetBytes,
                                   const std::atomic_bool& cancelled) {
    Thumb thumb = makeUnwritten(path, cacheFolder, budgetBytes, cancelled);
    save(path, thumb);
    return thumb;
}

void Thumbnails::save(const QString& path, Thumb& thumb) {
    if (thumb.entry.isEmpty())
        return;
    writeEntry(thumb.entry, thumb.image, ThumbnailNames::fileUri(QDir::fromNativeSeparators(path)),
               thumb.stamp);
    thumb.entry.clear();
}

Thumbnails::Thumb Thumbnails::makeUnwritten(const QString& path, const QString& cacheFolder,
                                            qint64 budgetBytes, const std::atomic_bool& cancelled) {
    Thumb thumb;
    thumb.stamp = Platform::stampFile(path);
    const auto refused = [&thumb] {
        thumb.image = placeholder();
        thumb.placeholder = true;
        return thumb;
    };
    if (thumb.stamp.kind != Platform::OpenResult::Ok)
        return refused();
    const QByteArray uri = ThumbnailNames::fileUri(QDir::fromNativeSeparators(path));
    // The cache's own files are never given thumbnails, which would feed on themselves.
    const bool shared =
        !cacheFolder.isEmpty() && !QDir::fromNativeSeparators(path).startsWith(cacheFolder + u'/');
    if (shared) {
        const qint64 mtime = seconds(thumb.stamp.modifiedNs);
        for (const QString& entry :
             {ThumbnailNames::normalPath(cacheFolder, uri), ThumbnailNames::largePath(cacheFolder, uri)}) {
            if (std::optional<QImage> image = readEntry(entry, uri, mtime)) {
                const QSize fit = ThumbnailNames::fitted(image->size(), kSide);
                if (fit != image->size())
                    *image = image->scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                thumb.image = forPainting(std::move(*image));
                return thumb;
            }
        }
        if (readEntry(ThumbnailNames::failPath(cacheFolder, uri), uri, mtime))
            return refused();
    }
    if (cancelled)
        return {};
    Platform::PictureLoad load = Platform::loadScaledPicture(path, kSide, budgetBytes, &cancelled);
    if (cancelled)
        return {};
    thumb.stamp = load.stamp;
    switch (load.error) {
    case Platform::PictureError::None:
        thumb.image = forPainting(std::move(load.image));
        if (shared)
            thumb.entry = ThumbnailNames::normalPath(cacheFolder, uri);
        return thumb;
    case Platform::PictureError::Invalid:
    case Platform::PictureError::TooLarge:
        // Kept for this version, so a broken picture is not decoded again each time it is shown.
        if (shared && thumb.stamp.kind == Platform::OpenResult::Ok) {
            QImage mark(1, 1, QImage::Format_ARGB32);
            mark.fill(Qt::transparent);
            writeEntry(ThumbnailNames::failPath(cacheFolder, uri), mark, uri, thumb.stamp);
        }
        break;
    case Platform::PictureError::NotFound:
    case Platform::PictureError::Other:
        break;
    }
    return refused();
}

void Thumbnails::want(const QStringList& paths) {
    // No more than can be held: what would be made beyond would only push out what is on screen.
    wanted_ = paths.mid(0, kKept);
    wantedSet_ = QSet<QString>(wanted_.cbegin(), wanted_.cend());
    next_ = 0;
    for (auto it = running_.begin(); it != running_.end();) {
        if (wantedSet_.contains(it.key())) {
            ++it;
            continue;
        }
        it.value()->store(true);
        it = running_.erase(it);
    }
    pump();
}

const Thumbnails::Thumb* Thumbnails::find(const QString& path) const {
    const auto it = held_.constFind(path);
    return it == held_.cend() ? nullptr : &it->thumb;
}

void Thumbnails::revalidate() {
    for (auto it = held_.begin(); it != held_.end();) {
        if (Platform::stampFile(it.key()) == it->thumb.stamp)
            ++it;
        else
            it = held_.erase(it);
    }
    next_ = 0;
    pump();
}

void Thumbnails::pump() {
    // Well ahead of the workers, so none waits for the interface (busy painting what came) to hand it the
    // next; the pool takes them in the order given.
    while (running_.size() < kAhead && next_ < wanted_.size()) {
        const QString& path = wanted_.at(next_++);
        if (!held_.contains(path) && !running_.contains(path))
            start(path);
    }
}

void Thumbnails::start(const QString& path) {
    const Flag flag = std::make_shared<std::atomic_bool>(false);
    running_.insert(path, flag);
    // The worker reads only what it was given; `this` is used to post the result back, and the pool is
    // drained before this object goes.
    pool_.start(
        [this, path, flag, folder = cacheFolder_, budget = budget_] {
            if (*flag)
                return;
            Thumb thumb = makeUnwritten(path, folder, budget, *flag);
            if (*flag)
                return;
            // Shown first and written after: the cache is for next time.
            QString entry = std::exchange(thumb.entry, {});
            const QImage image = thumb.image;
            const Platform::FileStamp stamp = thumb.stamp;
            QMetaObject::invokeMethod(
                this,
                [this, path, flag, thumb = std::move(thumb)]() mutable {
                    finished(path, flag, std::move(thumb));
                },
                Qt::QueuedConnection);
            if (entry.isEmpty())
                return;
            const QByteArray uri = ThumbnailNames::fileUri(QDir::fromNativeSeparators(path));
            // Written when no thumbnail waits to be made, unless too many pictures wait to be written
            // already.
            if (pendingWrites_.fetch_add(1) < kMaxPendingWrites) {
                pool_.start(
                    [this, entry, image, uri, stamp] {
                        writeEntry(entry, image, uri, stamp);
                        --pendingWrites_;
                    },
                    kWritePriority);
                return;
            }
            --pendingWrites_;
            writeEntry(entry, image, uri, stamp);
        },
        kMakePriority);
}

void Thumbnails::finished(const QString& path, const Flag& flag, Thumb thumb) {
    const auto it = running_.constFind(path);
    if (it == running_.cend() || it.value() != flag)
        return;
    running_.erase(it);
    if (!thumb.image.isNull()) {
        held_.insert(path, {std::move(thumb), ++age_});
        trim();
        emit ready(path);
    }
    pump();
}

void Thumbnails::trim() {
    if (held_.size() <= kKept)
        return;
    // The oldest of those no longer asked for go first; a tenth at once, so this runs seldom.
    std::vector<std::pair<quint64, QString>> old;
    for (auto it = held_.cbegin(); it != held_.cend(); ++it) {
        if (!wantedSet_.contains(it.key()))
            old.emplace_back(it->age, it.key());
    }
    std::sort(old.begin(), old.end());
    qsizetype excess = held_.size() - kKept + kKept / 10;
    for (const auto& [age, path] : old) {
        if (excess-- <= 0)
            break;
        held_.remove(path);
    }
}
