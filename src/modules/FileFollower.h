#pragma once

#include "platform/Files.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>

class QFileSystemWatcher;
class QTimer;

// Follows the data files a window shows while the player edits them: a save (in place, a new file
// renamed over the old, or a deletion and a new file) reloads the control once the file has been quiet
// for a moment, so a save arriving in pieces is not shown half-written. A file that is gone reloads
// nothing until it is back. Costs nothing while nothing changes: the system tells of changes.
class FileFollower : public QObject {
    Q_OBJECT
public:
    explicit FileFollower(QObject* parent);

    // How long a file must stay unchanged before it is reloaded.
    static constexpr int kQuietMs = 300;

    // Follows `path` for the control `shown`, replacing what it followed before; `reload` runs on the
    // interface thread.
    void follow(QObject* shown, const QString& path, std::function<void()> reload);

private:
    struct Watch {
        QString path;
        QString folder;
        Platform::FileStamp stamp;
        std::function<void()> reload;
        QTimer* quiet = nullptr;
    };
    void changed(const QString& path);
    void settle(QObject* shown);
    void watchPaths(const Watch& w);

    QFileSystemWatcher* watcher_;
    QHash<QObject*, Watch> watches_;
};
