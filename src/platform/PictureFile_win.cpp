#include "platform/PictureFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace Platform {

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

FileStamp stampOpenFile(const QFile& file) {
    return stampFile(file.fileName());
}

} // namespace Platform
