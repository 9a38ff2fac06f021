#include "platform/Platform.h"

#include <QDir>

#include <qt_windows.h>
#include <shellapi.h>

namespace Platform {

void openDocument(const QString& path, std::function<void()> failed) {
    // The shell's own "open" of the path, as Explorer's double click does: no file URL to encode (a '#'
    // or '%' in a name survives), no command line, and no "Open with" dialog for a type without a
    // program, which is reported instead.
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = nullptr;
    info.lpFile = native.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info) && failed)
        failed();
}

} // namespace Platform
