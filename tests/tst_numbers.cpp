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
        QTest::newRow("fraction") << u"3.25x"_s << 3.25;
        QTest::newRow("trailing point") << u"5."_s << 5.0;
        QTest::newRow("second point stops") << u"1.2.3"_s << 1.2;
        QTest::newRow("exponent not read") << u"1e5"_s << 1.0;
        QTest::newRow("letter before digits") << u"a5"_s << 0.0;
        QTest::newRow("sign only") << u"-"_s << 0.0;
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
