#include "platform/Platform.h"

#include "platform/Files.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace Platform {

bool deleteFile(const QString& path, QString* reason) {
    // Removing a name takes write permission on the folder only. The file itself is left alone: another
    // link to it keeps its permissions.
    if (::unlink(nativePath(path).constData()) == 0)
        return true;
    const int error = errno;
    if (reason) {
        *reason =
            error == ENOENT ? QStringLiteral("檔案已經不存在") : QString::fromLocal8Bit(std::strerror(error));
    }
    return false;
}

bool canReadFolder(const QString& path) {
    const QByteArray native = nativePath(path);
    return isFolder(path) && ::access(native.constData(), R_OK) == 0;
}

} // namespace Platform
