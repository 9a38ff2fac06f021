// The viewer's deleting: to the trash, back from it with Ctrl+Z, and for good only when the player says so.

#include "core/FileNames.h"
#include "forms/showpic.h"
#include "modules/Module1.h"
#include "platform/Drives.h"
#include "platform/Platform.h"
#include "widgets/DirList.h"
#include "widgets/FileList.h"

#include <QFileInfo>

namespace {

QString quoted(const QString& path) {
    return u'"' + FileNames::displayPath(path) + u'"';
}

// Another program put another file under the name since it was shown: that one was never seen, so it
// stays, and the player hears that the picture shown is gone, as when it vanishes.
void sayReplaced(const QString& path, FileList* list) {
    Module1::MsgBox(FileNames::displayPath(path) + QStringLiteral(" 已經不存在。"), Module1::MsgButtons::Ok,
                    Module1::MsgIcon::None, list->window());
    list->refresh();
}

} // namespace

// A name that holds nothing any more passes here, for the caller's own message.
bool showpic::stillShown(const QString& path) {
    const Platform::FileStamp now = Platform::stampFile(path);
    if (now.kind == Platform::OpenResult::Missing || Platform::sameFile(now, shownStamp_))
        return true;
    sayReplaced(path, File1);
    return false;
}

void showpic::deleteafile(const QString& path) {
    QString reason;
    Platform::TrashedFile trashed;
    switch (Platform::moveToTrash(path, shownStamp_, &trashed, &reason)) {
    case Platform::TrashOutcome::Trashed:
        trashedThisRun().append(trashed);
        break;
    case Platform::TrashOutcome::Missing:
        // The list and the picture stay as they were, so the player sees what failed.
        Module1::MsgBox(QStringLiteral("無法刪除檔案:") + quoted(path) + QStringLiteral("\r檔案已經不存在"),
                        Module1::MsgButtons::Ok, Module1::MsgIcon::Exclamation, this);
        return;
    case Platform::TrashOutcome::Replaced:
        sayReplaced(path, File1);
        return;
    case Platform::TrashOutcome::Refused:
        deletePermanently(path, reason);
        return;
    case Platform::TrashOutcome::Deleted:
        Module1::MsgBox(QStringLiteral("檔案已經永久刪除，無法救回:") + quoted(path), Module1::MsgButtons::Ok,
                        Module1::MsgIcon::Exclamation, this);
        break;
    }
    removedFromList();
}

// Where the trash cannot take the file, only the player's Yes deletes it for good; either way they hear
// which happened.
void showpic::deletePermanently(const QString& path, const QString& whyNotTrashed) {
    const auto answer = Module1::MsgBox(
        QStringLiteral("無法移到資源回收筒，要永久刪除嗎?\r") + quoted(path) + u'\r' + whyNotTrashed,
        Module1::MsgButtons::YesNo, Module1::MsgIcon::Exclamation, this, true);
    if (answer != Module1::MsgResult::Yes) {
        Module1::MsgBox(QStringLiteral("檔案沒有刪除:") + quoted(path), Module1::MsgButtons::Ok,
                        Module1::MsgIcon::None, this);
        return;
    }
    if (!stillShown(path))
        return;
    QString reason;
    if (!Platform::deleteFile(path, &reason)) {
        Module1::MsgBox(QStringLiteral("無法刪除檔案:") + quoted(path) + u'\r' + reason,
                        Module1::MsgButtons::Ok, Module1::MsgIcon::Exclamation, this);
        return;
    }
    Module1::MsgBox(QStringLiteral("檔案已經永久刪除:") + quoted(path), Module1::MsgButtons::Ok,
                    Module1::MsgIcon::None, this);
    removedFromList();
}

// The list is read again with the next file picked, or the last when the last went.
void showpic::removedFromList() {
    int i = File1->listIndex();
    File1->refresh();
    if (i == File1->listCount())
        --i;
    File1->setListIndex(i);
}

QList<Platform::TrashedFile>& showpic::trashedThisRun() {
    static QList<Platform::TrashedFile> trashed;
    return trashed;
}

void showpic::undoDelete() {
    QList<Platform::TrashedFile>& trashed = trashedThisRun();
    if (trashed.isEmpty())
        return;
    const Platform::TrashedFile last = trashed.constLast();
    QString reason;
    switch (Platform::restoreFromTrash(last, &reason)) {
    case Platform::RestoreOutcome::Restored:
        trashed.removeLast();
        break;
    case Platform::RestoreOutcome::NameTaken:
        // Kept, so a Ctrl+Z once the name is free again still brings it back.
        Module1::MsgBox(QStringLiteral("無法救回檔案:") + quoted(last.original) +
                            QStringLiteral("\r已經有別的檔案用這個名稱。"),
                        Module1::MsgButtons::Ok, Module1::MsgIcon::Exclamation, this);
        return;
    case Platform::RestoreOutcome::NotInTrash:
        trashed.removeLast();
        Module1::MsgBox(QStringLiteral("無法救回檔案:") + quoted(last.original) +
                            QStringLiteral("\r資源回收筒裡已經沒有這個檔案。"),
                        Module1::MsgButtons::Ok, Module1::MsgIcon::Exclamation, this);
        return;
    case Platform::RestoreOutcome::Failed:
        Module1::MsgBox(QStringLiteral("無法救回檔案:") + quoted(last.original) + u'\r' + reason,
                        Module1::MsgButtons::Ok, Module1::MsgIcon::Exclamation, this);
        return;
    }
    // Listed and picked where it was, even when the player has moved to another folder since.
    const QFileInfo where(last.original);
    if (!Platform::sameFolder(File1->path(), where.path()))
        Dir1->setPath(where.path());
    File1->refresh();
    File1->setListIndex(int(File1->items().indexOf(where.fileName())));
}
