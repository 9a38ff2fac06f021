#pragma once

#include <QString>
#include <QStringList>

// What the running program was given and where it lies, with names kept as core/FileNames keeps them, so
// a folder named in code page 950 bytes on Linux is still the folder it names.
namespace Platform {

// The program's arguments, the program's own name first. Usable before the application object exists.
[[nodiscard]] QStringList commandLine(int argc, char* argv[]);

// The folder holding the executable.
[[nodiscard]] QString programFolder();

// The folder the program was started in.
[[nodiscard]] QString currentFolder();

} // namespace Platform
