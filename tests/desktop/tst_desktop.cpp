#include "forms/Form1.h"
#include "forms/Form3.h"
#include "forms/Form4.h"
#include "forms/frmcalc.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <memory>

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

    void professionWindowEightTimes() {
        for (int opening = 1; opening <= 8; ++opening) {
            realClick(menu_->Command[3]);
            QTRY_VERIFY(shownWindow(QStringLiteral("Form4")));
            QWidget* form = shownWindow(QStringLiteral("Form4"));
            QTRY_VERIFY2(placedAt(form, {100, 80}), qPrintable(QStringLiteral("opening %1").arg(opening)));
            QTest::qWait(150); // still there once the frame has settled: nothing moves it afterwards
            QVERIFY2(placedAt(form, {100, 80}), qPrintable(QStringLiteral("opening %1 moved").arg(opening)));
            QCOMPARE(form->frameGeometry().width() * 15, 4695);
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
        QCOMPARE(Twips::height(form->Text1), Twips::height(form) - 2280 - 30);
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

private:
    Form1* menu_ = nullptr;
    std::unique_ptr<TestSupport::MessageRecorder> messages_;
};

QTEST_MAIN(tst_Desktop)
#include "tst_desktop.moc"
