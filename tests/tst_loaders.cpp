#include "core/ArticleList.h"
#include "core/FileNames.h"
#include "forms/Form10.h"
#include "modules/Module1.h"
#include "platform/Files.h"
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
using Platform::OpenResult;
Q_DECLARE_METATYPE(OpenResult)

namespace {

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

// Reading files: names keeping their bytes, regular files only, the article list, the two loaders.
class tst_Loaders : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }

    void namesKeepTheirBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("UTF-8 Chinese") << u"合成表.txt"_s.toUtf8() << u"合成表.txt"_s;
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

    void onlyRegularFilesOpen_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<OpenResult>("result");
        QTest::newRow("regular file") << u"file"_s << OpenResult::Ok;
        QTest::newRow("link to a regular file") << u"link-file"_s << OpenResult::Ok;
        QTest::newRow("FIFO") << u"fifo"_s << OpenResult::NotRegular;
        QTest::newRow("link to /dev/zero") << u"link-zero"_s << OpenResult::NotRegular;
        QTest::newRow("missing") << u"missing"_s << OpenResult::Missing;
        QTest::newRow("dangling link") << u"dangling"_s << OpenResult::Missing;
        QTest::newRow("larger than allowed") << u"large"_s << OpenResult::TooLarge;
    }
    // A pipe with no writer would block an ordinary open for good; the refusal comes at once.
    void onlyRegularFilesOpen() {
        QFETCH(QString, entry);
        QFETCH(OpenResult, result);
        QTemporaryDir dir;
        const QByteArray d = QFile::encodeName(dir.path()) + '/';
        QVERIFY(write(dir.filePath(u"file"_s), "abc") &&
                write(dir.filePath(u"large"_s), QByteArray(11, 'a')));
        QVERIFY(::mkfifo(d + "fifo", 0644) == 0 && ::symlink("file", d + "link-file") == 0 &&
                ::symlink("/dev/zero", d + "link-zero") == 0 && ::symlink("nowhere", d + "dangling") == 0);
        QFile file;
        QCOMPARE(Platform::openRegularFile(dir.filePath(entry), file, 10), result);
        QCOMPARE(Platform::statRegularFile(dir.filePath(entry)),
                 result == OpenResult::TooLarge ? OpenResult::Ok : result);
        QCOMPARE(file.isOpen(), result == OpenResult::Ok);
        QByteArray bytes;
        if (result == OpenResult::Ok) {
            QCOMPARE(Platform::readAll(file, 10, bytes), OpenResult::Ok);
            QCOMPARE(bytes, "abc"_ba);
        }
    }

    // Visible files only, case ignored, "." before letters, Latin before Chinese, Chinese by strokes (一 1,
    // 龍 16, 讀 22), then by code point; a title drops the last four characters, never half of one.
    void articleList() {
        QTemporaryDir dir;
        for (const char16_t* name :
             {u"b.txt", u"A.txt", u"a.txt", u"ab.txt", u".hidden.txt", u"讀者來信.text", u"龍.txt", u"讀.txt",
              u"一.txt", u"😀.txt", u"𠀀一二三😀"})
            QVERIFY(write(dir.filePath(QString::fromUtf16(name)), {}));
        QVERIFY(QDir(dir.path()).mkdir(u"folder.txt"_s));
        const QStringList list = Form10::listArticles(dir.path());
        QCOMPARE(list, (QStringList{"A.txt", "a.txt", "ab.txt", "b.txt", u"一.txt"_s, u"龍.txt"_s,
                                    u"讀.txt"_s, u"讀者來信.text"_s, u"😀.txt"_s, u"𠀀一二三😀"_s}));
        QCOMPARE(ArticleList::pageTitles(list, 2),
                 (QStringList{u"讀"_s, u"讀者來信."_s, u"😀"_s, u"𠀀"_s, QString(), QString()}));
    }

    void lines_data();
    void lines();
    void unreadable_data();
    void unreadable();
    void namesAsTheFolderHasThem();
    void badDataFiles_data();
    void badDataFiles();
};

void tst_Loaders::lines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("trim");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("cp950 lines") << TestSupport::toCp950(QStringLiteral("一\r\n二\r\n")) << false
                                 << QStringList{"一", "二"};
    QTest::newRow("untrimmed keeps spaces")
        << QByteArray("  abc  \r\nx") << false << QStringList{"  abc  ", "x"};
    QTest::newRow("trimmed") << QByteArray("  abc  \r\n x") << true << QStringList{"abc", "x"};
    QTest::newRow("empty line is an item") << QByteArray("a\r\n\r\nb") << false << QStringList{"a", "", "b"};
    QTest::newRow("empty file") << QByteArray() << false << QStringList();
    QTest::newRow("ideographic indent kept when trimming")
        << ("\xA1\x40" + TestSupport::toCp950(QStringLiteral("甲")) + " ") << true
        << QStringList{QStringLiteral("\u3000甲")};
}

// A list gets one item a line; a pane the whole file, every line ended, the last one too.
void tst_Loaders::lines() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, trim);
    QFETCH(QStringList, items);
    ProgramFolder folder;
    folder.write(QStringLiteral("職業\\劍士.txt"), bytes);
    MessageRecorder messages;
    ListBox list;
    list.setItems({"old"});
    Module1::LoadListFile(QStringLiteral("職業\\劍士.txt"), &list, trim);
    QCOMPARE(list.items(), items);
    TextBox box;
    box.setText(QStringLiteral("old"));
    Module1::LoadTextFile(QStringLiteral("職業\\劍士.txt"), &box, trim);
    QString text;
    for (const QString& item : items)
        text += item + QStringLiteral("\r\n");
    QCOMPARE(box.text(), text);
    QVERIFY(messages.messages.isEmpty());
}

void tst_Loaders::unreadable_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing") << "missing";
    QTest::newRow("a folder") << "folder";
    QTest::newRow("FIFO") << "fifo";
    QTest::newRow("link to a FIFO") << "link-fifo";
    QTest::newRow("link to /dev/zero") << "link-zero";
    QTest::newRow("larger than the limit") << "oversized";
}

// Refused at once with the loader's message, by every way of loading; nothing blocks, nothing is read.
void tst_Loaders::unreadable() {
    QFETCH(QString, kind);
    ProgramFolder folder;
    QDir().mkpath(folder.path() + QStringLiteral("/心得文章"));
    const QString path = folder.path() + QStringLiteral("/心得文章/0fifo.txt");
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
    } else if (kind == u"oversized") {
        QFile f(path);
        made = f.open(QIODevice::WriteOnly) && f.resize(TextLoad::kMaxFileBytes + 1); // sparse: no disk used
    }
    QVERIFY(made);
    const QString name = QStringLiteral("心得文章\\0fifo.txt");
    const QString message = QStringLiteral("找不到檔案\"") + name + QStringLiteral("\",或檔案無內容");
    MessageRecorder messages;
    ListBox list;
    list.setItems({"stale"});
    QVERIFY(!Module1::LoadListFile(name, &list, false));
    TextBox box;
    box.setText(QStringLiteral("stale"));
    QVERIFY(!Module1::LoadTextFile(name, &box, false));
    TextBox pane;
    QLabel label;
    QVERIFY(!Module1::LoadTextFile(name, &pane, true, QStringLiteral("P"), &label, QStringLiteral("S")));
    QCOMPARE(messages.texts(), QStringList(3, message));
    QCOMPARE(messages.messages.first().buttons, Module1::MsgButtons::Ok);
    QCOMPARE(messages.messages.first().icon, Module1::MsgIcon::None);
    QCOMPARE(list.listCount(), 0);
    QCOMPARE(box.text(), QString());
    QCOMPARE(pane.text(), QString());
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
    QTest::newRow("one 4 MB line") << QByteArray(4 << 20, 'x') << 1;
}

// Whatever the bytes, both loaders read them as text without a message and agree on the lines.
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
