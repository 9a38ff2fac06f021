#include "core/BmpCheck.h"
#include "core/Centring.h"
#include "core/FileNames.h"
#include "core/JpegScans.h"
#include "core/PictureBudget.h"
#include "core/Wildcard.h"
#include "jpegwriter.h"
#include "platform/Drives.h"
#include "testsupport.h"

#include <QDataStream>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ViewerCore : public QObject {
    Q_OBJECT
private slots:
    void wildcard_data();
    void wildcard();
    void centring_data();
    void centring();
    void jpegScans_data();
    void jpegScans();
    void budget_data();
    void budget();
    void budgetText();
    void displayPath();
    void bmpLength_data();
    void bmpLength();
    void wineDriveC_data();
    void wineDriveC();
    void sameFolder();
};

void tst_ViewerCore::wildcard_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<bool>("expected");
    const QString all = u"*.bmp;*.gif;*.jpg;*.ico;*.wmf"_s, shot = u"qm020315_???.bmp"_s, stars = u"a*b*c"_s;
    QTest::newRow("upper-case name, lower-case pattern") << "QM020315_001.BMP" << shot << true;
    QTest::newRow("? needs a character") << "qm020315_01.bmp" << shot << false;
    QTest::newRow("? takes only one") << "qm020315_0001.bmp" << shot << false;
    QTest::newRow("other month") << "qm020415_123.bmp" << u"qm0203??_???.bmp"_s << false;
    QTest::newRow("second of five patterns") << "Shot.GIF" << all << true;
    QTest::newRow("no pattern fits") << "notes.png" << all << false;
    QTest::newRow("suffix after the extension") << "a.bmp.txt" << all << false;
    QTest::newRow("blanks around patterns") << "a.jpg" << u" *.gif ; *.jpg "_s << true;
    QTest::newRow("stars backtrack") << "aXbYbc" << stars << true;
    QTest::newRow("stars keep order") << "acb" << stars << false;
    QTest::newRow("empty pattern list") << "a.bmp" << u";;"_s << false;
    QTest::newRow("non-Latin letters") << "截圖.bmp" << u"截?.BMP"_s << true;
}

void tst_ViewerCore::wildcard() {
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QFETCH(bool, expected);
    QCOMPARE(Wildcard::matchesAny(name, Wildcard::splitPatterns(pattern)), expected);
}

void tst_ViewerCore::centring_data() {
    QTest::addColumn<int>("inner");
    QTest::addColumn<int>("picture");
    QTest::addColumn<int>("pan"); // how far the player moved the picture
    QTest::addColumn<int>("expected");
    QTest::newRow("smaller: centred") << 800 << 640 << 0 << 80;
    QTest::newRow("odd gap rounds down") << 643 << 640 << 0 << 1;
    QTest::newRow("exactly as wide: 0") << 640 << 640 << 0 << 0;
    QTest::newRow("larger: its first pixel at the edge") << 600 << 640 << 0 << 0;
    QTest::newRow("empty picture") << 300 << 0 << 0 << 150;
    QTest::newRow("fits: centred, however far it was moved") << 800 << 640 << 50 << 80;
    QTest::newRow("moved part of the way") << 600 << 1000 << 150 << -150;
    QTest::newRow("moved past its far edge: stops at it") << 600 << 1000 << 5000 << -400;
    QTest::newRow("moved back past its start: stops at it") << 600 << 1000 << -30 << 0;
    QTest::newRow("one pixel larger moves one pixel") << 600 << 601 << 9 << -1;
}

void tst_ViewerCore::centring() {
    QFETCH(int, inner);
    QFETCH(int, picture);
    QFETCH(int, pan);
    QFETCH(int, expected);
    QCOMPARE(Centring::pannedOffset(inner, picture, pan), expected);
    if (pan == 0)
        QCOMPARE(Centring::offset(inner, picture), expected);
}

void tst_ViewerCore::jpegScans_data() {
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<int>("scans");
    // Marker segments written out by hand: 0xFF, the marker, a length that counts itself, the body.
    const QByteArray soi("\xFF\xD8", 2), eoi("\xFF\xD9", 2),
        sos("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    QTest::newRow("one DC and nine AC scans") << JpegWriter::progressive(64, 48, 9) << 10;
    QTest::newRow("as many as allowed")
        << JpegWriter::progressive(16, 16, JpegScans::kMaxScans - 1) << JpegScans::kMaxScans;
    QTest::newRow("20,000: counting stops one past the limit")
        << JpegWriter::progressive(16, 16, 20000) << JpegScans::kMaxScans + 1;
    QTest::newRow("stuffed bytes and restarts inside coded data")
        << soi + sos + QByteArray("\x12\xFF\x00\x34\xFF\xD0\x56", 7) + sos + QByteArray("\x78", 1) + eoi << 2;
    QTest::newRow("a scan's header bytes look like a marker")
        << soi + QByteArray("\xFF\xDA\x00\x08\xFF\xDA\x00\x08\xFF\xDA", 10) + eoi << 1;
    QTest::newRow("nothing counted after the end of the image") << soi + sos + eoi + sos + sos << 1;
    QTest::newRow("fill bytes and stray bytes before markers")
        << soi + QByteArray("junk\xFF\xFF\xFF", 7) + sos + QByteArray("\xFF\xFF", 2) + sos << 2;
    QTest::newRow("a length below two ends the walk") << soi + QByteArray("\xFF\xC4\x00\x01", 4) + sos << 0;
    QTest::newRow("a segment running past the end") << soi + sos + QByteArray("\xFF\xDA\x7F", 3) << 1;
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
    QTest::newRow("100-megapixel photo") << 11648 << 8736 << qint64(40000000) << all << true << true;
    QTest::newRow("beyond 134 megapixels") << 16384 << 8193 << qint64(60000000) << all << false << true;
    // Lying headers: more pixels than any file of that length can hold.
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

// The budget in millions of pixels, as the message about a picture too large gives it.
void tst_ViewerCore::budgetText() {
    QCOMPARE(PictureBudget::megapixels(PictureBudget::kBytes), u"134.2"_s);
    QCOMPARE(PictureBudget::megapixels(4000000), u"1"_s);
    QCOMPARE(PictureBudget::megapixels(2000000), u"0.5"_s);
    QCOMPARE(PictureBudget::megapixels(4 * 1960000), u"2"_s);
}

// Names in code page 950 anywhere in a path show as the player wrote them; backslashes are part of a name.
void tst_ViewerCore::displayPath() {
    const auto cp950 = [](const QString& s) { return TestSupport::toCp950(s); };
    QCOMPARE(FileNames::displayPath(FileNames::fromBytes(u"/home/玩家/"_s.toUtf8() + cp950(u"截圖.bmp"_s))),
             u"/home/玩家/截圖.bmp"_s);
    QCOMPARE(FileNames::displayPath(FileNames::fromBytes(cp950(u"/舊圖/"_s) + "新.bmp")), u"/舊圖/新.bmp"_s);
    QCOMPARE(FileNames::displayPath(u"/shots/..\\..\\x.bmp"_s), u"/shots/..\\..\\x.bmp"_s);
}

namespace {

// A BMP header with a 40-byte info header (or the 12-byte OS/2 one) and no palette.
QByteArray bmpHeader(int width, int height, int bits, int compression, bool os2 = false) {
    QByteArray h;
    QDataStream s(&h, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint16(0x4D42) << quint32(0) << quint32(0) << quint32(os2 ? 26 : 54);
    if (os2)
        s << quint32(12) << quint16(width) << quint16(height) << quint16(1) << quint16(bits);
    else
        s << quint32(40) << qint32(width) << qint32(height) << quint16(1) << quint16(bits)
          << quint32(compression);
    h.resize(os2 ? 26 : 54, '\0');
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
    const QString mixed = u"prefix/drive_c/PROGRAM FILES/tessaly/QuellMark/screenshot"_s;
    const QString home = u"home/.wine/drive_c/program files/Tessaly/Quellmark/ScreenShot"_s;
    QTest::newRow("prefix with mixed-case folder") << mixed << true << u"prefix/drive_c"_s << mixed;
    QTest::newRow("prefix without the game")
        << u"prefix/drive_c/Program Files"_s << true << u"prefix/drive_c"_s
        << u"prefix/drive_c/Program Files/Tessaly/Quellmark/ScreenShot"_s;
    QTest::newRow("home .wine when no prefix set") << home << false << u"home/.wine/drive_c"_s << home;
}

void tst_ViewerCore::wineDriveC() {
    QFETCH(QString, layout);
    QFETCH(bool, wineprefixSet);
    QFETCH(QString, expectedC);
    QFETCH(QString, expectedFolder);
    QTemporaryDir tmp;
    QVERIFY(QDir().mkpath(tmp.filePath(layout)));
    const QByteArray oldPrefix = qgetenv("WINEPREFIX"), oldHome = qgetenv("HOME");
    wineprefixSet ? qputenv("WINEPREFIX", tmp.filePath(u"prefix"_s).toLocal8Bit()) : qunsetenv("WINEPREFIX");
    qputenv("HOME", tmp.filePath(u"home"_s).toLocal8Bit());
    const QString c = Platform::driveC().root;
    const QString folder = Platform::defaultScreenshotFolder();
    const QString firstDrive = Platform::drives().value(0).root;
    qputenv("HOME", oldHome);
    oldPrefix.isNull() ? qunsetenv("WINEPREFIX") : qputenv("WINEPREFIX", oldPrefix);
    QCOMPARE(c, tmp.filePath(expectedC));
    QCOMPARE(folder, tmp.filePath(expectedFolder));
    QCOMPARE(firstDrive, c);
}

void tst_ViewerCore::sameFolder() {
    QVERIFY(Platform::sameFolder(u"/x/Program Files/SHOT"_s, u"/x/program files/shot"_s));
    QVERIFY(Platform::sameFolder(u"/x/shot/"_s, u"/x/shot"_s));
    QVERIFY(Platform::sameFolder(u"C:\\PrOgRaM FIleS\\ScREenShoT\\"_s, u"c:/program files/screenshot"_s));
    QVERIFY(!Platform::sameFolder(u"/x/shot"_s, u"/x/shots"_s));
}

QTEST_APPLESS_MAIN(tst_ViewerCore)
#include "tst_viewercore.moc"
