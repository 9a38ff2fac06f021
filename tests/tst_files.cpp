#include "core/ArticleList.h"
#include "core/FileNames.h"
#include "forms/Form10.h"
#include "platform/Files.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Platform::OpenResult;
Q_DECLARE_METATYPE(OpenResult)

namespace {

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

// Names that keep their bytes, files opened only when they are regular files, and the article list made
// of such names.
class tst_Files : public QObject {
    Q_OBJECT
private slots:
    void namesKeepTheirBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ASCII") << "qm020315_031.bmp"_ba << u"qm020315_031.bmp"_s;
        QTest::newRow("UTF-8 Chinese") << u"合成表.txt"_s.toUtf8() << u"合成表.txt"_s;
        QTest::newRow("outside the basic plane") << u"攻略😀.txt"_s.toUtf8() << u"攻略😀.txt"_s;
        QTest::newRow("private use, where Big5's own additions go") << "\xEE\x80\x80"_ba << u"\uE000"_s;
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
        // Such a name opens the file it came from.
        QTemporaryDir dir;
        FILE* f = std::fopen((QFile::encodeName(dir.path()) + '/' + bytes).constData(), "w");
        QVERIFY(f && std::fputs("x", f) >= 0 && std::fclose(f) == 0);
        QFile file;
        QCOMPARE(Platform::openRegularFile(dir.path() + u'/' + name, file, 10), OpenResult::Ok);
        QCOMPARE(file.readAll(), "x"_ba);
    }

    void onlyRegularFilesOpen_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<OpenResult>("result");
        QTest::newRow("regular file") << u"file"_s << OpenResult::Ok;
        QTest::newRow("link to a regular file") << u"link-file"_s << OpenResult::Ok;
        QTest::newRow("FIFO") << u"fifo"_s << OpenResult::NotRegular;
        QTest::newRow("link to a FIFO") << u"link-fifo"_s << OpenResult::NotRegular;
        QTest::newRow("link to /dev/zero") << u"link-zero"_s << OpenResult::NotRegular;
        QTest::newRow("folder") << u"folder"_s << OpenResult::NotRegular;
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
        QVERIFY(QDir(dir.path()).mkdir(u"folder"_s) && ::mkfifo(d + "fifo", 0644) == 0);
        QVERIFY(::symlink("file", d + "link-file") == 0 && ::symlink("fifo", d + "link-fifo") == 0 &&
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

    void listingTellsFilesFromFolders() {
        QTemporaryDir dir;
        const QByteArray d = QFile::encodeName(dir.path()) + '/';
        for (const char16_t* name : {u"b.txt", u"A.txt", u"a.txt", u"ab.txt", u".hidden.txt",
                                     u"讀者來信.text", u"龍.txt", u"讀.txt", u"一.txt", u"😀.txt", u"𠀀.txt"})
            QVERIFY(write(dir.filePath(QString::fromUtf16(name)), {}));
        QVERIFY(QDir(dir.path()).mkdir(u"folder.txt"_s) && ::mkfifo(d + "pipe", 0644) == 0);
        QVERIFY(::symlink("folder.txt", d + "linked-folder") == 0 && ::symlink("/dev/zero", d + "zero") == 0);
        QStringList folders, neither, hidden;
        for (const Platform::FolderEntry& e : Platform::listFolder(dir.path())) {
            if (!e.isFile)
                (e.isFolder ? folders : neither) << e.name;
            if (e.hidden)
                hidden << e.name;
        }
        folders.sort();
        neither.sort();
        QCOMPARE(folders, (QStringList{"folder.txt", "linked-folder"}));
        QCOMPARE(neither, (QStringList{"pipe", "zero"}));
        QCOMPARE(hidden, QStringList{".hidden.txt"});
        // The article reader lists the visible files alone: case ignored, names equal but for case in a fixed
        // order, "." before letters, Latin before Chinese, Chinese by strokes (一 1, 龍 16, 讀 22), then what
        // code page 950 lacks, by code point.
        QCOMPARE(Form10::listArticles(dir.path()),
                 (QStringList{"A.txt", "a.txt", "ab.txt", "b.txt", u"一.txt"_s, u"龍.txt"_s, u"讀.txt"_s,
                              u"讀者來信.text"_s, u"😀.txt"_s, u"𠀀.txt"_s}));
        QCOMPARE(Form10::listArticles(dir.filePath(u"missing"_s)), QStringList());
    }

    void articleTitles_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("file"); // what the title's button opens, "other.txt" listed as well
        QTest::newRow("abc.text keeps the dot") << u"abc.text"_s << u"abc."_s << u"abc..txt"_s;
        QTest::newRow("four characters are blank") << u".txt"_s << QString() << QString();
        QTest::newRow("five characters leave one") << u"x.txt"_s << u"x"_s << u"x.txt"_s;
        QTest::newRow("upper-case extension found as listed") << u"Note.TXT"_s << u"Note"_s << u"Note.TXT"_s;
        QTest::newRow("no extension loses its tail") << u"readme"_s << u"re"_s << u"re.txt"_s;
        QTest::newRow("astral character counts as one") << u"😀.txt"_s << u"😀"_s << u"😀.txt"_s;
        QTest::newRow("astral tail never split") << u"😀abcd"_s << u"😀"_s << u"😀.txt"_s;
        QTest::newRow("empty name") << QString() << QString() << QString();
    }
    void articleTitles() {
        QFETCH(QString, name);
        QFETCH(QString, title);
        QFETCH(QString, file);
        QCOMPARE(ArticleList::titleOf(name), title);
        if (!title.isEmpty())
            QCOMPARE(ArticleList::fileFor(title, {u"other.txt"_s, name}), file);
    }

    void articlePages_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("shown"); // pages, the page "+" and "-" lead to, and the six buttons
        QTest::newRow("0: page 1 stays, blank") << 0 << 1 << u"0 1 1 |||||"_s;
        QTest::newRow("6: one full page") << 6 << 1 << u"1 1 1 n01|n02|n03|n04|n05|n06"_s;
        QTest::newRow("7: onto page 2") << 7 << 1 << u"2 2 1 n01|n02|n03|n04|n05|n06"_s;
        QTest::newRow("7: the last page stays") << 7 << 2 << u"2 2 1 n07|||||"_s;
        QTest::newRow("13: onto page 3") << 13 << 2 << u"3 3 1 n07|n08|n09|n10|n11|n12"_s;
        QTest::newRow("13: from page 3") << 13 << 3 << u"3 3 2 n13|||||"_s;
        QTest::newRow("a page past the end") << 7 << 3 << u"2 2 2 |||||"_s;
    }
    void articlePages() {
        QFETCH(int, entries);
        QFETCH(int, page);
        QFETCH(QString, shown);
        QStringList names;
        for (int i = 1; i <= entries; ++i)
            names << u"n%1.txt"_s.arg(i, 2, 10, QLatin1Char('0'));
        QCOMPARE(u"%1 %2 %3 "_s.arg(ArticleList::pageCount(entries))
                         .arg(ArticleList::nextPage(page, entries))
                         .arg(ArticleList::previousPage(page)) +
                     ArticleList::pageTitles(names, page).join(u'|'),
                 shown);
    }
};

QTEST_APPLESS_MAIN(tst_Files)
#include "tst_files.moc"
