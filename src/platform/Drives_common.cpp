#include "platform/Drives.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace Platform {

bool sameFolder(const QString& a, const QString& b) {
    auto norm = [](const QString& p) {
        QString c = p;
        c.replace(u'\\', u'/');
        c = QDir::cleanPath(c);
        if (c.size() > 1 && c.endsWith(u'/') && !c.endsWith(QLatin1String(":/")))
            c.chop(1);
        return c;
    };
    return norm(a).compare(norm(b), Qt::CaseInsensitive) == 0;
}

QString findFolderNoCase(const QString& base, const QString& relative) {
    QString current = QDir::cleanPath(base);
    if (!QFileInfo(current).isDir())
        return {};
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        const QString exact = current + u'/' + part;
        if (QFileInfo(exact).isDir()) {
            current = QDir::cleanPath(exact);
            continue;
        }
        QString found;
        QDirIterator it(current, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
        while (it.hasNext()) {
            it.next();
            if (it.fileName().compare(part, Qt::CaseInsensitive) == 0) {
                found = it.filePath();
                break;
            }
        }
        if (found.isEmpty())
            return {};
        current = QDir::cleanPath(found);
    }
    return current;
}

} // namespace Platform
