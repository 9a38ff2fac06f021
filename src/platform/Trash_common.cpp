#include "platform/Trash.h"

#include "platform/Platform.h"

#include <QDir>

namespace Platform {

namespace {

// One directory entry seen twice: a rename keeps everything but its time of change.
bool sameEntry(const FileStamp& a, const FileStamp& b) {
    return a.kind == b.kind && a.device == b.device && a.inode == b.inode && a.size == b.size &&
           a.modifiedNs == b.modifiedNs;
}

} // namespace

TrashOutcome moveToTrash(const QString& path, const FileStamp& expected, TrashedFile* trashed,
                         QString* reason) {
    const FileStamp entry = stampEntry(path);
    if (entry.kind == OpenResult::Missing)
        return TrashOutcome::Missing;
    if (!sameFile(stampFile(path), expected))
        return TrashOutcome::Replaced;
    QString inTrash;
    if (!TrashOs::canTake(path, reason) || !TrashOs::move(path, &inTrash, reason))
        return stampEntry(path).kind == OpenResult::Missing ? TrashOutcome::Missing : TrashOutcome::Refused;
    if (inTrash.isEmpty())
        return TrashOutcome::Deleted;
    const TrashedFile moved{path, inTrash};
    // A trash made up in the current folder is no trash: the file goes back.
    if (!QDir::isAbsolutePath(inTrash)) {
        (void)restoreFromTrash(moved);
        return TrashOutcome::Refused;
    }
    // Another program may have renamed a file over the name in the instant before it was moved: that
    // one goes back, and the player hears that the file shown is gone.
    if (!sameEntry(stampEntry(inTrash), entry)) {
        (void)restoreFromTrash(moved);
        return TrashOutcome::Replaced;
    }
    *trashed = moved;
    return TrashOutcome::Trashed;
}

RestoreOutcome restoreFromTrash(const TrashedFile& trashed, QString* reason) {
    if (stampEntry(trashed.inTrash).kind == OpenResult::Missing)
        return RestoreOutcome::NotInTrash;
    bool taken = false;
    if (!TrashOs::renameNoReplace(trashed.inTrash, trashed.original, &taken, reason))
        return taken ? RestoreOutcome::NameTaken : RestoreOutcome::Failed;
    // The file manager would list it still, as a trashed file that has disappeared.
    (void)deleteFile(TrashOs::recordOf(trashed.inTrash));
    return RestoreOutcome::Restored;
}

} // namespace Platform
