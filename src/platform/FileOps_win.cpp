#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Platform {

bool deleteFile(const QString& path, QString* reason) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        if (reason)
            *reason = QStringLiteral("檔案已經不存在");
        return false;
    }
    QFile file(path);
    // Windows refuses to delete a read-only file; clear the flag first, as the player asked for it.
    const QFileDevice::Permissions before = file.permissions();
    const bool unlocked = !info.isWritable() && !info.isSymLink() &&
                          file.setPermissions(before | QFileDevice::WriteOwner | QFileDevice::WriteUser);
    if (file.remove())
        return true;
    if (reason)
        *reason = file.errorString();
    // The file stays: leave it as read-only as it was.
    if (unlocked)
        file.setPermissions(before);
    return false;
}

bool canReadFolder(const QString& path) {
    const QFileInfo info(path);
    return info.isDir() && QDir(info.absoluteFilePath()).isReadable();
}

} // namespace Platform
