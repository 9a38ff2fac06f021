#include "platform/Platform.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <memory>

namespace Platform {

namespace {
// xdg-open says at once when nothing can open a file. Later it only passes on the exit status of the
// program it started, which says nothing about the opening.
constexpr qint64 kVerdictMs = 10000;
} // namespace

void openDocument(const QString& path, std::function<void()> failed) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)) && failed)
            failed();
        return;
    }
    // The path goes to xdg-open as one argument, untouched: no shell ever parses it. The process has no
    // parent and is never deleted while it runs, so closing the viewer or the program leaves the
    // player's picture editor open.
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({path});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    auto clock = std::make_shared<QElapsedTimer>();
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        if (failed)
            failed();
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed, clock](int code, QProcess::ExitStatus status) {
                         const bool refused = status != QProcess::NormalExit || code != 0;
                         if (refused && clock->elapsed() < kVerdictMs && failed)
                             failed();
                         process->deleteLater();
                     });
    clock->start();
    process->start();
}

} // namespace Platform
