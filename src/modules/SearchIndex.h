#pragma once

#include "core/Search.h"
#include "modules/TextLoad.h"
#include "platform/Files.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QThreadPool;
class QTimer;

// One data file a window shows, and how the player reaches it there.
struct SearchSource {
    int window = 0; // the window's number in the design (2 for the coordinate lookup, ...)
    int button = 0; // the button (or band) that shows the file
    int item = 0;   // the quest button within its band
    TextLoad::DataFile file{QString()};
    QString where; // the window's caption and the region, profession, group, quest or article title
    bool trim = false;
};

// Every file the windows read, in menu order and within a window in file order. Runs on a worker, so it
// only lists folders and reads no window.
using SearchCatalogue = std::function<QList<SearchSource>(const QString& folder)>;

struct SearchShared;

// The text of every data file the windows show, read on a worker: the first pass hands files over in
// batches as they are read, so searching starts before it ends; later passes, every second while the
// index lives, read again what was saved since and drop what is gone, so results follow the files as
// the windows do. Files are read with the loaders' rules: the data folder, only regular files within the
// size limit, the same decoding and trimming.
class SearchIndex : public QObject {
    Q_OBJECT
public:
    struct Entry {
        SearchSource source;
        QString path;
        Platform::FileStamp stamp;
        std::shared_ptr<const Search::Text> text; // null once the file is gone
        int order = 0;                            // place in the catalogue's order
    };

    SearchIndex(const QString& folder, SearchCatalogue catalogue, QObject* parent = nullptr);
    ~SearchIndex() override;

    // How long a pass waits after the last one, at least.
    static constexpr int kPassMs = 1000;

    void start();
    // The threads searching reads and queries on, apart from the loaders'.
    static QThreadPool* pool();
    [[nodiscard]] const Entry& entry(int id) const { return entries_[size_t(id)]; }
    // The ids of the files held now.
    [[nodiscard]] QList<int> live() const;
    // Files read by the first pass so far, and whether it is over.
    [[nodiscard]] int filesRead() const { return filesRead_; }
    [[nodiscard]] bool complete() const { return complete_; }
    // Bytes held for the texts.
    [[nodiscard]] qsizetype memory() const;

    // Runs on the interface thread with what the worker has read; the worker asks for it.
    void drain();

signals:
    // Files read for the first time or again (their old text is gone), and files gone.
    void added(const QList<int>& ids);
    void removed(const QList<int>& ids);
    // Files took other places in the order (an article added between others).
    void reordered();
    void progress();

private:
    void startPass();

    QString folder_;
    SearchCatalogue catalogue_;
    std::shared_ptr<SearchShared> shared_;
    QTimer* next_;
    std::vector<Entry> entries_;
    QHash<QString, int> byPath_;
    int filesRead_ = 0;
    bool complete_ = false;
    bool passRunning_ = false;
};
