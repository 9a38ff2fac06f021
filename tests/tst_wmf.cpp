#include "imageformats/wmf/WmfReader.h"
#include "testsupport.h"
#include "wmfwriter.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryFile>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {
// `size` pixels square, a pixel a unit: null pen (handle 0), red brush (1), 20-pixel font (2), blue text.
WmfWriter canvas(const QString& calls = {}, int size = 100) {
    const QString setUp = u"pen 5 0 0 black; brush 0 red; font -20 0; select 0; select 1; select 2;"_s;
    return WmfWriter().windowExt(size, size).add(setUp + u"textcolor blue; bkmode 1;"_s + calls);
}

// The first expectation unmet: "r10,20" red (g, b, w) at a pixel, ".9,20" nothing there, "s96,48" the size,
// "i10,10,60,22" where the blue text's ink lies (half blue at least: thin glyphs rarely reach the colour).
QString unmet(const QImage& image, const QString& expected) {
    const QHash<QChar, QRgb> rgb{{u'r', 0xFFFF0000}, {u'g', 0xFF00FF00}, {u'b', 0xFF0000FF}, {u'w', ~0u}};
    for (const QString& token : expected.split(u' ', Qt::SkipEmptyParts)) {
        QList<int> n;
        for (const QString& s : token.mid(1).split(u','))
            n << s.toInt();
        QRect ink;
        for (int y = 0; token[0] == u'i' && y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y).blue() > 127)
                    ink |= QRect(x, y, 1, 1);
        const bool met = token[0] == u's'   ? image.size() == QSize(n[0], n[1])
                         : token[0] == u'i' ? ink.height() >= 8 && QRect(n[0], n[1], n[2], n[3]).contains(ink)
                                            : image.pixel(n[0], n[1]) == rgb.value(token[0]);
        if (!met)
            return token;
    }
    return {};
}
} // namespace

class tst_Wmf : public QObject {
    Q_OBJECT
private slots:
    void play_data();
    void play();
    void decodeText();
};

void tst_Wmf::play_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected"); // as unmet() reads it, or "refused"
    // One case a line: its name, the calls played on the canvas, and what the picture shows.
    const QString cases = uR"(
offset box at 1000 | placeable 100 200 1100 700 1000 | s96,48
rectangle | rectangle 10 20 40 30 | r10,20 r39,29 .9,20 .40,25 .25,19 .25,30
window scales | org 100 100; ext 200 200; rectangle 140 120 200 140 | r20,10 r49,19 .19,15 .50,15 .30,20
viewport moves | vporg 50 0; rectangle 0 0 10 10 | r50,0 r59,9 .0,0 .49,5 .60,5
isotropic keeps aspect | mapmode 7; mapmode 9; ext 200 100; rectangle 0 0 200 100 | r0,0 r99,49 .50,50
anisotropic again | mapmode 7; mapmode 8; ext 200 100; rectangle 0 0 200 100 | r0,0 r99,99
window extent scaled | 0x0410 1 1 100 1; rectangle 0 0 1 50 | r0,0 r99,49 .50,50
upward y axis | org 0 100; ext 100 -100; rectangle 0 0 20 10 | r0,99 r19,91 .0,0 .5,89
ellipse | ellipse 0 0 100 50 | r50,25 r2,25 r50,2 .2,2 .97,47 .50,60
rounded rectangle | roundrect 0 0 100 100 40 40 | r50,50 r2,50 r50,97 .1,1 .98,98
alternate leaves star centre | polygon 5 50 0 79 90 3 35 97 35 21 90 | r50,15 r15,38 .50,55
poly-polygon | polypolygon 2 3 3 0 0 20 0 0 20 60 60 80 60 80 80 | r5,5 r75,65 .40,40 .15,15 .65,75
pie: top-right quarter | pie 0 0 100 100 100 50 50 0 | r70,30 r60,45 .30,70 .30,30 .70,70
pattern fill | patblt 5 20 10 30 0xF00021 | r5,20 r14,49 .15,20 .4,20 .5,19 .5,50
pixel; escapes, unknown records | escape 1 2; 0x7777; pixel 5 7 red | r5,7 .6,7 .5,8 .4,7
restore brings brush back | save; brush 0 blue; select 3; restore -1; rectangle 0 0 9 9 | r5,5 .20,20
delete; slot reused | delete 1; rectangle 0 0 5 5; brush 0 blue; select 1; rectangle 9 0 14 5 | r2,2 b11,2
move and line | pen 0 3 0 red; select 3; moveto 10 50; lineto 90 50 | r10,50 r50,50 r88,50 .50,46 .7,50 .93,50
polyline | pen 0 3 0 red; select 3; polyline 3 10 10 90 10 90 90 | r50,10 r90,50 .50,50 .10,90
arc: not filled | pen 0 3 0 red; select 3; arc 10 10 90 90 90 50 50 10 | r78,22 r89,50 .22,78 .78,78 .80,35
text out, top left | text 10 10 HHH | i10,10,60,22
right, on the baseline | align 26; text 95 60 HHH | i35,38,61,23
extended, Big5 font | font -20 136; select 3; exttext 10 50 0 中文字 | i10,46,70,30
scaled font | placeable 0 0 500 500 480; ext 500 500; font -100 0; select 3; text 50 50 HH | i10,10,40,22
opaque mode boxes the text | bkcolor lime; bkmode 2; text 10 10 HH | g11,11 i10,10,40,22
no box after a hatch | bkmode 2; brush 2 red; select 3; rectangle 0 80 9 89; bkmode 1; text 10 10 HH | .11,11
one unit per inch | placeable 0 0 1 1 1 | s96,96
zero units per inch | placeable 0 0 100 100 0 | refused
zero width | placeable 0 0 0 50 96 | refused
side over limit | placeable 0 0 32000 100 96 | refused
area over allocation limit | placeable 0 0 9000 9000 96 | refused
select outside table | select 8 | refused
delete outside table | delete 200 | refused
point count past record | polygon 50 1 1 5 5 | refused
polygon counts past record | polypolygon 2 3 64 1 1 | refused
text length past record | 0x0521 200 0x6261 1 1 | refused
font record short | 0x02FB 0 0 0 | refused
)"_s;
    for (const QString& line : cases.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList field = line.split(u" | "_s);
        QTest::newRow(field[0].toUtf8()) << canvas(field[1]).bytes() << field[2];
    }
    const auto row = [](const char* name, const QByteArray& bytes, const char* expected = "refused") {
        QTest::newRow(name) << bytes << QString::fromLatin1(expected);
    };

    // A bitmap drawn at (2,2) two units square covers pixels 20 to 39.
    static const QRgb pixels[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    const QImage img(reinterpret_cast<const uchar*>(pixels), 2, 2, QImage::Format_RGB32);
    const char* quarters = "r20,20 g35,25 b25,35 w35,35 w39,39 g39,20 b20,39 .19,25 .40,35 .25,19 .35,40";
    // STRETCHDIB (0x0F43), DIBSTRETCHBLT (0x0B41) or DIBBITBLT (0x0940), copying the bitmap.
    const auto draw = [](quint16 f, const QByteArray& dib, QSize src = {2, 2}, QRect at = {2, 2, 2, 2}) {
        const QByteArray size = f == 0x0940 ? ""_ba : WmfWriter::words({src.height(), src.width()});
        const QByteArray where = WmfWriter::words({0, 0, at.height(), at.width(), at.y(), at.x()});
        const QByteArray head = WmfWriter::dword(0xCC0020) + (f == 0x0F43 ? "\0\0"_ba : ""_ba) + size + where;
        return canvas(u"ext 10 10"_s).raw(f, head + dib).bytes();
    };
    row("stretch, 24 bits", draw(0x0F43, WmfWriter::dib(img, 24)), quarters);
    row("blit, 8 bits top-down", draw(0x0940, WmfWriter::dib(img, 8, true)), quarters);
    row("shrunk, 32 bits", draw(0x0B41, WmfWriter::dib(img.scaled(40, 40), 32), {40, 40}), quarters);
    // Stretched over -20..19, so only the bitmap's bottom-right (white) quarter lands on the picture.
    row("cut at the edge", draw(0x0F43, WmfWriter::dib(img, 24), {2, 2}, {-2, -2, 4, 4}),
        "w0,0 w19,19 .20,20");

    // Malformed, lying or too demanding: refused, never drawn in part.
    QByteArray badSum = canvas(u"placeable 0 0 10 10 96"_s).bytes(), badHeader = canvas().bytes();
    badSum[20] = char(badSum[20] ^ 1), badHeader[2] = 10;
    row("placeable checksum wrong", badSum);
    row("placeable header cut", badSum.left(12));
    row("standard header cut", canvas().bytes().left(10));
    row("header size field wrong", badHeader);
    row("record size two words", canvas().raw(0x041B, QByteArray(8, '\0'), 2).bytes());
    row("record past end", canvas().raw(0x041B, QByteArray(8, '\0'), 200).bytes().chopped(6));
    row("record cut mid-header", canvas().bytes().chopped(6) + "\x05\x00"_ba);
    row("no window extent", WmfWriter().add(u"rectangle 0 0 5 5"_s).bytes());
    row("more objects than declared", canvas(u"brush 0 blue"_s).bytes(3));
    const auto patched = [dib = WmfWriter::dib(img, 24)](int at, char value) {
        return QByteArray(dib).replace(at, 1, &value, 1);
    };
    row("bitmap cut short", draw(0x0F43, WmfWriter::dib(img, 24).chopped(4)));
    row("bitmap bit count 7", draw(0x0B41, patched(14, 7)));
    row("bitmap header size 20", draw(0x0940, patched(0, 20)));
    row("bitmap wider than limit", draw(0x0F43, patched(5, 0x50))); // 20482 pixels
    row("bitmap with two planes", draw(0x0F43, patched(12, 2)));
    row("bitmap of 65,536 colours", draw(0x0F43, patched(34, 1)));
    WmfWriter many = canvas();
    for (int i = 0; i < Wmf::maxRecords; ++i)
        many.raw(0x0102, WmfWriter::words({1}));
    row("too many records", many.bytes());
    row("save state too deep", canvas(u"save;"_s.repeated(Wmf::maxSaveDepth + 1)).bytes());
    row("too much drawing", canvas(u"rectangle -9 -9 109 109;"_s.repeated(20000)).bytes());
    QByteArray zigzag = WmfWriter::words({8000});
    for (int i = 0; i < 8000; ++i)
        zigzag += WmfWriter::words({i % 2 ? 500 : 0, i % 500});
    row("wide pen zigzag", canvas(u"pen 0 2000 0 blue; select 3"_s, 500).raw(0x0325, zigzag).bytes());
}

// What a metafile plays to, alone and through Qt's image reading; a refused one reads as invalid data.
void tst_Wmf::play() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    // Read from a file whose name does not say what it is, as players' files often are. With
    // QMQUERY_WMF_CORPUS set, each file is kept there as a fuzzing seed.
    const QString corpus = qEnvironmentVariable("QMQUERY_WMF_CORPUS");
    QTemporaryFile file((corpus.isEmpty() ? QDir::tempPath() : corpus) + u"/XXXXXX.dat"_s);
    file.setAutoRemove(corpus.isEmpty());
    QVERIFY(file.open() && file.write(bytes) == bytes.size() && file.seek(0));
    QString error;
    const QImage image = Wmf::render(bytes, &error);
    const bool refused = expected == u"refused";
    QImageReader reader(&file, refused ? "wmf" : "");
    if (!refused) {
        QCOMPARE(unmet(image, expected), QString());
        QCOMPARE(reader.format(), QByteArray("wmf"));
        QCOMPARE(reader.size(), image.size());
    }
    QCOMPARE(reader.read(), image);
    QCOMPARE(reader.error() == QImageReader::InvalidDataError, refused);
    QCOMPARE(error.isEmpty(), !refused);
}

// Big5 is the system's code page for this program's files; a lone lead byte shows as unreadable.
void tst_Wmf::decodeText() {
    QCOMPARE(Wmf::decodeText(TestSupport::toCp950(u"圖檔"_s), 1), u"圖檔"_s);
    QCOMPARE(Wmf::decodeText("A\xa4", 136), u"A?"_s);
    QCOMPARE(Wmf::decodeText("caf\xe9\x80", 0), u"café€"_s);
}

QTEST_MAIN(tst_Wmf)
#include "tst_wmf.moc"
