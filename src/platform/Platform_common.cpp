#include "platform/Platform.h"

#include <QDesktopServices>
#include <QUrl>

namespace Platform {

bool openUrl(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}

} // namespace Platform
