#include "core/Numbers.h"

#include <QTest>

#include <limits>

using namespace Qt::StringLiterals;

// How the calculators read a number from a box and write one back.
class tst_Numbers : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("blanks and tabs skipped") << u" \t 8"_s << 8.0;
        QTest::newRow("stops at a letter") << u"12abc"_s << 12.0;
        QTest::newRow("minus") << u"-5"_s << -5.0;
        QTest::newRow("plus") << u"+7"_s << 7.0;
        QTest::newRow("fraction") << u"3.25x"_s << 3.25;
        QTest::newRow("fraction without integer part") << u".5"_s << 0.5;
        QTest::newRow("trailing point") << u"5."_s << 5.0;
        QTest::newRow("second point stops") << u"1.2.3"_s << 1.2;
        QTest::newRow("exponent not read") << u"1e5"_s << 1.0;
        QTest::newRow("letter before digits") << u"a5"_s << 0.0;
        QTest::newRow("sign only") << u"-"_s << 0.0;
        QTest::newRow("blank after sign") << u"- 5"_s << 0.0;
        QTest::newRow("full-width digits are not digits") << u"１２"_s << 0.0;
        QTest::newRow("nearest double of a decimal") << u"10.3333333"_s << 10.3333333;
    }
    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(Numbers::leadingNumber(text), value);
    }

    void displayForm_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("negative fraction") << -2.5 << u"-2.5"_s;
        QTest::newRow("negative zero") << -0.0 << u"0"_s;
        QTest::newRow("sum residue hidden") << 0.1 + 0.2 << u"0.3"_s;
        QTest::newRow("third rounded to 15 digits") << 1.0 / 3 << u"0.333333333333333"_s;
        QTest::newRow("tiny but real") << 1.5e-9 << u"0.0000000015"_s;
        QTest::newRow("noise of an exact zero") << 1.4210854715202004e-14 << u"0"_s;
        QTest::newRow("1e20 without exponent") << 1e20 << u"100000000000000000000"_s;
        QTest::newRow("beyond 15 digits rounds") << 123456789012345678.0 << u"123456789012346000"_s;
        QTest::newRow("rounding carries into a new digit") << 999999999999999.9 << u"1000000000000000"_s;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << u"0"_s;
        QTest::newRow("infinite") << -std::numeric_limits<double>::infinity() << u"0"_s;
    }
    void displayForm() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(Numbers::displayForm(value), text);
    }
};

QTEST_APPLESS_MAIN(tst_Numbers)
#include "tst_numbers.moc"
