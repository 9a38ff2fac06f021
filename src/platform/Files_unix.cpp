#include "platform/Files.h"

#include "core/FileNames.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

OpenResult fromErrno(int error) {
    return error == ENOENT || error == ENOTDIR ? OpenResult::Missing : OpenResult::Failed;
}

} // namespace

QByteArray nativePath(const QString& path) {
    return FileNames::toBytes(path);
}

OpenResult statRegularFile(const QString& path, qint64* size) {
    struct stat st {};
    if (::stat(nativePath(path).constData(), &st) != 0)
        return fromErrno(errno);
    if (!S_ISREG(st.st_mode))
        return OpenResult::NotRegular;
    if (size)
        *size = st.st_size;
    return OpenResult::Ok;
}

OpenResult openRegularFile(const QString& path, QFile& file, qint64 maxBytes, QString* error) {
    const QByteArray native = nativePath(path);
    // Looked at before opening: opening some devices already does something.
    struct stat st {};
    if (::stat(native.constData(), &st) != 0) {
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(errno));
        return fromErrno(errno);
    }
    if (!S_ISREG(st.st_mode))
        return OpenResult::NotRegular;
    // Non-blocking, so a pipe put in the file's place meanwhile cannot hold the open; checked again on
    // what was actually opened.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int e = errno;
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(e));
        return fromErrno(e);
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return OpenResult::NotRegular;
    }
    if (st.st_size > maxBytes) {
        ::close(fd);
        return OpenResult::TooLarge;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (error)
            *error = file.errorString();
        return OpenResult::Failed;
    }
    return OpenResult::Ok;
}

QList<FolderEntry> listFolder(const QString& folder) {
    QList<FolderEntry> entries;
    DIR* dir = ::opendir(nativePath(folder).constData());
    if (!dir)
        return entries;
    const int dfd = ::dirfd(dir);
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        FolderEntry entry;
        entry.name = FileNames::fromBytes(e->d_name);
        entry.hidden = e->d_name[0] == '.';
        // The entry's own type tells a plain file or folder without a look at each (which doubled the
        // time to list a folder of screenshots). A link counts as what it points at, and a file system
        // that does not tell types is asked; a pipe, socket or device is neither. In a folder that may be
        // listed but not searched, a link cannot be followed and counts as neither.
        if (e->d_type == DT_REG || e->d_type == DT_DIR) {
            entry.isFile = e->d_type == DT_REG;
            entry.isFolder = e->d_type == DT_DIR;
        } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(dfd, e->d_name, &st, 0) == 0) {
                entry.isFile = S_ISREG(st.st_mode);
                entry.isFolder = S_ISDIR(st.st_mode);
            }
        }
        entries.append(std::move(entry));
    }
    ::closedir(dir);
    return entries;
}

namespace {

FileStamp stampFromStat(const struct stat& st) {
    FileStamp s;
    s.kind = S_ISREG(st.st_mode) ? OpenResult::Ok : OpenResult::NotRegular;
    s.size = st.st_size;
    s.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    return s;
}

} // namespace

FileStamp stampFile(const QString& path) {
    struct stat st {};
    if (::stat(nativePath(path).constData(), &st) != 0) {
        FileStamp s;
        s.kind = errno == ENOENT || errno == ENOTDIR ? OpenResult::Missing : OpenResult::Failed;
        return s;
    }
    return stampFromStat(st);
}

FileStamp stampEntry(const QString& path) {
    struct stat st {};
    if (::lstat(nativePath(path).constData(), &st) != 0) {
        FileStamp s;
        s.kind = errno == ENOENT || errno == ENOTDIR ? OpenResult::Missing : OpenResult::Failed;
        return s;
    }
    return stampFromStat(st);
}

FileStamp stampOpenFile(const QFile& file) {
    struct stat st {};
    if (::fstat(file.handle(), &st) != 0) {
        FileStamp s;
        s.kind = OpenResult::Failed;
        return s;
    }
    return stampFromStat(st);
}

bool isFolder(const QString& path) {
    struct stat st {};
    return ::stat(nativePath(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

FolderState folderState(const QString& path) {
    const QByteArray native = nativePath(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return fromErrno(errno) == OpenResult::Missing ? FolderState::Missing : FolderState::Unreadable;
    if (!S_ISDIR(st.st_mode))
        return FolderState::NotFolder;
    return ::access(native.constData(), R_OK | X_OK) == 0 ? FolderState::Ok : FolderState::Unreadable;
}

} // namespace Platform
