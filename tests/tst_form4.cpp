#include "forms/Form4.h"
#include "testsupport.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QPushButton>
#include <QTest>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

class tst_Form4 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void professionButtons_data();
    void professionButtons();
    void missingFileEmptiesPane();
    void widthHeldHeightFollows_data();
    void widthHeldHeightFollows();
    void keyboardOrder_data();
    void keyboardOrder();
    void reopenStartsEmpty();
};

void tst_Form4::professionButtons_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QPoint>("place");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("file");
    const struct {
        int number, left, top;
        const char* caption;
        bool enabled;
        const char* file;
    } rows[] = {
        {1, 120, 240, "劍士", true, "劍士"},
        {2, 120, 470, "士兵", true, "士兵"},
        {3, 120, 690, "封印師", true, "封印師"},
        {4, 120, 910, "格鬥士", false, "格鬥士"},
        {5, 120, 1140, "騎士", true, "騎士"},
        {6, 120, 1360, "魔法師", true, "魔法師"},
        {7, 120, 1590, "巫師", false, "巫師"},
        {8, 120, 1820, "馴獸師", true, "馴獸師"},
        {9, 1080, 240, "弓箭手", true, "弓箭手"},
        {10, 1080, 465, "咒術師", false, "咒術師"},
        {11, 1080, 690, "盜賊", false, "盜賊"},
        {12, 1080, 915, "道士", false, "道士"},
        {13, 1080, 1140, "戰斧鬥士", true, "戰斧鬥士"},
        {14, 1080, 1365, "僧侶", true, "僧侶"},
        {15, 1080, 1590, "飼養師", true, "飼養師"},
        {16, 1080, 1815, "忍者", false, "忍者"},
        {17, 2280, 240, "護士", true, "護士"},
        {18, 2280, 465, "醫生", true, "醫師"},
        {19, 2280, 690, "藥師", true, "藥劑師"},
        {20, 3360, 240, "樵夫", true, "樵夫"},
        {21, 3360, 465, "獵人", true, "獵人"},
        {22, 3360, 690, "礦工", true, "礦工"},
        {23, 2280, 1200, "武器生產", true, "武器生產"},
        {24, 2280, 1425, "防具生產", true, "防具生產"},
        {25, 2280, 1650, "武器修理", true, "武器修理師"},
        {26, 3360, 1200, "防具修理", true, "防具修理師"},
        {27, 3360, 1425, "鑑定師", true, "鑑定師"},
        {28, 3360, 1650, "刻印師", false, "刻印師"},
    };
    for (const auto& r : rows) {
        QTest::addRow("Command%d %s", r.number, r.caption)
            << r.number << QPoint(r.left, r.top) << QString::fromUtf8(r.caption) << r.enabled
            << QStringLiteral("職業\\") + QString::fromUtf8(r.file) + QStringLiteral(".txt");
    }
}

void tst_Form4::professionButtons() {
    QFETCH(int, number);
    QFETCH(QPoint, place);
    QFETCH(QString, caption);
    QFETCH(bool, enabled);
    QFETCH(QString, file);
    ProgramFolder folder;
    // Every file exists, so a disabled button that read one would show it.
    const QString content = file + QStringLiteral("\r\n  縮排的一行\r\n\r\n最後一行");
    folder.writeCp950(file, content);
    MessageRecorder messages;
    auto* form = FormBase::open<Form4>();
    QPushButton* button = form->Command[number];
    QCOMPARE(button->objectName(), QStringLiteral("Command%1").arg(number));
    QCOMPARE(button->text(), caption);
    // Design places that are not whole pixels land on the nearest pixel.
    QCOMPARE(button->geometry(),
             QRect(Twips::px(place.x()), Twips::px(place.y()), Twips::px(975), Twips::px(240)));
    QCOMPARE(button->font().family(), QStringLiteral("新細明體"));
    QCOMPARE(button->font().pointSizeF(), 8.25);
    QCOMPARE(button->isEnabled(), enabled);

    form->Text1->setText(QStringLiteral("之前的內容"));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(form->Text1->text(), enabled ? content + QStringLiteral("\r\n") : QStringLiteral("之前的內容"));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form4::missingFileEmptiesPane() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("職業\\劍士.txt"), QStringLiteral("劍士的說明"));
    folder.writeCp950(QStringLiteral("職業\\醫生.txt"), QStringLiteral("名稱跟按鈕一樣的檔案不該被讀"));
    MessageRecorder messages;
    auto* form = FormBase::open<Form4>();
    QTest::mouseClick(form->Command[1], Qt::LeftButton);
    QTest::mouseClick(form->Command[18], Qt::LeftButton);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("找不到檔案\"職業\\醫師.txt\",或檔案無內容")});
    QCOMPARE(form->Text1->text(), QString());
}

void tst_Form4::widthHeldHeightFollows_data() {
    QTest::addColumn<QSize>("clientPx");
    QTest::addColumn<int>("textHeight");
    QTest::newRow("wider and taller") << QSize(600, 500) << 7500 - 2310;
    QTest::newRow("narrower and shorter") << QSize(100, 200) << 3000 - 2310;
    QTest::newRow("text pane at zero height") << QSize(300, 154) << 0;
    QTest::newRow("very low keeps the last height") << QSize(300, 40) << 5310 - 2310;
    QTest::newRow("tiny keeps the last height") << QSize(1, 1) << 5310 - 2310;
}

void tst_Form4::widthHeldHeightFollows() {
    QFETCH(QSize, clientPx);
    QFETCH(int, textHeight);
    MessageRecorder messages;
    auto* form = FormBase::open<Form4>();
    QCOMPARE(Twips::height(form->Text1), 5310 - 2310);
    form->resize(clientPx);
    QCOMPARE(Module1::outerWidthTw(form), 4695.0);
    QCOMPARE(Twips::height(form->Text1), textHeight);
    QCOMPARE(QRect(Twips::left(form->Text1), Twips::top(form->Text1), Twips::width(form->Text1), 0),
             QRect(0, 2280, 4455, 0));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form4::keyboardOrder_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("first column to second") << 8 << 9;
    QTest::newRow("third column top to lower block") << 19 << 23;
    QTest::newRow("lower blocks before the upper right block") << 28 << 20;
    QTest::newRow("pane last") << 22 << 0;
}

void tst_Form4::keyboardOrder() {
    QFETCH(int, from);
    QFETCH(int, to);
    auto* form = FormBase::open<Form4>();
    QWidget* expected = to ? static_cast<QWidget*>(form->Command[to]) : form->Text1;
    QCOMPARE(form->Command[from]->nextInFocusChain(), expected);
}

void tst_Form4::reopenStartsEmpty() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("職業\\僧侶.txt"), QStringLiteral("僧侶"));
    auto* form = FormBase::open<Form4>();
    QTest::mouseClick(form->Command[14], Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("僧侶\r\n"));
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form = FormBase::open<Form4>();
    QCOMPARE(form->Text1->text(), QString());
    QTest::mouseClick(form->Command[14], Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("僧侶\r\n"));
}

QTEST_MAIN(tst_Form4)
#include "tst_form4.moc"
