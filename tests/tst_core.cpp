#include "core/DataText.h"
#include "core/Numbers.h"
#include "core/QuestText.h"
#include "core/Wildcard.h"
#include "platform/CodePages.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

// The pure logic under the windows: data text, quest texts, numbers in boxes, file-name patterns.
class tst_Core : public QObject {
    Q_OBJECT
private slots:
    void read_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const auto row = [](const char* name, const QByteArray& bytes, const QStringList& lines) {
            QTest::newRow(name) << bytes << lines;
        };
        // What Windows' code page 950 makes of bytes that are not UTF-8.
        const auto cp950 = [](const QByteArray& bytes) {
            return QStringList{Platform::decodeCodePage950(bytes)};
        };
        row("cp950 中 A4A4, its trail byte in the lead range", "\xA4\xA4"_ba, {u"中"_s});
        // A440 is 一, F9F9 the box drawing of Windows' table.
        row("cp950 with ASCII and line ends", "\xA4@a\r\n\xA4@\r\n\r\nb\xF9\xF9\r"_ba,
            {u"一a"_s, u"一"_s, "", u"b═"_s});
        row("cp950 lead byte cut off at the end, 81 the lowest", "ab\r\n\xA4@\x81"_ba, {"ab", u"一\uFFFD"_s});
        // Cut after 0x40, the rest alone would pass for UTF-8.
        row("cp950 whose trail bytes look like UTF-8", "\xC4@\xA4@"_ba, cp950("\xC4@\xA4@"));
        row("overlong UTF-8 is cp950, never '/'", "\xC0\xAF"_ba, cp950("\xC0\xAF"));
        row("a byte no UTF-8 starts with makes it cp950", "\x80\xE5\x8A\x8D\xE5\xA3\xAB"_ba,
            cp950("\x80\xE5\x8A\x8D\xE5\xA3\xAB"));
        row("UTF-8 without mark", u"劍士\r\n\n弓箭手\r😀"_s.toUtf8(), {u"劍士"_s, "", u"弓箭手"_s, u"😀"_s});
        // Also valid code page 950 (C3A9 is a character there): UTF-8 wins.
        row("UTF-8 of two and four bytes", "caf\xC3\xA9 \xF0\x90\x80\x80"_ba, {u"café \U00010000"_s});
        row("UTF-8 mark", "\xEF\xBB\xBF"_ba + u"一\r\n二"_s.toUtf8(), {u"一"_s, u"二"_s});
        row("UTF-8 mark, ASCII after it", "\xEF\xBB\xBFx"_ba, {"x"});
        row("UTF-16LE mark", QByteArray("\xFF\xFE\x00\x4E\r\x00\n\x00\x41\x00", 10), {u"一"_s, "A"});
        row("UTF-16BE mark", QByteArray("\xFE\xFF\x4E\x00\x00\x41", 6), {u"一A"_s});
        row("empty", {}, {});
        row("LF then CR is two ends", "a\n\rb", {"a", "", "b"});
        row("empty lines kept", "a\r\n\r\nb\r\rc\n\nd", {"a", "", "b", "", "c", "", "d"});
        row("only a line end", "\r\n", {""});
    }
    // Read whole, and read in two pieces cut anywhere, as the loaders read.
    void read() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(DataText::splitLines(DataText::decode(bytes)), lines);
        for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
            const QByteArrayView first = QByteArrayView(bytes).first(cut);
            const QByteArrayView second = QByteArrayView(bytes).sliced(cut);
            DataText::EncodingSniffer sniffer;
            sniffer.feed(first);
            sniffer.feed(second);
            DataText::Decoder decoder(sniffer.result());
            DataText::LineSplitter splitter;
            QStringList read;
            splitter.feed(decoder.decode(first), read);
            splitter.feed(decoder.decode(second), read);
            splitter.feed(decoder.finish(), read);
            splitter.finish(read);
            QVERIFY2(read == lines, qPrintable(u"cut at %1"_s.arg(cut)));
        }
    }

    void questText() {
        const auto reading = [](const QString& text) {
            const QuestText::Reading r = QuestText::read(text, true);
            return r.restriction + u'|' + r.picCode + u'|' + r.rest;
        };
        QCOMPARE(reading(u"甲乙,丙"_s), u"限制編碼錯誤|甲乙|丙"_s); // a non-digit keeps every character
        QCOMPARE(reading(u"３,x"_s), u"限制編碼錯誤||３,x"_s);      // a full-width digit is no code
        QCOMPARE(reading(QString()), u"||"_s);                      // empty: no label, nothing removed
    }

    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("blanks and tabs skipped") << u" \t 8"_s << 8.0;
        QTest::newRow("fraction") << u"3.25x"_s << 3.25;
        QTest::newRow("second point stops") << u"1.2.3"_s << 1.2;
        QTest::newRow("exponent not read") << u"1e5"_s << 1.0;
        QTest::newRow("blank after sign") << u"- 5"_s << 0.0;
        QTest::newRow("full-width digits are not digits") << u"１２"_s << 0.0;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(Numbers::leadingNumber(text), value);
    }

    void displayForm_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("negative zero") << -0.0 << u"0"_s;
        QTest::newRow("tiny but real") << 1.5e-9 << u"0.0000000015"_s;
        QTest::newRow("beyond 15 digits rounds") << 123456789012345678.0 << u"123456789012346000"_s;
        QTest::newRow("rounding carries into a new digit") << 999999999999999.9 << u"1000000000000000"_s;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << u"0"_s;
    }
    void displayForm() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(Numbers::displayForm(value), text);
    }

    void wildcard_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("patterns");
        QTest::addColumn<bool>("matches");
        QTest::newRow("date pattern")
            << u"QM311129_007.BMP"_s << Wildcard::datePattern("31", "11", "29") << true;
        QTest::newRow("? is exactly one") << u"qm311129_07.bmp"_s << u"qm??????_???.bmp"_s << false;
        QTest::newRow("* may be empty, any of a list") << u"a.gif"_s << u" *.bmp ; a*.gif;"_s << true;
        QTest::newRow("* does not skip the rest") << u"a.jpg.txt"_s << u"*.jpg"_s << false;
    }
    void wildcard() {
        QFETCH(QString, name);
        QFETCH(QString, patterns);
        QTEST(Wildcard::matchesAny(name, Wildcard::splitPatterns(patterns)), "matches");
        QCOMPARE(Wildcard::dateFields(QDate(2031, 11, 29)), (std::array<QString, 3>{"31", "11", "29"}));
    }
};

QTEST_APPLESS_MAIN(tst_Core)
#include "tst_core.moc"
