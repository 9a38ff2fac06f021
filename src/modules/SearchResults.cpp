#include "modules/SearchResults.h"

#include "modules/SearchIndex.h"
#include "platform/Platform.h"

#include <QElapsedTimer>
#include <QMutex>
#include <QPoint>
#include <QSet>
#include <QThreadPool>

#include <atomic>

namespace {

constexpr qint64 kHandOverMs = 25;

} // namespace

struct SearchResults::Found {
    quint64 generation;
    int entry;
    std::shared_ptr<const Search::Text> text; // what was searched: a file read since is searched again
    std::vector<Search::Hit> hits;
};

struct QueryShared {
    QMutex mutex;
    std::vector<SearchResults::Found> ready;
    std::vector<quint64> jobsDone; // the query of each job that ended
    bool wakePending = false;
    std::atomic<quint64> generation{0};
    SearchResults* owner = nullptr;

    void wake() {
        if (wakePending || !owner)
            return;
        wakePending = true;
        QMetaObject::invokeMethod(owner, &SearchResults::drain, Qt::QueuedConnection);
    }
};

SearchResults::SearchResults(SearchIndex* index, QObject* parent)
    : QAbstractListModel(parent), index_(index), shared_(std::make_shared<QueryShared>()) {
    shared_->owner = this;
    connect(index_, &SearchIndex::added, this, [this](const QList<int>& ids) {
        drop(ids);
        search(ids);
    });
    connect(index_, &SearchIndex::removed, this, &SearchResults::drop);
    connect(index_, &SearchIndex::reordered, this, &SearchResults::resort);
}

SearchResults::~SearchResults() {
    shared_->generation = ~quint64(0);
    QMutexLocker lock(&shared_->mutex);
    shared_->owner = nullptr;
}

void SearchResults::setQuery(const QString& query) {
    const QStringList words = Search::words(query);
    if (words == words_ && generation_ > 0)
        return;
    words_ = words;
    shared_->generation = ++generation_;
    pending_ = 0;
    const QList<int> ids = index_->live();
    const bool here = !words_.isEmpty() && small(ids, kSearchHereChars);
    beginResetModel();
    rows_.clear();
    rows_.shrink_to_fit();
    // A small index is searched at once, in order: no thread to wait for, one reset for all rows.
    if (here) {
        for (int id : ids) {
            std::vector<Search::Hit> hits;
            index_->entry(id).text->find(words_, hits);
            for (const Search::Hit& hit : hits)
                rows_.push_back({id, hit});
        }
    }
    endResetModel();
    if (!here)
        search(ids);
    if (pending_ == 0)
        emit finished();
}

bool SearchResults::small(const QList<int>& ids, qsizetype most) const {
    qsizetype chars = 0;
    for (int id : ids) {
        if (const auto& text = index_->entry(id).text)
            chars += text->size();
    }
    return chars <= most;
}

void SearchResults::search(const QList<int>& ids) {
    if (words_.isEmpty() || ids.isEmpty())
        return;
    // Files read while the query stands come every few milliseconds: only a little is searched here, so
    // the interface thread stays free while a large folder is read.
    if (small(ids, kSearchHereChars / 16)) {
        for (int id : ids) {
            const auto& text = index_->entry(id).text;
            if (!text)
                continue;
            Found found{generation_, id, text, {}};
            text->find(words_, found.hits);
            insert(found);
        }
        return;
    }
    std::vector<std::pair<int, std::shared_ptr<const Search::Text>>> files;
    files.reserve(size_t(ids.size()));
    for (int id : ids) {
        if (const auto& text = index_->entry(id).text)
            files.emplace_back(id, text);
    }
    ++pending_;
    SearchIndex::pool()->start(
        [shared = shared_, generation = generation_, words = words_, files = std::move(files)] {
            Platform::lowerThreadPriority();
            QElapsedTimer sinceHandOver;
            sinceHandOver.start();
            std::vector<SearchResults::Found> found;
            const auto handOver = [&](bool done) {
                QMutexLocker lock(&shared->mutex);
                for (SearchResults::Found& f : found)
                    shared->ready.push_back(std::move(f));
                found.clear();
                if (done)
                    shared->jobsDone.push_back(generation);
                shared->wake();
                sinceHandOver.restart();
            };
            for (const auto& [id, text] : files) {
                if (shared->generation != generation)
                    break;
                std::vector<Search::Hit> hits;
                text->find(words, hits);
                if (!hits.empty())
                    found.push_back({generation, id, text, std::move(hits)});
                if (sinceHandOver.elapsed() >= kHandOverMs)
                    handOver(false);
            }
            handOver(true);
        });
}

bool SearchResults::before(const Row& a, const Row& b) const {
    const int oa = index_->entry(a.entry).order;
    const int ob = index_->entry(b.entry).order;
    if (oa != ob)
        return oa < ob;
    if (a.entry != b.entry)
        return a.entry < b.entry;
    return a.hit.line < b.hit.line;
}

void SearchResults::insert(const Found& f) {
    // An older query's rows, or a file's text that has since been read again, are not shown.
    if (f.hits.empty() || f.generation != generation_ || index_->entry(f.entry).text != f.text)
        return;
    const Row first{f.entry, f.hits.front()};
    const auto at = std::lower_bound(rows_.begin(), rows_.end(), first,
                                     [this](const Row& a, const Row& b) { return before(a, b); });
    const int pos = int(at - rows_.begin());
    beginInsertRows(QModelIndex(), pos, pos + int(f.hits.size()) - 1);
    std::vector<Row> rows;
    rows.reserve(f.hits.size());
    for (const Search::Hit& hit : f.hits)
        rows.push_back({f.entry, hit});
    rows_.insert(rows_.begin() + pos, rows.begin(), rows.end());
    endInsertRows();
}

void SearchResults::drain() {
    std::vector<Found> ready;
    std::vector<quint64> jobsDone;
    {
        QMutexLocker lock(&shared_->mutex);
        ready.swap(shared_->ready);
        jobsDone.swap(shared_->jobsDone);
        shared_->wakePending = false;
    }
    for (const Found& f : ready)
        insert(f);
    const bool wasSearching = pending_ > 0;
    pending_ -= int(std::count(jobsDone.begin(), jobsDone.end(), generation_));
    if (wasSearching && pending_ == 0)
        emit finished();
}

void SearchResults::drop(const QList<int>& ids) {
    if (ids.isEmpty() || rows_.empty())
        return;
    const QSet<int> gone(ids.begin(), ids.end());
    // A file's rows lie together: remove them run by run, from the end.
    for (int i = int(rows_.size()) - 1; i >= 0;) {
        if (!gone.contains(rows_[size_t(i)].entry)) {
            --i;
            continue;
        }
        int first = i;
        while (first > 0 && gone.contains(rows_[size_t(first - 1)].entry))
            --first;
        beginRemoveRows(QModelIndex(), first, i);
        rows_.erase(rows_.begin() + first, rows_.begin() + i + 1);
        endRemoveRows();
        i = first - 1;
    }
}

void SearchResults::resort() {
    emit layoutAboutToBeChanged();
    std::stable_sort(rows_.begin(), rows_.end(), [this](const Row& a, const Row& b) { return before(a, b); });
    emit layoutChanged();
}

QString SearchResults::matched(int index) const {
    const Row& r = rows_[size_t(index)];
    const auto& text = index_->entry(r.entry).text;
    return text ? text->line(r.hit.line, r.hit.column, r.hit.column + r.hit.length) : QString();
}

int SearchResults::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant SearchResults::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != kMatchRole)
        return {};
    const Row& r = rows_[size_t(index.row())];
    const SearchIndex::Entry& e = index_->entry(r.entry);
    if (!e.text)
        return {};
    const Search::Span span =
        Search::excerpt(e.text->lineLength(r.hit.line), r.hit.column, r.hit.length, kExcerptChars);
    const QString lead = e.source.where + QStringLiteral("：");
    const QString before = span.from > 0 ? QStringLiteral("…") : QString();
    const QString line = e.text->line(r.hit.line, span.from, span.to);
    const QString after = span.to < e.text->lineLength(r.hit.line) ? QStringLiteral("…") : QString();
    if (role == kMatchRole)
        return QPoint(int(lead.size() + before.size() + r.hit.column - span.from), r.hit.length);
    return lead + before + line + after;
}
