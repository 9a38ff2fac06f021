#include "modules/TextLoad.h"

#include "core/DataText.h"
#include "core/FileNames.h"
#include "platform/Files.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QPointer>
#include <QStringEncoder>
#include <QThreadPool>
#include <QWaitCondition>

#include <deque>
#include <functional>

namespace TextLoad {

namespace {

constexpr qint64 kPieceBytes = qint64(1) << 20;
// What a worker may hold for the interface thread before it waits, and the size of one batch: enough to
// keep the pane filling quickly, little enough to append within a frame or two.
constexpr qsizetype kMaxQueuedChars = qsizetype(1) << 20;
constexpr qsizetype kBatchChars = qsizetype(64) << 10;

QString cp950Name(const QString& name) {
    QStringEncoder encoder("windows-950");
    if (!encoder.isValid())
        return {};
    const QByteArray bytes = encoder.encode(name);
    return encoder.hasError() ? QString() : FileNames::fromBytes(bytes);
}

} // namespace

DataFile::DataFile(const QString& relativeName)
    : shown(relativeName), parts(relativeName.split(u'\\', Qt::SkipEmptyParts)) {}

DataFile DataFile::listed(const QString& folder, const QString& name) {
    DataFile file(folder);
    file.shown = folder + u'\\' + FileNames::display(name);
    file.parts.append(name);
    return file;
}

QString locate(const QString& folder, const DataFile& file) {
    QString path = folder;
    for (qsizetype i = 0; i < file.parts.size(); ++i) {
        const QString& part = file.parts[i];
        const QString base =
            path.endsWith(u'/') || path.endsWith(u'\\') || path.isEmpty() ? path : path + u'/';
        const bool last = i + 1 == file.parts.size();
        const auto present = [last](const QString& p) {
            return last ? Platform::statRegularFile(p) != Platform::OpenResult::Missing
                        : Platform::isFolder(p);
        };
        path = base + part;
        if (present(path))
            continue;
        const QString legacy = cp950Name(part);
        if (!legacy.isEmpty() && legacy != part && present(base + legacy))
            path = base + legacy;
    }
    return path;
}

bool open(const QString& path, QFile& file) {
    return Platform::openRegularFile(path, file, kMaxFileBytes) == Platform::OpenResult::Ok;
}

bool readLines(QFile& file, bool trim, QStringList& lines) {
    QByteArray bytes;
    if (Platform::readAll(file, kMaxFileBytes, bytes) != Platform::OpenResult::Ok)
        return false;
    lines = DataText::splitLines(DataText::decode(bytes));
    if (trim) {
        for (QString& line : lines)
            line = DataText::trimSpaces(line);
    }
    return true;
}

namespace {

// Tells the encoding of a file, which needs the whole of it, then decodes it a piece at a time into
// `feed`, so that no more than a piece is held besides what `feed` keeps. False when the file cannot be
// read to its end, or when `stopped` says so.
template <typename Feed> bool decodeInPieces(QFile& file, const std::function<bool()>& stopped, Feed&& feed) {
    DataText::EncodingSniffer sniffer;
    qint64 total = 0;
    while (true) {
        if (stopped())
            return false;
        const QByteArray piece = file.read(kPieceBytes);
        if (piece.isEmpty())
            break;
        total += piece.size();
        if (total > kMaxFileBytes)
            return false;
        sniffer.feed(piece);
    }
    if (file.error() != QFileDevice::NoError || !file.seek(0))
        return false;
    DataText::Decoder decoder(sniffer.result());
    for (qint64 read = 0; read < total;) {
        if (stopped())
            return false;
        const QByteArray piece = file.read(qMin(kPieceBytes, total - read));
        if (piece.isEmpty())
            return false;
        read += piece.size();
        feed(decoder.decode(piece));
    }
    feed(decoder.finish());
    return true;
}

bool readRowsUntil(QFile& file, bool trim, RowTable& rows, const std::function<bool()>& stopped) {
    // A file of bytes decodes to at most as many characters.
    RowSplitter splitter(trim, file.size());
    if (!decodeInPieces(file, stopped, [&splitter](const QString& text) { splitter.feed(text); }))
        return false;
    rows = splitter.finish();
    return true;
}

} // namespace

bool readRows(QFile& file, bool trim, RowTable& rows) {
    return readRowsUntil(file, trim, rows, [] { return false; });
}

struct Shared {
    QMutex mutex;
    QWaitCondition room;
    std::deque<std::pair<QString, qsizetype>> queue;
    qsizetype queuedChars = 0;
    bool wakePending = false;
    bool done = false;
    bool ok = true;
    bool cancelled = false;
    Progressive* owner = nullptr; // valid while not cancelled; read under the mutex

    // Hands a batch over, waiting while the interface thread is behind; false once cancelled.
    bool push(QString text, qsizetype lines) {
        QMutexLocker lock(&mutex);
        while (queuedChars > kMaxQueuedChars && !cancelled)
            room.wait(&mutex);
        if (cancelled)
            return false;
        queuedChars += text.size();
        queue.emplace_back(std::move(text), lines);
        wake();
        return true;
    }

    void finish(bool success) {
        QMutexLocker lock(&mutex);
        done = true;
        ok = success;
        if (!cancelled)
            wake();
    }

    [[nodiscard]] bool stopped() {
        QMutexLocker lock(&mutex);
        return cancelled;
    }

private:
    void wake() {
        if (wakePending || cancelled)
            return;
        wakePending = true;
        // Queued: runs on the interface thread; dropped by Qt if the load is deleted before it runs.
        QMetaObject::invokeMethod(owner, &Progressive::drain, Qt::QueuedConnection);
    }
};

namespace {

// Reads a file twice: once to tell its encoding, which needs the whole of it, then to decode it a piece
// at a time, so no more than a piece and a batch are held besides the line being read.
void work(const std::shared_ptr<Shared>& shared, QFile& file, bool trim) {
    DataText::EncodingSniffer sniffer;
    qint64 total = 0;
    while (true) {
        if (shared->stopped())
            return;
        const QByteArray piece = file.read(kPieceBytes);
        if (piece.isEmpty())
            break;
        total += piece.size();
        if (total > kMaxFileBytes)
            return shared->finish(false);
        sniffer.feed(piece);
    }
    if (file.error() != QFileDevice::NoError || !file.seek(0))
        return shared->finish(false);

    DataText::Decoder decoder(sniffer.result());
    DataText::LineSplitter splitter;
    QStringList lines;
    QString batch;
    qsizetype inBatch = 0;
    const auto take = [&]() {
        for (QString& line : lines) {
            batch += trim ? DataText::trimSpaces(line) : line;
            batch += u'\n';
            ++inBatch;
            line = QString();
            if (batch.size() >= kBatchChars) {
                if (!shared->push(std::move(batch), inBatch))
                    return false;
                batch = QString();
                inBatch = 0;
            }
        }
        lines.clear();
        return true;
    };
    for (qint64 read = 0; read < total;) {
        if (shared->stopped())
            return;
        const QByteArray piece = file.read(qMin(kPieceBytes, total - read));
        if (piece.isEmpty())
            return shared->finish(false);
        read += piece.size();
        splitter.feed(decoder.decode(piece), lines);
        if (!take())
            return;
    }
    splitter.feed(decoder.finish(), lines);
    splitter.finish(lines);
    if (!take())
        return;
    if (inBatch > 0 && !shared->push(std::move(batch), inBatch))
        return;
    shared->finish(true);
}

} // namespace

Progressive::Progressive(std::unique_ptr<QFile> file, bool trim, QObject* parent)
    : QObject(parent), shared_(std::make_shared<Shared>()) {
    shared_->owner = this;
    QThreadPool::globalInstance()->start([shared = shared_, file = std::shared_ptr<QFile>(std::move(file)),
                                          trim] { work(shared, *file, trim); });
}

Progressive::~Progressive() {
    QMutexLocker lock(&shared_->mutex);
    shared_->cancelled = true;
    shared_->owner = nullptr;
    shared_->queue.clear();
    shared_->queuedChars = 0;
    shared_->room.wakeAll();
}

void Progressive::drain() {
    std::deque<std::pair<QString, qsizetype>> ready;
    bool done = false;
    bool ok = true;
    {
        QMutexLocker lock(&shared_->mutex);
        ready.swap(shared_->queue);
        shared_->queuedChars = 0;
        shared_->wakePending = false;
        done = shared_->done;
        ok = shared_->ok;
        shared_->room.wakeAll();
    }
    QPointer<Progressive> self(this);
    for (auto& [text, lines] : ready) {
        emit batch(text, lines);
        // A receiver may start a newer load, which deletes this one.
        if (!self)
            return;
        text = QString();
    }
    if (done)
        emit finished(ok);
}

struct RowShared {
    QMutex mutex;
    bool cancelled = false;
    RowLoad* owner = nullptr; // valid while not cancelled; read under the mutex
    bool ok = false;
    RowTable rows;
    std::vector<qsizetype> widest;

    [[nodiscard]] bool stopped() {
        QMutexLocker lock(&mutex);
        return cancelled;
    }
};

RowLoad::RowLoad(std::unique_ptr<QFile> file, bool trim, const WidthRank& rank, int ranked, QObject* parent)
    : QObject(parent), shared_(std::make_shared<RowShared>()) {
    shared_->owner = this;
    QThreadPool::globalInstance()->start(
        [shared = shared_, file = std::shared_ptr<QFile>(std::move(file)), trim, rank, ranked] {
            RowTable rows;
            const bool ok = readRowsUntil(*file, trim, rows, [&shared] { return shared->stopped(); });
            file->close();
            std::vector<qsizetype> widest;
            if (ok)
                widest = rank.widest(rows, ranked);
            QMutexLocker lock(&shared->mutex);
            if (shared->cancelled)
                return; // the table goes with this task, off the interface thread
            shared->ok = ok;
            shared->rows = std::move(rows);
            shared->widest = std::move(widest);
            // Queued: runs on the interface thread; dropped by Qt if the load is deleted before it runs.
            QMetaObject::invokeMethod(shared->owner, &RowLoad::done, Qt::QueuedConnection);
        });
}

RowLoad::~RowLoad() {
    RowTable dropped;
    {
        QMutexLocker lock(&shared_->mutex);
        shared_->cancelled = true;
        shared_->owner = nullptr;
        dropped = std::move(shared_->rows);
    }
}

void RowLoad::done() {
    bool ok = false;
    {
        QMutexLocker lock(&shared_->mutex);
        ok = shared_->ok;
    }
    emit finished(ok);
}

RowTable RowLoad::takeRows() {
    QMutexLocker lock(&shared_->mutex);
    return std::move(shared_->rows);
}

std::vector<qsizetype> RowLoad::takeWidest() {
    QMutexLocker lock(&shared_->mutex);
    return std::move(shared_->widest);
}

} // namespace TextLoad
