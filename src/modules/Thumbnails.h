#pragma once

#include "core/ThumbnailNames.h"
#include "platform/Files.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>

// Makes the viewer's thumbnails on a pool of workers, reading and writing the desktop's shared thumbnail
// cache (core/ThumbnailNames) where the system has one. Only the paths last asked for are worked on, in
// the order given; work for a path no longer asked for is cancelled. At most kKept thumbnails are held,
// those asked for last among them.
class Thumbnails : public QObject {
    Q_OBJECT
public:
    struct Thumb {
        QImage image; // the thumbnail, or the placeholder; null when the work was cancelled
        bool placeholder = false;
        Platform::FileStamp stamp; // the file it was made from
        QString entry;             // the cache entry still to be written, if any
    };

    explicit Thumbnails(QObject* parent = nullptr);
    // Cancels everything and waits for the work under way to end.
    ~Thumbnails() override;

    // The cache read and written; empty keeps thumbnails in memory only. The system's by default.
    [[nodiscard]] QString cacheFolder() const { return cacheFolder_; }
    void setCacheFolder(const QString& folder);
    // What a picture may take decoded, as the viewer's budget (core/PictureBudget).
    void setBudget(qint64 bytes);
    [[nodiscard]] int threads() const { return threads_; }
    void setThreads(int threads);

    // The paths to make thumbnails for, the most wanted first (the first kKept); all other work is
    // cancelled.
    void want(const QStringList& paths);
    // The thumbnail held for `path`, or nullptr when it is not made yet.
    [[nodiscard]] const Thumb* find(const QString& path) const;
    [[nodiscard]] int heldCount() const { return int(held_.size()); }
    // Whether thumbnails are being made or written.
    [[nodiscard]] bool busy() const { return !running_.isEmpty() || pendingWrites_ > 0; }
    // Lets go of the thumbnails of files changed or gone since they were made.
    void revalidate();

    // Makes one thumbnail: the cache's entry when it is the file's, else a decode scaled to kSide within
    // the viewer's budget and refusals, written to the cache; the placeholder for a picture the viewer
    // refuses, a metafile, or anything not a regular file. Any thread.
    [[nodiscard]] static Thumb make(const QString& path, const QString& cacheFolder, qint64 budgetBytes,
                                    const std::atomic_bool& cancelled);
    [[nodiscard]] static QImage placeholder();

    static constexpr int kSide = ThumbnailNames::kNormal;
    static constexpr int kKept = 400;

signals:
    void ready(const QString& path);

private:
    using Flag = std::shared_ptr<std::atomic_bool>;
    struct Held {
        Thumb thumb;
        quint64 age = 0;
    };

    // make() without writing the entry; save() writes it.
    [[nodiscard]] static Thumb makeUnwritten(const QString& path, const QString& cacheFolder,
                                             qint64 budgetBytes, const std::atomic_bool& cancelled);
    static void save(const QString& path, Thumb& thumb);
    static void writeEntry(const QString& path, const QImage& image, const QByteArray& uri,
                           const Platform::FileStamp& stamp);

    static constexpr int kAhead = 64;
    static constexpr int kMakePriority = 1;
    static constexpr int kWritePriority = 0;
    // Thumbnails waiting to be written hold their pictures: a few hundred at most.
    static constexpr int kMaxPendingWrites = 256;

    void pump();
    void start(const QString& path);
    void finished(const QString& path, const Flag& flag, Thumb thumb);
    void trim();

    QThreadPool pool_;
    QString cacheFolder_;
    qint64 budget_;
    int threads_;
    QStringList wanted_;
    QSet<QString> wantedSet_;
    qsizetype next_ = 0;
    QHash<QString, Flag> running_;
    QHash<QString, Held> held_;
    quint64 age_ = 0;
    std::atomic_int pendingWrites_ = 0;
};
