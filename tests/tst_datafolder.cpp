// The data folder: which one a start picks, the first-start copy into the player's folder, and the
// command line that can name another.
#include "core/DataFolder.h"
#include "modules/StartUp.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "<unreadable>"_ba;
}

} // namespace

class tst_DataFolder : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { StartUp::reset(); }

    void choose_data() {
        QTest::addColumn<QString>("entries"); // made under the root; a trailing "/" makes a folder
        QTest::addColumn<QString>("choice");  // the folder chosen, and where it is filled from
        // The program's folder is bin, the installed data installed, the player's folder home.
        QTest::newRow("build folder") << u"bin/合成表.txt installed/ home/"_s << u"bin"_s;
        QTest::newRow("installed") << u"bin/qmquery installed/"_s << u"home from installed"_s;
        // Names of the data set that are of the wrong kind do not make a data folder.
        QTest::newRow("landmarks of the wrong kind")
            << u"bin/合成表.txt/ bin/職業 bin/技能 installed/"_s << u"home from installed"_s;
        QTest::newRow("copied alone, player folder left") << u"bin/ home/"_s << u"home"_s;
        QTest::newRow("nothing anywhere") << u"bin/"_s << u"bin"_s;
    }
    void choose() {
        QFETCH(QString, entries);
        QFETCH(QString, choice);
        QTemporaryDir root;
        const QDir r(root.path());
        for (const QString& entry : entries.split(u' ')) {
            if (entry.endsWith(u'/'))
                QVERIFY(r.mkpath(entry));
            else
                write(r.filePath(entry), "x");
        }
        const DataFolder::Choice c =
            DataFolder::choose({r.filePath(u"bin"_s), r.filePath(u"installed"_s), r.filePath(u"home"_s)});
        QCOMPARE(r.relativeFilePath(c.folder) +
                     (c.seedFrom.isEmpty() ? QString() : " from " + r.relativeFilePath(c.seedFrom)),
                 choice);
    }

    void seedKeepsThePlayersFiles() {
        QTemporaryDir root;
        const QString from = root.filePath(u"installed"_s);
        const QString to = root.filePath(u"player/qmquery"_s);
        write(from + u"/合成表.txt"_s, "sample table");
        write(from + u"/職業/劍士.txt"_s, QByteArray("swordsman\r\n\0\xa4\xa4", 14));
        write(from + u"/相關圖片/01.bmp"_s, QByteArray(5000, '\x42'));
        write(from + u"/唯讀.txt"_s, "read-only");
        QFile::setPermissions(from + u"/唯讀.txt"_s, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        QVERIFY(QFile::link(from + u"/合成表.txt"_s, from + u"/link.txt"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(from + u"/pipe"_s).constData(), 0644), 0);
        write(to + u"/合成表.txt"_s, "the player's own table");
        QVERIFY(QFile::link(root.filePath(u"nowhere"_s), to + u"/料理藥品.txt"_s));
        write(from + u"/料理藥品.txt"_s, "sample recipes");

        QCOMPARE(DataFolder::seed(from, to, u"1.0.1"_s), QStringList());
        QCOMPARE(read(to + u"/合成表.txt"_s), "the player's own table");
        QVERIFY(QFileInfo(to + u"/料理藥品.txt"_s).isSymLink()); // a dangling link is the player's too
        QCOMPARE(read(to + u"/職業/劍士.txt"_s), read(from + u"/職業/劍士.txt"_s));
        QCOMPARE(read(to + u"/相關圖片/01.bmp"_s), read(from + u"/相關圖片/01.bmp"_s));
        QVERIFY(QFile::permissions(to + u"/唯讀.txt"_s) & QFileDevice::WriteOwner);
        QVERIFY(!QFileInfo::exists(to + u"/pipe"_s));
        QVERIFY(!QFileInfo(to + u"/link.txt"_s).isSymLink() && !QFileInfo::exists(to + u"/link.txt"_s));

        // A later start of the same version copies nothing back that the player removed...
        QVERIFY(QFile::remove(to + u"/職業/劍士.txt"_s));
        QCOMPARE(DataFolder::seed(from, to, u"1.0.1"_s), QStringList());
        QVERIFY(!QFileInfo::exists(to + u"/職業/劍士.txt"_s));
        // ...an upgrade adds what is missing, and still overwrites nothing.
        write(from + u"/技能/新技能.txt"_s, "new in 1.0.2");
        QCOMPARE(DataFolder::seed(from, to, u"1.0.2"_s), QStringList());
        QCOMPARE(read(to + u"/技能/新技能.txt"_s), "new in 1.0.2");
        QVERIFY(QFileInfo::exists(to + u"/職業/劍士.txt"_s));
        QCOMPARE(read(to + u"/合成表.txt"_s), "the player's own table");
    }

    void seedReportsWhatItCannotPlace() {
        QTemporaryDir root;
        const QString from = root.filePath(u"installed"_s);
        const QString to = root.filePath(u"player"_s);
        const QString marker = to + u'/' + DataFolder::markerName();
        write(from + u"/合成表.txt"_s, "sample table");
        write(from + u"/職業/劍士.txt"_s, "swordsman");
        write(to + u"/職業"_s, "a file where the folder belongs");

        QCOMPARE(DataFolder::seed(from, to, u"1"_s), QStringList{to + u"/職業: not a folder"_s});
        QCOMPARE(read(to + u"/合成表.txt"_s), "sample table"); // the rest is placed all the same
        QVERIFY(!QFileInfo::exists(marker));

        // Unfinished, so the next start tries again; a pipe where the marker goes is reported, not opened.
        QVERIFY(QFile::remove(to + u"/職業"_s));
        QCOMPARE(::mkfifo(QFile::encodeName(marker).constData(), 0644), 0);
        QCOMPARE(DataFolder::seed(from, to, u"1"_s), QStringList{marker + u": not a file"_s});
        QCOMPARE(read(to + u"/職業/劍士.txt"_s), "swordsman");
        QVERIFY(QFile::remove(marker));
        QCOMPARE(DataFolder::seed(from, to, u"1"_s), QStringList());

        const QString impossible = to + u"/合成表.txt/qmquery"_s; // its parent is a file
        QCOMPARE(DataFolder::seed(from, impossible, u"1"_s),
                 QStringList{impossible + u": cannot create the folder"_s});
    }

    void commandLine_data() {
        QTest::addColumn<QString>("arguments"); // <dir> and <fifo> name real entries
        QTest::addColumn<int>("exitCode");      // -1: the program goes on
        QTest::addColumn<QString>("printed");   // a pattern
        QTest::addColumn<QString>("folder");    // settled when the program goes on
        const QString usage = uR"(^Usage: qmquery \[options\][\s\S]*--data <DIR>)"_s;
        QTest::newRow("version") << u"--version"_s << 0 << uR"(^qmquery \d+\.\d+\.\d+\n$)"_s << QString();
        QTest::newRow("-h") << u"-h"_s << 0 << usage << QString();
        QTest::newRow("--help") << u"--help"_s << 0 << usage << QString();
        QTest::newRow("data folder") << u"--data <dir>"_s << -1 << u"^$"_s << u"<dir>"_s;
        QTest::newRow("no data folder: the player's own")
            << QString() << -1 << u"^$"_s << u"<home>/qmquery"_s;
        QTest::newRow("missing folder")
            << u"--data <dir>/missing"_s << 2 << u"/missing\".*no such folder"_s << QString();
        QTest::newRow("a pipe") << u"--data <fifo>"_s << 2 << u"not a folder"_s << QString();
        QTest::newRow("unknown option") << u"-platform"_s << 2 << u"Unknown option 'platform'"_s << QString();
        QTest::newRow("stray argument") << u"合成表.txt"_s << 2 << u"unexpected argument"_s << QString();
    }
    void commandLine() {
        QFETCH(QString, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        QFETCH(QString, folder);
        QTemporaryDir root;
        const QString dir = root.filePath(u"資料 夾"_s);
        QVERIFY(QDir().mkpath(dir) && QDir().mkpath(root.filePath(u"home/qmquery"_s)));
        QCOMPARE(::mkfifo(QFile::encodeName(root.filePath(u"fifo"_s)).constData(), 0644), 0);
        // The player's own folder, where an installed program reads its data.
        const auto restore = qScopeGuard([old = qgetenv("XDG_DATA_HOME")] { qputenv("XDG_DATA_HOME", old); });
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(u"home"_s)));
        const auto fill = [&](QString s) {
            return s.replace(u"<dir>"_s, dir)
                .replace(u"<fifo>"_s, root.filePath(u"fifo"_s))
                .replace(u"<home>"_s, root.filePath(u"home"_s));
        };
        QStringList words{u"qmquery"_s};
        for (const QString& a : arguments.split(u' ', Qt::SkipEmptyParts))
            words << fill(a);
        QString outText, errText;
        QTextStream outStream(&outText), errStream(&errText);
        QCOMPARE(StartUp::readCommandLine(words, outStream, errStream).value_or(-1), exitCode);
        // Help and version go to standard output, complaints to standard error; nothing else is printed.
        const QString text = exitCode == 2 ? errText : outText;
        QVERIFY2(QRegularExpression(printed).match(text).hasMatch(), qPrintable(text));
        QCOMPARE(outText + errText, text);
        if (exitCode < 0) {
            StartUp::settleDataFolder(&errStream);
            QCOMPARE(StartUp::dataFolder(), fill(folder));
        }
    }
};

QTEST_GUILESS_MAIN(tst_DataFolder)
#include "tst_datafolder.moc"
