#include "platform/Platform.h"

#include "core/FileNames.h"
#include "platform/Files.h"

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

// A name whose bytes are not UTF-8 cannot travel as text: it goes as a file URL with those bytes
// percent-encoded, which xdg-open and the programs it starts take back to the same bytes.
QByteArray encodedUrl(const QString& path) {
    return QByteArrayLiteral("file://") + nativePath(path).toPercentEncoding("/");
}

QUrl urlFor(const QString& path) {
    return FileNames::hasRawBytes(path) ? QUrl::fromEncoded(encodedUrl(path)) : QUrl::fromLocalFile(path);
}

QString argumentFor(const QString& path) {
    return FileNames::hasRawBytes(path) ? QString::fromLatin1(encodedUrl(path)) : path;
}
} // namespace

void openDocument(const QString& path, std::function<void()> failed) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(urlFor(path)) && failed)
            failed();
        return;
    }
    // The path goes to xdg-open as one argument, untouched: no shell ever parses it. The process has no
    // parent and is never deleted while it runs, so closing the viewer or the program leaves the
    // player's picture editor open.
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({argumentFor(path)});
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
