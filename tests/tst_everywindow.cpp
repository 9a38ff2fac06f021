#include "forms/Form1.h"
#include "forms/Form2.h"
#include "forms/Form6.h"
#include "modules/Module1.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// Opens a window as the player does, with its menu button (0: the menu itself); the window it opened.
FormBase* openFromMenu(int button) {
    auto* menu = FormBase::open<Form1>();
    if (button == 0)
        return menu;
    if (button > 10) // on the second page, as the player finds it
        menu->Command[10]->click();
    if (!menu->Command[button]->isVisible())
        return nullptr;
    menu->Command[button]->click();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<FormBase*>(w); form && form != menu && form->isVisible())
            return form;
    }
    return nullptr;
}

} // namespace

// The box around every pixel of the widget's picture unlike its top-left corner.
static QRect inkIn(QWidget* w, int rows) {
    const QImage image = w->grab().toImage();
    QRect ink;
    for (int y = 0; y < qMin(rows, image.height()); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != image.pixel(0, 0))
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// The main menu, and what every window shares: keyboard order, screen-reader names, captions, messages.
class tst_EveryWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        TestSupport::initApplication();
        // Every data file the windows load at opening is there, so no message box stands in the way.
        folder_ = std::make_unique<TestSupport::ProgramFolder>();
        folder_->writeCp950(QStringLiteral("合成表.txt"), QStringLiteral("甲\r\n乙\r\n"));
        folder_->writeCp950(QStringLiteral("料理藥品.txt"), QStringLiteral("丙\r\n"));
        folder_->writeCp950(QStringLiteral("心得文章/一.txt"), QStringLiteral("文\r\n"));
    }

    void cleanup() { TestSupport::unloadAllForms(); }
    void cleanupTestCase() { folder_.reset(); }

    void tabCyclesThroughEveryControl_data() { windows_data(); }

    // Every menu button opens its window, where Tab goes round every control and Shift+Tab back.
    void tabCyclesThroughEveryControl() {
        QFETCH(int, button);
        QFETCH(QString, window);
        FormBase* form = openFromMenu(button);
        QVERIFY(form);
        QCOMPARE(form->objectName(), window);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::qWait(20); // windows that choose their first item do so once shown
        QWidget* first = QApplication::focusWidget();
        QVERIFY(first && first->window() == form);
        QHash<TextBox*, QString> before;
        for (TextBox* box : form->findChildren<TextBox*>())
            before[box] = box->text();

        QList<QWidget*> forward{first};
        for (int i = 0; i < 80; ++i) {
            TestSupport::press(Qt::Key_Tab);
            if (QApplication::focusWidget() == first)
                break;
            QVERIFY2(
                !forward.contains(QApplication::focusWidget()),
                qPrintable(QStringLiteral("Tab is stuck at ") + QApplication::focusWidget()->objectName()));
            forward.append(QApplication::focusWidget());
        }
        QCOMPARE(QApplication::focusWidget(), first);
        QList<QWidget*> backward{first};
        for (qsizetype i = 1; i < forward.size(); ++i) {
            TestSupport::press(Qt::ShiftModifier | Qt::Key_Backtab);
            backward.prepend(QApplication::focusWidget());
        }
        backward.removeLast();
        backward.prepend(first);
        QCOMPARE(backward, forward);

        // Every text box is on the way, and none took a tab character.
        for (TextBox* box : form->findChildren<TextBox*>()) {
            if (box->isVisibleTo(form) && box->isEnabled())
                QVERIFY2(forward.contains(box), qPrintable(box->objectName()));
            QCOMPARE(box->text(), before[box]);
        }
        // A title, and no push button covering another (design edges may share a pixel or two).
        QVERIFY(!form->windowTitle().isEmpty());
        const auto buttons = form->findChildren<QPushButton*>();
        for (const QPushButton* a : buttons)
            for (const QPushButton* b : buttons) {
                const QRect both = a->geometry() & b->geometry();
                QVERIFY2(a == b || a->parent() != b->parent() || !a->isVisible() || !b->isVisible() ||
                             both.width() <= 2 || both.height() <= 2,
                         qPrintable(a->objectName() + QStringLiteral(" covers ") + b->objectName()));
            }
        // Captions wrapped for looks (the menu's tall page buttons) still read as one line.
        for (QWidget* w : form->findChildren<QWidget*>()) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            if (!a || a->role() == QAccessible::EditableText)
                continue;
            const QString name = a->text(QAccessible::Name);
            QVERIFY2(!name.contains(u'\n'), qPrintable(w->objectName() + QStringLiteral(": ") + name));
        }
        if (auto* menu = qobject_cast<Form1*>(form))
            QCOMPARE(QAccessible::queryAccessibleInterface(menu->Command[10])->text(QAccessible::Name),
                     QStringLiteral("》下一页》"));
    }

    void enterPressesTheFocusedButton_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("key");
        for (const auto& [name, button] : {std::pair{"menu", 0},
                                           {"coordinates", 1},
                                           {"professions", 3},
                                           {"quests", 4},
                                           {"skills", 7},
                                           {"experience", 13},
                                           {"articles", 14},
                                           {"viewer", 20}}) {
            QTest::addRow("%s, Enter", name) << button << int(Qt::Key_Return);
            QTest::addRow("%s, keypad Enter", name) << button << int(Qt::Key_Enter);
        }
    }

    // Enter and keypad Enter press the push button Tab brought the focus to, as Space does.
    void enterPressesTheFocusedButton() {
        QFETCH(int, button);
        QFETCH(int, key);
        TestSupport::MessageRecorder messages; // buttons that ask or warn get their answer here
        FormBase* form = openFromMenu(button);
        QVERIFY(form);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QWidget* first = QApplication::focusWidget();
        for (int i = 0; i < 80 && !qobject_cast<QPushButton*>(QApplication::focusWidget()); ++i)
            TestSupport::press(Qt::Key_Tab);
        QPointer<QPushButton> focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
        QVERIFY2(focused, qPrintable(first ? first->objectName() : QStringLiteral("no focus")));
        int clicks = 0;
        connect(focused, &QPushButton::clicked, this, [&clicks] { ++clicks; });
        const Qt::KeyboardModifiers keypad = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        TestSupport::press(QKeyCombination(keypad, Qt::Key(key)));
        QCOMPARE(clicks, 1);
    }

    void frameCaptionsSitInsideTheBorder() {
        auto* menu = FormBase::open<Form1>();
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        // The caption's first stroke stands clear of the frame's left edge, where the window's edge is.
        const QRect ink = inkIn(menu->Frame1, menu->Frame1->fontMetrics().height() / 2);
        QVERIFY2(ink.left() >= 4, qPrintable(QStringLiteral("caption ink from x = %1").arg(ink.left())));
    }

    void messageShowsUnderscores() {
        // The last line of a message keeps room below it: a Ming face draws "_" under its stated descent.
        const auto box = Module1::makeMessageBox(QStringLiteral("刪除檔案:\"qm020315_031.bmp\"?"),
                                                 Module1::MsgButtons::YesNo, Module1::MsgIcon::Question);
        box->show();
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        const QRect ink = inkIn(label, label->height());
        QVERIFY2(
            ink.isValid() && ink.bottom() + 2 < label->height(),
            qPrintable(QStringLiteral("ink down to row %1 of %2").arg(ink.bottom()).arg(label->height())));
        QCOMPARE(box->button(QMessageBox::Yes)->text() + box->button(QMessageBox::No)->text(),
                 u"是(&Y)否(&N)");
        const auto ok = Module1::makeMessageBox(QStringLiteral("x"), Module1::MsgButtons::Ok,
                                                Module1::MsgIcon::Exclamation);
        QCOMPARE(ok->button(QMessageBox::Ok)->text(), QStringLiteral("確定"));
        QCOMPARE(ok->icon(), QMessageBox::Warning);
    }

    void pages() {
        auto* menu = FormBase::open<Form1>();
        QVERIFY(menu->Frame1->isVisible() && !menu->Frame2->isVisible());
        QTest::mouseClick(menu->Command[10], Qt::LeftButton);
        QVERIFY(!menu->Frame1->isVisible() && menu->Frame2->isVisible());
        const auto windows = QApplication::topLevelWidgets().size();
        for (int n = 15; n <= 19; ++n)
            QTest::mouseClick(menu->Command[n], Qt::LeftButton);
        QVERIFY(!menu->Command[8]->isEnabled() && !menu->Command[9]->isEnabled());
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
        QTest::mouseClick(menu->Command[11], Qt::LeftButton);
        QVERIFY(menu->Frame1->isVisible() && !menu->Frame2->isVisible());
    }

    void openWindowsAreReusedAndClosedOnesLoadAgain() {
        auto* menu = FormBase::open<Form1>();
        QTest::mouseClick(menu->Command[1], Qt::LeftButton);
        auto* lookup = FormBase::existing<Form2>();
        lookup->List1->setItems({"kept"});
        QTest::mouseClick(menu->Command[1], Qt::LeftButton);
        QCOMPARE(FormBase::existing<Form2>(), lookup);
        QCOMPARE(lookup->List1->listCount(), 1);
        lookup->move(0, 0);
        lookup->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!FormBase::existing<Form2>());
        QTest::mouseClick(menu->Command[1], Qt::LeftButton);
        auto* again = FormBase::existing<Form2>();
        QVERIFY(again && again->isVisible());
        QCOMPARE(again->List1->listCount(), 0);
        QVERIFY(again->pos() != QPoint(0, 0)); // placed again
    }

    void closingMenuQuits() { // last: it runs the event loop to its end
        auto* menu = FormBase::open<Form1>();
        QTest::mouseClick(menu->Command[1], Qt::LeftButton);
        QTest::mouseClick(menu->Command[5], Qt::LeftButton);
        QTimer::singleShot(0, menu, [menu] { menu->close(); });
        // If closing the menu did not quit, this guard ends the loop with a failing code.
        QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!FormBase::existing<Form2>() && !FormBase::existing<Form6>() && !FormBase::existing<Form1>());
    }

private:
    static void windows_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("window");
        QTest::newRow("menu") << 0 << "Form1";
        QTest::newRow("coordinates") << 1 << "Form2";
        QTest::newRow("synthesis") << 2 << "Form3";
        QTest::newRow("professions") << 3 << "Form4";
        QTest::newRow("quests") << 4 << "Form5";
        QTest::newRow("usage") << 5 << "Form6";
        QTest::newRow("cooking") << 6 << "Form7";
        QTest::newRow("skills") << 7 << "Form8";
        QTest::newRow("stats") << 12 << "frmcalc";
        QTest::newRow("experience") << 13 << "Form9";
        QTest::newRow("articles") << 14 << "Form10";
        QTest::newRow("viewer") << 20 << "showpic";
    }

    std::unique_ptr<TestSupport::ProgramFolder> folder_;
};

QTEST_MAIN(tst_EveryWindow)
#include "tst_everywindow.moc"
