#include "platform/Trash.h"

#include "core/FileNames.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Platform::TrashOs {

namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// $XDG_DATA_HOME/Trash, the trash of last resort for every volume.
QString homeTrash() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return data.isEmpty() ? QString() : data + QStringLiteral("/Trash");
}

// 0 on success, else -1 with errno set; EEXIST when `to` exists.
int renameBytesNoReplace(const QByteArray& from, const QByteArray& to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
    // A file system without the flag: a second link refuses an existing name as well. Where neither
    // works, nothing moves and the caller says why.
    if (::link(from.constData(), to.constData()) != 0)
        return -1;
    return ::unlink(from.constData());
}

// Qt cannot name a file whose name is not UTF-8; such a file goes to the home trash the freedesktop
// way (record first, under a name of its own, then the file), or not at all.
bool moveRawName(const QByteArray& native, QString* inTrash, QString* reason) {
    const QByteArray trash = nativePath(homeTrash());
    struct stat file {};
    struct stat bin {};
    if (!native.startsWith('/') || ::lstat(native.constData(), &file) != 0 ||
        ::stat(trash.constData(), &bin) != 0) {
        *reason = systemReason(native.startsWith('/') ? errno : EINVAL);
        return false;
    }
    if (file.st_dev != bin.st_dev) {
        *reason = systemReason(EXDEV);
        return false;
    }
    ::mkdir((trash + "/files").constData(), 0700);
    ::mkdir((trash + "/info").constData(), 0700);
    const QByteArray name = native.mid(native.lastIndexOf('/') + 1);
    const QByteArray record = "[Trash Info]\nPath=" + native.toPercentEncoding("/") + "\nDeletionDate=" +
                              QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + '\n';
    for (int n = 0; n < 1000; ++n) {
        const QByteArray unique = n == 0 ? name : name + '.' + QByteArray::number(n);
        const QByteArray info = trash + "/info/" + unique + ".trashinfo";
        const int fd = ::open(info.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0) {
            *reason = systemReason(errno);
            return false;
        }
        const bool written = ::write(fd, record.constData(), size_t(record.size())) == record.size();
        const bool closed = ::close(fd) == 0;
        const QByteArray target = trash + "/files/" + unique;
        if (written && closed && renameBytesNoReplace(native, target) == 0) {
            *inTrash = FileNames::fromBytes(target);
            return true;
        }
        const int error = written && closed ? errno : EIO;
        ::unlink(info.constData());
        if (error != EEXIST) {
            *reason = systemReason(error);
            return false;
        }
    }
    *reason = systemReason(EEXIST);
    return false;
}

} // namespace

bool canTake(const QString& path, QString* reason) {
    Q_UNUSED(path);
    // Qt falls back on the home trash last, and where that cannot be made it makes one in the current
    // folder: so the home trash is made here first (private, as the XDG rules ask), or nothing is trashed.
    const QString trash = homeTrash();
    const QString data = QFileInfo(trash).path();
    if (!trash.isEmpty() && !QFileInfo::exists(data) && QDir().mkpath(data))
        QFile::setPermissions(data, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (!trash.isEmpty() && (::mkdir(nativePath(trash).constData(), 0700) == 0 || isFolder(trash)))
        return true;
    if (reason)
        *reason = QDir::toNativeSeparators(trash) + QStringLiteral(": ") + systemReason(errno);
    return false;
}

bool move(const QString& path, QString* inTrash, QString* reason) {
    QString unused;
    QString& why = reason ? *reason : unused;
    const QByteArray native = nativePath(path);
    if (QFile::encodeName(path) != native)
        return moveRawName(native, inTrash, &why);
    QFile file(path);
    if (!file.moveToTrash()) {
        why = file.errorString();
        return false;
    }
    *inTrash = file.fileName();
    return true;
}

QString recordOf(const QString& inTrash) {
    // <trash>/files/<name> is recorded in <trash>/info/<name>.trashinfo.
    const qsizetype slash = inTrash.lastIndexOf(u'/');
    const QString files = inTrash.left(slash);
    return files.left(files.lastIndexOf(u'/')) + QStringLiteral("/info") + inTrash.mid(slash) +
           QStringLiteral(".trashinfo");
}

bool renameNoReplace(const QString& from, const QString& to, bool* taken, QString* reason) {
    if (renameBytesNoReplace(nativePath(from), nativePath(to)) == 0)
        return true;
    const int error = errno;
    *taken = error == EEXIST;
    if (reason)
        *reason = systemReason(error);
    return false;
}

} // namespace Platform::TrashOs
