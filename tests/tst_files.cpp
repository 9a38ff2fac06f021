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
        QTest::newRow("UTF-8 Chinese") << u"合成表.txt"_s.toUtf8() << u"合成表.txt"_s;
        QTest::newRow("outside the basic plane") << u"攻略😀.txt"_s.toUtf8() << u"攻略😀.txt"_s;
        QTest::newRow("code page 950 from a Windows archive")
            << TestSupport::toCp950(u"合成表.txt"_s) << u"合成表.txt"_s;
        QTest::newRow("cut-off UTF-8 then ASCII") << "a\xE5\x90z"_ba << u"a\uFFFDz"_s;
        QTest::newRow("a backslash is a character") << "a\\b.txt"_ba << u"a\\b.txt"_s;
        // Found by fuzzing: Qt's UTF-8 decoding drops a byte-order mark at the start.
        QTest::newRow("starts with a byte-order mark") << "\xEF\xBB\xBFx"_ba << u"\uFEFFx"_s;
    }
    // The loaders' and the article window's tests open files by such names.
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
    // A pipe with no writer would block an ordinary open for good; the refusal comes at once. The loaders'
    // tests meet links to pipes and folders too.
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

    // The article reader lists the visible files alone: case ignored, names equal but for case in a fixed
    // order, "." before letters, Latin before Chinese, Chinese by strokes (一 1, 龍 16, 讀 22), then what
    // code page 950 lacks, by code point. A title drops the last four characters, never half of one.
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
};

QTEST_APPLESS_MAIN(tst_Files)
#include "tst_files.moc"
