// Start-up until the menu is painted, against a bare Qt program that shows one window with a Chinese
// label (judged) and one empty window (shown only).
// The driver starts itself as a child in each mode, so every run pays the whole process start.
#include "benchutil.h"
#include "forms/Form1.h"
#include "modules/Module1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QProcess>

#include <algorithm>
#include <cstring>

namespace {

// Quits the program at the first paint of the watched window.
class FirstPaint : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            QCoreApplication::exit(0);
        return QObject::eventFilter(watched, event);
    }
};

enum class Mode { Menu, Bare, BareText };

int runChild(int argc, char* argv[], Mode mode) {
    const bool menu = mode == Mode::Menu;
    QApplication app(argc, argv);
    FirstPaint watcher;
    QWidget* window = nullptr;
    if (menu) {
        Module1::initApplication(app);
        window = FormBase::instance<Form1>();
        window->installEventFilter(&watcher);
        FormBase::open<Form1>();
    } else {
        window = new QWidget;
        // Any text at all makes Qt start fontconfig and load a face: the part of start-up no
        // program with a Chinese caption avoids.
        if (mode == Mode::BareText)
            new QLabel(QStringLiteral("资料查询器"), window);
        window->installEventFilter(&watcher);
        window->show();
    }
    const int rc = QApplication::exec();
    FormBase::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (!menu)
        delete window;
    return rc;
}

double timeOnce(const char* self, const char* mode) {
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QString::fromLocal8Bit(self), {QString::fromLatin1(mode)});
    p.waitForFinished(30000);
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::strcmp(argv[1], "menu") == 0)
        return runChild(argc, argv, Mode::Menu);
    if (argc > 1 && std::strcmp(argv[1], "bare") == 0)
        return runChild(argc, argv, Mode::Bare);
    if (argc > 1 && std::strcmp(argv[1], "text") == 0)
        return runChild(argc, argv, Mode::BareText);
    QCoreApplication core(argc, argv);
    Bench::Report report("start-up");
    // Interleaved, so that a busy moment of the machine falls on all three alike; the fastest of each
    // is the least disturbed.
    double bare = 1e300;
    double text = 1e300;
    double menu = 1e300;
    for (int i = 0; i < 25; ++i) {
        bare = std::min(bare, timeOnce(argv[0], "bare"));
        text = std::min(text, timeOnce(argv[0], "text"));
        menu = std::min(menu, timeOnce(argv[0], "menu"));
    }
    // An empty window paints no text, so it never starts fontconfig nor loads a Chinese face, which a
    // window with any caption must: the fair baseline is the window with one Chinese label.
    report.ratioShown("start-up until the menu is painted vs an empty window", menu, bare);
    report.ratio("start-up until the menu is painted vs a bare window with one label", menu, text, 1.5);
    return report.exitCode();
}
