#include "platform/Drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace Platform {

namespace {

// The game's install layout as the Windows build writes it.
constexpr auto kScreenshotRelative = "Program Files/Tessaly/Quellmark/ScreenShot";

} // namespace

Drive driveC() {
    QString prefix = qEnvironmentVariable("WINEPREFIX");
    if (prefix.isEmpty())
        prefix = QDir::homePath() + QStringLiteral("/.wine");
    const QString c = QDir::cleanPath(prefix + QStringLiteral("/drive_c"));
    if (QFileInfo(c).isDir())
        return {QStringLiteral("c: [") + c + u']', c};
    return {QStringLiteral("c: [/]"), QStringLiteral("/")};
}

QList<Drive> drives() {
    QList<Drive> list{driveC()};
    const QString cRoot = list.first().root;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (root == cRoot)
            continue;
        list.append({root, root});
    }
    return list;
}

QString defaultScreenshotFolder() {
    const QString c = driveC().root;
    const QString found = findFolderNoCase(c, QLatin1String(kScreenshotRelative));
    if (!found.isEmpty())
        return found;
    return QDir::cleanPath(c + u'/' + QLatin1String(kScreenshotRelative));
}

} // namespace Platform
