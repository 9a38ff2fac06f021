#include "core/Find.h"
#include "forms/Form2.h"
#include "forms/Form3.h"
#include "forms/Form4.h"
#include "testsupport.h"
#include "widgets/FindBar.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QAccessible>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>

using TestSupport::ProgramFolder;

// Ctrl+F in the reference windows: finding as the player types, next and previous, no match, Escape.
class tst_Find : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void folding_data();
    void folding();
    void inList_data();
    void inList();
    void inPane();
    void layoutComesBack();
};

namespace {

FindBar* openFind(FormBase* form) {
    form->activateWindow();
    if (!QTest::qWaitForWindowActive(form))
        qWarning("window did not become active");
    TestSupport::press(Qt::ControlModifier | Qt::Key_F);
    return qobject_cast<FindBar*>(QApplication::focusWidget());
}

} // namespace

void tst_Find::folding_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("found");
    QTest::newRow("letter case") << "短劍 Lv10"
                                 << "lV10" << true;
    QTest::newRow("full-width text, half-width query") << "鐵礦石ｘ２　Ｌｖ３"
                                                       << "x2 lv3" << true;
    QTest::newRow("half-width text, full-width query") << "Lv3 (東 281)"
                                                       << "ＬＶ３　（東" << true;
    QTest::newRow("Chinese as it is") << "劍士"
                                      << "劍" << true;
    QTest::newRow("no fold across other letters") << "Éa"
                                                  << "éa" << false;
    QTest::newRow("not there") << "木材x1"
                               << "x2" << false;
}

void tst_Find::folding() {
    QFETCH(QString, text);
    QFETCH(QString, query);
    QFETCH(bool, found);
    QCOMPARE(Find::findItem({QStringLiteral("other"), text}, query, 0, true) == 1, found);
    QTextDocument doc(text);
    QCOMPARE(
        !doc.find(QRegularExpression(Find::pattern(query)), 0, QTextDocument::FindCaseSensitively).isNull(),
        found);
}

void tst_Find::inList_data() {
    QTest::addColumn<QList<int>>("keys"); // after typing "lv1"
    QTest::addColumn<int>("picked");
    const int next = Qt::Key_Return, again = Qt::Key_F3;
    const int back = (Qt::ShiftModifier | Qt::Key_Return).toCombined();
    QTest::newRow("typing finds the first") << QList<int>{} << 1;
    QTest::newRow("Enter finds the next") << QList<int>{next} << 3;
    QTest::newRow("F3 as well, wrapping at the end") << QList<int>{again, again} << 1;
    QTest::newRow("Shift+Enter wraps back from the first") << QList<int>{back} << 3;
}

void tst_Find::inList() {
    QFETCH(QList<int>, keys);
    QFETCH(int, picked);
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("合成表.txt"),
                      QStringLiteral("武器 材料\r\n短劍 Ｌｖ１\r\n長劍 Lv3\r\n斧 LV12\r\n"));
    auto* form = FormBase::open<Form3>();
    FindBar* bar = openFind(form);
    QVERIFY(bar);
    QCOMPARE(QAccessible::queryAccessibleInterface(bar)->text(QAccessible::Name), QStringLiteral("尋找"));
    TestSupport::type(QStringLiteral("lv1"));
    for (int key : keys)
        TestSupport::press(QKeyCombination::fromCombined(key));
    QCOMPARE(form->List1->listIndex(), picked);
    // A pick like any other: the detail box shows the found line.
    QCOMPARE(form->Text1->text(), form->List1->itemText(picked));
    QVERIFY(!bar->missed());

    // A query found nowhere colours the field and leaves the pick alone.
    TestSupport::type(QStringLiteral("9"));
    QVERIFY(bar->missed());
    QCOMPARE(form->List1->listIndex(), picked);

    // Escape gives the focus back (to the detail box, where it was); the found line stays picked.
    TestSupport::press(Qt::Key_Escape);
    QVERIFY(bar->isHidden());
    QCOMPARE(QApplication::focusWidget(), form->Text1);
    QCOMPARE(form->List1->listIndex(), picked);
}

void tst_Find::inPane() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("職業\\劍士.txt"),
                      QStringLiteral("劍士\r\n攻擊 ＨＰ高\r\n技能 hp回復\r\n"));
    auto* form = FormBase::open<Form4>();
    QTest::mouseClick(form->Command[1], Qt::LeftButton);
    form->Text1->setFocus();
    FindBar* bar = openFind(form);
    QVERIFY(bar);
    TestSupport::type(QStringLiteral("Hp"));
    QCOMPARE(form->Text1->textCursor().selectedText(), QStringLiteral("ＨＰ"));
    TestSupport::press(Qt::Key_F3);
    QCOMPARE(form->Text1->textCursor().selectedText(), QStringLiteral("hp"));
    TestSupport::press(Qt::Key_F3);
    QCOMPARE(form->Text1->textCursor().selectedText(), QStringLiteral("ＨＰ"));
    TestSupport::press(Qt::ShiftModifier | Qt::Key_F3);
    QCOMPARE(form->Text1->textCursor().selectedText(), QStringLiteral("hp"));
    const int at = form->Text1->textCursor().selectionStart();
    TestSupport::type(QStringLiteral("x"));
    QVERIFY(bar->missed());
    QCOMPARE(form->Text1->textCursor().selectionStart(), at);
    TestSupport::press(Qt::Key_Escape);
    QCOMPARE(QApplication::focusWidget(), form->Text1);
    QCOMPARE(form->Text1->textCursor().selectedText(), QStringLiteral("hp"));
}

// While the field is open the window's controls make room for it; closed, the design's layout is back.
void tst_Find::layoutComesBack() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("合成表.txt"), QStringLiteral("甲\r\n"));
    folder.writeCp950(QStringLiteral("芙蕾雅島.txt"), QStringLiteral("乙\r\n"));
    auto* lists = FormBase::open<Form3>();
    auto* lookup = FormBase::open<Form2>();
    const QRect list = lists->List1->geometry();
    const QSize lookupSize = lookup->size();
    const QRect lookupList = lookup->List1->geometry();

    FindBar* bar = openFind(lists);
    QVERIFY(bar);
    QCOMPARE(lists->List1->geometry().height(), list.height() - bar->height());
    QCOMPARE(bar->geometry().bottom(), lists->height() - 1);
    TestSupport::press(Qt::Key_Escape);
    QCOMPARE(lists->List1->geometry(), list);

    // A window whose controls keep their places grows for the field instead.
    bar = openFind(lookup);
    QVERIFY(bar);
    QCOMPARE(lookup->height(), lookupSize.height() + bar->height());
    QCOMPARE(lookup->List1->geometry(), lookupList);
    QVERIFY(bar->geometry().top() >= Twips::px(4095));
    TestSupport::press(Qt::Key_Escape);
    QCOMPARE(lookup->size(), lookupSize);
}

QTEST_MAIN(tst_Find)
#include "tst_find.moc"
