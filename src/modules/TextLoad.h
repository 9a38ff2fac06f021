#pragma once

#include "core/RowTable.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QFile;

// Reading the players' data files for the loaders: where a relative name lies, opening only regular
// files within a size limit, and reading the lines at once or, for a load that shows its progress, on a
// worker thread that hands them over in batches.
namespace TextLoad {

// Larger data files are refused as unreadable rather than read into memory.
inline constexpr qint64 kMaxFileBytes = qint64(256) << 20;

// A data file as the loaders name it: the relative name a message shows, and the folder and file names
// it is made of. A listed name is one name, never split again at a backslash it may hold.
struct DataFile {
    // "職業\劍士.txt": the design's names, folders separated by backslashes.
    DataFile(const QString& relativeName); // NOLINT: plain names convert, as the loaders always took them
    // A name read from a folder listing, in a sub-folder of the program folder.
    static DataFile listed(const QString& folder, const QString& name);

    QString shown;
    QStringList parts;
};

// The full path of `file` under `folder`. A folder or file missing under its Unicode name is looked for
// under its code page 950 bytes, the name an archive made on Windows leaves on Linux.
[[nodiscard]] QString locate(const QString& folder, const DataFile& file);

// Opens a data file for reading; false for anything but a regular file within the size limit.
[[nodiscard]] bool open(const QString& path, QFile& file);

// Reads an opened data file's lines at once; false when it cannot be read to its end.
[[nodiscard]] bool readLines(QFile& file, bool trim, QStringList& lines);

// Reads an opened data file's lines into a table at once; false when it cannot be read to its end.
[[nodiscard]] bool readRows(QFile& file, bool trim, RowTable& rows);

// Files up to this size are read into a list at once: the window waits no longer than a frame or two.
inline constexpr qint64 kRowsAtOnceBytes = qint64(2) << 20;

struct Shared;
struct RowShared;

// Reads an opened data file into a table on a worker thread, and ranks its rows by width there, so
// the interface thread only takes the table over. `finished` comes once; deleting the load stops the
// worker and drops what it read.
class RowLoad : public QObject {
    Q_OBJECT
public:
    RowLoad(std::unique_ptr<QFile> file, bool trim, const WidthRank& rank, int ranked, QObject* parent);
    ~RowLoad() override;

    // What the worker read, once `finished(true)` has come; taken once.
    [[nodiscard]] RowTable takeRows();
    [[nodiscard]] std::vector<qsizetype> takeWidest();

signals:
    void finished(bool ok);

private:
    void done();

    std::shared_ptr<RowShared> shared_;
};

// Reads an opened data file on a worker thread. Its lines arrive on the interface thread in batches,
// each line followed by a line break; `finished` comes once at the end. Deleting the load stops the
// worker at once and drops what it has not handed over.
class Progressive : public QObject {
    Q_OBJECT
public:
    Progressive(std::unique_ptr<QFile> file, bool trim, QObject* parent);
    ~Progressive() override;

    // Hands over what the worker has read; the worker asks for it through the event loop.
    void drain();

signals:
    void batch(const QString& text, qsizetype lines);
    void finished(bool ok);

private:
    std::shared_ptr<Shared> shared_;
};

} // namespace TextLoad
