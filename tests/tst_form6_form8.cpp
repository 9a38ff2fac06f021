#include "forms/Form6.h"
#include "forms/Form8.h"
#include "testsupport.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

class tst_Form6Form8 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void usageLines_data();
    void usageLines();
    void usageShape();
    void usageEditsLastUntilClosed();

    void skillGroups_data();
    void skillGroups();
    void fileNameComesFromCaption();
    void sameGroupTwiceReadsAgain();
    void missingGroupFile();
    void skillsResize_data();
    void skillsResize();
    void skillsReopenStartsEmpty();
};

void tst_Form6Form8::usageLines_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("pattern");
    const struct {
        int line;
        const char* pattern;
    } rows[] = {
        {1, "^={10}[^=]+={9}$"}, {8, "^$"},
        {21, "^修改即可.+"},     {24, "^https?://([a-z]+\\.)*example\\.org/\\S*    \\(暫定\\)$"},
        {26, "^.+ 製作$"},       {27, "^資料來源：$"},
        {36, "^[^:/]+$"},        {37, "^={13}End={13}$"},
    };
    for (const auto& r : rows)
        QTest::addRow("line %d", r.line) << r.line << QString::fromUtf8(r.pattern);
}

void tst_Form6Form8::usageLines() {
    QFETCH(int, line);
    QFETCH(QString, pattern);
    auto* form = FormBase::open<Form6>();
    const QStringList lines = form->Text1->text().split(QStringLiteral("\r\n"));
    QVERIFY(QRegularExpression(pattern).match(lines.value(line - 1)).hasMatch());
}

void tst_Form6Form8::usageShape() {
    auto* form = FormBase::open<Form6>();
    const QString text = form->Text1->text();
    QVERIFY(text.endsWith(QStringLiteral("\r\n")));
    QCOMPARE(text.count(QStringLiteral("\r\n")), 39);
    // Every address in the notes is a placeholder.
    static const QRegularExpression address(QStringLiteral("(://|@)"));
    for (const QString& line : text.split(QStringLiteral("\r\n"))) {
        if (line.contains(address))
            QVERIFY2(line.contains(QStringLiteral("example.org")), qPrintable(line));
    }
    QCOMPARE(form->Text1->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(form->Text1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QCOMPARE(form->Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    form->resize(100, 60);
    QCOMPARE(QRect(Twips::left(form->Text1), Twips::top(form->Text1), Twips::width(form->Text1),
                   Twips::height(form->Text1)),
             QRect(0, 0, 4695, 3135));
}

void tst_Form6Form8::usageEditsLastUntilClosed() {
    auto* form = FormBase::open<Form6>();
    const QString design = form->Text1->text();
    form->Text1->setFocus();
    QTest::keyClicks(form->Text1, QStringLiteral("abc"));
    QVERIFY(form->Text1->text() != design);
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form = FormBase::open<Form6>();
    QCOMPARE(form->Text1->text(), design);
}

void tst_Form6Form8::skillGroups_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("left");
    QTest::addColumn<QString>("file");
    QTest::newRow("attack") << 0 << 0 << QStringLiteral("技能\\攻击技能.txt");
    QTest::newRow("gathering") << 1 << 1080 << QStringLiteral("技能\\采集技能.txt");
    QTest::newRow("crafting") << 2 << 2160 << QStringLiteral("技能\\制作技能.txt");
    QTest::newRow("other") << 3 << 3240 << QStringLiteral("技能\\其他技能.txt");
}

void tst_Form6Form8::skillGroups() {
    QFETCH(int, index);
    QFETCH(int, left);
    QFETCH(QString, file);
    ProgramFolder folder;
    // The file name is written out by hand here: the captions must match these names exactly.
    folder.writeCp950(file, QStringLiteral("  火球術  \r\n\r\n    說明:攻擊單一目標"));
    MessageRecorder messages;
    auto* form = FormBase::open<Form8>();
    QPushButton* button = form->Command1[index];
    QCOMPARE(button->geometry(), QRect(Twips::px(left), 0, Twips::px(1095), Twips::px(255)));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("火球術\r\n\r\n說明:攻擊單一目標\r\n"));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form6Form8::fileNameComesFromCaption() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("技能\\寵物技能.txt"), QStringLiteral("撲咬"));
    MessageRecorder messages;
    auto* form = FormBase::open<Form8>();
    form->Command1[2]->setText(QStringLiteral("寵物技能"));
    QTest::mouseClick(form->Command1[2], Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("撲咬\r\n"));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form6Form8::sameGroupTwiceReadsAgain() {
    ProgramFolder folder;
    const QString file = QStringLiteral("技能\\其他技能.txt");
    folder.writeCp950(file, QStringLiteral("鑑定"));
    auto* form = FormBase::open<Form8>();
    QTest::mouseClick(form->Command1[3], Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("鑑定\r\n"));
    folder.writeCp950(file, QStringLiteral("修理\r\n交易\r\n"));
    QTest::mouseClick(form->Command1[3], Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("修理\r\n交易\r\n"));
}

void tst_Form6Form8::missingGroupFile() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("技能\\采集技能.txt"), QStringLiteral("伐木"));
    MessageRecorder messages;
    auto* form = FormBase::open<Form8>();
    QTest::mouseClick(form->Command1[1], Qt::LeftButton);
    QTest::mouseClick(form->Command1[0], Qt::LeftButton);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("找不到檔案\"技能\\攻击技能.txt\",或檔案無內容")});
    QCOMPARE(form->Text1->text(), QString());
}

void tst_Form6Form8::skillsResize_data() {
    QTest::addColumn<QSize>("clientPx");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("larger") << QSize(400, 300) << 6000 << 4500 - 270;
    QTest::newRow("box at zero height") << QSize(300, 18) << 4500 << 0;
    QTest::newRow("very low keeps the height, width follows") << QSize(300, 17) << 4500 << 3195 - 270;
    QTest::newRow("tiny") << QSize(1, 1) << 15 << 3195 - 270;
}

void tst_Form6Form8::skillsResize() {
    QFETCH(QSize, clientPx);
    QFETCH(int, width);
    QFETCH(int, height);
    MessageRecorder messages;
    auto* form = FormBase::open<Form8>();
    const QSize design = form->size();
    QCOMPARE(Twips::width(form->Text1), 4365);
    QCOMPARE(Twips::height(form->Text1), 3195 - 270);
    form->resize(clientPx);
    QCOMPARE(Twips::width(form->Text1), width);
    QCOMPARE(Twips::height(form->Text1), height);
    QCOMPARE(Twips::top(form->Text1), 240);
    form->resize(design);
    QCOMPARE(Twips::width(form->Text1), 4365);
    QCOMPARE(Twips::height(form->Text1), 3195 - 270);
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form6Form8::skillsReopenStartsEmpty() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("技能\\制作技能.txt"), QStringLiteral("鍛造"));
    auto* form = FormBase::open<Form8>();
    QTest::mouseClick(form->Command1[2], Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("鍛造\r\n"));
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    folder.writeCp950(QStringLiteral("技能\\制作技能.txt"), QStringLiteral("打造"));
    form = FormBase::open<Form8>();
    QCOMPARE(form->Text1->text(), QString());
    QTest::mouseClick(form->Command1[2], Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("打造\r\n"));
}

QTEST_MAIN(tst_Form6Form8)
#include "tst_form6_form8.moc"
