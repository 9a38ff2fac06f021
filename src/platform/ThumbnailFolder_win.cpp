#include "platform/ThumbnailFolder.h"

namespace Platform {

QString sharedThumbnailFolder() {
    return {};
}

bool writeThumbnailEntry(const QString& path, const QByteArray& bytes) {
    Q_UNUSED(path);
    Q_UNUSED(bytes);
    return false;
}

} // namespace Platform
