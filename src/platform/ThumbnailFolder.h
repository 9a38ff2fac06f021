#pragma once

#include <QByteArray>
#include <QString>

namespace Platform {

// The desktop's shared thumbnail cache (core/ThumbnailNames), or empty where there is none to share:
// on Windows thumbnails are kept in memory only, as the program writes nothing outside its folder there.
[[nodiscard]] QString sharedThumbnailFolder();

// Writes one entry of that cache as the cache's readers expect: the missing folders made private (0700),
// the bytes written under a temporary name in the entry's folder, readable by the owner only (0600), and
// renamed over the entry, so no reader ever sees half of it. False when any step fails (nothing is left
// behind then); always false where there is no shared cache.
bool writeThumbnailEntry(const QString& path, const QByteArray& bytes);

} // namespace Platform
