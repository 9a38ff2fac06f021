#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QFile;

// Reading files and folders that players fill with whatever they download: only regular files are ever
// opened, nothing blocks on a pipe or a device, every read is bounded, and names keep their bytes
// (core/FileNames) so a listed name opens exactly the file it came from.
namespace Platform {

enum class OpenResult {
    Ok,
    Missing,    // no such file, or a folder on its way is missing
    NotRegular, // a folder, pipe, socket or device (or a link to one)
    TooLarge,   // more bytes than the caller accepts
    Failed,     // anything else: no permission, an input/output error
};

// Opens a regular file for reading, refusing everything else before it is opened. `file` is opened on
// success only. `error` (optional) gets the system's reason for Failed.
[[nodiscard]] OpenResult openRegularFile(const QString& path, QFile& file, qint64 maxBytes,
                                         QString* error = nullptr);

// Reads the whole of an opened file, refusing more than `maxBytes` (a file may grow while it is read).
[[nodiscard]] OpenResult readAll(QFile& file, qint64 maxBytes, QByteArray& bytes);

// What a path names, following links: Missing, NotRegular for a folder or special file, Ok for a
// regular file, Failed when it cannot be told (no permission to search a folder on the way).
[[nodiscard]] OpenResult statRegularFile(const QString& path, qint64* size = nullptr);

struct FolderEntry {
    QString name;          // as core/FileNames keeps it
    bool isFile = false;   // a regular file, or a link to one
    bool isFolder = false; // a folder, or a link to one
    bool hidden = false;
};

// The entries of a folder, in no particular order, without "." and "..". Empty when the folder cannot
// be read.
[[nodiscard]] QList<FolderEntry> listFolder(const QString& folder);

// What a path named when it was looked at. A file saved in place, replaced by another renamed over it,
// moved or deleted since compares unequal.
struct FileStamp {
    OpenResult kind = OpenResult::Missing;
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    quint64 device = 0;
    quint64 inode = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The path as it is now, following links.
[[nodiscard]] FileStamp stampFile(const QString& path);
// The name itself: a link is stamped as the link, not as what it points to.
[[nodiscard]] FileStamp stampEntry(const QString& path);
// The file an open QFile reads.
[[nodiscard]] FileStamp stampOpenFile(const QFile& file);
// Whether two stamps are of one regular file, edited or not: the same device and inode where the system
// tells them, else the same size and time of change.
[[nodiscard]] bool sameFile(const FileStamp& a, const FileStamp& b);

// Whether the path is a folder (following links).
[[nodiscard]] bool isFolder(const QString& path);

enum class FolderState {
    Ok,
    Missing,    // no such folder, or a folder on its way is missing
    NotFolder,  // a file, pipe or device
    Unreadable, // it cannot be listed or entered
};

// Whether a folder (following links) can be listed and entered.
[[nodiscard]] FolderState folderState(const QString& path);

// The bytes (Linux) or text (Windows) the system takes for a path.
[[nodiscard]] QByteArray nativePath(const QString& path);

} // namespace Platform
