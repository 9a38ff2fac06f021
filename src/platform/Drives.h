#pragma once

#include <QList>
#include <QString>

// Drives and the game's screenshot folder. On Windows these are the drive letters; elsewhere the game
// runs under Wine, so drive "C" is the Wine prefix's drive_c and the other entries are mounted volumes.
namespace Platform {

struct Drive {
    QString label; // what the drive list shows, e.g. "c:" or "/media/usb"
    QString root;  // the folder a pick of this drive opens
};

// Drive "C" first, then every other drive or mounted volume.
[[nodiscard]] QList<Drive> drives();

// Drive "C": on Windows "C:/"; elsewhere $WINEPREFIX/drive_c, else ~/.wine/drive_c, else "/".
[[nodiscard]] Drive driveC();

// The game's screenshot folder on drive C. When it exists, its real path (found without regard to
// letter case where the file system cares); otherwise the path where it would be.
[[nodiscard]] QString defaultScreenshotFolder();

// Whether two folder paths name the same folder, compared without regard to letter case.
[[nodiscard]] bool sameFolder(const QString& a, const QString& b);

// Finds `relative` (components separated by "/") under `base`, matching each component without regard
// to letter case. Empty when some component is missing.
[[nodiscard]] QString findFolderNoCase(const QString& base, const QString& relative);

} // namespace Platform
