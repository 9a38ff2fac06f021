#pragma once

#include "platform/Files.h"

#include <QString>

// The desktop's trash: the freedesktop trash on Linux (the home's, or the file's own volume's), the
// Recycle Bin on Windows. What goes in can be put back, by the file manager or by this program.
namespace Platform {

// A file this program moved to the trash.
struct TrashedFile {
    QString original; // the name it had
    QString inTrash;  // where the trash keeps it
};

enum class TrashOutcome {
    Trashed,  // in the trash, where `trashed` says
    Missing,  // the name holds nothing any more
    Replaced, // the name holds another file than the one expected; nothing was moved
    Refused,  // the trash cannot take it (none for that volume, no permission); nothing was moved
    Deleted,  // the system deleted it for good instead (a Windows drive without a Recycle Bin)
};

// Moves the file at `path` to the trash, provided the name still holds `expected` (a stamp taken
// following links). A link goes as the link: what it points to and other links to it stay. `reason`
// gets the system's words for a refusal.
[[nodiscard]] TrashOutcome moveToTrash(const QString& path, const FileStamp& expected, TrashedFile* trashed,
                                       QString* reason = nullptr);

enum class RestoreOutcome {
    Restored,
    NameTaken,  // another file has the name now; nothing was moved
    NotInTrash, // the trash no longer holds it (emptied, or restored already)
    Failed,     // `reason` says why (the folder is gone, no permission)
};

// Moves a trashed file back to its name and drops the trash's record of it. Never replaces a file.
[[nodiscard]] RestoreOutcome restoreFromTrash(const TrashedFile& trashed, QString* reason = nullptr);

// What each system does its own way; used by the functions above.
namespace TrashOs {
// Whether the trash can take the file at all; false (with a reason) leaves the file alone.
[[nodiscard]] bool canTake(const QString& path, QString* reason);
// Moves the name to the trash; `inTrash` gets where it went (empty when the system deleted it instead).
[[nodiscard]] bool move(const QString& path, QString* inTrash, QString* reason);
// The trash's record of a trashed file (its original name and time of deletion).
[[nodiscard]] QString recordOf(const QString& inTrash);
// Renames without replacing: false with `taken` set when `to` exists.
[[nodiscard]] bool renameNoReplace(const QString& from, const QString& to, bool* taken, QString* reason);
} // namespace TrashOs

} // namespace Platform
