#include "imageformats/wmf/WmfReader.h"
#include "testsupport.h"
#include "wmfwriter.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using Points = QList<QPoint>;
using Pixels = QList<std::pair<QPoint, QColor>>;

namespace {
const QColor red(255, 0, 0), green(0, 255, 0), blue(0, 0, 255), white(255, 255, 255), bare(Qt::transparent);
constexpr int nullPen = 0, redBrush = 1; // handles made by canvas()

// A picture `width` x `height` mapped one to one, with a null pen and a red brush selected.
WmfWriter canvas(int width = 100, int height = 100) {
    WmfWriter w;
    w.windowExt(width, height).pen(5, 0, Qt::black).brush(0, red).select(nullPen).select(redBrush);
    return w;
}

// Ten pixels a logical unit: 100 x 100 pixels.
WmfWriter placeable(QRect bounds = {0, 0, 100, 100}, int unitsPerInch = 96) {
    WmfWriter w;
    w.placeable = true, w.bounds = bounds, w.unitsPerInch = unitsPerInch;
    return w;
}

// With QMQUERY_WMF_CORPUS set, every metafile a test plays is kept there as a fuzzing seed.
QImage play(const QByteArray& bytes, QString* error = nullptr) {
    const QString dir = qEnvironmentVariable("QMQUERY_WMF_CORPUS");
    QFile seed(dir + u'/' + QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(16) +
               u".wmf"_s);
    if (!dir.isEmpty() && QDir().mkpath(dir) && seed.open(QIODevice::WriteOnly))
        seed.write(bytes);
    return Wmf::render(bytes, error);
}

// Whether some pixel within `radius` of `p` is `c` (bare: whether none is painted). Anti-aliasing is off,
// but a stroke may land a pixel either side of where a hand calculation puts it.
bool near(const QImage& image, QPoint p, QColor c, int radius) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
            const QPoint q = p + QPoint(dx, dy);
            const bool painted = image.rect().contains(q) && image.pixelColor(q).alpha() != 0;
            if (c == bare ? painted : painted && image.pixelColor(q) == c)
                return c != bare;
        }
    return c == bare;
}

// Pixels at least half-way from white to `c`: thin antialiased strokes (a light Ming face) rarely reach
// the exact colour.
QRect inkBounds(const QImage& image, QColor c) {
    QRect r;
    const auto half = [](int have, int want) { return std::abs(have - want) <= std::abs(255 - want) / 2; };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (half(p.red(), c.red()) && half(p.green(), c.green()) && half(p.blue(), c.blue()))
                r |= QRect(x, y, 1, 1);
        }
    return r;
}

QImage twoByTwo() {
    QImage img(2, 2, QImage::Format_RGB32);
    img.setPixelColor(0, 0, red);
    img.setPixelColor(1, 0, green);
    img.setPixelColor(0, 1, blue);
    img.setPixelColor(1, 1, white);
    return img;
}
} // namespace

class tst_Wmf : public QObject {
    Q_OBJECT
private slots:
    void naturalSize_data();
    void naturalSize();
    void rejected_data();
    void rejected();
    void drawing_data();
    void drawing();
    void bitmaps_data();
    void bitmaps();
    void text_data();
    void text();
    void decodeText_data();
    void decodeText();
};

void tst_Wmf::naturalSize_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    auto scaled = [](QRect box, int inch) {
        WmfWriter w = placeable(box, inch);
        return w.windowOrg(box.left(), box.top()).windowExt(box.width(), box.height()).bytes();
    };
    QTest::newRow("two by one inch at 1440") << scaled(QRect(0, 0, 2880, 1440), 1440) << QSize(192, 96);
    QTest::newRow("offset box at 1000") << scaled(QRect(100, 200, 1000, 500), 1000) << QSize(96, 48);
    QTest::newRow("96 units per inch is pixels") << scaled(QRect(0, 0, 123, 45), 96) << QSize(123, 45);
    QTest::newRow("plain file uses window extent")
        << WmfWriter().windowExt(120, 80).bytes() << QSize(120, 80);
    QTest::newRow("upward y axis") << WmfWriter().windowExt(120, -80).bytes() << QSize(120, 80);
    QTest::newRow("first extent counts")
        << WmfWriter().windowOrg(5, 5).windowExt(64, 32).windowExt(10, 10).bytes() << QSize(64, 32);
}

void tst_Wmf::naturalSize() {
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QCOMPARE(Wmf::naturalSize(bytes), size);
    QCOMPARE(play(bytes).size(), size);
    // The viewer opens files by name; a metafile under another extension is still found by its content.
    QTemporaryDir dir;
    QFile f(dir.filePath(u"picture.dat"_s));
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    f.close();
    QImageReader reader(f.fileName());
    QCOMPARE(reader.format(), QByteArray("wmf"));
    QCOMPARE(reader.size(), size);
    QCOMPARE(reader.read().size(), size);
}

void tst_Wmf::rejected_data() {
    QTest::addColumn<QByteArray>("bytes");
    WmfWriter badSum = placeable();
    badSum.checksumDelta = 1;
    QTest::newRow("placeable checksum wrong") << badSum.windowExt(10, 10).bytes();
    QTest::newRow("placeable header cut") << placeable().bytes().left(12);
    QTest::newRow("standard header cut") << canvas().bytes().left(10);
    QByteArray badHeader = canvas().bytes();
    badHeader[2] = 10;
    QTest::newRow("header size field wrong") << badHeader;
    QTest::newRow("record size zero") << canvas().rawSized(0, 0x041B, QByteArray(8, '\0')).bytes();
    QTest::newRow("record size two words") << canvas().rawSized(2, 0x041B, QByteArray(8, '\0')).bytes();
    QTest::newRow("record past end") << canvas().rawSized(200, 0x041B, QByteArray(8, '\0')).bytes(8, false);
    QTest::newRow("record cut mid-header") << canvas().bytes(8, false) + QByteArray("\x05\x00", 2);
    QTest::newRow("no window extent") << WmfWriter().rectangle(QRect(0, 0, 5, 5)).bytes();
    QTest::newRow("zero window extent") << WmfWriter().windowExt(0, 50).bytes();
    QTest::newRow("zero units per inch") << placeable(QRect(0, 0, 100, 100), 0).bytes();
    QTest::newRow("side over limit") << placeable(QRect(0, 0, 32000, 100)).bytes();
    QTest::newRow("area over allocation limit") << WmfWriter().windowExt(9000, 9000).bytes();
    QTest::newRow("select outside table") << canvas().select(8).bytes();
    QTest::newRow("delete outside table") << canvas().remove(200).bytes();
    QTest::newRow("more objects than declared") << canvas().brush(0, blue).bytes(2);
    WmfWriter deep = canvas();
    for (int i = 0; i < 300; ++i)
        deep.saveDc();
    QTest::newRow("save state too deep") << deep.bytes();
    QTest::newRow("point count past record")
        << canvas().raw(0x0324, QByteArray("\x32\x00\x01\x00\x01\x00\x05\x00\x05\x00", 10)).bytes();
    QTest::newRow("negative point count")
        << canvas().raw(0x0325, QByteArray("\xff\xff\x01\x00\x01\x00", 6)).bytes();
    QTest::newRow("polygon counts past record")
        << canvas().raw(0x0538, QByteArray("\x02\x00\x03\x00\x40\x00\x01\x00\x01\x00", 10)).bytes();
    QTest::newRow("text length past record")
        << canvas().raw(0x0521, QByteArray::fromHex("c800616201000100")).bytes();
    QTest::newRow("font record short") << canvas().raw(0x02FB, QByteArray(6, '\0')).bytes();
    const QByteArray dib = WmfWriter::dib(twoByTwo(), 24);
    const QRect dst(0, 0, 10, 10);
    const auto withBitmap = [&dst](quint16 function, QByteArray bitmap, int at, char value) {
        if (at >= 0)
            bitmap[at] = value;
        return canvas().bitmap(function, dst, bitmap, {2, 2}).bytes();
    };
    QTest::newRow("bitmap cut short") << withBitmap(0x0F43, dib.left(dib.size() - 4), -1, 0);
    QTest::newRow("bitmap bit count 7") << withBitmap(0x0B41, dib, 14, 7);
    QTest::newRow("bitmap header size 20") << withBitmap(0x0940, dib, 0, 20);
    QTest::newRow("bitmap wider than limit") << withBitmap(0x0F43, dib, 5, 0x50); // 20482 pixels
    QTest::newRow("bitmap with two planes") << withBitmap(0x0F43, dib, 12, 2);
    WmfWriter many = canvas();
    for (int i = 0; i < Wmf::maxRecords; ++i)
        many.bkMode(1);
    QTest::newRow("too many records") << many.bytes();
    WmfWriter busy = canvas(2000, 2000);
    for (int i = 0; i < 200; ++i)
        busy.rectangle(QRect(0, 0, 2000, 2000));
    QTest::newRow("too much drawing") << busy.bytes();
    Points zigzag;
    for (int i = 0; i < 8000; ++i)
        zigzag << QPoint(i % 2 ? 500 : 0, i % 500);
    QTest::newRow("wide pen zigzag")
        << canvas(500, 500).pen(0, 2000, blue).select(2).poly(0x0325, zigzag).bytes();
}

void tst_Wmf::rejected() {
    QFETCH(QByteArray, bytes);
    QString error;
    QVERIFY(play(bytes, &error).isNull());
    QVERIFY(!error.isEmpty());
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "wmf");
    QImage image;
    QVERIFY(!reader.read(&image));
    QCOMPARE(reader.error(), QImageReader::InvalidDataError);
}

void tst_Wmf::drawing_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("radius");
    QTest::addColumn<Points>("inRed");
    QTest::addColumn<Points>("unpainted");
    QTest::newRow("rectangle") << canvas().rectangle(QRect(10, 20, 30, 10)).bytes() << 0
                               << Points{{10, 20}, {39, 29}, {25, 25}}
                               << Points{{9, 20}, {40, 25}, {25, 19}, {25, 30}};
    QTest::newRow("outline keeps to its box")
        << canvas().pen(0, 1, red).select(2).rectangle(QRect(10, 10, 10, 10)).bytes() << 0
        << Points{{10, 10}, {19, 19}, {15, 15}} << Points{{20, 15}, {15, 20}, {9, 9}};
    QTest::newRow("window scales")
        << canvas().windowOrg(1000, 1000).windowExt(1000, 1000).rectangle(QRect(1200, 1100, 300, 100)).bytes()
        << 0 << Points{{20, 10}, {49, 19}} << Points{{19, 15}, {50, 15}, {30, 20}};
    QTest::newRow("viewport moves") << canvas().viewportOrg(50, 0).rectangle(QRect(0, 0, 10, 10)).bytes() << 0
                                    << Points{{50, 0}, {59, 9}} << Points{{0, 0}, {49, 5}, {60, 5}};
    QTest::newRow("isotropic keeps aspect")
        << canvas().mapMode(7).windowExt(200, 100).rectangle({0, 0, 200, 100}).bytes() << 0
        << Points{{0, 0}, {99, 49}} << Points{{50, 50}, {50, 99}};
    QTest::newRow("upward y axis")
        << canvas().windowOrg(0, 100).windowExt(100, -100).rectangle(QRect(0, 0, 20, 10)).bytes() << 0
        << Points{{0, 99}, {19, 91}} << Points{{0, 0}, {5, 89}};
    QTest::newRow("ellipse") << canvas().ellipse(QRect(0, 0, 100, 50)).bytes() << 0
                             << Points{{50, 25}, {2, 25}, {50, 2}} << Points{{2, 2}, {97, 47}, {50, 60}};
    QTest::newRow("rounded rectangle") << canvas().record(0x061C, {40, 40, 100, 100, 0, 0}).bytes() << 0
                                       << Points{{50, 50}, {2, 50}, {50, 97}} << Points{{1, 1}, {98, 98}};
    QTest::newRow("polygon") << canvas().poly(0x0324, {{0, 0}, {100, 0}, {0, 100}}).bytes() << 0
                             << Points{{10, 10}, {80, 5}} << Points{{90, 90}, {60, 60}};
    const QList<Points> squares{{{0, 0}, {20, 0}, {20, 20}, {0, 20}},
                                {{60, 60}, {80, 60}, {80, 80}, {60, 80}}};
    QTest::newRow("poly-polygon") << canvas().polyPolygon(squares).bytes() << 0 << Points{{10, 10}, {70, 70}}
                                  << Points{{40, 40}, {10, 70}};
    const Points star{{50, 0}, {79, 90}, {3, 35}, {97, 35}, {21, 90}};
    QTest::newRow("alternate leaves star centre") << canvas().fillMode(1).poly(0x0324, star).bytes() << 0
                                                  << Points{{50, 15}, {15, 38}} << Points{{50, 55}};
    QTest::newRow("winding fills star centre") << canvas().fillMode(2).poly(0x0324, star).bytes() << 0
                                               << Points{{50, 15}, {50, 55}} << Points{{5, 90}};
    // Quarter from the ray to the right round to the ray upwards.
    QTest::newRow("pie") << canvas().record(0x081A, {0, 50, 50, 100, 100, 100, 0, 0}).bytes() << 0
                         << Points{{70, 30}, {60, 45}} << Points{{30, 70}, {30, 30}, {70, 70}};
    QTest::newRow("chord") << canvas().record(0x0830, {0, 50, 50, 100, 100, 100, 0, 0}).bytes() << 0
                           << Points{{85, 15}} << Points{{60, 40}, {30, 70}};
    QTest::newRow("pattern fill") << canvas().patBlt(QRect(5, 5, 10, 10)).bytes() << 0
                                  << Points{{5, 5}, {14, 14}} << Points{{15, 15}, {4, 4}};
    QTest::newRow("pixel") << canvas().setPixel(5, 7, red).bytes() << 0 << Points{{5, 7}}
                           << Points{{6, 7}, {5, 8}, {4, 7}};
    QTest::newRow("restore brings brush back")
        << canvas().saveDc().brush(0, blue).select(2).restoreDc(-1).rectangle(QRect(0, 0, 10, 10)).bytes()
        << 0 << Points{{5, 5}} << Points{{20, 20}};
    QTest::newRow("deleted brush stays selected")
        << canvas().remove(redBrush).rectangle(QRect(0, 0, 10, 10)).bytes() << 0 << Points{{5, 5}}
        << Points{{20, 20}};
    QTest::newRow("freed slot is reused")
        << canvas().brush(0, blue).remove(2).brush(0, red).select(2).rectangle(QRect(0, 0, 10, 10)).bytes(3)
        << 0 << Points{{5, 5}} << Points{{20, 20}};
    WmfWriter nullBrush = canvas();
    nullBrush.brush(1, blue).select(2).rectangle(QRect(0, 0, 10, 10)).patBlt(QRect(50, 50, 10, 10));
    QTest::newRow("null brush draws nothing")
        << nullBrush.bytes() << 0 << Points{} << Points{{5, 5}, {55, 55}};
    QTest::newRow("unknown records skipped")
        << canvas().record(0x0626, {1, 2, 3}).record(0x7777, {}).rectangle(QRect(0, 0, 10, 10)).bytes() << 0
        << Points{{5, 5}} << Points{{20, 20}};

    // Strokes: a red pen three pixels wide, no brush.
    auto pen = [] { return canvas().pen(0, 3, red).select(2).brush(1, Qt::black).select(3); };
    QTest::newRow("move and line") << pen().moveTo(10, 50).lineTo(90, 50).bytes() << 2
                                   << Points{{10, 50}, {50, 50}, {88, 50}}
                                   << Points{{50, 40}, {5, 50}, {95, 50}};
    QTest::newRow("polyline") << pen().poly(0x0325, {{10, 10}, {90, 10}, {90, 90}}).bytes() << 2
                              << Points{{50, 10}, {90, 50}} << Points{{50, 50}, {10, 90}};
    QTest::newRow("outline only") << pen().rectangle(QRect(10, 10, 80, 80)).bytes() << 2
                                  << Points{{10, 50}, {50, 10}} << Points{{50, 50}};
    // Counter-clockwise from the ray to the right to the ray upwards: the top-right quarter.
    QTest::newRow("arc") << pen().record(0x0817, {10, 50, 50, 90, 90, 90, 10, 10}).bytes() << 2
                         << Points{{78, 22}, {89, 50}} << Points{{22, 78}, {22, 22}, {78, 78}, {50, 50}};
    QTest::newRow("arc clockwise ends") << pen().record(0x0817, {50, 90, 10, 50, 90, 90, 10, 10}).bytes() << 2
                                        << Points{{22, 22}, {22, 78}, {78, 78}} << Points{{78, 22}};
    QTest::newRow("null pen") << canvas().moveTo(10, 50).lineTo(90, 50).bytes() << 2 << Points{}
                              << Points{{50, 50}};
}

void tst_Wmf::drawing() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, radius);
    QFETCH(Points, inRed);
    QFETCH(Points, unpainted);
    const QImage image = play(bytes);
    QCOMPARE(image.size(), QSize(100, 100));
    for (QPoint p : inRed)
        QVERIFY2(near(image, p, red, radius), qPrintable(u"(%1,%2) not red"_s.arg(p.x()).arg(p.y())));
    for (QPoint p : unpainted)
        QVERIFY2(near(image, p, bare, radius), qPrintable(u"(%1,%2) painted"_s.arg(p.x()).arg(p.y())));
}

void tst_Wmf::bitmaps_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Pixels>("pixels");
    // A bitmap drawn at (2,2) two units square covers pixels 20 to 39.
    const Pixels quarters{{{20, 20}, red},   {{25, 25}, red},   {{35, 25}, green}, {{25, 35}, blue},
                          {{35, 35}, white}, {{39, 39}, white}, {{39, 20}, green}, {{20, 39}, blue},
                          {{19, 25}, bare},  {{40, 35}, bare},  {{25, 19}, bare},  {{35, 40}, bare},
                          {{60, 60}, bare}};
    const QImage img = twoByTwo();
    const QRect dst(2, 2, 2, 2);
    const auto draw = [](quint16 function, QRect at, const QByteArray& dib, QSize size = {2, 2}) {
        return placeable().windowExt(10, 10).bitmap(function, at, dib, size).bytes();
    };
    QTest::newRow("stretch, 24 bits") << draw(0x0F43, dst, WmfWriter::dib(img, 24)) << quarters;
    QTest::newRow("stretch, 32 bits") << draw(0x0F43, dst, WmfWriter::dib(img, 32)) << quarters;
    QTest::newRow("stretch, 16 bits") << draw(0x0F43, dst, WmfWriter::dib(img, 16)) << quarters;
    QTest::newRow("stretch blit, 8 bits top-down")
        << draw(0x0B41, dst, WmfWriter::dib(img, 8, true)) << quarters;
    QTest::newRow("blit, 4 bits") << draw(0x0940, dst, WmfWriter::dib(img, 4)) << quarters;
    QTest::newRow("stretch blit shrinks a larger bitmap")
        << draw(0x0B41, dst, WmfWriter::dib(img.scaled(40, 40), 24), {40, 40}) << quarters;
    // Stretched over -20..19, so only the bitmap's bottom-right (white) quarter lands on the picture.
    QTest::newRow("cut at the picture's edge")
        << draw(0x0F43, QRect(-2, -2, 4, 4), WmfWriter::dib(img, 24))
        << Pixels{{{0, 0}, white}, {{19, 19}, white}, {{20, 20}, bare}};
}

void tst_Wmf::bitmaps() {
    QFETCH(QByteArray, bytes);
    QFETCH(Pixels, pixels);
    const QImage image = play(bytes);
    QCOMPARE(image.size(), QSize(100, 100));
    for (const auto& [p, c] : pixels)
        QVERIFY2(image.pixelColor(p).rgba() == c.rgba(), qPrintable(u"(%1,%2)"_s.arg(p.x()).arg(p.y())));
}

void tst_Wmf::text_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QRect>("inkWithin"); // of the text colour; none for no check
    QTest::addColumn<Points>("background");
    QTest::addColumn<bool>("onlyThere"); // the background colour nowhere else
    auto writer = [](int charset, int align) {
        return canvas(200, 100).bkMode(1).textColor(blue).textAlign(align).font(-20, charset).select(2);
    };
    QTest::newRow("text out, top left")
        << writer(0, 0).textOut(10, 10, "HHH").bytes() << QRect(10, 10, 60, 22) << Points{} << false;
    QTest::newRow("right aligned") << writer(0, 2).textOut(150, 10, "HHH").bytes() << QRect(90, 10, 61, 22)
                                   << Points{} << false;
    QTest::newRow("centred") << writer(0, 6).textOut(100, 10, "HHH").bytes() << QRect(65, 10, 70, 22)
                             << Points{} << false;
    QTest::newRow("on the baseline") << writer(0, 24).textOut(10, 60, "HHH").bytes() << QRect(10, 38, 60, 23)
                                     << Points{} << false;
    QTest::newRow("extended, Big5 font")
        << writer(136, 0).extTextOut(10, 50, TestSupport::toCp950(u"中文字"_s)).bytes()
        << QRect(10, 46, 70, 30) << Points{} << false;
    QTest::newRow("extended, clipped to box")
        << writer(0, 0).extTextOut(10, 10, "HHHHHHHH", 4, QRect(10, 10, 30, 40)).bytes()
        << QRect(10, 10, 30, 22) << Points{} << false;
    WmfWriter scaled = placeable(QRect(0, 0, 2000, 1000), 960); // 10 units a pixel
    scaled.windowExt(2000, 1000).bkMode(1).textColor(blue).font(-200, 0).select(0).textOut(100, 100, "HH");
    QTest::newRow("placeable scales the font")
        << scaled.bytes() << QRect(10, 10, 40, 22) << Points{} << false;
    // A hatched shape in opaque mode first, so a mode left behind by it would show under the text.
    auto boxed = [](int mode) {
        WmfWriter w = canvas();
        w.bkColor(green).brush(2, red, 0).select(2).rectangle(QRect(0, 80, 10, 10));
        return w.bkMode(mode).textColor(blue).font(-16, 0).select(3);
    };
    QTest::newRow("opaque mode boxes the text")
        << boxed(2).textOut(10, 10, "HH").bytes() << QRect(10, 10, 40, 20) << Points{{11, 11}} << false;
    QTest::newRow("transparent mode leaves it bare")
        << boxed(1).textOut(10, 10, "HH").bytes() << QRect(10, 10, 40, 20) << Points{} << true;
    QTest::newRow("opaque box filled in transparent mode")
        << boxed(1).extTextOut(10, 10, "x", 2, QRect(50, 50, 20, 20)).bytes() << QRect()
        << Points{{50, 50}, {69, 69}} << true;
}

void tst_Wmf::text() {
    QFETCH(QByteArray, bytes);
    QFETCH(QRect, inkWithin);
    QFETCH(Points, background);
    QFETCH(bool, onlyThere);
    const QImage image = play(bytes);
    QVERIFY(!image.isNull());
    const QRect ink = inkBounds(image, blue);
    QVERIFY2(
        inkWithin.isNull() || (ink.width() >= 8 && ink.height() >= 8 && inkWithin.contains(ink)),
        qPrintable(u"ink at %1,%2 %3x%4"_s.arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
    for (QPoint p : background)
        QCOMPARE(image.pixelColor(p), green);
    if (onlyThere) // outside the hatched square, green may appear only in the box asked for
        QCOMPARE(inkBounds(image.copy(0, 0, 100, 80), green),
                 background.isEmpty() ? QRect() : QRect(50, 50, 20, 20));
}

void tst_Wmf::decodeText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("charset");
    QTest::addColumn<QString>("text");
    QTest::newRow("Big5") << TestSupport::toCp950(u"資料查詢"_s) << 136 << u"資料查詢"_s;
    QTest::newRow("default charset is the system's Big5")
        << TestSupport::toCp950(u"圖檔"_s) << 1 << u"圖檔"_s;
    QTest::newRow("Big5 lead byte at the end") << QByteArray("A\xa4") << 136 << u"A?"_s;
    QTest::newRow("ANSI accents") << QByteArray("caf\xe9") << 0 << u"café"_s;
    QTest::newRow("ANSI euro sign") << QByteArray("\x80") << 0 << u"€"_s;
    QTest::newRow("Big5 bytes in an ANSI font") << QByteArray("\xa4\xa4") << 0 << u"¤¤"_s;
}

void tst_Wmf::decodeText() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, charset);
    QFETCH(QString, text);
    QCOMPARE(Wmf::decodeText(bytes, charset), text);
}

QTEST_MAIN(tst_Wmf)
#include "tst_wmf.moc"
