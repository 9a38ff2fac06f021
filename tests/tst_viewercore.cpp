#include "core/BmpCheck.h"
#include "core/JpegScans.h"
#include "core/PictureBudget.h"
#include "jpegwriter.h"
#include "platform/Drives.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_ViewerCore : public QObject {
    Q_OBJECT
private slots:
    void wineInHome();
    void header_data();
    void header();
};

// Without a Wine prefix named, drive C is the one in the player's home.
void tst_ViewerCore::wineInHome() {
#ifdef Q_OS_WIN
    QSKIP("Windows has a drive C of its own (tst_windows drives)");
#endif
    QTemporaryDir home;
    QVERIFY(QDir().mkpath(home.filePath(u".wine/drive_c"_s)));
    const QByteArray oldHome = qgetenv("HOME"), oldPrefix = qgetenv("WINEPREFIX");
    qputenv("HOME", QFile::encodeName(home.path())), qunsetenv("WINEPREFIX");
    const QString root = Platform::driveC().root;
    qputenv("HOME", oldHome), qputenv("WINEPREFIX", oldPrefix); // empty is unset to the code
    QCOMPARE(root, home.filePath(u".wine/drive_c"_s));
}

// What a header tells before decoding: JPEG scans and end, a BMP too short, beyond the budget, impossibly
// dense.
void tst_ViewerCore::header_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qint64>("fileBytes");
    QTest::addColumn<qint64>("budgetBytes");
    QTest::addColumn<QString>("found");
    const auto row = [](const char* name, const QByteArray& head, qint64 file, const char* found,
                        QSize size = {}, qint64 budget = PictureBudget::kBytes) {
        QTest::newRow(name) << head << size << file << budget << QString::fromLatin1(found);
    };
    // JPEG segments by hand: 0xFF, the marker, a length that counts itself, the body.
    const QByteArray soi = "\xFF\xD8"_ba, eoi = "\xFF\xD9"_ba, sos = "\xFF\xDA\0\x08\x01\x01\0\0\x3F\0"_ba;
    row("as many scans as allowed", JpegWriter::progressive(16, 16, 255), 0, "256 scans");
    row("20,000 scans: counted one past", JpegWriter::progressive(16, 16, 20000), 0,
        "257 scans, too many, cut off");
    row("stuffing and restarts", soi + sos + "\x12\xFF\x00\x34\xFF\xD0\x56"_ba + sos + eoi, 0, "2 scans");
    row("header bytes like markers", soi + "\xFF\xDA\0\x08\xFF\xDA\0\x08\xFF\xDA"_ba + eoi, 0, "1 scans");
    row("nothing after the end", soi + sos + eoi + sos + sos, 0, "1 scans");
    row("fill and stray bytes", soi + "junk\xFF\xFF\xFF"_ba + sos + "\xFF\xFF"_ba + sos + eoi, 0, "2 scans");
    row("a length below two ends it", soi + "\xFF\xC4\x00\x01"_ba + sos + eoi, 0, "cut off");
    row("a segment past the end", soi + sos + "\xFF\xDA\x7F"_ba, 0, "1 scans, cut off");
    // A copy that broke off: the coded data stops before the end-of-image marker.
    row("cut off in its coded data", soi + sos + "\x12\x34\xFF\x00\x56"_ba, 0, "1 scans, cut off");
    row("cut off between scans", JpegWriter::progressive(16, 16, 3).chopped(2), 0, "4 scans, cut off");
    row("an end marker inside a segment is not the end", soi + "\xFF\xE1\0\x04\xFF\xD9"_ba + sos, 0,
        "1 scans, cut off");
    row("empty", {}, 0, "");
    // A BMP header of 54 bytes, pixels right after. 24 bits, 4 wide: two rows of 12 bytes end at byte 78.
    const auto bmp = [](qint32 w, qint32 h, quint16 bits, quint32 compression = 0) {
        QByteArray b;
        QDataStream s(&b, QIODevice::WriteOnly);
        s.setByteOrder(QDataStream::LittleEndian);
        s << quint16(0x4D42) << quint64(0) << 54u << 40u << w << h << quint16(1) << bits << compression;
        return b.leftJustified(54, '\0');
    };
    row("24-bit BMP complete", bmp(4, 2, 24), 78, "");
    row("no rows, so nothing to miss", bmp(4, 0, 24), 54, "");
    row("one byte short", bmp(4, 2, 24), 77, "short");
    row("top-down rows short", bmp(4, -2, 24), 77, "short");
    row("3 wide: rows padded to 12", bmp(3, 2, 24), 77, "short");
    row("bit fields short", bmp(10, 10, 32, 3), 100, "short");
    row("OS/2", QByteArray::fromHex("424d00000000000000001a0000000c0000000400020001001800"), 49, "short");
    row("RLE left to the decoder", bmp(100, 100, 8, 1), 60, "");
    row("header cut short", "BM\x10\0"_ba, 4, "");
    // Found by fuzzing: rows times row length overflowed 64 bits.
    row("beyond 64-bit byte counts", bmp(2147483647, -2147483647, 32), 44, "short");
    row("exactly the budget", {}, 5880054, "", {1400, 1400}, 7840000);
    row("one row over", {}, 5884254, "too large for 2 megapixels", {1400, 1401}, 7840000);
    row("lying header", {}, 118, "impossible", {3000, 3000});
    row("4,096 pixels a byte: a plain picture packs that well", {}, 100, "", {4096, 100});
    row("one pixel a byte more", {}, 100, "impossible", {4096, 101});
    row("a JPEG packs 512 pixels a byte at most", soi + eoi, 100, "", {512, 100});
    row("a JPEG claiming one pixel a byte more", soi + eoi, 100, "impossible", {512, 101});
}

void tst_ViewerCore::header() {
    QFETCH(QByteArray, head);
    QFETCH(QSize, size);
    QFETCH(qint64, fileBytes);
    QFETCH(qint64, budgetBytes);
    QStringList found;
    if (const int scans = JpegScans::count(head))
        found << u"%1 scans"_s.arg(scans) + (JpegScans::tooMany(head) ? u", too many"_s : u""_s);
    if (head.startsWith("\xFF\xD8") && !JpegScans::walk(head).ended)
        found << u"cut off"_s;
    if (BmpCheck::isTruncated(head, fileBytes))
        found << u"short"_s;
    if (!PictureBudget::fits(size.width(), size.height(), budgetBytes))
        found << u"too large for %1 megapixels"_s.arg(PictureBudget::megapixels(budgetBytes));
    const bool jpeg = head.startsWith("\xFF\xD8");
    if (!PictureBudget::plausible(size.width(), size.height(), fileBytes,
                                  jpeg ? PictureBudget::kMaxJpegPixelsPerFileByte
                                       : PictureBudget::kMaxPixelsPerFileByte))
        found << u"impossible"_s;
    QTEST(found.join(u", "_s), "found");
}

QTEST_APPLESS_MAIN(tst_ViewerCore)
#include "tst_viewercore.moc"
