#include "forms/Form1.h"
#include "forms/Form3.h"
#include "forms/Form4.h"
#include "forms/frmcalc.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHash>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>

#include <csignal>
#include <memory>
#include <unistd.h>

namespace {

void xdotool(const QStringList& args) {
    QCOMPARE(QProcess::execute(QStringLiteral("xdotool"), args), 0);
}

void realClick(QWidget* w) {
    // The window manager gives a click to whatever is on top there: bring the window up first.
    w->window()->raise();
    w->window()->activateWindow();
    if (!QTest::qWaitFor([w] { return w->window()->isActiveWindow(); }))
        qWarning("%s did not become active", qPrintable(w->window()->objectName()));
    const QPoint at = w->mapToGlobal(w->rect().center());
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
             QStringLiteral("click"), QStringLiteral("1")});
}

void realKeys(const QString& keys) {
    xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("20")} +
            keys.split(u' '));
}

QWidget* shownWindow(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name && w->isVisible())
            return w;
    }
    return nullptr;
}

// The frame's distance from the screen's right and bottom edges, in twips, as the placement rule states.
QPoint marginsTw(const QWidget* w) {
    const QRect screen = w->screen()->geometry();
    const QRect frame = w->frameGeometry();
    return {(screen.right() - frame.right()) * 15, (screen.bottom() - frame.bottom()) * 15};
}

bool framed(const QWidget* w) {
    return w->frameGeometry() != w->geometry();
}

bool placedAt(const QWidget* w, QPoint wantedTw) {
    const QPoint m = marginsTw(w);
    return framed(w) && qAbs(m.x() - wantedTw.x()) <= 15 && qAbs(m.y() - wantedTw.y()) <= 15;
}

// The window manager: the openbox that the desktop wrapper, this test's parent, started.
pid_t windowManager() {
    const QString parent = QString::number(getppid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (name) state ppid ...
        const QString line = QString::fromLatin1(stat.readAll());
        const QStringList after = line.mid(line.lastIndexOf(u')') + 2).split(u' ');
        if (line.contains(QLatin1String("(openbox)")) && after.value(1) == parent)
            return pid.toInt();
    }
    return 0;
}

// The program's window titled `title`, shown or not yet; empty while there is none.
QString windowOf(qint64 pid, const QString& title) {
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--all"), QStringLiteral("--pid"),
                  QString::number(pid), QStringLiteral("--name"), title});
    search.waitForFinished();
    return QString::fromLatin1(search.readAllStandardOutput()).section(u'\n', 0, 0);
}

// The frame of that window, as the X server has it; empty while it has none.
QRect frameOf(qint64 pid, const QString& title) {
    const QString id = windowOf(pid, title);
    if (id.isEmpty())
        return {};
    // The client's place and size, and the frame's extents around it (left, right, top, bottom).
    QProcess info;
    info.start(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    info.waitForFinished();
    QHash<QString, int> values;
    for (const QString& line : QString::fromLatin1(info.readAllStandardOutput()).split(u'\n'))
        values[line.section(u':', 0, 0).trimmed()] = line.section(u':', 1).trimmed().toInt();
    QProcess extents;
    extents.start(QStringLiteral("xprop"), {QStringLiteral("-id"), id, QStringLiteral("_NET_FRAME_EXTENTS")});
    extents.waitForFinished();
    const QStringList e = QString::fromLatin1(extents.readAllStandardOutput()).section(u'=', 1).split(u',');
    if (e.size() != 4)
        return {};
    const QRect client(values[QStringLiteral("Absolute upper-left X")],
                       values[QStringLiteral("Absolute upper-left Y")], values[QStringLiteral("Width")],
                       values[QStringLiteral("Height")]);
    return client.adjusted(-e[0].toInt(), -e[2].toInt(), e[1].toInt(), e[3].toInt());
}

} // namespace

// What only a real desktop shows, on Xvfb with openbox; clicks and keys are real X events (xdotool).
class tst_Desktop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        TestSupport::initApplication();
        Module1::setProgramFolder(qEnvironmentVariable("QMQUERY_SOURCE_DIR") + QStringLiteral("/data"));
        messages_ = std::make_unique<TestSupport::MessageRecorder>();
        menu_ = FormBase::open<Form1>();
        QVERIFY(QTest::qWaitForWindowExposed(menu_));
        QTRY_VERIFY(placedAt(menu_, {100, 80}));
    }

    void cleanupTestCase() {
        TestSupport::unloadAllForms();
        messages_.reset();
    }

    void placedByTheRule_data() {
        QTest::addColumn<int>("button"); // 14 is on the menu's second page
        QTest::addColumn<QPoint>("margins");
        for (int button = 1; button <= 7; ++button)
            QTest::addRow("button %d", button) << button << QPoint(100, 80);
        QTest::newRow("articles") << 14 << QPoint(20, 20);
    }

    void placedByTheRule() {
        QFETCH(int, button);
        QFETCH(QPoint, margins);
        menu_->activateWindow();
        const bool page2 = button > 9;
        if (page2)
            realClick(menu_->Command[10]);
        QTRY_VERIFY(menu_->Command[button]->isVisible());
        const QString window =
            button == 14 ? QStringLiteral("Form10") : QStringLiteral("Form%1").arg(button + 1);
        realClick(menu_->Command[button]);
        QTRY_VERIFY(shownWindow(window));
        QWidget* form = shownWindow(window);
        QTRY_VERIFY2(placedAt(form, margins), qPrintable(QStringLiteral("frame margins %1,%2 twips")
                                                             .arg(marginsTw(form).x())
                                                             .arg(marginsTw(form).y())));
        form->close();
        if (page2)
            realClick(menu_->Command[11]);
        QTRY_VERIFY(menu_->Command[1]->isVisible());
    }

    void findFieldLeavesTheWindowWhereItWas_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("window");
        QTest::newRow("coordinates") << 1 << QStringLiteral("Form2");
        QTest::newRow("articles") << 14 << QStringLiteral("Form10");
    }

    // Both windows grow for the field, and both stand so near the screen's bottom that the window
    // manager lifts them to keep them on it; closing the field puts the frame back exactly.
    void findFieldLeavesTheWindowWhereItWas() {
        QFETCH(int, button);
        QFETCH(QString, window);
        if (button > 9)
            realClick(menu_->Command[10]);
        QTRY_VERIFY(menu_->Command[button]->isVisible());
        realClick(menu_->Command[button]);
        QTRY_VERIFY(shownWindow(window));
        QWidget* form = shownWindow(window);
        QTRY_VERIFY(framed(form));
        QTest::qWait(200); // the frame settles
        const QRect before = form->frameGeometry();
        QTRY_VERIFY(form->isActiveWindow());
        realKeys(QStringLiteral("ctrl+f"));
        QTRY_VERIFY(form->frameGeometry().height() > before.height());
        QTest::qWait(200);
        realKeys(QStringLiteral("Escape"));
        QTRY_COMPARE(form->frameGeometry(), before);
        QTest::qWait(200); // and nothing moves it afterwards
        QCOMPARE(form->frameGeometry(), before);
        form->close();
        if (button > 9)
            realClick(menu_->Command[11]);
        QTRY_VERIFY(menu_->Command[1]->isVisible());
    }

    void menuPlacedHoweverLateTheFrame_data() {
        QTest::addColumn<int>("frameLateMs");
        QTest::newRow("frame at once") << 0;
        QTest::newRow("frame half a second late") << 500;
        QTest::newRow("frame three and a half seconds late") << 3500;
    }

    // The program started as a player starts it, twice per row, while a busy desktop's window manager
    // answers late (held stopped): the menu's frame ends where the rule puts it, and stays.
    void menuPlacedHoweverLateTheFrame() {
        QFETCH(int, frameLateMs);
        const pid_t wm = windowManager();
        QVERIFY(wm > 0);
        const QString title = QStringLiteral("资料查询器");
        const QRect screen = menu_->screen()->geometry();
        const auto placed = [&screen](const QRect& f) {
            return f.isValid() && qAbs((screen.right() - f.right()) * 15 - 100) <= 15 &&
                   qAbs((screen.bottom() - f.bottom()) * 15 - 80) <= 15;
        };
        for (int start = 1; start <= 2; ++start) {
            QProcess program;
            const auto resume = qScopeGuard([wm] { ::kill(wm, SIGCONT); });
            if (frameLateMs > 0)
                QCOMPARE(::kill(wm, SIGSTOP), 0);
            program.start(qEnvironmentVariable("QMQUERY_PROGRAM"), {});
            QVERIFY(program.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(!windowOf(program.processId(), title).isEmpty(), 15000);
            QTest::qWait(frameLateMs); // from the program's showing its window
            ::kill(wm, SIGCONT);
            QRect frame;
            QTRY_VERIFY2_WITH_TIMEOUT(placed(frame = frameOf(program.processId(), title)),
                                      qPrintable(QStringLiteral("start %1: frame %2,%3 %4x%5")
                                                     .arg(start)
                                                     .arg(frame.x())
                                                     .arg(frame.y())
                                                     .arg(frame.width())
                                                     .arg(frame.height())),
                                      15000);
            QTest::qWait(300); // nothing moves it afterwards
            QCOMPARE(frameOf(program.processId(), title), frame);
            program.terminate();
            QVERIFY(program.waitForFinished());
        }
        // The next tests click this test's own menu, under where those menus stood.
        menu_->raise();
        menu_->activateWindow();
        QTRY_VERIFY(menu_->isActiveWindow());
    }

    void professionWindowEightTimes() {
        for (int opening = 1; opening <= 8; ++opening) {
            realClick(menu_->Command[3]);
            QTRY_VERIFY(shownWindow(QStringLiteral("Form4")));
            QWidget* form = shownWindow(QStringLiteral("Form4"));
            QTRY_VERIFY2(placedAt(form, {100, 80}), qPrintable(QStringLiteral("opening %1").arg(opening)));
            QTest::qWait(150); // still there once the frame has settled: nothing moves it afterwards
            QVERIFY2(placedAt(form, {100, 80}), qPrintable(QStringLiteral("opening %1 moved").arg(opening)));
            form->close();
            QTRY_VERIFY(!shownWindow(QStringLiteral("Form4")));
        }
    }

    void maximisedProfessionWindowStaysMaximised() {
        auto* form = FormBase::open<Form4>();
        QTRY_VERIFY(placedAt(form, {100, 80}));
        form->setWindowState(Qt::WindowMaximized);
        QTRY_VERIFY(form->frameGeometry().width() > 4695 / 15 + 100);
        QTest::qWait(150);
        QVERIFY(form->isMaximized());
        QVERIFY(form->frameGeometry().width() > 4695 / 15 + 100);
        form->close();
    }

    void tabLeavesTextBox() {
        auto* form = FormBase::open<Form3>();
        QVERIFY(QTest::qWaitForWindowActive(form));
        form->Text1->setFocus();
        const QString detail = form->Text1->text();
        realKeys(QStringLiteral("Tab"));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->List1));
        realKeys(QStringLiteral("shift+Tab"));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form->Text1));
        QCOMPARE(form->Text1->text(), detail);
        QCOMPARE(form->List1->listIndex(), -1);
        form->close();
    }

    void altLettersStayOutOfNumberBoxes() {
        auto* calc = FormBase::open<frmcalc>();
        QVERIFY(QTest::qWaitForWindowActive(calc));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(calc->Lv));
        realKeys(QStringLiteral("End"));
        realKeys(QStringLiteral("alt+a alt+minus alt+period 2"));
        QTRY_COMPARE(calc->Lv->text(), QStringLiteral("12"));
        calc->close();
    }

    // The middle button pastes the X selection: into a number box, only its digits.
    void middleButtonPastesDigitsOnly() {
        auto* calc = FormBase::open<frmcalc>();
        QVERIFY(QTest::qWaitForWindowActive(calc));
        QApplication::clipboard()->setText(QStringLiteral("-1.5x"), QClipboard::Selection);
        const QPoint at = calc->a1->mapToGlobal(calc->a1->rect().center());
        xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                 QStringLiteral("click"), QStringLiteral("2")});
        QTRY_COMPARE(calc->a1->text(), QStringLiteral("15"));
        QCOMPARE(calc->Pointi->text(), QStringLiteral("15"));
        calc->close();
    }

    // Ctrl+F on the menu opens the search where the rule puts it; typing and Enter bring the result's
    // window up in front, with its line picked and the keyboard there.
    void searchLeadsToTheWindow() {
        menu_->activateWindow();
        QTRY_VERIFY(menu_->isActiveWindow());
        realKeys(QStringLiteral("ctrl+f"));
        QTRY_VERIFY(shownWindow(QStringLiteral("SearchForm")));
        QWidget* search = shownWindow(QStringLiteral("SearchForm"));
        QTRY_VERIFY(placedAt(search, {100, 80}));
        QTRY_VERIFY(search->isActiveWindow());
        realKeys(QStringLiteral("l v 1 1"));
        auto* field = search->findChild<QLineEdit*>(QStringLiteral("Text1"));
        QTRY_COMPARE(field->text(), QStringLiteral("lv11"));
        realKeys(QStringLiteral("Return"));
        QTRY_VERIFY(shownWindow(QStringLiteral("Form3")));
        auto* synthesis = static_cast<Form3*>(shownWindow(QStringLiteral("Form3")));
        QTRY_VERIFY(synthesis->isActiveWindow());
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(synthesis->List1));
        QVERIFY(synthesis->List1->text().contains(QStringLiteral("Lv11")));
        QCOMPARE(synthesis->Text1->text(), synthesis->List1->text());
        synthesis->close();
        search->close();
    }

private:
    Form1* menu_ = nullptr;
    std::unique_ptr<TestSupport::MessageRecorder> messages_;
};

QTEST_MAIN(tst_Desktop)
#include "tst_desktop.moc"
