#include "platform/Platform.h"

#include <QDesktopServices>
#include <QUrl>

namespace Platform {

void openDocument(const QString& path, std::function<void()> failed) {
    // The shell reports a missing association at once.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)) && failed)
        failed();
}

} // namespace Platform
