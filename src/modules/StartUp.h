#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QTextStream;

// The command line and the choice of the data folder, before the first window opens.
namespace StartUp {

// Reads the arguments (the program's name first): --help and --version print and stop, a bad option or
// an unusable --data folder is reported on `err`. Returns the exit code when the program is to stop
// here. Needs no application object, so it works without a display.
[[nodiscard]] std::optional<int> readCommandLine(const QStringList& arguments, QTextStream& out,
                                                 QTextStream& err);
// The same on the process's arguments, standard output and standard error.
[[nodiscard]] std::optional<int> readCommandLine(int argc, char* argv[]);

// Settles the data folder: the --data folder, else the folder DataFolder::choose picks for this
// installation, filling the player's folder on its first start. Problems go to `err` (standard error
// when null); the program goes on with the best folder it has. Needs the application object.
void settleDataFolder(QTextStream* err = nullptr);

// The settled data folder; the executable's folder until one is settled (as in the tests).
[[nodiscard]] QString dataFolder();

// Forgets the --data folder and the settled folder.
void reset();

} // namespace StartUp
