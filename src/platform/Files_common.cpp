#include "platform/Files.h"

#include <QFile>

namespace Platform {

OpenResult readAll(QFile& file, qint64 maxBytes, QByteArray& bytes) {
    bytes.clear();
    // Read in pieces up to one byte past the limit: a file that grew past it is refused, not read whole.
    constexpr qint64 kPiece = 1 << 20;
    bytes.reserve(qMin(file.size(), maxBytes) + 1);
    while (true) {
        const qint64 room = maxBytes + 1 - bytes.size();
        if (room <= 0) {
            bytes.clear();
            return OpenResult::TooLarge;
        }
        const QByteArray piece = file.read(qMin(kPiece, room));
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    if (file.error() != QFileDevice::NoError) {
        bytes.clear();
        return OpenResult::Failed;
    }
    return OpenResult::Ok;
}

bool sameFile(const FileStamp& a, const FileStamp& b) {
    if (a.kind != OpenResult::Ok || b.kind != OpenResult::Ok)
        return false;
    if (a.inode != 0 || b.inode != 0)
        return a.device == b.device && a.inode == b.inode;
    return a.size == b.size && a.modifiedNs == b.modifiedNs;
}

} // namespace Platform
