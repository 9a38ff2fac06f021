#include "forms/Form2.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

class tst_Form2 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void regions_data();
    void regions();
    void pickShowsEntryByMouseAndKeyboard();
    void regionSwitchKeepsDetail();
    void missingRegionFile();
    void layoutIgnoresResize();
};

void tst_Form2::regions_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("Freya untrimmed") << 1 << QStringLiteral("芙蕾雅島.txt")
                                     << QStringList{"  甲 (1,2)  ", "", "乙"};
    QTest::newRow("village untrimmed")
        << 2 << QStringLiteral("聖拉_卡村.txt") << QStringList{"  甲 (1,2)  ", "", "乙"};
    QTest::newRow("Ir village trimmed")
        << 3 << QStringLiteral("芙蕾雅島－伊爾村.txt") << QStringList{"甲 (1,2)", "", "乙"};
}

void tst_Form2::regions() {
    QFETCH(int, button);
    QFETCH(QString, file);
    QFETCH(QStringList, items);
    ProgramFolder folder;
    folder.writeCp950(file, QStringLiteral("  甲 (1,2)  \r\n\r\n乙"));
    auto* form = FormBase::open<Form2>();
    QPushButton* buttons[] = {nullptr, form->Command1, form->Command2, form->Command3};
    QTest::mouseClick(buttons[button], Qt::LeftButton);
    QCOMPARE(form->List1->items(), items);
}

void tst_Form2::pickShowsEntryByMouseAndKeyboard() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("芙蕾雅島.txt"), QStringLiteral("港口 (100,200)\r\n\r\n廣場 (5,6)\r\n"));
    auto* form = FormBase::open<Form2>();
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    const QRect first = form->List1->visualRect(form->List1->model()->index(0, 0));
    QTest::mouseClick(form->List1->viewport(), Qt::LeftButton, {}, first.center());
    QCOMPARE(form->Text1->text(), QStringLiteral("港口 (100,200)"));
    form->List1->setFocus();
    QTest::keyClick(form->List1, Qt::Key_Down);
    QCOMPARE(form->Text1->text(), QString());
    QTest::keyClick(form->List1, Qt::Key_Down);
    QCOMPARE(form->Text1->text(), QStringLiteral("廣場 (5,6)"));
}

void tst_Form2::regionSwitchKeepsDetail() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("芙蕾雅島.txt"), QStringLiteral("港口\r\n"));
    folder.writeCp950(QStringLiteral("聖拉_卡村.txt"), QStringLiteral("村長家\r\n"));
    auto* form = FormBase::open<Form2>();
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    form->List1->setListIndex(0);
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("港口"));
    QCOMPARE(form->List1->items(), QStringList{"村長家"});
    QCOMPARE(form->List1->listIndex(), -1);
    // Tabbing into the new list is no pick: the detail keeps the old entry until one is picked.
    QVERIFY(QTest::qWaitForWindowActive(form));
    form->Text1->setFocus();
    TestSupport::press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form->List1);
    QTest::qWait(10);
    QCOMPARE(form->Text1->text(), QStringLiteral("港口"));
    QVERIFY(!form->List1->currentIndex().isValid());
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(form->Text1->text(), QStringLiteral("村長家"));
}

void tst_Form2::missingRegionFile() {
    ProgramFolder folder;
    MessageRecorder messages;
    auto* form = FormBase::open<Form2>();
    form->Text1->setText(QStringLiteral("earlier"));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("找不到檔案\"芙蕾雅島.txt\",或檔案無內容")});
    QCOMPARE(form->List1->listCount(), 0);
    QCOMPARE(form->Text1->text(), QStringLiteral("earlier"));
}

void tst_Form2::layoutIgnoresResize() {
    auto* form = FormBase::open<Form2>();
    QCOMPARE(QRect(Twips::left(form->List1), Twips::top(form->List1), Twips::width(form->List1),
                   Twips::height(form->List1)),
             QRect(120, 840, 3015, 3120));
    form->resize(100, 80);
    QCOMPARE(Twips::height(form->List1), 3120);
    QCOMPARE(form->List1->objectName(), QStringLiteral("List1"));
}

QTEST_MAIN(tst_Form2)
#include "tst_form2.moc"
