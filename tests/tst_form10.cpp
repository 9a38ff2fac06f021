#include "forms/Form10.h"
#include "testsupport.h"
#include "widgets/TextBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextDocument>

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

Form10* openSettled(const QString& expectedLabel) {
    auto* form = FormBase::open<Form10>();
    [&] { QTRY_COMPARE(form->Label1->text(), expectedLabel); }();
    return form;
}

} // namespace

// The article reader: six titles a page, the chosen article loaded while a label counts its lines.
class tst_Form10 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void articleText_data() {
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

    void articleText() {
        QFETCH(QString, name);
        QFETCH(QString, content);
        QFETCH(QString, shown);
        QFETCH(int, lines);
        ProgramFolder folder;
        folder.writeCp950(QStringLiteral("心得文章\\") + name, content);
        folder.writeCp950(QStringLiteral("心得文章\\.hidden.txt"), QStringLiteral("hidden"));
        folder.writeCp950(QStringLiteral("心得文章\\龍.txt"), QStringLiteral("last"));
        MessageRecorder messages;
        auto* form = openSettled(progress(lines));
        QCOMPARE(form->Text1->text(), shown);
        QCOMPARE(captions(form),
                 (QStringList{QFileInfo(name).completeBaseName(), QStringLiteral("龍"), "", "", "", ""}));
        QCOMPARE(chosen(form), 0);
        QCOMPARE(QApplication::focusWidget(), form->Option1[0]);
        QTRY_COMPARE(form->Label1->size(), form->Label1->sizeHint()); // the label sizes itself to its text
        QVERIFY(messages.messages.isEmpty());
    }

    void paging_data() {
        QTest::addColumn<int>("articles");
        QTest::addColumn<QString>("clicks");
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("titles");
        const QStringList first{"n01", "n02", "n03", "n04", "n05", "n06"};
        QTest::newRow("0: + stays on page 1") << 0 << "+" << 1 << QStringList{"", "", "", "", "", ""};
        QTest::newRow("7: + + shows the seventh alone")
            << 7 << "++" << 2 << QStringList{"n07", "", "", "", "", ""};
        QTest::newRow("12: + on page 2 stays")
            << 12 << "+++" << 2 << QStringList{"n07", "n08", "n09", "n10", "n11", "n12"};
        QTest::newRow("13: third page, then back past the first") << 13 << "++----" << 1 << first;
    }

    void paging() {
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
        QCOMPARE(form->Text1->text(), text);
        QCOMPARE(form->Label1->text(), label);
        QCOMPARE(chosen(form), 0);
        QVERIFY(messages.messages.isEmpty());
    }

    void choosing() {
        ProgramFolder folder;
        writeNumbered(folder, 7);
        folder.writeCp950(QStringLiteral("心得文章\\n00.text"), QStringLiteral("信\r\n"));
        MessageRecorder messages;
        auto* form = FormBase::open<Form10>();
        QTRY_COMPARE(chosen(form), 0);
        // "n00.text" shows as "n00." and its load fails with the loader's message; the window goes on.
        QCOMPARE(captions(form).first(), QStringLiteral("n00."));
        QTRY_COMPARE(messages.texts(),
                     QStringList{QStringLiteral("找不到檔案\"心得文章\\n00..txt\",或檔案無內容")});
        TestSupport::press(Qt::Key_Right);
        QCOMPARE(chosen(form), 1);
        QTRY_COMPARE(form->Text1->text(), QStringLiteral("n01\r\n"));
        // The chosen button stays chosen over a page change and then loads what it names.
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QCOMPARE(chosen(form), 1);
        QCOMPARE(form->Text1->text(), QStringLiteral("n01\r\n"));
        QTest::mouseClick(form->Option1[1], Qt::LeftButton);
        QTRY_COMPARE(form->Text1->text(), QStringLiteral("n07\r\n"));
        QTest::mouseClick(form->Option1[4], Qt::LeftButton);
        QCOMPARE(chosen(form), 4);
        QCOMPARE(form->Text1->text(), QStringLiteral("n07\r\n"));
        QCOMPARE(form->Label1->text(), progress(1));
        QCOMPARE(messages.messages.size(), 1);
    }

    // What players unpack here: a pipe (not listed), a code page 950 name, a backslash, an "&" (no access
    // key).
    void oddNamesAndFiles() {
        ProgramFolder folder;
        const QByteArray articles = QFile::encodeName(folder.path()) + QByteArrayLiteral("/") +
                                    QStringLiteral("心得文章").toUtf8() + '/';
        QVERIFY(QDir().mkpath(folder.path() + QStringLiteral("/心得文章")));
        QVERIFY(::mkfifo(articles + "0fifo.txt", 0644) == 0);
        QVERIFY(::symlink(articles + "0fifo.txt", articles + "0link.txt") == 0);
        const auto write = [](const QByteArray& path, const QByteArray& bytes) {
            QVERIFY(TestSupport::writeFile(path, bytes));
        };
        write(articles + TestSupport::toCp950(QStringLiteral("攻略.txt")),
              TestSupport::toCp950(QStringLiteral("打法\r\n")));
        write(articles + "a\\..\\..\\x.txt", "inside\r\n");
        write(QFile::encodeName(folder.path()) + "/x.txt", "outside\r\n");
        write(articles + "Q&A.txt", "qa\r\n");
        MessageRecorder messages;
        auto* form = openSettled(progress(1));
        QCOMPARE(captions(form), (QStringList{QStringLiteral("a\\..\\..\\x"), QStringLiteral("Q&&A"),
                                              QStringLiteral("攻略"), "", "", ""}));
        QCOMPARE(form->Text1->text(), QStringLiteral("inside\r\n"));
        QTest::mouseClick(form->Option1[1], Qt::LeftButton);
        QTRY_COMPARE(form->Text1->text(), QStringLiteral("qa\r\n"));
        QTest::mouseClick(form->Option1[2], Qt::LeftButton);
        QTRY_COMPARE(form->Text1->text(), QStringLiteral("打法\r\n"));
        QVERIFY(messages.messages.isEmpty());
    }

    // The window stays live while an article loads; a newer choice wins and nothing of the older arrives.
    void duringLoad() {
        ProgramFolder folder;
        folder.writeCp950(QStringLiteral("心得文章\\a00.txt"), numberedLines(1000000));
        writeNumbered(folder, 6);
        auto* form = FormBase::open<Form10>();
        QTRY_VERIFY(!form->Label1->text().isEmpty());
        QVERIFY(form->Label1->text() != progress(1000000));
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QCOMPARE(captions(form), (QStringList{"n06", "", "", "", "", ""}));
        QCOMPARE(chosen(form), 0);
        QTest::mouseClick(form->Option1[0], Qt::LeftButton);
        QTRY_COMPARE(form->Label1->text(), progress(1));
        QTest::qWait(100);
        QCOMPARE(form->Text1->text(), QStringLiteral("n06\r\n"));
        QCOMPARE(form->Label1->text(), progress(1));

        // Closing during a load ends it; opening again starts afresh with the first article.
        QTest::mouseClick(form->Command2, Qt::LeftButton);
        QTest::mouseClick(form->Option1[1], Qt::LeftButton);
        QTest::mouseClick(form->Option1[0], Qt::LeftButton); // the long one again
        QPointer<Form10> closing = form;
        QTRY_VERIFY(form->Label1->text() != progress(1));
        form->close();
        QTRY_VERIFY(!closing);
        QVERIFY(FormBase::existing<Form10>() == nullptr);
        folder.writeCp950(QStringLiteral("心得文章\\a00.txt"), numberedLines(3));
        QCOMPARE(openSettled(progress(3))->Text1->text(), numberedLines(3));
    }
};

QTEST_MAIN(tst_Form10)
#include "tst_form10.moc"
