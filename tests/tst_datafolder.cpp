// The data folder: which one a start picks, the first-start copy, and the command line naming another.
#include "core/FileNames.h"
#include "modules/DataFolder.h"
#include "modules/StartUp.h"
#include "platform/Process.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <cstdio>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

// Makes under `root`: "a/" a folder, "a|" a pipe, "a>b" a link to b, "a" a file holding its name.
void make(const QString& root, const QStringList& entries) {
    for (const QString& entry : entries) {
        const QString path = root + u'/' + entry.section(u'>', 0, 0).remove(u'|');
        QVERIFY(QDir().mkpath(entry.endsWith(u'/') ? path : QFileInfo(path).path()));
        if (entry.contains(u'>'))
            QVERIFY(QFile::link(entry.section(u'>', 1), path));
        else if (entry.endsWith(u'|'))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else if (!entry.endsWith(u'/'))
            QVERIFY(TestSupport::writeFile(path, entry.toUtf8()));
    }
}

// "資料" in code page 950: a folder name an archive made on Windows leaves, not UTF-8.
const QByteArray kCp950Folder("\xb8\xea\xae\xc6");

// The child a test starts as a program lying in such a folder: prints the program folder and the
// arguments as their bytes, one per line.
constexpr char kReportEnv[] = "TST_DATAFOLDER_REPORT";

// Qt removes a folder by the names it decodes, so one named in bytes that are not UTF-8 stays behind.
void removeRaw(const QString& root) {
    QProcess::execute(u"rm"_s, {u"-rf"_s, root});
}

int report(int argc, char* argv[]) {
    std::fputs(FileNames::toBytes(Platform::programFolder()).constData(), stdout);
    for (const QString& argument : Platform::commandLine(argc, argv).mid(1))
        std::printf("\n%s", FileNames::toBytes(argument).constData());
    return 0;
}

} // namespace

class tst_DataFolder : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { StartUp::reset(); }

    void choose_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("choice"); // the folder chosen, and where it is filled from
        // The program's folder is bin, the installed data installed, the player's folder home.
        QTest::newRow("build folder") << QStringList{"bin/合成表.txt", "installed/", "home/"} << u"bin"_s;
        QTest::newRow("installed") << QStringList{"bin/qmquery", "installed/"} << u"home from installed"_s;
        // Names of the data set that are of the wrong kind do not make a data folder.
        QTest::newRow("landmarks of the wrong kind")
            << QStringList{"bin/合成表.txt/", "bin/職業", "bin/技能", "installed/"}
            << u"home from installed"_s;
        QTest::newRow("copied alone, player folder left") << QStringList{"bin/", "home/"} << u"home"_s;
        QTest::newRow("nothing anywhere") << QStringList{"bin/"} << u"bin"_s;
    }
    void choose() {
        QFETCH(QStringList, entries);
        QFETCH(QString, choice);
        QTemporaryDir root;
        make(root.path(), entries);
        const QDir r(root.path());
        const DataFolder::Choice c =
            DataFolder::choose({r.filePath(u"bin"_s), r.filePath(u"installed"_s), r.filePath(u"home"_s)});
        QCOMPARE(r.relativeFilePath(c.folder) +
                     (c.seedFrom.isEmpty() ? QString() : " from " + r.relativeFilePath(c.seedFrom)),
                 choice);
    }

    // The player's files stay; what cannot be placed is reported and tried again on the next start.
    void seed() {
        QTemporaryDir root;
        const QString from = root.filePath(u"installed"_s), to = root.filePath(u"player"_s);
        const QString marker = to + u'/' + DataFolder::markerName();
        make(root.path(),
             {"installed/合成表.txt", "installed/料理藥品.txt", "installed/職業/劍士.txt",
              "installed/技能/新技能.txt", "installed/唯讀.txt", "installed/link.txt>合成表.txt",
              "installed/pipe|", "player/合成表.txt", "player/料理藥品.txt>nowhere", "player/技能"});
        QFile::setPermissions(from + u"/唯讀.txt"_s, QFileDevice::ReadOwner | QFileDevice::ReadOther);

        QCOMPARE(DataFolder::seed(from, to, u"1.0.1"_s), QStringList{to + u"/技能: not a folder"_s});
        QVERIFY(!QFileInfo::exists(marker));
        QCOMPARE(TestSupport::readFile(to + u"/合成表.txt"_s),
                 u"player/合成表.txt"_s.toUtf8());               // the player's own
        QVERIFY(QFileInfo(to + u"/料理藥品.txt"_s).isSymLink()); // a dangling link is the player's too
        QCOMPARE(TestSupport::readFile(to + u"/職業/劍士.txt"_s), u"installed/職業/劍士.txt"_s.toUtf8());
        QVERIFY(QFile::permissions(to + u"/唯讀.txt"_s) & QFileDevice::WriteOwner);
        QVERIFY(!QFileInfo::exists(to + u"/pipe"_s) && !QFileInfo(to + u"/link.txt"_s).exists());

        // A pipe where the marker goes is reported, not opened.
        QVERIFY(QFile::remove(to + u"/技能"_s));
        make(to, {DataFolder::markerName() + u'|'});
        QCOMPARE(DataFolder::seed(from, to, u"1.0.1"_s), QStringList{marker + u": not a file"_s});
        QCOMPARE(TestSupport::readFile(to + u"/技能/新技能.txt"_s), u"installed/技能/新技能.txt"_s.toUtf8());
        QVERIFY(QFile::remove(marker));
        // Nor is a link there followed: the file it leads to stays as it was.
        make(root.path(), {"victim.txt", u"player/"_s + DataFolder::markerName() + u">../victim.txt"_s});
        QCOMPARE(DataFolder::seed(from, to, u"1.0.1"_s), QStringList{marker + u": not a file"_s});
        QCOMPARE(TestSupport::readFile(root.filePath(u"victim.txt"_s)), "victim.txt"_ba);
        QVERIFY(QFile::remove(marker));
        QCOMPARE(DataFolder::seed(from, to, u"1.0.1"_s), QStringList());

        // The same version copies nothing back the player removed; an upgrade adds, overwriting nothing.
        QVERIFY(QFile::remove(to + u"/職業/劍士.txt"_s));
        QCOMPARE(DataFolder::seed(from, to, u"1.0.1"_s), QStringList());
        QVERIFY(!QFileInfo::exists(to + u"/職業/劍士.txt"_s));
        QCOMPARE(DataFolder::seed(from, to, u"1.0.2"_s), QStringList());
        QVERIFY(QFileInfo::exists(to + u"/職業/劍士.txt"_s));
        QCOMPARE(TestSupport::readFile(to + u"/合成表.txt"_s), u"player/合成表.txt"_s.toUtf8());
    }

    void commandLine_data() {
        QTest::addColumn<QStringList>("arguments"); // <root> is a folder holding "資料 夾", "fifo" and "home"
        QTest::addColumn<int>("exitCode");          // -1: the program goes on
        QTest::addColumn<QString>("printed");       // a pattern
        QTest::addColumn<QString>("folder");        // settled when the program goes on
        const auto row = [](const char* name, const QStringList& arguments, int exitCode,
                            const QString& printed, const QString& folder = {}) {
            QTest::newRow(name) << arguments << exitCode << printed << folder;
        };
        row("--help", {"--help"}, 0, uR"(^Usage: qmquery \[options\][\s\S]*--data <DIR>)"_s);
        row("data folder", {"--data", u"<root>/資料 夾"_s}, -1, u"^$"_s, u"<root>/資料 夾"_s);
        row("data folder named in code page 950", {"--data", u"<root>/<cp950>"_s}, -1, u"^$"_s,
            u"<root>/<cp950>"_s);
        row("no data folder: the player's own", {}, -1, u"^$"_s, u"<root>/home/qmquery"_s);
        row("missing folder", {"--data", "<root>/missing"}, 2, u"/missing\".*no such folder"_s);
        row("a pipe", {"--data", "<root>/fifo"}, 2, u"not a folder"_s);
        row("unknown option", {"-platform"}, 2, u"Unknown option 'platform'"_s);
        row("stray argument", {u"合成表.txt"_s}, 2, u"unexpected argument"_s);
    }
    void commandLine() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, printed);
        QFETCH(QString, folder);
        QTemporaryDir root;
        make(root.path(), {u"資料 夾/"_s, "home/qmquery/", "fifo|"});
        const auto remove = qScopeGuard([&] { removeRaw(root.path()); });
        QCOMPARE(::mkdir(QFile::encodeName(root.path()) + '/' + kCp950Folder, 0755), 0);
        const QString cp950 = FileNames::fromBytes(kCp950Folder);
        // The player's own folder, where an installed program reads its data.
        const auto restore = qScopeGuard([old = qgetenv("XDG_DATA_HOME")] { qputenv("XDG_DATA_HOME", old); });
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(u"home"_s)));
        arguments.replaceInStrings(u"<root>"_s, root.path()).replaceInStrings(u"<cp950>"_s, cp950);
        arguments.prepend(u"qmquery"_s);
        QString outText, errText;
        QTextStream outStream(&outText), errStream(&errText);
        QCOMPARE(StartUp::readCommandLine(arguments, outStream, errStream).value_or(-1), exitCode);
        // Help goes to standard output, complaints to standard error; nothing else is printed.
        const QString text = exitCode == 2 ? errText : outText;
        QVERIFY2(QRegularExpression(printed).match(text).hasMatch(), qPrintable(text));
        QCOMPARE(outText + errText, text);
        if (exitCode < 0) {
            StartUp::settleDataFolder(&errStream);
            QCOMPARE(StartUp::dataFolder(),
                     folder.replace(u"<root>"_s, root.path()).replace(u"<cp950>"_s, cp950));
        }
    }

    // A program unpacked in a folder named in code page 950 bytes finds its data there, and is given
    // such names on its command line as they are.
    void cp950ProgramFolder() {
        QTemporaryDir root;
        const auto remove = qScopeGuard([&] { removeRaw(root.path()); });
        const QByteArray folder = QFile::encodeName(root.path()) + '/' + kCp950Folder;
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        QVERIFY(TestSupport::writeFile(folder + "/" + u"合成表.txt"_s.toUtf8(), "A"));
        const QString program = FileNames::fromBytes(folder);
        QCOMPARE(DataFolder::choose({program, {}, root.filePath(u"home"_s)}).folder, program);
        QCOMPARE(DataFolder::unusableReason(program), QString());

        // The test program itself, copied there, reports what it was given.
        const QByteArray copy = folder + "/probe";
        QVERIFY(TestSupport::writeFile(copy, TestSupport::readFile(QCoreApplication::applicationFilePath())));
        QCOMPARE(::chmod(copy.constData(), 0755), 0);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kReportEnv), u"1"_s);
        child.setProcessEnvironment(env);
        // Qt would hand the name to the system as UTF-8: the shell makes the bytes instead.
        child.start(
            u"/bin/sh"_s,
            {u"-c"_s, u"d=\"$0/$(printf '\\270\\352\\256\\306')\"; exec \"$d/probe\" \"$d\""_s, root.path()});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.readAllStandardOutput(), folder + '\n' + folder);
    }

    // The player's folder is never below the folder the program was started in.
    void relativeDataHome() {
        QTemporaryDir root;
        make(root.path(), {"home/.local/share/qmquery/", "started/here/qmquery/"});
        const auto restore = qScopeGuard(
            [home = qgetenv("HOME"), data = qgetenv("XDG_DATA_HOME"), current = QDir::currentPath()] {
                qputenv("HOME", home);
                qputenv("XDG_DATA_HOME", data);
                QDir::setCurrent(current);
            });
        qputenv("HOME", QFile::encodeName(root.filePath(u"home"_s)));
        qputenv("XDG_DATA_HOME", "here");
        QVERIFY(QDir::setCurrent(root.filePath(u"started"_s)));
        StartUp::settleDataFolder();
        QCOMPARE(StartUp::dataFolder(), root.filePath(u"home/.local/share/qmquery"_s));
    }
};

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsSet(kReportEnv))
        return report(argc, argv);
    QCoreApplication app(argc, argv);
    tst_DataFolder test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_datafolder.moc"
