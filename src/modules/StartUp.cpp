#include "modules/StartUp.h"

#include "core/FileNames.h"
#include "core/Version.h"
#include "modules/DataFolder.h"
#include "platform/Files.h"
#include "platform/Process.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>

// The installed sample data, relative to the installed executable's folder; set by the build.
#ifndef QMQUERY_INSTALLED_DATA
#define QMQUERY_INSTALLED_DATA ""
#endif

namespace StartUp {

namespace {

QString& dataOption() {
    static QString folder;
    return folder;
}

QString& settledFolder() {
    static QString folder;
    return folder;
}

constexpr QLatin1String kProgram("qmquery");

} // namespace

std::optional<int> readCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("资料查询器: reference and calculators for Quellmark players.\n\n"
                       "Data files are read from the program's folder when they are there, else from\n"
                       "$XDG_DATA_HOME/qmquery (~/.local/share/qmquery), which the first start fills\n"
                       "with a copy of the installed sample data."));
    // Qt's own help option would offer --help-all, listing Qt's options, which are not taken here.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Displays this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Displays the version."));
    const QCommandLineOption data(QStringLiteral("data"),
                                  QStringLiteral("Reads the data files from <DIR> and copies nothing."),
                                  QStringLiteral("DIR"));
    parser.addOptions({help, version, data});
    // "-data" as one option, not the letters d, a, t, a.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    const auto usageError = [&](const QString& message) {
        err << kProgram << ": " << message << "\nTry '" << kProgram << " --help'.\n";
        err.flush();
        return 2;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        // The parser names the program from the application object, which does not exist yet.
        QString text = parser.helpText();
        text.replace(0, text.indexOf(u'\n'), QStringLiteral("Usage: qmquery [options]"));
        out << text;
        out.flush();
        return 0;
    }
    if (parser.isSet(version)) {
        out << kProgram << ' ' << Version::text() << '\n';
        out.flush();
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    if (parser.isSet(data)) {
        const QString value = parser.value(data);
        const QString folder = value.isEmpty() || QDir::isAbsolutePath(value)
                                   ? QDir::cleanPath(value)
                                   : QDir::cleanPath(Platform::currentFolder() + u'/' + value);
        const QString reason = DataFolder::unusableReason(folder);
        if (!reason.isEmpty()) {
            err << kProgram << ": cannot use \"" << FileNames::displayPath(value)
                << "\" as the data folder: " << reason << '\n';
            err.flush();
            return 2;
        }
        dataOption() = folder;
    }
    return std::nullopt;
}

std::optional<int> readCommandLine(int argc, char* argv[]) {
    QTextStream out(stdout);
    QTextStream err(stderr);
    return readCommandLine(Platform::commandLine(argc, argv), out, err);
}

void settleDataFolder(QTextStream* err) {
    QTextStream standardError(stderr);
    QTextStream& log = err ? *err : standardError;
    if (!dataOption().isEmpty()) {
        settledFolder() = dataOption();
        return;
    }
    const QString programFolder = Platform::programFolder();
    const QString installed = QStringLiteral(QMQUERY_INSTALLED_DATA);
    QString genericData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    // A relative XDG_DATA_HOME is to be ignored (Qt passes it on, and it would name a folder below
    // wherever the program was started).
    if (!genericData.isEmpty() && QDir::isRelativePath(genericData))
        genericData = QDir::homePath() + QStringLiteral("/.local/share");
    DataFolder::Places places;
    places.programFolder = programFolder;
    places.installedData =
        installed.isEmpty() ? QString() : QDir::cleanPath(programFolder + u'/' + installed);
    places.playerFolder = genericData.isEmpty() ? QString() : genericData + QStringLiteral("/qmquery");

    DataFolder::Choice choice = DataFolder::choose(places);
    if (!choice.seedFrom.isEmpty()) {
        const QStringList failures = DataFolder::seed(choice.seedFrom, choice.folder, Version::text());
        if (!failures.isEmpty()) {
            log << kProgram << ": could not copy the sample data from "
                << FileNames::displayPath(choice.seedFrom) << " to " << FileNames::displayPath(choice.folder)
                << ":\n";
            for (const QString& failure : failures)
                log << "  " << failure << '\n';
            // Without a folder of its own the player still gets to read the sample data.
            if (!Platform::isFolder(choice.folder)) {
                log << kProgram << ": reading the sample data in " << FileNames::displayPath(choice.seedFrom)
                    << " instead\n";
                choice.folder = choice.seedFrom;
            }
            log.flush();
        }
    }
    settledFolder() = choice.folder;
}

QString dataFolder() {
    if (!settledFolder().isEmpty())
        return settledFolder();
    return Platform::programFolder();
}

void reset() {
    dataOption().clear();
    settledFolder().clear();
}

} // namespace StartUp
