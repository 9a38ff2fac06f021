#include "platform/Platform.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace Platform {

bool openDocument(const QString& path) {
    // The path goes to xdg-open as one argument, untouched: no shell ever parses it.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return QProcess::startDetached(opener, {path});
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace Platform
