#include "platform/Files.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace Platform {

QByteArray nativePath(const QString& path) {
    return path.toUtf8();
}

OpenResult statRegularFile(const QString& path, qint64* size) {
    const QFileInfo info(path);
    if (!info.exists())
        return OpenResult::Missing;
    if (!info.isFile())
        return OpenResult::NotRegular;
    if (size)
        *size = info.size();
    return OpenResult::Ok;
}

OpenResult openRegularFile(const QString& path, QFile& file, qint64 maxBytes, QString* error) {
    // Windows has no pipes or devices among ordinary paths; a folder is what can stand in a file's place.
    const OpenResult kind = statRegularFile(path);
    if (kind != OpenResult::Ok)
        return kind;
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return QFileInfo::exists(path) ? OpenResult::Failed : OpenResult::Missing;
    }
    if (file.size() > maxBytes) {
        file.close();
        return OpenResult::TooLarge;
    }
    return OpenResult::Ok;
}

QList<FolderEntry> listFolder(const QString& folder) {
    QList<FolderEntry> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        entries.append({info.fileName(), info.isFile(), info.isDir(), info.isHidden()});
    }
    return entries;
}

FileStamp stampFile(const QString& path) {
    const QFileInfo info(path);
    FileStamp s;
    if (!info.exists()) {
        s.kind = OpenResult::Missing;
        return s;
    }
    s.kind = info.isFile() ? OpenResult::Ok : OpenResult::NotRegular;
    s.size = info.size();
    s.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    s.changedNs = info.metadataChangeTime().toMSecsSinceEpoch() * 1000000;
    return s;
}

FileStamp stampEntry(const QString& path) {
    const QFileInfo info(path);
    if (!info.isSymLink())
        return stampFile(path);
    // Windows links are rare and tell little about themselves: a link is told apart by what it names.
    FileStamp s;
    s.kind = OpenResult::NotRegular;
    s.size = info.symLinkTarget().size();
    return s;
}

FileStamp stampOpenFile(const QFile& file) {
    return stampFile(file.fileName());
}

bool isFolder(const QString& path) {
    return QFileInfo(path).isDir();
}

FolderState folderState(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return FolderState::Missing;
    if (!info.isDir())
        return FolderState::NotFolder;
    return info.isReadable() ? FolderState::Ok : FolderState::Unreadable;
}

} // namespace Platform
