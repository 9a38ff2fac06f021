#include "platform/Process.h"

#include <QCoreApplication>
#include <QDir>

#include <windows.h>

#include <shellapi.h>

namespace Platform {

QStringList commandLine(int argc, char* argv[]) {
    // The narrow arguments are in the ANSI code page, which cannot hold every name; the wide command
    // line can.
    QStringList arguments;
    int count = 0;
    if (LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            arguments.append(QString::fromWCharArray(wide[i]));
        ::LocalFree(wide);
        return arguments;
    }
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

QString currentFolder() {
    return QDir::currentPath();
}

} // namespace Platform
