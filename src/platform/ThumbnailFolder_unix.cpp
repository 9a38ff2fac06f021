#include "platform/ThumbnailFolder.h"

#include "core/ThumbnailNames.h"
#include "platform/Files.h"

#include <QDir>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform {

namespace {

bool makeFolders(const QByteArray& folder) {
    if (folder.isEmpty())
        return true;
    struct stat st {};
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0 && !makeFolders(folder.left(slash)))
        return false;
    return ::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace

QString sharedThumbnailFolder() {
    return ThumbnailNames::cacheFolder(qEnvironmentVariable("XDG_CACHE_HOME"), QDir::homePath());
}

bool writeThumbnailEntry(const QString& path, const QByteArray& bytes) {
    const QByteArray target = nativePath(path);
    const qsizetype slash = target.lastIndexOf('/');
    if (slash <= 0 || !makeFolders(target.left(slash)))
        return false;
    QByteArray temporary = target.left(slash) + "/.qmquery-XXXXXX";
    // mkstemp makes the file 0600 and never opens one that exists.
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    const bool written = ::fchmod(fd, 0600) == 0 && writeAll(fd, bytes);
    const bool closed = ::close(fd) == 0;
    if (written && closed && ::rename(temporary.constData(), target.constData()) == 0)
        return true;
    ::unlink(temporary.constData());
    return false;
}

} // namespace Platform
