#include "core/DataText.h"
#include "core/QuestText.h"

#include <QStringDecoder>
#include <QTest>

using namespace Qt::StringLiterals;

// Reading the players' data files: decoding, lines, spaces, and the quest texts in them.
class tst_DataText : public QObject {
    Q_OBJECT
private slots:
    void decode_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        // What Windows' code page 950 makes of bytes that are not UTF-8.
        const auto cp950 = [](const QByteArray& bytes) {
            return QString(QStringDecoder("windows-950").decode(bytes));
        };
        QTest::newRow("cp950 中 A4A4, its trail byte in the lead range") << "\xA4\xA4"_ba << u"中"_s;
        QTest::newRow("cp950 mixed with ASCII") << "ab\xA4@c"_ba << u"ab一c"_s; // A440 is 一
        QTest::newRow("cp950 box F9F9 is Windows' table") << "\xF9\xF9"_ba << u"═"_s;
        QTest::newRow("cp950 lead byte cut off at the end, 81 the lowest") << "a\x81"_ba << u"a\uFFFD"_s;
        QTest::newRow("overlong UTF-8 is cp950, never '/'") << "\xC0\xAF"_ba << cp950("\xC0\xAF");
        QTest::newRow("a byte no UTF-8 starts with makes it cp950")
            << "\x80\xE5\x8A\x8D\xE5\xA3\xAB"_ba << cp950("\x80\xE5\x8A\x8D\xE5\xA3\xAB");
        QTest::newRow("UTF-8 without mark") << "\xE5\x8A\x8D\xE5\xA3\xAB"_ba << u"劍士"_s;
        // Also valid code page 950 (C3A9 is a character there): UTF-8 wins.
        QTest::newRow("UTF-8 of two and four bytes")
            << "caf\xC3\xA9 \xF0\x90\x80\x80"_ba << u"café \U00010000"_s;
        QTest::newRow("UTF-8 mark") << "\xEF\xBB\xBF\xE4\xB8\x80x"_ba << u"一x"_s;
        QTest::newRow("UTF-8 mark, ASCII after it") << "\xEF\xBB\xBFx"_ba << u"x"_s;
        QTest::newRow("UTF-16LE mark") << QByteArray("\xFF\xFE\x00\x4E\x41\x00", 6) << u"一A"_s;
        QTest::newRow("UTF-16BE mark") << QByteArray("\xFE\xFF\x4E\x00\x00\x41", 6) << u"一A"_s;
        QTest::newRow("empty") << QByteArray() << QString();
    }
    void decode() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(DataText::decode(bytes), text);
    }

    void splitLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("CR LF ends, adds no empty line") << u"a\r\nb\r\n"_s << QStringList{"a", "b"};
        QTest::newRow("last line without end") << u"a\r\nb"_s << QStringList{"a", "b"};
        QTest::newRow("lone CR ends a line") << u"a\rb\r"_s << QStringList{"a", "b"};
        QTest::newRow("lone LF ends a line") << u"a\nb\n"_s << QStringList{"a", "b"};
        QTest::newRow("LF then CR is two ends") << u"a\n\rb"_s << QStringList{"a", "", "b"};
        QTest::newRow("empty line between kept") << u"a\r\n\r\nb"_s << QStringList{"a", "", "b"};
        QTest::newRow("only a line end") << u"\r\n"_s << QStringList{""};
        QTest::newRow("spaces kept") << u"  x  \r\n"_s << QStringList{"  x  "};
    }
    void splitLines() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(DataText::splitLines(text), lines);
    }

    void piecesReadAsWhole_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("cp950 with CR LF") << "\xA4@a\r\n\xA4@\r\n\r\nb\xF9\xF9\r"_ba;
        QTest::newRow("cp950 cut-off lead byte") << "ab\r\n\xA4@\xA4"_ba;
        // Cut after 0x40, the rest alone would pass for UTF-8.
        QTest::newRow("cp950 whose trail bytes look like UTF-8") << "\xC4@\xA4@"_ba;
        QTest::newRow("UTF-8") << u"劍士\r\n\n弓箭手\r😀"_s.toUtf8();
        QTest::newRow("UTF-8 mark") << "\xEF\xBB\xBF"_ba + u"一\r\n二"_s.toUtf8();
        QTest::newRow("UTF-16LE mark") << QByteArray("\xFF\xFE\x00\x4E\r\x00\n\x00\x41\x00", 10);
        QTest::newRow("CR then LF lines") << "a\r\rb\n\nc\r\n"_ba;
    }
    // A file read piece by piece, cut anywhere, gives what it gives read whole.
    void piecesReadAsWhole() {
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
            QVERIFY2(lines == whole, qPrintable(u"cut at %1"_s.arg(cut)));
        }
    }

    void trimSpaces() {
        // Plain spaces only: tabs and ideographic spaces are part of the text.
        QCOMPARE(DataText::trimSpaces(u"  a b  "_s), u"a b"_s);
        QCOMPARE(DataText::trimSpaces(u"\t甲\u3000 "_s), u"\t甲\u3000"_s);
        QCOMPARE(DataText::trimSpaces(u"   "_s), QString());
    }

    // The edge cases; the quest window's tests show the ordinary readings.
    void questText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("restricted");
        QTest::addColumn<QString>("reading"); // the restriction label | the picture code | the rest
        QTest::newRow("non-digit keeps every character") << u"甲乙,丙"_s << true << u"限制編碼錯誤|甲乙|丙"_s;
        QTest::newRow("full-width digit is no code") << u"３,x"_s << true << u"限制編碼錯誤||３,x"_s;
        QTest::newRow("code digit read only under its band") << u"3,07,x"_s << false << u"||3,07,x"_s;
        QTest::newRow("two characters only") << u"07"_s << false << u"||07"_s;
        QTest::newRow("empty text: no label, nothing removed") << QString() << true << u"||"_s;
    }
    void questText() {
        QFETCH(QString, text);
        QFETCH(bool, restricted);
        QFETCH(QString, reading);
        const QuestText::Reading r = QuestText::read(text, restricted);
        QCOMPARE(r.restriction + u'|' + r.picCode + u'|' + r.rest, reading);
    }
};

QTEST_APPLESS_MAIN(tst_DataText)
#include "tst_datatext.moc"
