#include "forms/FormBase.h"
#include "modules/Module1.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

namespace {
// A bare window to host loader targets, so closing it unloads like any of the tool's windows.
class HostForm : public FormBase {
public:
    HostForm() : text(new TextBox(this)), label(new QLabel(this)) {}
    TextBox* text;
    QLabel* label;
};

QString numberedLines(int count) {
    QString s;
    for (int i = 1; i <= count; ++i)
        s += QStringLiteral("第%1行\r\n").arg(i);
    return s;
}
} // namespace

class tst_Loaders : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void listFile_data();
    void listFile();
    void textFile_data();
    void textFile();
    void missingFile_data();
    void missingFile();
    void listFileReplacesItems();
    void progressLabelKeepsFinalCount();
    void newerLoadWins();
    void closingStopsLoad();
    void specialAndOversizedFiles_data();
    void specialAndOversizedFiles();
    void namesAsTheFolderHasThem();
    void badDataFiles_data();
    void badDataFiles();
};

void tst_Loaders::listFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("trim");
    QTest::addColumn<QStringList>("items");
    const QByteArray jia = TestSupport::toCp950(QStringLiteral("甲"));
    QTest::newRow("cp950 lines") << TestSupport::toCp950(QStringLiteral("一\r\n二\r\n")) << false
                                 << QStringList{"一", "二"};
    QTest::newRow("untrimmed keeps spaces")
        << QByteArray("  abc  \r\nx") << false << QStringList{"  abc  ", "x"};
    QTest::newRow("trimmed") << QByteArray("  abc  \r\nx") << true << QStringList{"abc", "x"};
    QTest::newRow("empty line is an item") << QByteArray("a\r\n\r\nb") << false << QStringList{"a", "", "b"};
    QTest::newRow("unix line ends split") << QByteArray("a\nb\n") << false << QStringList{"a", "b"};
    QTest::newRow("empty file") << QByteArray() << false << QStringList();
    QTest::newRow("utf8 file") << QByteArray("\xE7\x94\xB2\r\n") << false << QStringList{"甲"};
    QTest::newRow("ideographic indent kept when trimming")
        << ("\xA1\x40" + jia + " ") << true << QStringList{QStringLiteral("\u3000甲")};
}

void tst_Loaders::listFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, trim);
    QFETCH(QStringList, items);
    ProgramFolder folder;
    folder.write(QStringLiteral("資料.txt"), bytes);
    MessageRecorder messages;
    ListBox list;
    Module1::LoadListFile(QStringLiteral("資料.txt"), &list, trim);
    QCOMPARE(list.items(), items);
    QVERIFY(messages.messages.isEmpty());
}

void tst_Loaders::textFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("trim");
    QTest::addColumn<QString>("text");
    QTest::newRow("two lines end in a line break")
        << QByteArray("a\r\nb") << false << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("leading spaces stay") << QByteArray("  a\r\n") << false << QStringLiteral("  a\r\n");
    QTest::newRow("trimmed") << QByteArray("  a  \r\n b") << true << QStringLiteral("a\r\nb\r\n");
    QTest::newRow("empty file") << QByteArray() << false << QString();
    QTest::newRow("subfolder cp950") << TestSupport::toCp950(QStringLiteral("劍")) << false
                                     << QStringLiteral("劍\r\n");
}

void tst_Loaders::textFile() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, trim);
    QFETCH(QString, text);
    ProgramFolder folder;
    folder.write(QStringLiteral("職業\\劍士.txt"), bytes);
    MessageRecorder messages;
    TextBox box;
    box.setText(QStringLiteral("old"));
    Module1::LoadTextFile(QStringLiteral("職業\\劍士.txt"), &box, trim);
    QCOMPARE(box.text(), text);
    QVERIFY(messages.messages.isEmpty());
}

void tst_Loaders::missingFile_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("makeFolder");
    QTest::newRow("missing") << QStringLiteral("職業\\醫師.txt") << false;
    QTest::newRow("folder where a file is expected") << QStringLiteral("合成表.txt") << true;
}

void tst_Loaders::missingFile() {
    QFETCH(QString, name);
    QFETCH(bool, makeFolder);
    ProgramFolder folder;
    if (makeFolder)
        folder.write(name + QStringLiteral("/inner.txt"), "x");
    MessageRecorder messages;
    ListBox list;
    list.setItems({"stale"});
    Module1::LoadListFile(name, &list, false);
    TextBox box;
    box.setText(QStringLiteral("stale"));
    Module1::LoadTextFile(name, &box, false);
    const QString expected = QStringLiteral("找不到檔案\"") + name + QStringLiteral("\",或檔案無內容");
    QCOMPARE(messages.texts(), (QStringList{expected, expected}));
    QCOMPARE(messages.messages.first().buttons, Module1::MsgButtons::Ok);
    QCOMPARE(messages.messages.first().icon, Module1::MsgIcon::None);
    QCOMPARE(list.listCount(), 0);
    QCOMPARE(box.text(), QString());
}

void tst_Loaders::listFileReplacesItems() {
    ProgramFolder folder;
    folder.write(QStringLiteral("a.txt"), "1\r\n2\r\n3");
    ListBox list;
    Module1::LoadListFile(QStringLiteral("a.txt"), &list, false);
    list.setListIndex(2);
    Module1::LoadListFile(QStringLiteral("a.txt"), &list, false);
    QCOMPARE(list.listCount(), 3);
    QCOMPARE(list.listIndex(), -1);
}

void tst_Loaders::progressLabelKeepsFinalCount() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("心得文章\\a.txt"), numberedLines(30));
    HostForm form;
    Module1::LoadTextFile(QStringLiteral("心得文章\\a.txt"), form.text, true, QStringLiteral("載入文章第"),
                          form.label, QStringLiteral("行中..."));
    QTRY_COMPARE(form.label->text(), QStringLiteral("載入文章第30行中..."));
    QCOMPARE(form.text->text(), numberedLines(30));
}

void tst_Loaders::newerLoadWins() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("long.txt"), numberedLines(200000));
    folder.writeCp950(QStringLiteral("short.txt"), QStringLiteral("短\r\n文\r\n"));
    HostForm form;
    Module1::LoadTextFile(QStringLiteral("long.txt"), form.text, true, QStringLiteral("P"), form.label,
                          QStringLiteral("S"));
    QTRY_VERIFY(!form.text->text().isEmpty());
    Module1::LoadTextFile(QStringLiteral("short.txt"), form.text, true, QStringLiteral("P"), form.label,
                          QStringLiteral("S"));
    QTRY_COMPARE(form.label->text(), QStringLiteral("P2S"));
    // The older load is gone for good: nothing of it arrives later.
    QTest::qWait(200);
    QCOMPARE(form.text->text(), QStringLiteral("短\r\n文\r\n"));
    QCOMPARE(form.label->text(), QStringLiteral("P2S"));
}

void tst_Loaders::closingStopsLoad() {
    ProgramFolder folder;
    folder.writeCp950(QStringLiteral("long.txt"), numberedLines(200000));
    auto* form = FormBase::instance<HostForm>();
    form->Show();
    QPointer<HostForm> guard(form);
    Module1::LoadTextFile(QStringLiteral("long.txt"), form->text, false, QStringLiteral("P"), form->label,
                          QStringLiteral("S"));
    QTRY_VERIFY(!form->label->text().isEmpty());
    form->close();
    QTRY_VERIFY(!guard);
    QVERIFY(FormBase::existing<HostForm>() == nullptr);
}

void tst_Loaders::specialAndOversizedFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to a FIFO") << "link-fifo";
    QTest::newRow("link to /dev/zero") << "link-zero";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("larger than the limit") << "oversized";
}

// Refused at once with the loader's message, by every way of loading, nothing read into memory.
void tst_Loaders::specialAndOversizedFiles() {
    QFETCH(QString, kind);
    ProgramFolder folder;
    const QString path = folder.path() + QStringLiteral("/心得文章/0fifo.txt");
    QDir().mkpath(folder.path() + QStringLiteral("/心得文章"));
    const QByteArray native = QFile::encodeName(path);
    bool made = true;
    if (kind == u"fifo") {
        made = ::mkfifo(native, 0644) == 0;
    } else if (kind == u"link-fifo") {
        made = ::mkfifo(native + ".p", 0644) == 0 && ::symlink(native + ".p", native) == 0;
    } else if (kind == u"link-zero") {
        made = ::symlink("/dev/zero", native) == 0;
    } else if (kind == u"folder") {
        made = QDir().mkdir(path);
    } else {
        QFile f(path);
        made = f.open(QIODevice::WriteOnly) && f.resize(TextLoad::kMaxFileBytes + 1); // sparse: no disk used
    }
    QVERIFY(made);
    const QString name = QStringLiteral("心得文章\\0fifo.txt");
    const QString message = QStringLiteral("找不到檔案\"") + name + QStringLiteral("\",或檔案無內容");
    MessageRecorder messages;
    ListBox list;
    Module1::LoadListFile(name, &list, false);
    TextBox box;
    Module1::LoadTextFile(name, &box, false);
    HostForm form;
    Module1::LoadTextFile(name, form.text, true, QStringLiteral("P"), form.label, QStringLiteral("S"));
    QCOMPARE(messages.texts(), QStringList(3, message));
    QCOMPARE(list.listCount(), 0);
    QCOMPARE(box.text(), QString());
    QCOMPARE(form.text->text(), QString());
}

void tst_Loaders::namesAsTheFolderHasThem() {
    ProgramFolder folder;
    // A Windows archive unpacked on Linux: the file and its folder keep their code page 950 names.
    const QByteArray root = QFile::encodeName(folder.path()) + '/';
    const QByteArray legacyFolder = root + TestSupport::toCp950(QStringLiteral("職業"));
    QVERIFY(::mkdir(legacyFolder, 0755) == 0);
    FILE* f = std::fopen(legacyFolder + '/' + TestSupport::toCp950(QStringLiteral("劍士.txt")), "w");
    QVERIFY(f);
    std::fputs("\xBC\x43\r\n", f); // 劍 in code page 950
    std::fclose(f);
    // A listed name holding a backslash stays one name inside its folder.
    folder.write(QStringLiteral("心得文章/x"), "outside\r\n");
    QFile inside(folder.path() + QStringLiteral("/心得文章/..\\x.txt"));
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.write("inside\r\n");
    inside.close();
    MessageRecorder messages;
    TextBox box;
    Module1::LoadTextFile(QStringLiteral("職業\\劍士.txt"), &box, false);
    QCOMPARE(box.text(), QStringLiteral("劍\r\n"));
    Module1::LoadTextFile(TextLoad::DataFile::listed(QStringLiteral("心得文章"), QStringLiteral("..\\x.txt")),
                          &box, false);
    QCOMPARE(box.text(), QStringLiteral("inside\r\n"));
    QVERIFY(messages.messages.isEmpty());
}

void tst_Loaders::badDataFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("minimumItems");
    QByteArray binary;
    for (int i = 0; i < 65536; ++i)
        binary.append(static_cast<char>((i * 7919) & 0xFF));
    QTest::newRow("binary") << binary << 2;
    QTest::newRow("NUL bytes") << QByteArray("a\0b\r\n\0\0", 7) << 2;
    QTest::newRow("utf16 without byte-order mark") << QByteArray("a\0b\0\r\0\n\0c\0", 10) << 2;
    QTest::newRow("utf8 mark then invalid bytes") << QByteArray("\xEF\xBB\xBF\xFF\xFE\r\nx") << 2;
    QTest::newRow("odd-length utf16") << QByteArray("\xFF\xFE"
                                                    "a\0b",
                                                    5)
                                      << 1;
    QTest::newRow("lead bytes only") << QByteArray(4097, '\xA4') << 1;
    // Large enough to take real time, and one line so long no text layout copes with it by luck.
    QByteArray huge;
    const QByteArray line = TestSupport::toCp950(QStringLiteral("法蘭城 東門 (東 281, 南 100) 合成材料\r\n"));
    while (huge.size() < (16 << 20))
        huge += line;
    QTest::newRow("16 MB of lines") << huge << 100000;
    QTest::newRow("one 4 MB line") << QByteArray(4 << 20, 'x') << 1;
}

void tst_Loaders::badDataFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, minimumItems);
    ProgramFolder folder;
    folder.write(QStringLiteral("bad.txt"), bytes);
    MessageRecorder messages;
    ListBox list;
    Module1::LoadListFile(QStringLiteral("bad.txt"), &list, true);
    TextBox box;
    Module1::LoadTextFile(QStringLiteral("bad.txt"), &box, true);
    QVERIFY(list.listCount() >= minimumItems);
    QCOMPARE(box.text().count(QLatin1String("\r\n")), list.listCount());
    QVERIFY(messages.messages.isEmpty());
}

QTEST_MAIN(tst_Loaders)
#include "tst_loaders.moc"
