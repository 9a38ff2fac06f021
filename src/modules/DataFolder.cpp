#include "modules/DataFolder.h"

#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace DataFolder {

namespace {

// Something of the player's is at `path`: a file, a folder, or a link, even one that leads nowhere.
bool occupied(const QFileInfo& info) {
    return info.exists() || info.isSymLink();
}

QString readMarker(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(64)).trimmed();
}

void copyTree(const QString& from, const QString& to, QStringList& failures) {
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries) {
        const QString target = to + u'/' + entry.fileName();
        const QFileInfo existing(target);
        if (entry.isSymLink())
            continue;
        if (entry.isDir()) {
            if (existing.isSymLink())
                continue; // the player's own link: what lies behind it is theirs
            if (existing.exists() && !existing.isDir()) {
                failures.append(target + QStringLiteral(": not a folder"));
                continue;
            }
            if (!existing.exists() && !QDir().mkdir(target)) {
                failures.append(target + QStringLiteral(": cannot create the folder"));
                continue;
            }
            copyTree(entry.filePath(), target, failures);
        } else if (entry.isFile()) {
            if (occupied(existing))
                continue;
            QFile source(entry.filePath());
            // QFile::copy writes a temporary file and renames it, so an interrupted copy leaves no
            // half file that would count as the player's.
            if (!source.copy(target)) {
                if (!occupied(QFileInfo(target))) // not merely another instance that got there first
                    failures.append(target + QStringLiteral(": ") + source.errorString());
                continue;
            }
            // Installed files may be read-only, and the player edits the copies.
            QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::WriteOwner);
        }
        // Pipes, sockets and devices are not data.
    }
}

} // namespace

bool holdsData(const QString& folder) {
    if (folder.isEmpty())
        return false;
    // Looked at by bytes: the folder's own name may be code page 950 bytes (core/FileNames).
    for (const char16_t* name : {u"合成表.txt", u"料理藥品.txt"}) {
        if (Platform::statRegularFile(folder + u'/' + QString::fromUtf16(name)) == Platform::OpenResult::Ok)
            return true;
    }
    for (const char16_t* name : {u"職業", u"技能"}) {
        if (Platform::isFolder(folder + u'/' + QString::fromUtf16(name)))
            return true;
    }
    return false;
}

QString unusableReason(const QString& folder) {
    if (folder.isEmpty())
        return QStringLiteral("no folder given");
    switch (Platform::folderState(folder)) {
    case Platform::FolderState::Ok:
        return {};
    case Platform::FolderState::Missing:
        return QStringLiteral("no such folder");
    case Platform::FolderState::NotFolder:
        return QStringLiteral("not a folder");
    case Platform::FolderState::Unreadable:
        break;
    }
    return QStringLiteral("the folder cannot be read");
}

Choice choose(const Places& places) {
    if (holdsData(places.programFolder))
        return {places.programFolder, {}};
    if (!places.playerFolder.isEmpty()) {
        if (!places.installedData.isEmpty() && Platform::isFolder(places.installedData))
            return {places.playerFolder, places.installedData};
        if (Platform::isFolder(places.playerFolder))
            return {places.playerFolder, {}};
    }
    return {places.programFolder, {}};
}

QString markerName() {
    return QStringLiteral(".qmquery-seeded");
}

QStringList seed(const QString& from, const QString& to, const QString& version) {
    const QString marker = to + u'/' + markerName();
    if (readMarker(marker) == version)
        return {};
    // A link to a folder elsewhere is the player's choice and is followed.
    if (!QDir().mkpath(to) || !QFileInfo(to).isDir())
        return {to + QStringLiteral(": cannot create the folder")};
    QStringList failures;
    copyTree(from, to, failures);
    if (!failures.isEmpty())
        return failures;
    // Opening a pipe to write would wait forever, and writing through a link would overwrite whatever it
    // leads to: the marker is written beside and renamed over a plain file or nothing.
    const QFileInfo existing(marker);
    if (existing.isSymLink() || (occupied(existing) && !existing.isFile()))
        return {marker + QStringLiteral(": not a file")};
    QSaveFile file(marker);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(version.toUtf8() + '\n') < 0 || !file.commit())
        return {marker + QStringLiteral(": ") + file.errorString()};
    return {};
}

} // namespace DataFolder
