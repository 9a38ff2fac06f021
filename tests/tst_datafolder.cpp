// The data folder: which one a start picks, the first-start copy into the player's folder, and the
// command line that can name another.
#include "core/DataFolder.h"
#include "modules/StartUp.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <sys/stat.h>

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

} // namespace

class tst_DataFolder : public QObject {
    Q_OBJECT
private slots:
    void choose_data();
    void choose();
    void seedKeepsThePlayersFiles();
    void seedReportsWhatItCannotPlace();
    void commandLine_data();
    void commandLine();
    void cleanup() { StartUp::reset(); }
};

void tst_DataFolder::choose_data() {
    QTest::addColumn<QStringList>("programFiles"); // a trailing "/" makes a folder
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("playerExists");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("seeds");

    const QStringList none;
    QTest::newRow("build folder") << QStringList{u"合成表.txt"_qs} << true << true << "program" << false;
    QTest::newRow("installed") << QStringList{u"qmquery"_qs} << true << false << "player" << true;
    // Names of the data set that are of the wrong kind do not make a data folder.
    QTest::newRow("landmarks of the wrong kind")
        << QStringList{u"合成表.txt/"_qs, u"職業"_qs, u"技能"_qs} << true << false << "player" << true;
    QTest::newRow("copied alone, player folder left") << none << false << true << "player" << false;
    QTest::newRow("nothing anywhere") << none << false << false << "program" << false;
}

void tst_DataFolder::choose() {
    QFETCH(QStringList, programFiles);
    QFETCH(bool, installed);
    QFETCH(bool, playerExists);
    QFETCH(QString, folder);
    QFETCH(bool, seeds);

    QTemporaryDir root;
    DataFolder::Places places{root.filePath(u"bin"_qs), root.filePath(u"share/qmquery/data"_qs),
                              root.filePath(u"home/qmquery"_qs)};
    QDir().mkpath(places.programFolder);
    for (const QString& name : programFiles) {
        if (name.endsWith(u'/'))
            QDir().mkpath(places.programFolder + u'/' + name);
        else
            write(places.programFolder + u'/' + name, "x");
    }
    if (installed)
        QDir().mkpath(places.installedData);
    if (playerExists)
        QDir().mkpath(places.playerFolder);

    const DataFolder::Choice choice = DataFolder::choose(places);
    QCOMPARE(choice.folder, folder == u"program" ? places.programFolder : places.playerFolder);
    QCOMPARE(choice.seedFrom, seeds ? places.installedData : QString());
}

void tst_DataFolder::seedKeepsThePlayersFiles() {
    QTemporaryDir root;
    const QString from = root.filePath(u"installed"_qs);
    const QString to = root.filePath(u"player/qmquery"_qs);
    write(from + u"/合成表.txt"_qs, "sample table");
    write(from + u"/職業/劍士.txt"_qs, QByteArray("swordsman\r\n\0\xa4\xa4", 14));
    write(from + u"/相關圖片/01.bmp"_qs, QByteArray(5000, '\x42'));
    write(from + u"/唯讀.txt"_qs, "read-only");
    QFile::setPermissions(from + u"/唯讀.txt"_qs, QFileDevice::ReadOwner | QFileDevice::ReadOther);
    QVERIFY(QFile::link(from + u"/合成表.txt"_qs, from + u"/link.txt"_qs));
    QCOMPARE(::mkfifo(QFile::encodeName(from + u"/pipe"_qs).constData(), 0644), 0);
    write(to + u"/合成表.txt"_qs, "the player's own table");
    QVERIFY(QFile::link(root.filePath(u"nowhere"_qs), to + u"/料理藥品.txt"_qs));
    write(from + u"/料理藥品.txt"_qs, "sample recipes");

    QCOMPARE(DataFolder::seed(from, to, u"1.0.1"_qs), QStringList());
    QCOMPARE(read(to + u"/合成表.txt"_qs), "the player's own table");
    QVERIFY(QFileInfo(to + u"/料理藥品.txt"_qs).isSymLink()); // a dangling link is the player's too
    QCOMPARE(read(to + u"/職業/劍士.txt"_qs), read(from + u"/職業/劍士.txt"_qs));
    QCOMPARE(read(to + u"/相關圖片/01.bmp"_qs), read(from + u"/相關圖片/01.bmp"_qs));
    QVERIFY(QFile::permissions(to + u"/唯讀.txt"_qs) & QFileDevice::WriteOwner);
    QVERIFY(!QFileInfo::exists(to + u"/pipe"_qs));
    QVERIFY(!QFileInfo(to + u"/link.txt"_qs).isSymLink());
    QVERIFY(!QFileInfo::exists(to + u"/link.txt"_qs));

    // A later start of the same version copies nothing back that the player removed...
    QVERIFY(QFile::remove(to + u"/職業/劍士.txt"_qs));
    QCOMPARE(DataFolder::seed(from, to, u"1.0.1"_qs), QStringList());
    QVERIFY(!QFileInfo::exists(to + u"/職業/劍士.txt"_qs));
    // ...an upgrade adds what is missing, and still overwrites nothing.
    write(from + u"/技能/新技能.txt"_qs, "new in 1.0.2");
    QCOMPARE(DataFolder::seed(from, to, u"1.0.2"_qs), QStringList());
    QCOMPARE(read(to + u"/技能/新技能.txt"_qs), "new in 1.0.2");
    QVERIFY(QFileInfo::exists(to + u"/職業/劍士.txt"_qs));
    QCOMPARE(read(to + u"/合成表.txt"_qs), "the player's own table");
}

void tst_DataFolder::seedReportsWhatItCannotPlace() {
    QTemporaryDir root;
    const QString from = root.filePath(u"installed"_qs);
    const QString to = root.filePath(u"player"_qs);
    write(from + u"/合成表.txt"_qs, "sample table");
    write(from + u"/職業/劍士.txt"_qs, "swordsman");
    write(to + u"/職業"_qs, "a file where the folder belongs");

    const QStringList failures = DataFolder::seed(from, to, u"1"_qs);
    QCOMPARE(failures.size(), 1);
    QVERIFY2(failures[0].contains(u"職業"_qs), qPrintable(failures[0]));
    QCOMPARE(read(to + u"/合成表.txt"_qs), "sample table"); // the rest is placed all the same
    QVERIFY(!QFileInfo::exists(to + u'/' + DataFolder::markerName()));

    // Unfinished, so the next start tries again and completes once the way is clear.
    QVERIFY(QFile::remove(to + u"/職業"_qs));
    QCOMPARE(DataFolder::seed(from, to, u"1"_qs), QStringList());
    QCOMPARE(read(to + u"/職業/劍士.txt"_qs), "swordsman");

    // A player folder that cannot exist: its parent is a file.
    QVERIFY(!DataFolder::seed(from, to + u"/合成表.txt/qmquery"_qs, u"1"_qs).isEmpty());
}

void tst_DataFolder::commandLine_data() {
    QTest::addColumn<QStringList>("arguments"); // <dir> and <fifo> name real entries
    QTest::addColumn<int>("exitCode");          // -1: the program goes on
    QTest::addColumn<QString>("out");           // patterns
    QTest::addColumn<QString>("err");

    QTest::newRow("version") << QStringList{u"--version"_qs} << 0 << R"(^qmquery \d+\.\d+\.\d+\n$)"
                             << "^$";
    QTest::newRow("help") << QStringList{u"-h"_qs} << 0 << R"(Usage: qmquery \[options\][\s\S]*--data <DIR>)"
                          << "^$";
    QTest::newRow("data folder") << QStringList{u"--data"_qs, u"<dir>"_qs} << -1 << "^$"
                                 << "^$";
    QTest::newRow("missing folder") << QStringList{u"--data"_qs, u"<dir>/missing"_qs} << 2 << "^$"
                                    << "/missing\".*no such folder";
    QTest::newRow("a pipe") << QStringList{u"--data"_qs, u"<fifo>"_qs} << 2 << "^$"
                            << "not a folder";
    QTest::newRow("unknown option") << QStringList{u"-platform"_qs} << 2 << "^$"
                                    << "Unknown option 'platform'";
    QTest::newRow("stray argument") << QStringList{u"合成表.txt"_qs} << 2 << "^$"
                                    << "unexpected argument";
}

void tst_DataFolder::commandLine() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    QTemporaryDir root;
    const QString dir = root.filePath(u"資料 夾"_qs);
    QDir().mkpath(dir);
    QCOMPARE(::mkfifo(QFile::encodeName(root.filePath(u"fifo"_qs)).constData(), 0644), 0);
    for (QString& a : arguments)
        a.replace(u"<dir>"_qs, dir).replace(u"<fifo>"_qs, root.filePath(u"fifo"_qs));
    arguments.prepend(u"qmquery"_qs);

    QString outText;
    QString errText;
    QTextStream outStream(&outText);
    QTextStream errStream(&errText);
    const std::optional<int> result = StartUp::readCommandLine(arguments, outStream, errStream);
    QCOMPARE(result.value_or(-1), exitCode);
    QVERIFY2(QRegularExpression(out).match(outText).hasMatch(), qPrintable(outText));
    QVERIFY2(QRegularExpression(err).match(errText).hasMatch(), qPrintable(errText));
    if (exitCode < 0) {
        StartUp::settleDataFolder(&errStream);
        QCOMPARE(StartUp::dataFolder(), dir);
    }
}

QTEST_GUILESS_MAIN(tst_DataFolder)
#include "tst_datafolder.moc"
