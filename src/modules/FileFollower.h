#pragma once

#include "platform/Files.h"

#include <QHash>
#include <QObject>

#include <functional>

class QFileSystemWatcher;
class QTimer;

// Follows the data files a window shows while the player edits them: a save (in place, a new file
// renamed over the old, or a deletion and a new file) reloads the control once the file has been quiet
// for a moment, so a save arriving in pieces is not shown half-written. A file that is gone, or is no
// longer a regular file within the size the loaders read, reloads nothing until it is back. The system
// tells of changes; a file or folder it cannot watch (no watches left, a name that is not UTF-8, a folder
// deleted) is looked at every second instead, until the system can watch it again.
class FileFollower : public QObject {
    Q_OBJECT
public:
    // `maxBytes`: the largest file the reloads read.
    FileFollower(QObject* parent, qint64 maxBytes);

    // How long a file must stay unchanged before it is reloaded.
    static constexpr int kQuietMs = 300;
    // How often a file the system does not watch is looked at.
    static constexpr int kPollMs = 1000;

    // Follows `path` for the control `shown`, replacing what it followed before; `reload` runs on the
    // interface thread. `read` is the file as it was when its reading began: a save since then, even one
    // made during the reading, is reloaded.
    void follow(QObject* shown, const QString& path, const Platform::FileStamp& read,
                std::function<void()> reload);

private:
    struct Watch {
        QString path;
        QString folder;
        Platform::FileStamp shown; // the file the control shows
        Platform::FileStamp seen;  // the file when last looked at
        bool polled = false;       // the system does not tell of all its changes
        std::function<void()> reload;
        QTimer* quiet = nullptr;
    };
    void changed(const QString& path);
    // Stamps the file again; a change since it was last looked at restarts the quiet time.
    void look(Watch& w);
    void settle(QObject* shown);
    void watchPaths(Watch& w);
    // Drops the system's watches no control needs any more.
    void release(const QString& path, const QString& folder);
    void poll();

    QFileSystemWatcher* watcher_;
    QTimer* poll_;
    qint64 maxBytes_;
    QHash<QObject*, Watch> watches_;
    // The file each system watch was put on: a file renamed over it is another file to watch.
    QHash<QString, quint64> watchedInodes_;
};
