#include "core/ArticleList.h"
#include "core/DataText.h"
#include "core/FileNames.h"
#include "forms/Form10.h"
#include "modules/Module1.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;
using namespace Qt::StringLiterals;

// Reading files: names keeping their bytes, regular files only, the article list, the two loaders.
class tst_Loaders : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }

    void namesKeepTheirBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("private use, just past the surrogates") << u"\uE000.txt"_s.toUtf8() << u"\uE000.txt"_s;
        QTest::newRow("outside the basic plane") << u"攻略😀.txt"_s.toUtf8() << u"攻略😀.txt"_s;
        QTest::newRow("code page 950 from a Windows archive")
            << TestSupport::toCp950(u"合成表.txt"_s) << u"合成表.txt"_s;
        QTest::newRow("cut-off UTF-8 then ASCII") << "a\xE5\x90z"_ba << u"a\uFFFDz"_s;
        QTest::newRow("a backslash is a character") << "a\\b.txt"_ba << u"a\\b.txt"_s;
        // Found by fuzzing: Qt's UTF-8 decoding drops a byte-order mark at the start.
        QTest::newRow("starts with a byte-order mark") << "\xEF\xBB\xBFx"_ba << u"\uFEFFx"_s;
    }
    void namesKeepTheirBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const QString name = FileNames::fromBytes(bytes);
        QCOMPARE(FileNames::toBytes(name), bytes);
        QCOMPARE(FileNames::display(name), shown);
    }

    // Visible files only, case ignored, "." before letters, Latin before Chinese, Chinese by strokes (一 1,
    // 龍 16, 讀 22), then by code point; a title drops the last four characters, never half of one.
    void articleList() {
        QTemporaryDir dir;
        for (const char16_t* name :
             {u"b.txt", u"A.txt", u"a.txt", u"ab.txt", u".hidden.txt", u"讀者來信.text", u"龍.txt", u"讀.txt",
              u"一.txt", u"😀.txt", u"𠀀一二三😀"})
            QVERIFY(TestSupport::writeFile(dir.filePath(QString::fromUtf16(name)), {}));
        QVERIFY(QDir(dir.path()).mkdir(u"folder.txt"_s));
        const QStringList list = Form10::listArticles(dir.path());
        QCOMPARE(list, (QStringList{"A.txt", "a.txt", "ab.txt", "b.txt", u"一.txt"_s, u"龍.txt"_s,
                                    u"讀.txt"_s, u"讀者來信.text"_s, u"😀.txt"_s, u"𠀀一二三😀"_s}));
        QCOMPARE(ArticleList::pageTitles(list, 2),
                 (QStringList{u"讀"_s, u"讀者來信."_s, u"😀"_s, u"𠀀"_s, QString(), QString()}));
    }

    void lines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("trim");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("untrimmed") << "  abc  \r\n\r\nx"_ba << false << QStringList{"  abc  ", "", "x"};
        QTest::newRow("empty file") << QByteArray() << false << QStringList();
        QTest::newRow("trimmed: spaces only, tab and ideographic indent kept")
            << (" \t\xA1\x40" + TestSupport::toCp950(u"甲"_s) + " \r\n  x ") << true
            << QStringList{u"\t\u3000甲"_s, "x"};
        // Whatever the bytes, read in pieces they come out as the whole file decodes, without a message.
        QByteArray binary;
        for (int i = 0; i < 65536; ++i)
            binary.append(static_cast<char>((i * 7919) & 0xFF));
        for (const auto& [name, bytes] : std::initializer_list<std::pair<const char*, QByteArray>>{
                 {"binary", binary},
                 {"NUL bytes", QByteArray("a\0b\r\n\0\0", 7)},
                 {"utf8 mark then invalid bytes", "\xEF\xBB\xBF\xFF\xFE\r\nx"_ba},
                 {"odd-length utf16", QByteArray("\xFF\xFE\x61\0b", 5)},
                 {"lead bytes only", QByteArray(4097, '\xA4')},
                 {"one 4 MB line", QByteArray(4 << 20, 'x')}})
            QTest::newRow(name) << bytes << false << DataText::splitLines(DataText::decode(bytes));
    }
    // A list gets one item a line; a pane the whole file, every line ended, the last one too.
    void lines() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, trim);
        QFETCH(QStringList, items);
        ProgramFolder folder;
        folder.write(u"職業\\劍士.txt"_s, bytes);
        MessageRecorder messages;
        ListBox list;
        list.setItems({"old"});
        QVERIFY(Module1::LoadListFile(u"職業\\劍士.txt"_s, &list, trim));
        // A file larger than a frame's reading arrives from a worker.
        QTRY_COMPARE(list.items(), items);
        TextBox box;
        box.setText(u"old"_s);
        Module1::LoadTextFile(u"職業\\劍士.txt"_s, &box, trim);
        QCOMPARE(box.text(), items.isEmpty() ? QString() : items.join(u"\r\n"_s) + u"\r\n"_s);
        QVERIFY(messages.messages.isEmpty());
    }

    void unreadable_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind :
             {"missing", "folder", "FIFO", "link to a FIFO", "link to /dev/zero", "larger than the limit"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    // Refused at once with the loader's message, by every way of loading; nothing blocks, nothing is read.
    void unreadable() {
        QFETCH(QString, kind);
        ProgramFolder folder;
        QDir().mkpath(folder.path() + u"/心得文章"_s);
        const QString path = folder.path() + u"/心得文章/0fifo.txt"_s;
        const QByteArray native = QFile::encodeName(path);
        bool made = true;
        if (kind == u"FIFO") {
            made = ::mkfifo(native, 0644) == 0;
        } else if (kind == u"link to a FIFO") {
            made = ::mkfifo(native + ".p", 0644) == 0 && ::symlink(native + ".p", native) == 0;
        } else if (kind == u"link to /dev/zero") {
            made = ::symlink("/dev/zero", native) == 0;
        } else if (kind == u"folder") {
            made = QDir().mkdir(path);
        } else if (kind == u"larger than the limit") {
            QFile f(path);
            made =
                f.open(QIODevice::WriteOnly) && f.resize(TextLoad::kMaxFileBytes + 1); // sparse: no disk used
        }
        QVERIFY(made);
        const QString name = u"心得文章\\0fifo.txt"_s;
        MessageRecorder messages;
        ListBox list;
        list.setItems({"stale"});
        QVERIFY(!Module1::LoadListFile(name, &list, false));
        TextBox box;
        box.setText(u"stale"_s);
        QVERIFY(!Module1::LoadTextFile(name, &box, false));
        TextBox pane;
        QLabel label;
        QVERIFY(!Module1::LoadTextFile(name, &pane, true, u"P"_s, &label, u"S"_s));
        QCOMPARE(messages.texts(), QStringList(3, u"找不到檔案\""_s + name + u"\",或檔案無內容"_s));
        QCOMPARE(list.listCount(), 0);
        QCOMPARE(box.text(), QString());
        QCOMPARE(pane.text(), QString());
    }

    void largeList_data() {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<int>("picked");
        constexpr int rows = 3'000'000;
        QTest::newRow("End: the last row") << QKeyCombination(Qt::Key_End) << rows - 1;
        QTest::newRow("Home: the first") << QKeyCombination(Qt::Key_Home) << 0;
        QTest::newRow("Down from the middle") << QKeyCombination(Qt::Key_Down) << rows / 2 + 1;
        QTest::newRow("Up from the middle") << QKeyCombination(Qt::Key_Up) << rows / 2 - 1;
    }
    // Millions of rows read from a file on a worker: the keys reach every row, and the picked one is shown
    // with its own text.
    void largeList() {
        QFETCH(QKeyCombination, key);
        QFETCH(int, picked);
        ProgramFolder folder;
        QByteArray bytes;
        for (int i = 0; i < 3'000'000; ++i)
            bytes += QByteArray::number(i % 997) + "\r\n";
        folder.write(u"大.txt"_s, bytes);
        ListBox list;
        list.resize(200, 150);
        list.show();
        QVERIFY(QTest::qWaitForWindowActive(&list));
        QVERIFY(Module1::LoadListFile(u"大.txt"_s, &list, false));
        QTRY_COMPARE(list.listCount(), 3'000'000);
        list.setFocus();
        list.setListIndex(1'500'000);
        TestSupport::press(key);
        QCOMPARE(list.listIndex(), picked);
        QCOMPARE(list.text(), QString::number(picked % 997));
        const QRect row = list.visualRect(list.model()->index(picked, 0));
        QVERIFY(list.viewport()->rect().contains(row.center()));
        QCOMPARE(list.indexAt(row.center()).row(), picked);
    }

    void namesAsTheFolderHasThem() {
        ProgramFolder folder;
        // A Windows archive unpacked on Linux: the file and its folder keep their code page 950 names.
        const QByteArray legacyFolder =
            QFile::encodeName(folder.path()) + '/' + TestSupport::toCp950(u"職業"_s);
        QVERIFY(::mkdir(legacyFolder, 0755) == 0);
        QVERIFY(TestSupport::writeFile(legacyFolder + '/' + TestSupport::toCp950(u"劍士.txt"_s),
                                       "\xBC\x43\r\n")); // 劍 in code page 950
        // A listed name holding a backslash stays one name inside its folder; a link to a file is followed.
        folder.write(u"心得文章/x"_s, "outside\r\n");
        QVERIFY(TestSupport::writeFile(folder.path() + u"/心得文章/..\\x.txt"_s, "inside\r\n"));
        QVERIFY(QFile::link(u"..\\x.txt"_s, folder.path() + u"/心得文章/link.txt"_s));
        MessageRecorder messages;
        TextBox box;
        Module1::LoadTextFile(u"職業\\劍士.txt"_s, &box, false);
        QCOMPARE(box.text(), u"劍\r\n"_s);
        Module1::LoadTextFile(TextLoad::DataFile::listed(u"心得文章"_s, u"..\\x.txt"_s), &box, false);
        QCOMPARE(box.text(), u"inside\r\n"_s);
        Module1::LoadTextFile(u"心得文章\\link.txt"_s, &box, false);
        QCOMPARE(box.text(), u"inside\r\n"_s);
        QVERIFY(messages.messages.isEmpty());
    }
};

QTEST_MAIN(tst_Loaders)
#include "tst_loaders.moc"
