#include "platform/Trash.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <qt_windows.h>

#include <system_error>

namespace Platform::TrashOs {

namespace {

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

} // namespace

bool canTake(const QString& path, QString* reason) {
    // Only fixed drives keep a Recycle Bin; elsewhere the shell deletes for good without a word.
    const QString root = QStorageInfo(path).rootPath();
    if (!root.isEmpty() && GetDriveTypeW(native(root).c_str()) == DRIVE_FIXED)
        return true;
    if (reason)
        *reason = QStringLiteral("這個磁碟機沒有資源回收筒。");
    return false;
}

bool move(const QString& path, QString* inTrash, QString* reason) {
    QFile file(path);
    if (!file.moveToTrash()) {
        if (reason)
            *reason = file.errorString();
        return false;
    }
    // Empty when the shell did not say where the file went.
    *inTrash = file.fileName();
    return true;
}

QString recordOf(const QString& inTrash) {
    // The Recycle Bin keeps $Rxxxxxx.ext and records it in $Ixxxxxx.ext beside it.
    const qsizetype slash = qMax(inTrash.lastIndexOf(u'/'), inTrash.lastIndexOf(u'\\'));
    QString record = inTrash;
    if (inTrash.mid(slash + 1).startsWith(QStringLiteral("$R"), Qt::CaseInsensitive))
        record[slash + 2] = u'I';
    return record;
}

bool renameNoReplace(const QString& from, const QString& to, bool* taken, QString* reason) {
    // Without MOVEFILE_REPLACE_EXISTING the move refuses a name that is taken.
    if (MoveFileExW(native(from).c_str(), native(to).c_str(), 0))
        return true;
    const DWORD error = GetLastError();
    *taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
    if (reason)
        *reason = QString::fromStdString(std::system_category().message(int(error)));
    return false;
}

} // namespace Platform::TrashOs
