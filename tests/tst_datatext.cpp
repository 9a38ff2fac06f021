#include "core/DataText.h"
#include "core/Placement.h"

#include <QDir>
#include <QTest>

class tst_DataText : public QObject {
    Q_OBJECT
private slots:
    void decode_data();
    void decode();
    void splitLines_data();
    void splitLines();
    void piecesReadAsWhole_data();
    void piecesReadAsWhole();
    void trimSpaces_data();
    void trimSpaces();
    void dataPath_data();
    void dataPath();
    void placement_data();
    void placement();
};

void tst_DataText::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("cp950 ideograph A440") << QByteArray("\xA4\x40") << QStringLiteral("一");
    QTest::newRow("cp950 euro A3E1") << QByteArray("\xA3\xE1") << QStringLiteral("€");
    QTest::newRow("cp950 box F9F9 is Windows' table") << QByteArray("\xF9\xF9") << QStringLiteral("═");
    QTest::newRow("cp950 shade F9FE") << QByteArray("\xF9\xFE") << QStringLiteral("▓");
    QTest::newRow("cp950 mixed with ascii") << QByteArray("ab\xA4\x40"
                                                          "c")
                                            << QStringLiteral("ab一c");
    QTest::newRow("ascii only") << QByteArray("plain") << QStringLiteral("plain");
    QTest::newRow("utf8 bom") << QByteArray("\xEF\xBB\xBF\xE4\xB8\x80x") << QStringLiteral("一x");
    QTest::newRow("utf8 bom ascii") << QByteArray("\xEF\xBB\xBFx") << QStringLiteral("x");
    QTest::newRow("utf16le bom") << QByteArray("\xFF\xFE\x00\x4E\x41\x00", 6) << QStringLiteral("一A");
    QTest::newRow("utf16be bom") << QByteArray("\xFE\xFF\x4E\x00\x00\x41", 6) << QStringLiteral("一A");
    QTest::newRow("utf8 without bom") << QByteArray("\xE5\x8A\x8D\xE5\xA3\xAB") << QStringLiteral("劍士");
    QTest::newRow("overlong utf8 is cp950") << QByteArray("\xC0\xAF") << QString();
    QTest::newRow("lone cp950 lead byte") << QByteArray("a\xA4") << QStringLiteral("a\uFFFD");
    QTest::newRow("empty") << QByteArray() << QString();
}

void tst_DataText::decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString got = DataText::decode(bytes);
    if (QByteArray(QTest::currentDataTag()) == "overlong utf8 is cp950") {
        // Not UTF-8: decoded as code page 950, whatever that table gives, and never as '/'.
        QVERIFY(!got.contains(u'/'));
        QVERIFY(!got.isEmpty());
        return;
    }
    QCOMPARE(got, text);
}

void tst_DataText::splitLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty") << QString() << QStringList();
    QTest::newRow("one line no end") << QStringLiteral("abc") << QStringList{"abc"};
    QTest::newRow("crlf ends, no extra item") << QStringLiteral("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("last line without end") << QStringLiteral("a\r\nb") << QStringList{"a", "b"};
    QTest::newRow("lone cr ends a line") << QStringLiteral("a\rb\r") << QStringList{"a", "b"};
    QTest::newRow("lone lf ends a line") << QStringLiteral("a\nb\n") << QStringList{"a", "b"};
    QTest::newRow("lf then cr is two ends") << QStringLiteral("a\n\rb") << QStringList{"a", "", "b"};
    QTest::newRow("empty line between kept") << QStringLiteral("a\r\n\r\nb") << QStringList{"a", "", "b"};
    QTest::newRow("only a line end") << QStringLiteral("\r\n") << QStringList{""};
    QTest::newRow("two line ends") << QStringLiteral("\r\n\r\n") << QStringList{"", ""};
    QTest::newRow("spaces kept") << QStringLiteral("  x  \r\n") << QStringList{"  x  "};
}

void tst_DataText::splitLines() {
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(DataText::splitLines(text), lines);
}

void tst_DataText::piecesReadAsWhole_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("cp950 with CR LF") << QByteArray("\xA4\x40"
                                                    "a\r\n\xA4\x40\r\n\r\nb\xF9\xF9\r");
    QTest::newRow("cp950 cut-off lead byte") << QByteArray("ab\r\n\xA4\x40\xA4");
    QTest::newRow("utf8") << QStringLiteral("劍士\r\n\n弓箭手\r😀").toUtf8();
    QTest::newRow("utf8 mark") << QByteArray("\xEF\xBB\xBF") + QStringLiteral("一\r\n二").toUtf8();
    QTest::newRow("utf16le mark") << QByteArray("\xFF\xFE\x00\x4E\r\x00\n\x00\x41\x00", 10);
    QTest::newRow("CR then LF lines") << QByteArray("a\r\rb\n\nc\r\n");
}

// A file read piece by piece, cut anywhere, gives what it gives read whole.
void tst_DataText::piecesReadAsWhole() {
    QFETCH(QByteArray, bytes);
    const QStringList whole = DataText::splitLines(DataText::decode(bytes));
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        const QByteArrayView first = QByteArrayView(bytes).first(cut);
        const QByteArrayView second = QByteArrayView(bytes).sliced(cut);
        DataText::EncodingSniffer sniffer;
        sniffer.feed(first);
        sniffer.feed(second);
        DataText::Decoder decoder(sniffer.result());
        DataText::LineSplitter splitter;
        QStringList lines;
        splitter.feed(decoder.decode(first), lines);
        splitter.feed(decoder.decode(second), lines);
        splitter.feed(decoder.finish(), lines);
        splitter.finish(lines);
        QVERIFY2(lines == whole, qPrintable(QStringLiteral("cut at %1").arg(cut)));
    }
}

void tst_DataText::trimSpaces_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("trimmed");
    QTest::newRow("both sides") << QStringLiteral("  abc  ") << QStringLiteral("abc");
    QTest::newRow("inner spaces stay") << QStringLiteral(" a b ") << QStringLiteral("a b");
    QTest::newRow("tab stays") << QStringLiteral("\tabc ") << QStringLiteral("\tabc");
    QTest::newRow("ideographic space stays") << QStringLiteral("\u3000甲 ") << QStringLiteral("\u3000甲");
    QTest::newRow("all spaces") << QStringLiteral("    ") << QString();
    QTest::newRow("empty") << QString() << QString();
}

void tst_DataText::trimSpaces() {
    QFETCH(QString, line);
    QFETCH(QString, trimmed);
    QCOMPARE(DataText::trimSpaces(line), trimmed);
}

void tst_DataText::dataPath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("path");
    const QString s = QDir::separator();
    QTest::newRow("plain folder") << "/opt/qm" << QStringLiteral("合成表.txt")
                                  << "/opt/qm" + s + "合成表.txt";
    QTest::newRow("sub-folder backslash")
        << "/opt/qm" << QStringLiteral("職業\\劍士.txt") << "/opt/qm" + s + "職業" + s + "劍士.txt";
    QTest::newRow("root folder gets no second separator") << "/"
                                                          << "a.txt"
                                                          << "/a.txt";
    QTest::newRow("drive root") << "C:\\"
                                << "a.txt"
                                << "C:\\a.txt";
}

void tst_DataText::dataPath() {
    QFETCH(QString, folder);
    QFETCH(QString, relative);
    QFETCH(QString, path);
    QCOMPARE(DataText::dataPath(folder, relative), path);
}

void tst_DataText::placement_data() {
    QTest::addColumn<QSizeF>("screen");
    QTest::addColumn<QSizeF>("outer");
    QTest::addColumn<QPointF>("at");
    QTest::newRow("menu on 1024x768") << QSizeF(15360, 11520) << QSizeF(3645, 1875) << QPointF(11615, 9565);
    QTest::newRow("window larger than screen")
        << QSizeF(3000, 2000) << QSizeF(5000, 4000) << QPointF(-2100, -2080);
    QTest::newRow("fractional stays fractional") << QSizeF(100.5, 100) << QSizeF(0, 0) << QPointF(0.5, 20);
}

void tst_DataText::placement() {
    QFETCH(QSizeF, screen);
    QFETCH(QSizeF, outer);
    QFETCH(QPointF, at);
    QCOMPARE(Placement::bottomRight(screen, outer), at);
}

QTEST_APPLESS_MAIN(tst_DataText)
#include "tst_datatext.moc"
