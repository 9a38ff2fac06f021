#include "modules/FileFollower.h"

#include "core/FileNames.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

FileFollower::FileFollower(QObject* parent, qint64 maxBytes)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), poll_(new QTimer(this)), maxBytes_(maxBytes) {
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &FileFollower::changed);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &FileFollower::changed);
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, &FileFollower::poll);
}

void FileFollower::follow(QObject* shown, const QString& path, const Platform::FileStamp& read,
                          std::function<void()> reload) {
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
            release(gone.path, gone.folder);
        });
    }
    const QString oldPath = std::exchange(w.path, path);
    const QString oldFolder = std::exchange(w.folder, QFileInfo(path).path());
    w.shown = read;
    w.seen = read;
    w.reload = std::move(reload);
    w.quiet->stop();
    release(oldPath, oldFolder);
    watchPaths(w);
    // A save made while the file was read, before the system watched it, is seen here.
    look(w);
}

void FileFollower::release(const QString& path, const QString& folder) {
    bool pathUsed = false;
    bool folderUsed = false;
    for (const Watch& w : std::as_const(watches_)) {
        pathUsed = pathUsed || w.path == path;
        folderUsed = folderUsed || w.folder == folder;
    }
    // Every file a window once showed would otherwise hold one of the user's limited system watches.
    if (!pathUsed && watcher_->files().contains(path)) {
        watcher_->removePath(path);
        watchedInodes_.remove(path);
    }
    if (!folderUsed && watcher_->directories().contains(folder))
        watcher_->removePath(folder);
}

void FileFollower::watchPaths(Watch& w) {
    // The folder sees a new file renamed over the old one, and a deleted file made again. The system's
    // watch takes a name as text: a name kept as bytes is looked at instead.
    bool folderWatched = watcher_->directories().contains(w.folder);
    if (!folderWatched && !FileNames::hasRawBytes(w.folder) && Platform::isFolder(w.folder))
        folderWatched = watcher_->addPath(w.folder);

    // The file itself sees a save in place; a missing file needs only its folder.
    const Platform::FileStamp now = Platform::stampFile(w.path);
    bool fileWatched = now.kind == Platform::OpenResult::Missing;
    if (!fileWatched && !FileNames::hasRawBytes(w.path)) {
        fileWatched = watcher_->files().contains(w.path);
        // A watch stays on the file it was put on, which may since have been replaced.
        if (fileWatched && watchedInodes_.value(w.path) != now.inode) {
            watcher_->removePath(w.path);
            fileWatched = false;
        }
        if (!fileWatched && watcher_->addPath(w.path)) {
            watchedInodes_[w.path] = now.inode;
            fileWatched = true;
        }
    }
    w.polled = !folderWatched || !fileWatched;
    if (w.polled && !poll_->isActive())
        poll_->start();
}

void FileFollower::look(Watch& w) {
    const Platform::FileStamp now = Platform::stampFile(w.path);
    if (now == w.seen)
        return;
    w.seen = now;
    w.quiet->start();
}

void FileFollower::changed(const QString& path) {
    for (Watch& w : watches_) {
        if (w.path == path) {
            w.seen = Platform::stampFile(path);
            w.quiet->start();
        } else if (w.folder == path) {
            // Another file saved next door leaves this one's quiet time running.
            watchPaths(w);
            look(w);
        }
    }
}

void FileFollower::poll() {
    bool any = false;
    for (Watch& w : watches_) {
        if (!w.polled)
            continue;
        const Platform::FileStamp before = w.seen;
        look(w);
        // Asking the system again only after a change keeps a refusal from repeating every second.
        if (w.seen != before)
            watchPaths(w);
        any = any || w.polled;
    }
    if (!any)
        poll_->stop();
}

void FileFollower::settle(QObject* shown) {
    auto it = watches_.find(shown);
    if (it == watches_.end())
        return;
    const Platform::FileStamp now = Platform::stampFile(it->path);
    it->seen = now;
    watchPaths(*it);
    // What the loaders would refuse is not read: the control keeps what it shows, without a message,
    // until a readable file is back.
    if (now == it->shown || now.kind != Platform::OpenResult::Ok || now.size > maxBytes_)
        return;
    it->shown = now;
    // The reload may follow the file again (it is the same button pressed again), which replaces this
    // watch's callback: run a copy.
    const std::function<void()> reload = it->reload;
    reload();
}
