#include "platform/Process.h"

#include "core/FileNames.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>

#include <climits>
#include <unistd.h>

namespace Platform {

QStringList commandLine(int argc, char* argv[]) {
    QStringList arguments;
    arguments.reserve(argc);
    for (int i = 0; i < argc; ++i)
        arguments.append(FileNames::fromBytes(argv[i]));
    return arguments;
}

QString programFolder() {
    // Qt decodes this link's target as UTF-8 and would lose a code page 950 folder name.
    QByteArray target(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", target.data(), target.size());
    if (n > 0 && n < target.size()) {
        target.truncate(n);
        const qsizetype slash = target.lastIndexOf('/');
        if (slash >= 0)
            return FileNames::fromBytes(target.left(slash > 0 ? slash : 1));
    }
    return QCoreApplication::applicationDirPath();
}

QString currentFolder() {
    QByteArray folder(PATH_MAX, '\0');
    if (::getcwd(folder.data(), folder.size()) != nullptr)
        return FileNames::fromBytes(folder.constData());
    return QDir::currentPath();
}

} // namespace Platform
