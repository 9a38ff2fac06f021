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
constexpr qsizetype kBatchChars = qsizetype(256) << 10;

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

// `best`, when given, ranks the rows by width as they are split.
bool readRowsUntil(QFile& file, bool trim, RowTable& rows, const std::function<bool()>& stopped,
                   const WidthRank* rank = nullptr, int count = 0, std::vector<qsizetype>* widest = nullptr) {
    // A file of bytes decodes to at most as many characters.
    RowSplitter splitter(trim, file.size());
    if (rank)
        splitter.rankWith(*rank, count);
    if (!decodeInPieces(file, stopped, [&splitter](const QString& text) { splitter.feed(text); }))
        return false;
    rows = splitter.finish();
    if (widest)
        *widest = splitter.widest();
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

// Hands the lines of decoded text over in batches, each line followed by LF, as they are found: CR LF,
// a lone CR and a lone LF each end a line, as DataText::splitLines has it.
class LineBatcher {
public:
    LineBatcher(Shared& shared, bool trim) : shared_(shared), trim_(trim) { batch_.reserve(kBatchChars); }

    // False once the load is cancelled.
    bool feed(QStringView text) {
        qsizetype start = 0;
        if (afterCr_ && !text.isEmpty()) {
            start = text[0] == u'\n' ? 1 : 0;
            afterCr_ = false;
        }
        // Lines that need no change (ended by LF alone, nothing to trim) are handed over as they stand,
        // a run of them at a time.
        qsizetype run = start;
        for (qsizetype i = start; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c > u'\r' || (c != u'\n' && c != u'\r'))
                continue;
            const QStringView found = text.sliced(start, i - start);
            if (c == u'\n' && partial_.isEmpty() &&
                (!trim_ || found.isEmpty() || (found.front() != u' ' && found.back() != u' '))) {
                ++inBatch_;
                start = i + 1;
                if (batch_.size() + (start - run) >= kBatchChars) {
                    batch_ += text.sliced(run, start - run);
                    run = start;
                    if (!push())
                        return false;
                }
                continue;
            }
            batch_ += text.sliced(run, start - run);
            if (!line(found))
                return false;
            if (c == u'\r') {
                if (i + 1 == text.size())
                    afterCr_ = true; // the LF of a CR LF may start the next piece
                else if (text[i + 1] == u'\n')
                    ++i;
            }
            start = run = i + 1;
        }
        batch_ += text.sliced(run, start - run);
        partial_ += text.sliced(start);
        return true;
    }

    // The last line counts without a line end.
    bool finish() {
        if (!partial_.isEmpty() && !line({}))
            return false;
        return inBatch_ == 0 || shared_.push(std::move(batch_), inBatch_);
    }

private:
    bool line(QStringView text) {
        QStringView whole = text;
        if (!partial_.isEmpty()) {
            partial_ += text;
            whole = partial_;
        }
        batch_ += trim_ ? RowTable::spacesTrimmed(whole) : whole;
        batch_ += u'\n';
        partial_.clear();
        ++inBatch_;
        return batch_.size() < kBatchChars || push();
    }

    bool push() {
        if (!shared_.push(std::move(batch_), inBatch_))
            return false;
        batch_ = QString();
        batch_.reserve(kBatchChars);
        inBatch_ = 0;
        return true;
    }

    Shared& shared_;
    bool trim_;
    QString partial_;
    bool afterCr_ = false;
    QString batch_;
    qsizetype inBatch_ = 0;
};

// Reads a file twice: once to tell its encoding, which needs the whole of it, then to decode it a piece
// at a time, so no more than a piece and a batch are held besides the line being read.
void work(const std::shared_ptr<Shared>& shared, QFile& file, bool trim) {
    LineBatcher batcher(*shared, trim);
    bool cancelled = false;
    const bool read = decodeInPieces(
        file, [&] { return cancelled || shared->stopped(); },
        [&](const QString& text) { cancelled = cancelled || !batcher.feed(text); });
    if (cancelled || !read)
        return shared->finish(false);
    if (!batcher.finish())
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
    // What has come since the last turn goes over as one batch: each append has a cost of its own
    // (the label's text and layout, the document's signals), whatever its size.
    QString text;
    qsizetype lines = 0;
    if (ready.size() == 1) {
        text = std::move(ready.front().first);
        lines = ready.front().second;
    } else if (!ready.empty()) {
        qsizetype size = 0;
        for (const auto& [t, n] : ready)
            size += t.size();
        text.reserve(size);
        for (auto& [t, n] : ready) {
            text += t;
            lines += n;
            t = QString();
        }
    }
    ready.clear();
    if (lines > 0) {
        emit batch(text, lines);
        // A receiver may start a newer load, which deletes this one.
        if (!self)
            return;
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
            std::vector<qsizetype> widest;
            const bool ok = readRowsUntil(
                *file, trim, rows, [&shared] { return shared->stopped(); }, &rank, ranked, &widest);
            file->close();
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
