#include "forms/Form1.h"
#include "forms/Form2.h"
#include "forms/Form6.h"
#include "modules/Module1.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

class tst_Form1 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void titleCarriesVersion();
    void placedBottomRight();
    void buttons_data();
    void buttons();
    void tabOrderFollowsDesign();
    void pageSwitching();
    void blankButtonsDoNothing();
    void secondClickOnlyRaises();
    void reopeningLoadsAgain();
    void closingMenuQuits();
};

void tst_Form1::titleCarriesVersion() {
    auto* menu = FormBase::open<Form1>();
    QCOMPARE(menu->windowTitle(), QStringLiteral("资料查询器    版本:1.0.116"));
    QVERIFY(menu->Frame1->title().endsWith(QStringLiteral("  第1頁")));
    QVERIFY(menu->Frame2->title().endsWith(QStringLiteral("  第2頁")));
    QVERIFY(menu->Frame1->title().contains(QStringLiteral("example.org")));
    QVERIFY(!menu->windowIcon().pixmap(32, 32).isNull());
}

void tst_Form1::placedBottomRight() {
    auto* menu = FormBase::open<Form1>();
    const QRect screen = menu->screen()->geometry();
    const QRect frame = menu->frameGeometry();
    // 100 twips from the right edge and 80 from the bottom, within a pixel of rounding.
    QVERIFY(qAbs((screen.right() + 1 - (frame.left() + frame.width())) * 15 - 100) <= 15);
    QVERIFY(qAbs((screen.bottom() + 1 - (frame.top() + frame.height())) * 15 - 80) <= 15);
    QCOMPARE(Twips::width(menu), 3555);
    QCOMPARE(Twips::height(menu), 1470);
}

void tst_Form1::buttons_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("page");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("Command1") << 1 << 1 << QRect(120, 240, 975, 375) << QStringLiteral("坐标查询") << true;
    QTest::newRow("Command6") << 6 << 1 << QRect(2040, 600, 975, 375) << QStringLiteral("料理药品") << true;
    QTest::newRow("Command8 greyed") << 8 << 1 << QRect(1080, 960, 975, 375) << QStringLiteral("使魔技能")
                                     << false;
    QTest::newRow("Command9 greyed") << 9 << 1 << QRect(2040, 960, 975, 375) << QStringLiteral("一般選項")
                                     << false;
    QTest::newRow("Command10 strip") << 10 << 1 << QRect(3120, 240, 255, 1095) << QString() << true;
    QTest::newRow("Command11 strip") << 11 << 2 << QRect(120, 240, 255, 1095) << QString() << true;
    QTest::newRow("Command20") << 20 << 2 << QRect(480, 240, 975, 375) << QStringLiteral("看图程序") << true;
    QTest::newRow("Command13") << 13 << 2 << QRect(2400, 240, 975, 375) << QStringLiteral("经验计算") << true;
    QTest::newRow("Command19 blank") << 19 << 2 << QRect(2400, 960, 975, 375) << QString() << true;
}

void tst_Form1::buttons() {
    QFETCH(int, number);
    QFETCH(int, page);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    QFETCH(bool, enabled);
    auto* menu = FormBase::open<Form1>();
    QPushButton* b = menu->Command[number];
    QCOMPARE(b->objectName(), QStringLiteral("Command%1").arg(number));
    QCOMPARE(b->parentWidget(), page == 1 ? menu->Frame1 : menu->Frame2);
    QCOMPARE(QRect(Twips::left(b), Twips::top(b), Twips::width(b), Twips::height(b)), twips);
    if (!caption.isEmpty() || number >= 15)
        QCOMPARE(b->text(), caption);
    QCOMPARE(b->isEnabled(), enabled);
}

void tst_Form1::tabOrderFollowsDesign() {
    auto* menu = FormBase::open<Form1>();
    const int order[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 20, 12, 13, 14, 15, 16, 17, 18, 19};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        QCOMPARE(menu->Command[order[i]]->nextInFocusChain(), menu->Command[order[i + 1]]);
}

void tst_Form1::pageSwitching() {
    auto* menu = FormBase::open<Form1>();
    QVERIFY(menu->Frame1->isVisible());
    QVERIFY(!menu->Frame2->isVisible());
    QTest::mouseClick(menu->Command[10], Qt::LeftButton);
    QVERIFY(!menu->Frame1->isVisible());
    QVERIFY(menu->Frame2->isVisible());
    QTest::mouseClick(menu->Command[11], Qt::LeftButton);
    QVERIFY(menu->Frame1->isVisible());
    QVERIFY(!menu->Frame2->isVisible());
}

void tst_Form1::blankButtonsDoNothing() {
    auto* menu = FormBase::open<Form1>();
    QTest::mouseClick(menu->Command[10], Qt::LeftButton);
    const auto before = QApplication::topLevelWidgets().size();
    for (int n = 15; n <= 19; ++n)
        QTest::mouseClick(menu->Command[n], Qt::LeftButton);
    QCOMPARE(QApplication::topLevelWidgets().size(), before);
    QVERIFY(menu->Frame2->isVisible());
}

void tst_Form1::secondClickOnlyRaises() {
    auto* menu = FormBase::open<Form1>();
    QTest::mouseClick(menu->Command[1], Qt::LeftButton);
    auto* lookup = FormBase::existing<Form2>();
    QVERIFY(lookup && lookup->isVisible());
    lookup->List1->setItems({"kept"});
    QTest::mouseClick(menu->Command[1], Qt::LeftButton);
    QCOMPARE(FormBase::existing<Form2>(), lookup);
    QCOMPARE(lookup->List1->listCount(), 1);
}

void tst_Form1::reopeningLoadsAgain() {
    auto* menu = FormBase::open<Form1>();
    QTest::mouseClick(menu->Command[1], Qt::LeftButton);
    auto* lookup = FormBase::existing<Form2>();
    lookup->List1->setItems({"gone after closing"});
    lookup->move(0, 0);
    lookup->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!FormBase::existing<Form2>());
    QTest::mouseClick(menu->Command[1], Qt::LeftButton);
    auto* again = FormBase::existing<Form2>();
    QVERIFY(again && again->isVisible());
    QCOMPARE(again->List1->listCount(), 0);
    QVERIFY(again->pos() != QPoint(0, 0));
}

void tst_Form1::closingMenuQuits() {
    auto* menu = FormBase::open<Form1>();
    QTest::mouseClick(menu->Command[1], Qt::LeftButton);
    QTest::mouseClick(menu->Command[5], Qt::LeftButton);
    QVERIFY(FormBase::existing<Form2>() && FormBase::existing<Form6>());
    QTimer::singleShot(0, menu, [menu] { menu->close(); });
    // If closing the menu did not quit, this guard ends the loop with a failing code.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(7); });
    guard.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!FormBase::existing<Form2>());
    QVERIFY(!FormBase::existing<Form6>());
    QVERIFY(!FormBase::existing<Form1>());
    QVERIFY(Module1::quitting());
}

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
