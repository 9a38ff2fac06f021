#include "modules/SearchIndex.h"

#include "core/DataText.h"
#include "platform/Platform.h"

#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QSemaphore>
#include <QSet>
#include <QThreadPool>
#include <QTimer>

#include <atomic>

namespace {

// How long the worker reads before it hands what it has over: often enough for results to come as
// the files are read, seldom enough to cost the interface thread little.
constexpr qint64 kHandOverMs = 25;

struct Update {
    SearchSource source;
    QString path;
    Platform::FileStamp stamp;
    std::shared_ptr<const Search::Text> text;
    int order = 0;
};

} // namespace

struct SearchShared {
    QMutex mutex;
    std::vector<Update> ready;
    int looked = 0;
    bool passDone = false;
    std::vector<std::pair<int, QString>> livePaths; // in the catalogue's order, with their places
    qint64 passMs = 0;
    bool wakePending = false;
    std::atomic<bool> cancelled{false};
    SearchIndex* owner = nullptr; // valid while not cancelled; read under the mutex

    void wake() {
        if (wakePending || !owner)
            return;
        wakePending = true;
        QMetaObject::invokeMethod(owner, &SearchIndex::drain, Qt::QueuedConnection);
    }
};

namespace {

std::shared_ptr<const Search::Text> readText(const QString& path, bool trim, Platform::FileStamp& stamp) {
    QFile file;
    if (!TextLoad::open(path, file))
        return {};
    stamp = Platform::stampOpenFile(file);
    QByteArray bytes;
    if (Platform::readAll(file, TextLoad::kMaxFileBytes, bytes) != Platform::OpenResult::Ok)
        return {};
    QString decoded = DataText::decode(bytes);
    bytes = QByteArray();
    return std::make_shared<const Search::Text>(std::move(decoded), trim);
}

// One pass's files, shared by the threads reading them.
struct PassWork {
    QString folder;
    QList<SearchSource> sources;
    QHash<QString, Platform::FileStamp> known;
    std::atomic<int> next{0};
    std::atomic<int> looked{0};
    QMutex mutex; // guards live
    std::vector<std::pair<int, QString>> live;
    QSemaphore helperDone;
};

// Reads the files no other thread has taken, until none is left.
void readSome(SearchShared& shared, PassWork& work) {
    Platform::lowerThreadPriority();
    std::vector<Update> batch;
    std::vector<std::pair<int, QString>> live;
    QElapsedTimer sinceHandOver;
    sinceHandOver.start();
    const auto handOver = [&] {
        {
            QMutexLocker lock(&work.mutex);
            work.live.insert(work.live.end(), live.begin(), live.end());
        }
        live.clear();
        QMutexLocker lock(&shared.mutex);
        for (Update& u : batch)
            shared.ready.push_back(std::move(u));
        batch.clear();
        shared.looked = work.looked;
        shared.wake();
        sinceHandOver.restart();
    };
    while (!shared.cancelled) {
        const int i = work.next++;
        if (i >= work.sources.size())
            break;
        const SearchSource& source = work.sources[i];
        const QString path = TextLoad::locate(work.folder, source.file);
        const Platform::FileStamp now = Platform::stampFile(path);
        if (now.kind == Platform::OpenResult::Ok && now.size <= TextLoad::kMaxFileBytes) {
            if (const auto it = work.known.constFind(path); it != work.known.constEnd() && *it == now) {
                live.emplace_back(i, path);
            } else {
                Update u{source, path, {}, {}, i};
                u.text = readText(path, source.trim, u.stamp);
                // A file that turned into something else while it was read waits for the next pass.
                if (u.text) {
                    live.emplace_back(i, path);
                    batch.push_back(std::move(u));
                }
            }
        }
        ++work.looked;
        if (sinceHandOver.elapsed() >= kHandOverMs)
            handOver();
    }
    handOver();
}

void pass(const std::shared_ptr<SearchShared>& shared, const QString& folder,
          const SearchCatalogue& catalogue, const QHash<QString, Platform::FileStamp>& known) {
    QElapsedTimer passTime;
    passTime.start();
    auto work = std::make_shared<PassWork>();
    work->folder = folder;
    work->sources = catalogue(folder);
    work->known = known;
    // Reading and decoding is most of the work: a second reader on the other core, when one is free.
    const bool helper = SearchIndex::pool()->tryStart([shared, work] {
        readSome(*shared, *work);
        work->helperDone.release();
    });
    readSome(*shared, *work);
    if (helper)
        work->helperDone.acquire();
    if (shared->cancelled)
        return;
    std::sort(work->live.begin(), work->live.end());
    QMutexLocker lock(&shared->mutex);
    shared->passDone = true;
    shared->livePaths = std::move(work->live);
    shared->passMs = passTime.elapsed();
    shared->wake();
}

} // namespace

QThreadPool* SearchIndex::pool() {
    // Its own threads: the article reader's loads never wait behind a search.
    static QThreadPool threads;
    // Two readers and a query at once.
    threads.setMaxThreadCount(3);
    return &threads;
}

SearchIndex::SearchIndex(const QString& folder, SearchCatalogue catalogue, QObject* parent)
    : QObject(parent), folder_(folder), catalogue_(std::move(catalogue)),
      shared_(std::make_shared<SearchShared>()), next_(new QTimer(this)) {
    shared_->owner = this;
    next_->setSingleShot(true);
    connect(next_, &QTimer::timeout, this, &SearchIndex::startPass);
}

SearchIndex::~SearchIndex() {
    shared_->cancelled = true;
    QMutexLocker lock(&shared_->mutex);
    shared_->owner = nullptr;
}

void SearchIndex::start() {
    if (!passRunning_ && !next_->isActive())
        startPass();
}

void SearchIndex::startPass() {
    QHash<QString, Platform::FileStamp> known;
    known.reserve(byPath_.size());
    for (auto it = byPath_.cbegin(); it != byPath_.cend(); ++it)
        known.insert(it.key(), entries_[size_t(it.value())].stamp);
    passRunning_ = true;
    pool()->start([shared = shared_, folder = folder_, catalogue = catalogue_, known = std::move(known)] {
        pass(shared, folder, catalogue, known);
    });
}

QList<int> SearchIndex::live() const {
    QList<int> ids;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].text)
            ids.append(int(i));
    }
    std::sort(ids.begin(), ids.end(), [this](int a, int b) { return entries_[a].order < entries_[b].order; });
    return ids;
}

qsizetype SearchIndex::memory() const {
    qsizetype bytes = qsizetype(entries_.capacity() * sizeof(Entry));
    for (const Entry& e : entries_) {
        if (e.text)
            bytes += e.text->memory() + e.path.capacity() * 2 + e.source.where.capacity() * 2;
    }
    return bytes;
}

void SearchIndex::drain() {
    std::vector<Update> ready;
    int looked = 0;
    bool done = false;
    std::vector<std::pair<int, QString>> livePaths;
    qint64 passMs = 0;
    {
        QMutexLocker lock(&shared_->mutex);
        ready.swap(shared_->ready);
        looked = shared_->looked;
        done = std::exchange(shared_->passDone, false);
        livePaths = std::move(shared_->livePaths);
        shared_->livePaths.clear();
        passMs = shared_->passMs;
        shared_->wakePending = false;
    }
    QList<int> fresh;
    QSet<int> freshSet;
    for (Update& u : ready) {
        const auto it = byPath_.constFind(u.path);
        const int id = it != byPath_.constEnd() ? *it : int(entries_.size());
        if (id == int(entries_.size())) {
            entries_.push_back({});
            byPath_.insert(u.path, id);
        }
        Entry& e = entries_[size_t(id)];
        e.source = std::move(u.source);
        e.path = std::move(u.path);
        e.stamp = u.stamp;
        e.text = std::move(u.text);
        e.order = u.order;
        if (!freshSet.contains(id)) {
            freshSet.insert(id);
            fresh.append(id);
        }
    }
    if (!complete_)
        filesRead_ = looked;
    if (!fresh.isEmpty())
        emit added(fresh);
    if (done) {
        std::vector<bool> stay(entries_.size());
        bool moved = false;
        for (const auto& [order, path] : livePaths) {
            const int id = byPath_.value(path, -1);
            if (id < 0)
                continue;
            stay[size_t(id)] = true;
            moved = moved || entries_[size_t(id)].order != order;
            entries_[size_t(id)].order = order;
        }
        QList<int> gone;
        for (auto it = byPath_.begin(); it != byPath_.end();) {
            if (stay[size_t(it.value())]) {
                ++it;
                continue;
            }
            entries_[size_t(it.value())].text.reset();
            gone.append(it.value());
            it = byPath_.erase(it);
        }
        complete_ = true;
        passRunning_ = false;
        // A pass over many thousand files costs the worker time: it then runs less often.
        next_->start(int(qBound(qint64(kPassMs), passMs * 4, qint64(60000))));
        if (!gone.isEmpty())
            emit removed(gone);
        if (moved)
            emit reordered();
    }
    emit progress();
}
