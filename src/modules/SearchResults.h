#pragma once

#include "core/Search.h"

#include <QAbstractListModel>
#include <QStringList>

#include <memory>
#include <vector>

class SearchIndex;
struct QueryShared;

// The lines of the index that hold every word of the query, one row each, in the index's order. Queries
// run on a worker; a newer query, or a file read again, drops what an older search still delivers.
// Files the index reads while a query stands are searched as they come.
class SearchResults : public QAbstractListModel {
    Q_OBJECT
public:
    explicit SearchResults(SearchIndex* index, QObject* parent = nullptr);
    ~SearchResults() override;

    // Characters of a long line shown around its match.
    static constexpr qsizetype kExcerptChars = 160;
    // An index of up to this many characters is searched on the interface thread, at once.
    static constexpr qsizetype kSearchHereChars = qsizetype(1) << 20;
    // The matched text's place in the row's text, for painting it out.
    static constexpr int kMatchRole = Qt::UserRole;

    void setQuery(const QString& query);
    [[nodiscard]] const QStringList& words() const { return words_; }
    // Whether a search is still running for the query.
    [[nodiscard]] bool searching() const { return pending_ > 0; }

    struct Row {
        qint32 entry;
        Search::Hit hit;
    };
    [[nodiscard]] const Row& row(int index) const { return rows_[size_t(index)]; }
    // The matched text as the line has it.
    [[nodiscard]] QString matched(int index) const;

    [[nodiscard]] int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

    // Runs on the interface thread with what the workers have found.
    void drain();

    struct Found;

signals:
    // The search for the query is over (more rows may come as the index reads more files).
    void finished();

private:
    void search(const QList<int>& ids);
    [[nodiscard]] bool small(const QList<int>& ids, qsizetype most) const;
    void insert(const Found& found);
    void drop(const QList<int>& ids);
    void resort();
    [[nodiscard]] bool before(const Row& a, const Row& b) const;

    SearchIndex* index_;
    std::shared_ptr<QueryShared> shared_;
    QStringList words_;
    quint64 generation_ = 0;
    int pending_ = 0;
    std::vector<Row> rows_;
};
