#include "core/BmpCheck.h"
#include "core/Centring.h"
#include "core/FileNames.h"
#include "core/JpegScans.h"
#include "core/PictureBudget.h"
#include "core/Wildcard.h"
#include "jpegwriter.h"
#include "platform/Drives.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

class tst_ViewerCore : public QObject {
    Q_OBJECT
private slots:
    void wildcard_data();
    void wildcard();
    void datePattern_data();
    void datePattern();
    void dateFields_data();
    void dateFields();
    void centring_data();
    void centring();
    void panning_data();
    void panning();
    void jpegScans_data();
    void jpegScans();
    void budget_data();
    void budget();
    void budgetText_data();
    void budgetText();
    void displayPath_data();
    void displayPath();
    void bmpLength_data();
    void bmpLength();
    void wineDriveC_data();
    void wineDriveC();
    void sameFolder_data();
    void sameFolder();
};

void tst_ViewerCore::wildcard_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");
    const QString all = QStringLiteral("*.bmp;*.gif;*.jpg;*.ico;*.wmf");
    QTest::newRow("upper-case name, lower-case pattern") << "QM020315_001.BMP"
                                                         << "qm020315_???.bmp" << true;
    QTest::newRow("? needs a character") << "qm020315_01.bmp"
                                         << "qm020315_???.bmp" << false;
    QTest::newRow("? takes only one") << "qm020315_0001.bmp"
                                      << "qm020315_???.bmp" << false;
    QTest::newRow("other month") << "qm020415_123.bmp"
                                 << "qm0203??_???.bmp" << false;
    QTest::newRow("second of five patterns") << "Shot.GIF" << all << true;
    QTest::newRow("no pattern fits") << "notes.png" << all << false;
    QTest::newRow("suffix after the extension") << "a.bmp.txt" << all << false;
    QTest::newRow("blanks around patterns") << "a.jpg"
                                            << " *.gif ; *.jpg " << true;
    QTest::newRow("stars backtrack") << "aXbYbc"
                                     << "a*b*c" << true;
    QTest::newRow("stars keep order") << "acb"
                                      << "a*b*c" << false;
    QTest::newRow("empty pattern list") << "a.bmp"
                                        << ";;" << false;
    QTest::newRow("non-Latin letters") << "截圖.bmp"
                                       << "截?.BMP" << true;
}

void tst_ViewerCore::wildcard() {
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    QCOMPARE(Wildcard::matchesAny(name, Wildcard::splitPatterns(pattern)), expected);
}

void tst_ViewerCore::datePattern_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("expected");
    QTest::newRow("full date") << QStringList{"02", "03", "15"} << "qm020315_???.bmp";
    QTest::newRow("any day") << QStringList{"02", "03", "??"} << "qm0203??_???.bmp";
    QTest::newRow("any date") << QStringList{"??", "??", "??"} << "qm??????_???.bmp";
}

void tst_ViewerCore::datePattern() {
    QFETCH(QStringList, fields);
    QFETCH(QString, expected);
    QCOMPARE(Wildcard::datePattern(fields[0], fields[1], fields[2]), expected);
}

void tst_ViewerCore::dateFields_data() {
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("2002/3/5") << QDate(2002, 3, 5) << QStringList{"02", "03", "05"};
    QTest::newRow("1999/12/31") << QDate(1999, 12, 31) << QStringList{"99", "12", "31"};
    QTest::newRow("2010/10/01") << QDate(2010, 10, 1) << QStringList{"10", "10", "01"};
}

void tst_ViewerCore::dateFields() {
    QFETCH(QDate, date);
    QFETCH(QStringList, expected);
    const auto fields = Wildcard::dateFields(date);
    QCOMPARE((QStringList{fields[0], fields[1], fields[2]}), expected);
}

void tst_ViewerCore::centring_data() {
    QTest::addColumn<int>("inner");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("expected");
    QTest::newRow("smaller: centred") << 800 << 640 << 80;
    QTest::newRow("odd gap rounds down") << 643 << 640 << 1;
    QTest::newRow("exactly as wide: 0") << 640 << 640 << 0;
    QTest::newRow("larger: cut at the edge") << 600 << 640 << 0;
    QTest::newRow("empty picture") << 300 << 0 << 150;
}

void tst_ViewerCore::centring() {
    QFETCH(int, inner);
    QFETCH(int, picture);
    QFETCH(int, expected);
    QCOMPARE(Centring::offset(inner, picture), expected);
}

void tst_ViewerCore::panning_data() {
    QTest::addColumn<int>("inner");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("pan");
    QTest::addColumn<int>("expected");
    QTest::newRow("fits: centred, however far it was moved") << 800 << 640 << 50 << 80;
    QTest::newRow("larger, not moved: its first pixel at the edge") << 600 << 1000 << 0 << 0;
    QTest::newRow("moved part of the way") << 600 << 1000 << 150 << -150;
    QTest::newRow("moved past its far edge: stops at it") << 600 << 1000 << 5000 << -400;
    QTest::newRow("moved back past its start: stops at it") << 600 << 1000 << -30 << 0;
    QTest::newRow("one pixel larger moves one pixel") << 600 << 601 << 9 << -1;
}

void tst_ViewerCore::panning() {
    QFETCH(int, inner);
    QFETCH(int, picture);
    QFETCH(int, pan);
    QFETCH(int, expected);
    QCOMPARE(Centring::pannedOffset(inner, picture, pan), expected);
}

namespace {

// Marker segments written out by hand: 0xFF, the marker, a length that counts itself, the body.
QByteArray seg(quint8 marker, const QByteArray& body) {
    return QByteArray(1, char(0xFF)) + char(marker) + char((body.size() + 2) >> 8) + char(body.size() + 2) +
           body;
}
const QByteArray kSoi("\xFF\xD8", 2);
const QByteArray kEoi("\xFF\xD9", 2);
const QByteArray kScanHeader("\x01\x01\x00\x00\x3F\x00", 6);

} // namespace

void tst_ViewerCore::jpegScans_data() {
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<int>("scans");
    const QByteArray sos = seg(0xDA, kScanHeader);
    QTest::newRow("one DC and nine AC scans") << JpegWriter::progressive(64, 48, 9) << 10;
    QTest::newRow("as many as allowed")
        << JpegWriter::progressive(16, 16, JpegScans::kMaxScans - 1) << JpegScans::kMaxScans;
    QTest::newRow("20,000: counting stops one past the limit")
        << JpegWriter::progressive(16, 16, 20000) << JpegScans::kMaxScans + 1;
    QTest::newRow("stuffed bytes and restarts inside coded data")
        << kSoi + sos + QByteArray("\x12\xFF\x00\x34\xFF\xD0\x56", 7) + sos + QByteArray("\x78", 1) + kEoi
        << 2;
    QTest::newRow("a scan's header bytes look like a marker")
        << kSoi + seg(0xDA, QByteArray("\xFF\xDA\x00\x08\xFF\xDA", 6)) + kEoi << 1;
    QTest::newRow("nothing counted after the end of the image") << kSoi + sos + kEoi + sos + sos << 1;
    QTest::newRow("fill bytes and stray bytes before markers")
        << kSoi + QByteArray("junk\xFF\xFF\xFF", 7) + sos + QByteArray("\xFF\xFF", 2) + sos << 2;
    QTest::newRow("a length below two ends the walk") << kSoi + QByteArray("\xFF\xC4\x00\x01", 4) + sos << 0;
    QTest::newRow("a segment running past the end") << kSoi + sos + QByteArray("\xFF\xDA\x7F", 3) << 1;
    QTest::newRow("not a JPEG") << QByteArray("BM") + sos << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void tst_ViewerCore::jpegScans() {
    QFETCH(QByteArray, jpeg);
    QFETCH(int, scans);
    QCOMPARE(JpegScans::count(jpeg), scans);
    QCOMPARE(JpegScans::tooMany(jpeg), scans > JpegScans::kMaxScans);
}

void tst_ViewerCore::budget_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<qint64>("fileBytes");
    QTest::addColumn<qint64>("budgetBytes");
    QTest::addColumn<bool>("fits");
    QTest::addColumn<bool>("plausible");
    const qint64 all = PictureBudget::kBytes;
    QTest::newRow("exactly the budget") << 1000 << 1000 << qint64(3000054) << qint64(4000000) << true << true;
    QTest::newRow("one row over") << 1000 << 1001 << qint64(3003054) << qint64(4000000) << false << true;
    QTest::newRow("18-megapixel camera photo") << 5184 << 3456 << qint64(6000000) << all << true << true;
    QTest::newRow("8000 x 6000 photo") << 8000 << 6000 << qint64(9000000) << all << true << true;
    QTest::newRow("100-megapixel photo") << 11648 << 8736 << qint64(40000000) << all << true << true;
    QTest::newRow("beyond 134 megapixels") << 16384 << 8193 << qint64(60000000) << all << false << true;
    QTest::newRow("30000 x 30000 in 118 bytes") << 30000 << 30000 << qint64(118) << all << false << false;
    QTest::newRow("largest GIF claim in 25 bytes") << 65535 << 65535 << qint64(25) << all << false << false;
    QTest::newRow("4,096 pixels a byte still plausible") << 4096 << 100 << qint64(100) << all << true << true;
    QTest::newRow("one pixel a byte more is not") << 4096 << 101 << qint64(100) << all << true << false;
    QTest::newRow("size unknown: the decoder decides") << 0 << 0 << qint64(10) << all << true << true;
}

void tst_ViewerCore::budget() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(qint64, fileBytes);
    QFETCH(qint64, budgetBytes);
    QFETCH(bool, fits);
    QFETCH(bool, plausible);
    QCOMPARE(PictureBudget::fits(width, height, budgetBytes), fits);
    QCOMPARE(PictureBudget::plausible(width, height, fileBytes), plausible);
}

void tst_ViewerCore::budgetText_data() {
    QTest::addColumn<qint64>("budgetBytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("the default: 134,217,728 pixels") << PictureBudget::kBytes << "134.2";
    QTest::newRow("whole millions without a decimal") << qint64(4000000) << "1";
    QTest::newRow("half a million") << qint64(2000000) << "0.5";
    QTest::newRow("rounded to the nearest tenth") << qint64(4 * 1960000) << "2";
}

void tst_ViewerCore::budgetText() {
    QFETCH(qint64, budgetBytes);
    QFETCH(QString, text);
    QCOMPARE(PictureBudget::megapixels(budgetBytes), text);
}

void tst_ViewerCore::displayPath_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    QTest::newRow("UTF-8 folder, code page 950 file")
        << FileNames::fromBytes(QStringLiteral("/home/玩家/").toUtf8() +
                                TestSupport::toCp950(QStringLiteral("截圖.bmp")))
        << QStringLiteral("/home/玩家/截圖.bmp");
    QTest::newRow("code page 950 folder, UTF-8 file")
        << FileNames::fromBytes(TestSupport::toCp950(QStringLiteral("/舊圖/")) + QByteArray("新.bmp"))
        << QStringLiteral("/舊圖/新.bmp");
    QTest::newRow("backslashes are part of a name")
        << QStringLiteral("/shots/..\\..\\x.bmp") << QStringLiteral("/shots/..\\..\\x.bmp");
}

void tst_ViewerCore::displayPath() {
    QFETCH(QString, path);
    QFETCH(QString, shown);
    QCOMPARE(FileNames::displayPath(path), shown);
}

namespace {

// A BMP header with a 40-byte info header (or the 12-byte OS/2 one) and no palette.
QByteArray bmpHeader(int width, int height, int bits, int compression, bool os2 = false) {
    QByteArray h(os2 ? 26 : 54, '\0');
    auto put32 = [&h](int at, quint32 v) {
        for (int i = 0; i < 4; ++i)
            h[at + i] = char((v >> (8 * i)) & 0xFF);
    };
    auto put16 = [&h](int at, quint16 v) {
        h[at] = char(v & 0xFF);
        h[at + 1] = char(v >> 8);
    };
    h[0] = 'B';
    h[1] = 'M';
    put32(10, quint32(h.size()));
    if (os2) {
        put32(14, 12);
        put16(18, quint16(width));
        put16(20, quint16(height));
        put16(22, 1);
        put16(24, quint16(bits));
    } else {
        put32(14, 40);
        put32(18, quint32(width));
        put32(22, quint32(height));
        put16(26, 1);
        put16(28, quint16(bits));
        put32(30, quint32(compression));
    }
    return h;
}

} // namespace

void tst_ViewerCore::bmpLength_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("truncated");
    // 24-bit, 4 wide: 12 bytes a row; 2 rows after 54 header bytes = 78.
    QTest::newRow("24-bit complete") << bmpHeader(4, 2, 24, 0) << qint64(78) << false;
    QTest::newRow("24-bit one byte short") << bmpHeader(4, 2, 24, 0) << qint64(77) << true;
    QTest::newRow("top-down rows short") << bmpHeader(4, -2, 24, 0) << qint64(77) << true;
    // 3 wide: 9 bytes padded to 12.
    QTest::newRow("row padding counted") << bmpHeader(3, 2, 24, 0) << qint64(75) << true;
    // 1-bit, 33 wide: 5 bytes padded to 8.
    QTest::newRow("1-bit padding") << bmpHeader(33, 1, 1, 0) << qint64(62) << false;
    QTest::newRow("bit fields short") << bmpHeader(10, 10, 32, 3) << qint64(100) << true;
    QTest::newRow("OS/2 header short") << bmpHeader(4, 2, 24, 0, true) << qint64(49) << true;
    QTest::newRow("RLE left to the decoder") << bmpHeader(100, 100, 8, 1) << qint64(60) << false;
    QTest::newRow("not a BMP") << QByteArray("GIF89a").leftJustified(54, '\0') << qint64(10) << false;
    QTest::newRow("header cut short") << QByteArray("BM\x10\0", 4) << qint64(4) << false;
    QTest::newRow("huge claim") << bmpHeader(60000, 60000, 24, 0) << qint64(5000) << true;
    // Found by fuzzing: rows times row length overflowed 64 bits.
    QTest::newRow("claim beyond 64-bit byte counts")
        << bmpHeader(2147483647, -2147483647, 32, 0) << qint64(44) << true;
}

void tst_ViewerCore::bmpLength() {
    QFETCH(QByteArray, head);
    QFETCH(qint64, size);
    QFETCH(bool, truncated);
    QCOMPARE(BmpCheck::isTruncated(head, size), truncated);
}

void tst_ViewerCore::wineDriveC_data() {
    QTest::addColumn<QString>("layout");
    QTest::addColumn<bool>("wineprefixSet");
    QTest::addColumn<QString>("expectedC");
    QTest::addColumn<QString>("expectedFolder");
    QTest::newRow("prefix with mixed-case folder")
        << "prefix/drive_c/PROGRAM FILES/tessaly/QuellMark/screenshot" << true << "prefix/drive_c"
        << "prefix/drive_c/PROGRAM FILES/tessaly/QuellMark/screenshot";
    QTest::newRow("prefix without the game") << "prefix/drive_c/Program Files" << true << "prefix/drive_c"
                                             << "prefix/drive_c/Program Files/Tessaly/Quellmark/ScreenShot";
    QTest::newRow("home .wine when no prefix set")
        << "home/.wine/drive_c/program files/Tessaly/Quellmark/ScreenShot" << false << "home/.wine/drive_c"
        << "home/.wine/drive_c/program files/Tessaly/Quellmark/ScreenShot";
}

void tst_ViewerCore::wineDriveC() {
    QFETCH(QString, layout);
    QFETCH(bool, wineprefixSet);
    QFETCH(QString, expectedC);
    QFETCH(QString, expectedFolder);
    QTemporaryDir tmp;
    QVERIFY(QDir().mkpath(tmp.filePath(layout)));
    const QByteArray oldPrefix = qgetenv("WINEPREFIX");
    const QByteArray oldHome = qgetenv("HOME");
    if (wineprefixSet)
        qputenv("WINEPREFIX", tmp.filePath("prefix").toLocal8Bit());
    else
        qunsetenv("WINEPREFIX");
    qputenv("HOME", tmp.filePath("home").toLocal8Bit());
    const QString c = Platform::driveC().root;
    const QString folder = Platform::defaultScreenshotFolder();
    const QString firstDrive = Platform::drives().value(0).root;
    qputenv("HOME", oldHome);
    if (oldPrefix.isNull())
        qunsetenv("WINEPREFIX");
    else
        qputenv("WINEPREFIX", oldPrefix);
    QCOMPARE(c, tmp.filePath(expectedC));
    QCOMPARE(folder, tmp.filePath(expectedFolder));
    QCOMPARE(firstDrive, c);
}

void tst_ViewerCore::sameFolder_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<bool>("same");
    QTest::newRow("letter case") << "/x/Program Files/SHOT"
                                 << "/x/program files/shot" << true;
    QTest::newRow("trailing separator") << "/x/shot/"
                                        << "/x/shot" << true;
    QTest::newRow("backslashes") << "C:\\PrOgRaM FIleS\\ScREenShoT\\"
                                 << "c:/program files/screenshot" << true;
    QTest::newRow("different folder") << "/x/shot"
                                      << "/x/shots" << false;
}

void tst_ViewerCore::sameFolder() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(bool, same);
    QCOMPARE(Platform::sameFolder(a, b), same);
}

QTEST_APPLESS_MAIN(tst_ViewerCore)
#include "tst_viewercore.moc"
