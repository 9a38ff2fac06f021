#include "forms/Form1.h"
#include "forms/Form2.h"
#include "forms/Form6.h"
#include "modules/Module1.h"
#include "testsupport.h"
#include "widgets/ListBox.h"

#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The main menu: its title, its two pages, and how it opens windows (which one each button opens:
// tst_everywindow).
class tst_Form1 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void titleAndPages();
    void openWindowsAreRaisedAndClosedOnesLoadAgain();
    void closingMenuQuits();
};

void tst_Form1::titleAndPages() {
    auto* menu = FormBase::open<Form1>();
    QCOMPARE(menu->windowTitle(), QStringLiteral("资料查询器    版本:1.0.116"));
    QVERIFY(menu->Frame1->title().endsWith(QStringLiteral("  第1頁")));
    QVERIFY(menu->Frame2->title().endsWith(QStringLiteral("  第2頁")));
    QVERIFY(menu->Frame1->isVisible() && !menu->Frame2->isVisible());
    QTest::mouseClick(menu->Command[10], Qt::LeftButton);
    QVERIFY(!menu->Frame1->isVisible() && menu->Frame2->isVisible());
    // The blank buttons and the greyed ones open nothing.
    const auto windows = QApplication::topLevelWidgets().size();
    for (int n = 15; n <= 19; ++n)
        QTest::mouseClick(menu->Command[n], Qt::LeftButton);
    QVERIFY(!menu->Command[8]->isEnabled() && !menu->Command[9]->isEnabled());
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
    QTest::mouseClick(menu->Command[11], Qt::LeftButton);
    QVERIFY(menu->Frame1->isVisible() && !menu->Frame2->isVisible());
}

void tst_Form1::openWindowsAreRaisedAndClosedOnesLoadAgain() {
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

void tst_Form1::closingMenuQuits() {
    auto* menu = FormBase::open<Form1>();
    QTest::mouseClick(menu->Command[1], Qt::LeftButton);
    QTest::mouseClick(menu->Command[5], Qt::LeftButton);
    QTimer::singleShot(0, menu, [menu] { menu->close(); });
    // If closing the menu did not quit, this guard ends the loop with a failing code.
    QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!FormBase::existing<Form2>() && !FormBase::existing<Form6>() && !FormBase::existing<Form1>());
}

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
