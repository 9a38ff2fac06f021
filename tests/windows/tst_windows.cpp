#include "core/DataText.h"
#include "forms/FormBase.h"
#include "forms/showpic.h"
#include "modules/Module1.h"
#include "platform/Drives.h"
#include "platform/Platform.h"
#include "testsupport.h"
#include "widgets/DirList.h"
#include "widgets/FileList.h"
#include "widgets/ListBox.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <qt_windows.h>

using namespace Qt::StringLiterals;
using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

bool underWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

} // namespace

// The Windows side of the operating-system operations, run for real (under Wine on the build machine):
// drive letters, the game's folder on drive C, deleting, handing a file to its program, wide-character
// names and the system's code page 950 table.
class tst_Windows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    // The system's code page is not 950 here (Wine's default is 1252, as on a Western Windows): data
    // files must still read as code page 950.
    void codePage950_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("Chinese") << "\xA6\x58\xA6\xA8\xAA\xED"_ba << u"合成表"_s;
        QTest::newRow("Microsoft's additions") << "\xF9\xF9\xF9\xFE"_ba << u"═▓"_s;
        QTest::newRow("ASCII between") << "a\xA4\xA4"
                                          "b"_ba
                                       << u"a中b"_s;
        QTest::newRow("lead byte before a byte that cannot trail") << "\xA4"
                                                                      "1"_ba
                                                                   << u"\uFFFD1"_s;
        QTest::newRow("cut off at the end") << "\xA4\xA4\xA4"_ba << u"中\uFFFD"_s;
    }
    void codePage950() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QVERIFY(GetACP() != 950 || !underWine());
        QCOMPARE(DataText::decode(bytes), text);
    }

    // A folder and file with Chinese names, the file in code page 950, read through the loader.
    void chineseNames() {
        QTemporaryDir dir;
        const QString program = dir.filePath(u"資料 查詢"_s);
        QVERIFY(QDir().mkpath(program + u"/職業"_s));
        QVERIFY(writeFile(program + u"/職業/劍士.txt"_s, "\xBC\x43\xA4\x68\r\nLv10\r\n"_ba));
        Module1::setProgramFolder(program);
        ListBox list;
        QVERIFY(Module1::LoadListFile(u"職業\\劍士.txt"_s, &list, true));
        QCOMPARE(list.items(), (QStringList{u"劍士"_s, u"Lv10"_s}));
    }

    void drives() {
        const QList<Platform::Drive> drives = Platform::drives();
        QVERIFY(!drives.isEmpty());
        QCOMPARE(Platform::driveC().root, u"C:/"_s);
        QVERIFY(std::any_of(drives.begin(), drives.end(), [](const Platform::Drive& d) {
            return d.label == u"c:"_s && d.root == u"C:/"_s;
        }));
        if (underWine()) // Wine maps the Unix root to Z:
            QVERIFY(
                std::any_of(drives.begin(), drives.end(), [](const auto& d) { return d.label == u"z:"_s; }));
    }

    // The viewer opens the game's screenshot folder under C:\Program Files, whatever its letter case.
    void gameFolder() {
        if (!underWine())
            QSKIP("writes into C:\\Program Files, which only a throw-away Wine prefix may have written to");
        const QString game = u"C:/Program Files/Tessaly"_s;
        const QString shots = game + u"/QUELLMARK/screenshot"_s;
        QVERIFY(QDir().mkpath(shots));
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::blue);
        QVERIFY(image.save(shots + u"/qm020315_001.bmp"_s));
        TestSupport::MessageRecorder messages;
        auto* form = FormBase::open<showpic>();
        QVERIFY(Platform::sameFolder(form->Dir1->path(), Platform::defaultScreenshotFolder()));
        QCOMPARE(form->File1->items(), QStringList{u"qm020315_001.bmp"_s});
        QVERIFY(messages.texts().isEmpty());
        TestSupport::unloadAllForms();
        QVERIFY(QDir(game).removeRecursively());
    }

    void deleting() {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"唯讀 圖片.bmp"_s);
        QVERIFY(writeFile(path, "BM"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadUser));
        QVERIFY(!QFileInfo(path).isWritable());
        QString reason;
        QVERIFY2(Platform::deleteFile(path, &reason), qPrintable(reason));
        QVERIFY(!QFile::exists(path));
        QVERIFY(!Platform::deleteFile(path, &reason));
        QCOMPARE(reason, u"檔案已經不存在"_s);
    }

    // A file goes to the program registered for its type as one argument, spaces, & and ; included.
    void openDocument() {
        const QString recorder = QCoreApplication::applicationDirPath() + u"/recordargs.exe"_s;
        QVERIFY(QFile::exists(recorder));
        QTemporaryDir dir;
        const QString record = dir.filePath(u"record.txt"_s);
        qputenv("QMQUERY_RECORD", QDir::toNativeSeparators(record).toUtf8());
        // Windows merges the user's classes into the machine's; Wine reads the machine's alone.
        QSettings classes(underWine() ? u"HKEY_LOCAL_MACHINE\\Software\\Classes"_s
                                      : u"HKEY_CURRENT_USER\\Software\\Classes"_s,
                          QSettings::NativeFormat);
        classes.setValue(u".qmrecord/."_s, u"qmquery.record"_s);
        classes.setValue(u"qmquery.record/shell/open/command/."_s,
                         u"\"%1\" \"%2\""_s.arg(QDir::toNativeSeparators(recorder), u"%1"_s));
        classes.sync();

        const QString document = dir.filePath(u"攻略 & a;b.qmrecord"_s);
        QVERIFY(writeFile(document, "x"));
        bool failed = false;
        Platform::openDocument(document, [&failed] { failed = true; });
        QTRY_COMPARE_WITH_TIMEOUT(QString::fromUtf8(readFile(record)), QDir::toNativeSeparators(document),
                                  20000);
        QVERIFY(!failed);

        // No program for the type: the failure is reported, not swallowed.
        const QString orphan = dir.filePath(u"x.qmnoprogram"_s);
        QVERIFY(writeFile(orphan, "x"));
        Platform::openDocument(orphan, [&failed] { failed = true; });
        QTRY_VERIFY_WITH_TIMEOUT(failed, 20000);
        classes.remove(u".qmrecord"_s);
        classes.remove(u"qmquery.record"_s);
    }
};

QTEST_MAIN(tst_Windows)
#include "tst_windows.moc"
