#include "platform/Platform.h"

#include <QDesktopServices>
#include <QUrl>

namespace Platform {

bool openUrl(const QString& url) { return QDesktopServices::openUrl(QUrl(url)); }

bool openDocument(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

} // namespace Platform
