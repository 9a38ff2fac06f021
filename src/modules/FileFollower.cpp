#include "modules/FileFollower.h"

#include "core/FileNames.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

FileFollower::FileFollower(QObject* parent) : QObject(parent), watcher_(new QFileSystemWatcher(this)) {
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &FileFollower::changed);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &FileFollower::changed);
}

void FileFollower::follow(QObject* shown, const QString& path, std::function<void()> reload) {
    Watch& w = watches_[shown];
    if (!w.quiet) {
        w.quiet = new QTimer(this);
        w.quiet->setSingleShot(true);
        w.quiet->setInterval(kQuietMs);
        connect(w.quiet, &QTimer::timeout, this, [this, shown] { settle(shown); });
        // A control that goes away takes its watch with it.
        connect(shown, &QObject::destroyed, this, [this, shown] {
            const Watch gone = watches_.take(shown);
            delete gone.quiet;
        });
    }
    w.path = path;
    w.folder = QFileInfo(path).path();
    w.stamp = Platform::stampFile(path);
    w.reload = std::move(reload);
    w.quiet->stop();
    watchPaths(w);
}

void FileFollower::watchPaths(const Watch& w) {
    // The system's watch takes the name as text: a name kept as bytes can only be seen from its folder.
    if (!FileNames::hasRawBytes(w.path) && w.stamp.kind != Platform::OpenResult::Missing &&
        !watcher_->files().contains(w.path))
        watcher_->addPath(w.path);
    // The folder sees a new file renamed over the old one, and a deleted file made again.
    if (!FileNames::hasRawBytes(w.folder) && !watcher_->directories().contains(w.folder))
        watcher_->addPath(w.folder);
}

void FileFollower::changed(const QString& path) {
    for (auto it = watches_.begin(); it != watches_.end(); ++it) {
        if (it->path == path || it->folder == path)
            it->quiet->start();
    }
}

void FileFollower::settle(QObject* shown) {
    auto it = watches_.find(shown);
    if (it == watches_.end())
        return;
    const Platform::FileStamp now = Platform::stampFile(it->path);
    if (now.kind == Platform::OpenResult::Missing || now == it->stamp) {
        watchPaths(*it);
        return;
    }
    it->stamp = now;
    watchPaths(*it);
    // The reload may follow the file again (it is the same button pressed again), which replaces this
    // watch's callback: run a copy.
    const std::function<void()> reload = it->reload;
    reload();
}
