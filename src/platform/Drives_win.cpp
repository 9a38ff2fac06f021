#include "platform/Drives.h"

#include <QDir>
#include <QFileInfo>

namespace Platform {

Drive driveC() {
    return {QStringLiteral("c:"), QStringLiteral("C:/")};
}

QList<Drive> drives() {
    QList<Drive> list;
    for (const QFileInfo& d : QDir::drives()) {
        const QString root = d.absoluteFilePath();
        list.append({root.left(2).toLower(), root});
    }
    return list;
}

QString defaultScreenshotFolder() {
    return QStringLiteral("C:\\PrOgRaM FIleS\\Tessaly\\Quellmark\\ScREenShoT\\");
}

} // namespace Platform
