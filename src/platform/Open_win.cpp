#include "platform/Platform.h"

#include <QDesktopServices>
#include <QUrl>

namespace Platform {

bool openDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace Platform
