#include "modules/PictureCache.h"

#include <QSet>

namespace {

Platform::PictureLoad outcomeOf(const Platform::FileStamp& now) {
    Platform::PictureLoad load;
    load.stamp = now;
    load.error = Platform::errorFor(now.kind);
    return load;
}

// Outcomes read from the file itself hold while the file is unchanged. A file that was gone, could not
// be read or could not even be looked at is looked at again when it is picked.
bool keepable(const Platform::PictureLoad& load) {
    return load.stamp.kind == Platform::OpenResult::Ok &&
           (load.error == Platform::PictureError::None || load.error == Platform::PictureError::Invalid ||
            load.error == Platform::PictureError::TooLarge);
}

} // namespace

PictureCache::PictureCache(QObject* parent)
    : QObject(parent), budget_(PictureBudget::kBytes),
      decoder_([](const QString& path, qint64 budget, const std::atomic_bool& cancelled) {
          return Platform::loadPicture(path, budget, &cancelled);
      }),
      atOnce_([](const QString& path, qint64 budget) { return Platform::loadSmallPicture(path, budget); }) {
    Platform::prepareReaders();
    // One decode at a time, the picked picture before its neighbours: stepping at a steady pace needs one
    // new decode a step, the interface keeps a core, and at most four decoded pictures exist at once.
    pool_.setMaxThreadCount(1);
}

PictureCache::~PictureCache() {
    clear();
    pool_.clear();
    pool_.waitForDone();
}

void PictureCache::drop(const QString& path) {
    const auto it = entries_.constFind(path);
    if (it == entries_.cend())
        return;
    if (it->state)
        it->state->cancelled = true;
    entries_.erase(it);
}

void PictureCache::clear() {
    for (const Entry& e : std::as_const(entries_)) {
        if (e.state)
            e.state->cancelled = true;
    }
    entries_.clear();
    wanted_.clear();
}

QStringList PictureCache::held() const {
    QStringList paths;
    for (auto it = entries_.cbegin(); it != entries_.cend(); ++it) {
        if (it->done)
            paths.append(it.key());
    }
    paths.sort();
    return paths;
}

void PictureCache::setBudget(qint64 bytes) {
    clear();
    budget_ = bytes;
}

void PictureCache::setDecoder(Decoder decoder) {
    clear();
    decoder_ = std::move(decoder);
    atOnce_ = {};
}

void PictureCache::request(const QString& path, const QStringList& neighbours) {
    QSet<QString> keep{path};
    for (const QString& n : neighbours) {
        if (!n.isEmpty())
            keep.insert(n);
    }
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (keep.contains(it.key())) {
            ++it;
            continue;
        }
        if (it->state)
            it->state->cancelled = true;
        it = entries_.erase(it);
    }

    wanted_ = path;
    // Whatever was decoded before, the outcome is the file's as it is now.
    const Platform::FileStamp now = Platform::stampFile(path);
    bool readyNow = now.kind != Platform::OpenResult::Ok;
    Platform::PictureLoad load = outcomeOf(now);
    const auto it = entries_.constFind(path);
    bool decode = false;
    if (readyNow) {
        drop(path);
    } else if (it == entries_.cend()) {
        decode = true;
    } else if (it->done) {
        if (it->load.stamp == now) {
            readyNow = true;
            load = it->load;
        } else {
            decode = true;
        }
    } else if (!it->state->started) {
        // Queued behind a neighbour: it goes first now.
        decode = true;
    }
    if (decode) {
        readyNow = decodeAtOnce(path, now, load);
        if (!readyNow)
            start(path, true);
    }
    for (const QString& n : neighbours) {
        if (!n.isEmpty() && n != path && !entries_.contains(n))
            start(n, false);
    }
    // Last, as a message box shown for the outcome runs the event loop, and other results with it.
    if (readyNow) {
        wanted_.clear();
        emit ready(path, load);
    }
}

bool PictureCache::decodeAtOnce(const QString& path, const Platform::FileStamp& now,
                                Platform::PictureLoad& load) {
    if (!atOnce_)
        return false;
    std::optional<Platform::PictureLoad> decoded = atOnce_(path, budget_);
    // Changed since it was looked at: the worker decodes it again until it holds still.
    if (!decoded || decoded->stamp != now)
        return false;
    drop(path);
    if (keepable(*decoded)) {
        Entry entry;
        entry.job = ++nextJob_;
        entry.done = true;
        entry.load = *decoded;
        entries_.insert(path, std::move(entry));
    }
    load = std::move(*decoded);
    return true;
}

void PictureCache::start(const QString& path, bool first, int retries) {
    drop(path);
    Entry entry;
    entry.job = ++nextJob_;
    entry.state = std::make_shared<Job>();
    entry.retries = retries;
    const quint64 job = entry.job;
    const std::shared_ptr<Job> state = entry.state;
    entries_.insert(path, std::move(entry));
    // The worker reads only what it was given; `this` is used to post the result back, and the pool is
    // drained before this object goes.
    pool_.start(
        [this, job, state, path, budget = budget_, decoder = decoder_] {
            state->started = true;
            if (state->cancelled)
                return;
            Platform::PictureLoad load = decoder(path, budget, state->cancelled);
            if (state->cancelled)
                return;
            QMetaObject::invokeMethod(
                this,
                [this, job, path, load = std::move(load)]() mutable { finished(job, path, std::move(load)); },
                Qt::QueuedConnection);
        },
        first ? 1 : 0);
}

void PictureCache::finished(quint64 job, const QString& path, Platform::PictureLoad load) {
    const auto it = entries_.find(path);
    if (it == entries_.end() || it->job != job)
        return;
    if (path != wanted_) {
        if (keepable(load)) {
            it->done = true;
            it->load = std::move(load);
        } else {
            entries_.erase(it);
        }
        return;
    }
    const Platform::FileStamp now = Platform::stampFile(path);
    if (now.kind != Platform::OpenResult::Ok) {
        // Gone, or no longer a file, since it was decoded.
        load = outcomeOf(now);
    } else if (now != load.stamp && it->retries < kMaxRetries) {
        // Written to or replaced while it was decoded: what was read may be half old, half new.
        start(path, true, it->retries + 1);
        return;
    }
    if (keepable(load)) {
        it->done = true;
        it->load = load;
    } else {
        entries_.erase(it);
    }
    wanted_.clear();
    emit ready(path, load);
}
