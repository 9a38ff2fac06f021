#include "core/BmpCheck.h"
#include "core/Centring.h"
#include "core/Wildcard.h"
#include "platform/Drives.h"

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
