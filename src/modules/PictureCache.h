#pragma once

#include "platform/PictureFile.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

// Decodes the viewer's pictures off the interface thread and keeps the one shown and its two neighbours
// in the list, so stepping to a neighbour shows it at once. A small picked picture is decoded at once on
// the calling thread, which costs less than the trip to the worker and back. Decodes run on a pool of its
// own; each carries a job number and a cancel flag, and a result whose job is no longer wanted is dropped. A
// decoded picture is used only while its file is unchanged (size, times, identity); otherwise it is decoded
// again.
class PictureCache : public QObject {
    Q_OBJECT
public:
    // Turns a path into a picture on a worker thread; the flag is set when the result is no longer wanted.
    using Decoder = std::function<Platform::PictureLoad(const QString& path, qint64 budgetBytes,
                                                        const std::atomic_bool& cancelled)>;

    explicit PictureCache(QObject* parent = nullptr);
    // Drops the decodes not yet begun and waits for the one under way to end.
    ~PictureCache() override;

    // The picture the player picked, and its neighbours to decode next. `ready` follows for `path`: at
    // once when the outcome is known now (a fresh decoded picture, or a file that is gone, is no regular
    // file or cannot be looked at), else when its decode ends. A newer request replaces an older one
    // (whose outcome never comes), and pictures other than these three are let go.
    void request(const QString& path, const QStringList& neighbours);
    // Lets every picture go and forgets the pending request.
    void clear();

    // Paths whose decoded outcome is held.
    [[nodiscard]] QStringList held() const;

    [[nodiscard]] qint64 budget() const { return budget_; }
    void setBudget(qint64 bytes);
    // Replaces the decoder (tests count and hold decodes with it); the default is Platform::loadPicture.
    // Every decode then runs on the worker, small pictures too.
    void setDecoder(Decoder decoder);

    // A file changed this many times in a row while it was being decoded gets the last outcome anyway.
    static constexpr int kMaxRetries = 3;

signals:
    void ready(const QString& path, const Platform::PictureLoad& load);

private:
    struct Job {
        std::atomic_bool started = false;
        std::atomic_bool cancelled = false;
    };
    struct Entry {
        quint64 job = 0;
        std::shared_ptr<Job> state;
        bool done = false;
        int retries = 0;
        Platform::PictureLoad load;
    };

    // Decodes a small picture here; false when it is not small or changed meanwhile.
    bool decodeAtOnce(const QString& path, const Platform::FileStamp& now, Platform::PictureLoad& load);
    void start(const QString& path, bool first, int retries = 0);
    void finished(quint64 job, const QString& path, Platform::PictureLoad load);
    void drop(const QString& path);

    QThreadPool pool_;
    QHash<QString, Entry> entries_;
    QString wanted_;
    quint64 nextJob_ = 0;
    qint64 budget_;
    Decoder decoder_;
    std::function<std::optional<Platform::PictureLoad>(const QString& path, qint64 budgetBytes)> atOnce_;
};
