#include "forms/Form10.h"
#include "testsupport.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

namespace {

QString numberedLines(int count) {
    QString s;
    for (int i = 1; i <= count; ++i)
        s += QStringLiteral("第%1行\r\n").arg(i);
    return s;
}

QString progress(int lines) {
    return QStringLiteral("載入文章第%1行中...").arg(lines);
}

// Articles n01.txt ... in the article folder, each one line naming itself.
void writeNumbered(const ProgramFolder& folder, int count) {
    for (int i = 1; i <= count; ++i) {
        const QString title = QStringLiteral("n%1").arg(i, 2, 10, QLatin1Char('0'));
        folder.writeCp950(QStringLiteral("心得文章\\") + title + QStringLiteral(".txt"), title);
    }
}

QStringList captions(const Form10* form) {
    QStringList c;
    for (const QRadioButton* option : form->Option1)
        c.append(option->text());
    return c;
}

int chosen(const Form10* form) {
    for (int i = 0; i < int(form->Option1.size()); ++i) {
        if (form->Option1[i]->isChecked())
            return i;
    }
    return -1;
}

// Opens the window and lets the first article finish loading.
Form10* openSettled(const QString& expectedLabel) {
    auto* form = FormBase::open<Form10>();
    [&] { QTRY_COMPARE(form->Label1->text(), expectedLabel); }();
    return form;
}

} // namespace

class tst_Form10 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void openingLoadsFirstArticle();
    void articleText_data();
    void articleText();
    void paging_data();
    void paging();
    void missingFolder();
    void blankButtonChangesChoiceOnly();
    void chosenButtonLoadsWhatItNowNames();
    void arrowKeyChoosesAndLoads();
    void wrongExtensionFailsAndWindowGoesOn();
    void ampersandInName();
    void oddNamesAndFiles();
    void pagingDuringLoad();
    void choosingDuringLoad();
    void closingDuringLoad();
};

void tst_Form10::openingLoadsFirstArticle() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("心得文章\\b.txt"), QStringLiteral("乙\r\n"));
    folder.writeCp950(QStringLiteral("心得文章\\A.txt"), QStringLiteral("甲一\r\n甲二\r\n"));
    folder.writeCp950(QStringLiteral("心得文章\\.hidden.txt"), QStringLiteral("hidden"));
    MessageRecorder messages;
    auto* form = openSettled(progress(2));
    QCOMPARE(form->Text1->text(), QStringLiteral("甲一\r\n甲二\r\n"));
    QCOMPARE(captions(form), (QStringList{"A", "b", "", "", "", ""}));
    QCOMPARE(chosen(form), 0);
    QCOMPARE(QApplication::focusWidget(), form->Option1[0]);
    QCOMPARE(form->Frame1->title(), QStringLiteral("心得文章  第 1 頁"));
    QCOMPARE(form->windowTitle(), QStringLiteral("心得文章 "));
    QVERIFY(!(form->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QCOMPARE(form->property(Module1::kPlacementProperty).toPointF(), QPointF(20, 20));
    // The label sizes itself to its text at its design place.
    QCOMPARE(form->Label1->size(), form->Label1->sizeHint());
    QCOMPARE(QPoint(Twips::left(form->Label1), Twips::top(form->Label1)), QPoint(120, 1080));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form10::articleText_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("lines");
    QTest::newRow("padded lines trimmed")
        << QStringLiteral("打工.txt") << QStringLiteral("   打工心得   \r\n  一  \r\n")
        << QStringLiteral("打工心得\r\n一\r\n") << 2;
    QTest::newRow("empty lines count") << QStringLiteral("心得.txt") << QStringLiteral("甲\r\n\r\n\r\n乙")
                                       << QStringLiteral("甲\r\n\r\n\r\n乙\r\n") << 4;
    QTest::newRow("upper-case extension")
        << QStringLiteral("心得.TXT") << QStringLiteral("甲") << QStringLiteral("甲\r\n") << 1;
    QTest::newRow("three thousand lines")
        << QStringLiteral("日誌.txt") << numberedLines(3000) << numberedLines(3000) << 3000;
}

void tst_Form10::articleText() {
    QFETCH(QString, name);
    QFETCH(QString, content);
    QFETCH(QString, shown);
    QFETCH(int, lines);
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("心得文章\\") + name, content);
    MessageRecorder messages;
    auto* form = openSettled(progress(lines));
    QCOMPARE(form->Text1->text(), shown);
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form10::paging_data() {
    QTest::addColumn<int>("articles");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("titles");
    const QStringList blank{"", "", "", "", "", ""};
    const QStringList first{"n01", "n02", "n03", "n04", "n05", "n06"};
    QTest::newRow("0: + stays on page 1") << 0 << "+" << 1 << blank;
    QTest::newRow("6: + stays on page 1") << 6 << "+" << 1 << first;
    QTest::newRow("7: + shows the seventh alone") << 7 << "+" << 2 << QStringList{"n07", "", "", "", "", ""};
    QTest::newRow("7: + on the last page stays") << 7 << "++" << 2 << QStringList{"n07", "", "", "", "", ""};
    QTest::newRow("7: - on page 1 stays") << 7 << "-" << 1 << first;
    QTest::newRow("12: + on page 2 stays")
        << 12 << "+++" << 2 << QStringList{"n07", "n08", "n09", "n10", "n11", "n12"};
    QTest::newRow("13: third page") << 13 << "+++" << 3 << QStringList{"n13", "", "", "", "", ""};
    QTest::newRow("13: back to the first page") << 13 << "++---" << 1 << first;
}

void tst_Form10::paging() {
    QFETCH(int, articles);
    QFETCH(QString, clicks);
    QFETCH(int, page);
    QFETCH(QStringList, titles);
    ProgramFolder folder;
    writeNumbered(folder, articles);
    MessageRecorder messages;
    auto* form = FormBase::open<Form10>();
    QTRY_COMPARE(chosen(form), 0);
    const QString text = form->Text1->text();
    const QString label = form->Label1->text();
    for (QChar c : clicks)
        QTest::mouseClick(c == u'+' ? form->Command1 : form->Command2, Qt::LeftButton);
    QCOMPARE(form->Frame1->title(), QStringLiteral("心得文章  第 %1 頁").arg(page));
    QCOMPARE(captions(form), titles);
    // Paging touches the captions only.
    QCOMPARE(form->Text1->text(), text);
    QCOMPARE(form->Label1->text(), label);
    QCOMPARE(chosen(form), 0);
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form10::missingFolder() {
    ProgramFolder folder;
    MessageRecorder messages;
    auto* form = FormBase::open<Form10>();
    QTRY_COMPARE(chosen(form), 0);
    QCOMPARE(captions(form), (QStringList{"", "", "", "", "", ""}));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(form->Frame1->title(), QStringLiteral("心得文章  第 1 頁"));
    QTest::mouseClick(form->Option1[4], Qt::LeftButton);
    QCOMPARE(chosen(form), 4);
    QCOMPARE(form->Text1->text(), QString());
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form10::blankButtonChangesChoiceOnly() {
    ProgramFolder folder;
    writeNumbered(folder, 7);
    MessageRecorder messages;
    auto* form = openSettled(progress(1));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QTest::mouseClick(form->Option1[3], Qt::LeftButton);
    QCOMPARE(chosen(form), 3);
    QCOMPARE(form->Text1->text(), QStringLiteral("n01\r\n"));
    QCOMPARE(form->Label1->text(), progress(1));
    QCOMPARE(form->Frame1->title(), QStringLiteral("心得文章  第 2 頁"));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form10::chosenButtonLoadsWhatItNowNames() {
    ProgramFolder folder;
    writeNumbered(folder, 7);
    auto* form = openSettled(progress(1));
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QCOMPARE(form->Text1->text(), QStringLiteral("n01\r\n"));
    QTest::mouseClick(form->Option1[0], Qt::LeftButton);
    QTRY_COMPARE(form->Text1->text(), QStringLiteral("n07\r\n"));
}

void tst_Form10::arrowKeyChoosesAndLoads() {
    ProgramFolder folder;
    writeNumbered(folder, 3);
    auto* form = openSettled(progress(1));
    form->Option1[0]->setFocus();
    TestSupport::press(Qt::Key_Right);
    QCOMPARE(chosen(form), 1);
    QTRY_COMPARE(form->Text1->text(), QStringLiteral("n02\r\n"));
}

void tst_Form10::wrongExtensionFailsAndWindowGoesOn() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("心得文章\\讀者來信.text"), QStringLiteral("信\r\n"));
    folder.writeCp950(QStringLiteral("心得文章\\甲.txt"), QStringLiteral("甲文\r\n"));
    folder.writeCp950(QStringLiteral("心得文章\\a.b"), QStringLiteral("x"));
    MessageRecorder messages;
    auto* form = FormBase::open<Form10>();
    QTRY_COMPARE(chosen(form), 0);
    QCOMPARE(captions(form),
             (QStringList{"", QStringLiteral("甲"), QStringLiteral("讀者來信."), "", "", ""}));
    QCOMPARE(form->Text1->text(), QString());
    QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    QTRY_COMPARE(form->Text1->text(), QStringLiteral("甲文\r\n"));
    QTest::mouseClick(form->Option1[2], Qt::LeftButton);
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("找不到檔案\"心得文章\\讀者來信..txt\",或檔案無內容")});
    QCOMPARE(form->Text1->text(), QString());
    QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    QTRY_COMPARE(form->Text1->text(), QStringLiteral("甲文\r\n"));
}

// What players unpack into the article folder: a pipe is not listed (and freezes nothing), a name from a
// Windows archive shows as its Chinese title and loads, a backslash stays inside the name.
void tst_Form10::oddNamesAndFiles() {
    ProgramFolder folder;
    const QByteArray articles =
        QFile::encodeName(folder.path()) + QByteArrayLiteral("/") + QStringLiteral("心得文章").toUtf8() + '/';
    QVERIFY(QDir().mkpath(folder.path() + QStringLiteral("/心得文章")));
    QVERIFY(::mkfifo(articles + "0fifo.txt", 0644) == 0);
    QVERIFY(::symlink(articles + "0fifo.txt", articles + "0link.txt") == 0);
    const auto write = [](const QByteArray& path, const QByteArray& bytes) {
        FILE* f = std::fopen(path.constData(), "wb");
        QVERIFY(f);
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
        std::fclose(f);
    };
    write(articles + TestSupport::toCp950(QStringLiteral("攻略.txt")),
          TestSupport::toCp950(QStringLiteral("打法\r\n")));
    write(articles + "a\\..\\..\\x.txt", "inside\r\n");
    write(QFile::encodeName(folder.path()) + "/x.txt", "outside\r\n");
    MessageRecorder messages;
    auto* form = openSettled(progress(1));
    QCOMPARE(captions(form),
             (QStringList{QStringLiteral("a\\..\\..\\x"), QStringLiteral("攻略"), "", "", "", ""}));
    QCOMPARE(form->Text1->text(), QStringLiteral("inside\r\n"));
    QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    QTRY_COMPARE(form->Text1->text(), QStringLiteral("打法\r\n"));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form10::ampersandInName() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("心得文章\\Q&A.txt"), QStringLiteral("問與答\r\n"));
    MessageRecorder messages;
    auto* form = openSettled(progress(1));
    QCOMPARE(form->Text1->text(), QStringLiteral("問與答\r\n"));
    // Doubled, the "&" is shown rather than taken as an access key.
    QCOMPARE(form->Option1[0]->text(), QStringLiteral("Q&&A"));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form10::pagingDuringLoad() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("心得文章\\a00.txt"), numberedLines(20000));
    writeNumbered(folder, 6);
    auto* form = FormBase::open<Form10>();
    int linesWhenPaged = -1;
    QTimer::singleShot(0, form, [&] {
        linesWhenPaged = form->Text1->document()->blockCount();
        QTest::mouseClick(form->Command1, Qt::LeftButton);
    });
    QTRY_COMPARE(form->Label1->text(), progress(20000));
    QVERIFY2(linesWhenPaged > 0 && linesWhenPaged < 20000, "the page changed while the article loaded");
    QCOMPARE(form->Frame1->title(), QStringLiteral("心得文章  第 2 頁"));
    QCOMPARE(captions(form), (QStringList{"n06", "", "", "", "", ""}));
    QCOMPARE(chosen(form), 0);
    QCOMPARE(form->Text1->text(), numberedLines(20000));
}

void tst_Form10::choosingDuringLoad() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("心得文章\\a.txt"), numberedLines(20000));
    folder.writeCp950(QStringLiteral("心得文章\\b.txt"), QStringLiteral("短文\r\n完\r\n"));
    auto* form = FormBase::open<Form10>();
    int linesWhenChosen = -1;
    QTimer::singleShot(0, form, [&] {
        linesWhenChosen = form->Text1->document()->blockCount();
        QTest::mouseClick(form->Option1[1], Qt::LeftButton);
    });
    QTRY_VERIFY(linesWhenChosen >= 0);
    // The older load stops as soon as it sees the newer one; give it the chance to do harm.
    QTest::qWait(100);
    QVERIFY2(linesWhenChosen > 0 && linesWhenChosen < 20000, "the choice came while the article loaded");
    QCOMPARE(form->Text1->text(), QStringLiteral("短文\r\n完\r\n"));
    QCOMPARE(form->Label1->text(), progress(2));
    QCOMPARE(chosen(form), 1);
}

void tst_Form10::closingDuringLoad() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("心得文章\\a.txt"), numberedLines(200000));
    QPointer<Form10> form = FormBase::open<Form10>();
    QPointer<TextBox> text = form->Text1;
    int linesWhenClosed = -1;
    int linesAddedAfterClose = 0;
    QTimer::singleShot(0, form, [&] {
        linesWhenClosed = text->document()->blockCount();
        form->close();
        connect(text->document(), &QTextDocument::blockCountChanged, [&] { ++linesAddedAfterClose; });
    });
    QTRY_VERIFY(!form);
    QVERIFY2(linesWhenClosed > 0 && linesWhenClosed < 200000, "the window closed while the article loaded");
    QCOMPARE(linesAddedAfterClose, 0);
    QVERIFY(FormBase::existing<Form10>() == nullptr);
    // Opening again starts afresh and loads the first article once more.
    folder.writeCp950(QStringLiteral("心得文章\\a.txt"), numberedLines(3));
    auto* again = openSettled(progress(3));
    QCOMPARE(again->Text1->text(), numberedLines(3));
}

QTEST_MAIN(tst_Form10)
#include "tst_form10.moc"
