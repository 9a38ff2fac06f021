#include "core/DataText.h"
#include "core/FileNames.h"
#include "platform/Files.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using Platform::OpenResult;
Q_DECLARE_METATYPE(OpenResult)

// Names that keep their bytes, and files opened only when they are regular files.
class tst_Files : public QObject {
    Q_OBJECT
private slots:
    void namesKeepTheirBytes_data();
    void namesKeepTheirBytes();
    void onlyRegularFilesOpen_data();
    void onlyRegularFilesOpen();
    void listingTellsFilesFromFolders();
};

void tst_Files::namesKeepTheirBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ASCII") << QByteArray("qm020315_031.bmp") << QStringLiteral("qm020315_031.bmp");
    QTest::newRow("UTF-8 Chinese") << QStringLiteral("合成表.txt").toUtf8() << QStringLiteral("合成表.txt");
    QTest::newRow("outside the basic plane")
        << QStringLiteral("攻略😀.txt").toUtf8() << QStringLiteral("攻略😀.txt");
    QTest::newRow("code page 950 from a Windows archive")
        << TestSupport::toCp950(QStringLiteral("合成表.txt")) << QStringLiteral("合成表.txt");
    QTest::newRow("cut-off UTF-8 then ASCII") << QByteArray("a\xE5\x90z") << QStringLiteral("a\uFFFDz");
    QTest::newRow("a backslash is a character") << QByteArray("a\\b.txt") << QStringLiteral("a\\b.txt");
    // Found by fuzzing: Qt's UTF-8 decoding drops a byte-order mark at the start.
    QTest::newRow("starts with a byte-order mark")
        << QByteArray("\xEF\xBB\xBFx") << QStringLiteral("\uFEFFx");
}

void tst_Files::namesKeepTheirBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    const QString name = FileNames::fromBytes(bytes);
    QCOMPARE(FileNames::toBytes(name), bytes);
    QCOMPARE(FileNames::display(name), shown);
    // Such a name opens the file it came from.
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.path()) + '/' + bytes;
    FILE* f = std::fopen(path.constData(), "w");
    QVERIFY(f);
    std::fputs("x", f);
    std::fclose(f);
    QFile file;
    QCOMPARE(Platform::openRegularFile(dir.path() + u'/' + name, file, 10), OpenResult::Ok);
    QCOMPARE(file.readAll(), QByteArray("x"));
}

void tst_Files::onlyRegularFilesOpen_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<OpenResult>("result");
    QTest::newRow("regular file") << "file" << OpenResult::Ok;
    QTest::newRow("link to a regular file") << "link-file" << OpenResult::Ok;
    QTest::newRow("FIFO") << "fifo" << OpenResult::NotRegular;
    QTest::newRow("link to a FIFO") << "link-fifo" << OpenResult::NotRegular;
    QTest::newRow("link to /dev/zero") << "link-zero" << OpenResult::NotRegular;
    QTest::newRow("folder") << "folder" << OpenResult::NotRegular;
    QTest::newRow("missing") << "missing" << OpenResult::Missing;
    QTest::newRow("dangling link") << "dangling" << OpenResult::Missing;
    QTest::newRow("larger than allowed") << "large" << OpenResult::TooLarge;
}

void tst_Files::onlyRegularFilesOpen() {
    QFETCH(QString, kind);
    QFETCH(OpenResult, result);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x"));
    const auto write = [](const QString& p, const QByteArray& bytes) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    const QByteArray native = QFile::encodeName(path);
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("p")));
    bool made = true;
    if (kind == u"file" || kind == u"large") {
        write(path, kind == u"large" ? QByteArray(11, 'a') : QByteArray("abc"));
    } else if (kind == u"link-file") {
        write(dir.filePath(QStringLiteral("t")), "abc");
        made = ::symlink("t", native) == 0;
    } else if (kind == u"fifo") {
        made = ::mkfifo(native, 0644) == 0;
    } else if (kind == u"link-fifo") {
        made = ::mkfifo(fifo, 0644) == 0 && ::symlink("p", native) == 0;
    } else if (kind == u"link-zero") {
        made = ::symlink("/dev/zero", native) == 0;
    } else if (kind == u"folder") {
        made = QDir().mkdir(path);
    } else if (kind == u"dangling") {
        made = ::symlink("nowhere", native) == 0;
    }
    QVERIFY(made);

    // A pipe with no writer would block an ordinary open for good; the refusal comes at once.
    QElapsedTimer clock;
    clock.start();
    QFile file;
    QCOMPARE(Platform::openRegularFile(path, file, 10), result);
    QCOMPARE(Platform::statRegularFile(path), result == OpenResult::TooLarge ? OpenResult::Ok : result);
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(file.isOpen(), result == OpenResult::Ok);
    if (result == OpenResult::Ok) {
        QByteArray bytes;
        QCOMPARE(Platform::readAll(file, 10, bytes), OpenResult::Ok);
        QCOMPARE(bytes, QByteArray("abc"));
    }
}

void tst_Files::listingTellsFilesFromFolders() {
    QTemporaryDir dir;
    const QByteArray d = QFile::encodeName(dir.path()) + '/';
    QVERIFY(QDir().mkdir(dir.filePath(QStringLiteral("sub"))));
    QFile(dir.filePath(QStringLiteral("f.txt"))).open(QIODevice::WriteOnly);
    QVERIFY(::symlink("sub", d + "linked-folder") == 0);
    QVERIFY(::symlink("/dev/zero", d + "zero") == 0);
    QVERIFY(::mkfifo(d + "pipe", 0644) == 0);
    QFile(dir.filePath(QStringLiteral(".hidden"))).open(QIODevice::WriteOnly);
    QStringList files, folders, hidden;
    for (const auto& e : Platform::listFolder(dir.path())) {
        if (e.isFile)
            files << e.name;
        if (e.isFolder)
            folders << e.name;
        if (e.hidden)
            hidden << e.name;
    }
    files.sort();
    folders.sort();
    QCOMPARE(files, (QStringList{".hidden", "f.txt"}));
    QCOMPARE(folders, (QStringList{"linked-folder", "sub"}));
    QCOMPARE(hidden, QStringList{".hidden"});
}

QTEST_APPLESS_MAIN(tst_Files)
#include "tst_files.moc"
