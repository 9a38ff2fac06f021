#include "platform/PictureFile.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>

namespace Platform {

namespace {

FileStamp fromStat(const struct stat& st) {
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
    return fromStat(st);
}

FileStamp stampOpenFile(const QFile& file) {
    struct stat st {};
    if (::fstat(file.handle(), &st) != 0) {
        FileStamp s;
        s.kind = OpenResult::Failed;
        return s;
    }
    return fromStat(st);
}

} // namespace Platform
