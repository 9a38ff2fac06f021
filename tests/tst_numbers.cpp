#include "core/Numbers.h"
#include "core/StatFormulas.h"

#include <QTest>

#include <cmath>
#include <limits>

using StatFormulas::Stats;

class tst_Numbers : public QObject {
    Q_OBJECT
private slots:
    void leadingNumber_data();
    void leadingNumber();
    void displayForm_data();
    void displayForm();
    void digitFilter_data();
    void digitFilter();
    void statFormulas_data();
    void statFormulas();
    void messageLine_data();
    void messageLine();
    void expGain_data();
    void expGain();
};

void tst_Numbers::leadingNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("digits") << "30" << 30.0;
    QTest::newRow("leading zeros") << "0003" << 3.0;
    QTest::newRow("blanks skipped") << " \t 8" << 8.0;
    QTest::newRow("stops at letter") << "12abc" << 12.0;
    QTest::newRow("stops at inner blank") << "12 34" << 12.0;
    QTest::newRow("minus") << "-5" << -5.0;
    QTest::newRow("plus") << "+7" << 7.0;
    QTest::newRow("fraction") << "3.25x" << 3.25;
    QTest::newRow("fraction without integer part") << ".5" << 0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("exponent not read") << "1e5" << 1.0;
    QTest::newRow("letters only") << "abc" << 0.0;
    QTest::newRow("sign only") << "-" << 0.0;
    QTest::newRow("point only") << "." << 0.0;
    QTest::newRow("blank after sign") << "- 5" << 0.0;
    QTest::newRow("full-width digits are not digits") << "１２" << 0.0;
    QTest::newRow("nearest double of a decimal") << "10.3333333" << 10.3333333;
}

void tst_Numbers::leadingNumber() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(Numbers::leadingNumber(text), value);
}

void tst_Numbers::displayForm_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("tenths") << 20.3 << "20.3";
    QTest::newRow("whole") << 100.0 << "100";
    QTest::newRow("below one") << 0.5 << "0.5";
    QTest::newRow("negative") << -5.0 << "-5";
    QTest::newRow("negative fraction") << -2.5 << "-2.5";
    QTest::newRow("zero") << 0.0 << "0";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("sum residue hidden") << 0.1 + 0.2 << "0.3";
    QTest::newRow("third rounded to 15 digits") << 1.0 / 3 << "0.333333333333333";
    QTest::newRow("two thirds rounds up") << 2.0 / 3 << "0.666666666666667";
    QTest::newRow("small stays plain") << 0.0001 << "0.0001";
    QTest::newRow("tiny but real") << 1.5e-9 << "0.0000000015";
    QTest::newRow("noise of an exact zero") << 1.4210854715202004e-14 << "0";
    QTest::newRow("negative noise") << -3e-12 << "0";
    QTest::newRow("1e15 without exponent") << 1e15 << "1000000000000000";
    QTest::newRow("1e20 without exponent") << 1e20 << "100000000000000000000";
    QTest::newRow("beyond 15 digits rounds") << 123456789012345678.0 << "123456789012346000";
    QTest::newRow("rounding carries into new digit") << 999999999999999.9 << "1000000000000000";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "0";
}

void tst_Numbers::displayForm() {
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(Numbers::displayForm(value), text);
}

void tst_Numbers::digitFilter_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("passes");
    QTest::newRow("digit 0") << int(Qt::Key_0) << "0" << 0 << true;
    QTest::newRow("digit 9") << int(Qt::Key_9) << "9" << 0 << true;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << "\b" << 0 << true;
    QTest::newRow("letter") << int(Qt::Key_A) << "a" << 0 << false;
    QTest::newRow("minus") << int(Qt::Key_Minus) << "-" << 0 << false;
    QTest::newRow("point") << int(Qt::Key_Period) << "." << 0 << false;
    QTest::newRow("blank") << int(Qt::Key_Space) << " " << 0 << false;
    QTest::newRow("enter") << int(Qt::Key_Return) << "\r" << 0 << false;
    QTest::newRow("full-width digit") << int(Qt::Key_unknown) << "１" << 0 << false;
    QTest::newRow("shifted digit key") << int(Qt::Key_Exclam) << "!" << int(Qt::ShiftModifier) << false;
    QTest::newRow("left arrow") << int(Qt::Key_Left) << "" << 0 << true;
    QTest::newRow("home") << int(Qt::Key_Home) << "" << 0 << true;
    QTest::newRow("delete") << int(Qt::Key_Delete) << "\x7f" << 0 << true;
    QTest::newRow("tab") << int(Qt::Key_Tab) << "\t" << 0 << true;
    QTest::newRow("ctrl+v") << int(Qt::Key_V) << "\x16" << int(Qt::ControlModifier) << true;
    QTest::newRow("ctrl+c") << int(Qt::Key_C) << "\x03" << int(Qt::ControlModifier) << true;
}

void tst_Numbers::digitFilter() {
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, modifiers);
    QFETCH(bool, passes);
    QCOMPARE(Numbers::keyPassesDigitFilter(key, text, Qt::KeyboardModifiers(modifiers)), passes);
}

void tst_Numbers::statFormulas_data() {
    QTest::addColumn<double>("level");
    QTest::addColumn<Stats>("stats");
    // Available points, then HP, MP, 攻, 防, 敏, 精, 回, as the window shows them.
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("level 1, nothing distributed")
        << 1.0 << Stats{0, 0, 0, 0, 0} << QStringList{"30", "20", "20", "20", "20", "20", "100", "100"};
    QTest::newRow("level 1, 體 3: tenths without residue")
        << 1.0 << Stats{3, 0, 0, 0, 0}
        << QStringList{"27", "44", "23", "20.3", "20.3", "20.6", "99.1", "102.4"};
    QTest::newRow("level 1, 體 15 力 15")
        << 1.0 << Stats{15, 15, 0, 0, 0}
        << QStringList{"0", "170", "65", "51.5", "24.5", "26", "94", "110.5"};
    QTest::newRow("level 10, 11 to 15")
        << 10.0 << Stats{11, 12, 13, 14, 15}
        << QStringList{"1", "228", "259", "52", "53.8", "56.7", "108.7", "104.6"};
    QTest::newRow("level 2, 3 to 7") << 2.0 << Stats{3, 4, 5, 6, 7}
                                     << QStringList{"9", "92", "123", "31.2", "33", "35.1", "104.7", "100.6"};
    QTest::newRow("level 5, even stats")
        << 5.0 << Stats{2, 4, 6, 8, 10}
        << QStringList{"16", "96", "158", "32", "35.6", "39.4", "107.4", "99.2"};
    QTest::newRow("回 of 力 1 魔 333 is exactly 0")
        << 1.0 << Stats{0, 1, 0, 0, 333}
        << QStringList{"-304", "355", "3352", "55.3", "53.5", "53.5", "366.3", "0"};
    QTest::newRow("pasted half point")
        << 1.0 << Stats{0.5, 0, 0, 0, 0}
        << QStringList{"29.5", "24", "20.5", "20.05", "20.05", "20.1", "99.85", "100.4"};
    QTest::newRow("level 100 total") << 100.0 << Stats{0, 0, 0, 0, 0}
                                     << QStringList{"426", "20", "20", "20", "20", "20", "100", "100"};
    QTest::newRow("level 999 total") << 999.0 << Stats{0, 0, 0, 0, 0}
                                     << QStringList{"4022", "20", "20", "20", "20", "20", "100", "100"};
}

void tst_Numbers::statFormulas() {
    QFETCH(double, level);
    QFETCH(Stats, stats);
    QFETCH(QStringList, shown);
    QStringList actual{Numbers::displayForm(StatFormulas::availablePoints(level, stats))};
    for (double a : StatFormulas::abilities(stats))
        actual << Numbers::displayForm(a);
    QCOMPARE(actual, shown);
}

void tst_Numbers::messageLine_data() {
    QTest::addColumn<double>("level");
    QTest::addColumn<Stats>("stats");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing wrong") << 1.0 << Stats{0, 0, 0, 0, 0} << "";
    QTest::newRow("exactly half passes") << 1.0 << Stats{15, 15, 0, 0, 0} << "";
    QTest::newRow("體 over half") << 1.0 << Stats{16, 0, 0, 0, 0} << "不是合法的點數分配～（體）";
    QTest::newRow("level 100 passes") << 100.0 << Stats{0, 0, 0, 0, 0} << "";
    QTest::newRow("level 101 at half") << 101.0 << Stats{215, 215, 215, 215, 215} << "等級有那麼高嗎～？";
    QTest::newRow("stat replaces level warning")
        << 101.0 << Stats{216, 0, 0, 0, 0} << "不是合法的點數分配～（體）";
    QTest::newRow("速 checked after 體") << 1.0 << Stats{16, 0, 0, 16, 0} << "不是合法的點數分配～（速）";
    QTest::newRow("力 checked after 速") << 1.0 << Stats{0, 16, 0, 16, 0} << "不是合法的點數分配～（力）";
    QTest::newRow("強 checked after 速") << 1.0 << Stats{0, 0, 16, 16, 0} << "不是合法的點數分配～（強）";
    QTest::newRow("魔 checked last") << 101.0 << Stats{216, 0, 0, 0, 216} << "不是合法的點數分配～（魔）";
}

void tst_Numbers::messageLine() {
    QFETCH(double, level);
    QFETCH(Stats, stats);
    QFETCH(QString, message);
    QCOMPARE(StatFormulas::messageLine(level, stats), message);
}

void tst_Numbers::expGain_data() {
    QTest::addColumn<double>("used");
    QTest::addColumn<double>("current");
    QTest::addColumn<double>("highest");
    QTest::addColumn<double>("gain");
    QTest::newRow("whole part from 1 up") << 3.0 << 9.0 << 30.0 << 10.0;
    QTest::newRow("just above a whole") << 4.0 << 9.0 << 30.0 << 13.0;
    QTest::newRow("half gives 1") << 1.0 << 2.0 << 1.0 << 1.0;
    QTest::newRow("below half gives 0") << 2.0 << 9.0 << 2.0 << 0.0;
    QTest::newRow("three ninths of 2 gives 1") << 3.0 << 9.0 << 2.0 << 1.0;
    QTest::newRow("divided before multiplied") << 1.0 << 49.0 << 98.0 << 1.0;
    QTest::newRow("no highest, no gain") << 5.0 << 9.0 << 0.0 << 0.0;
    QTest::newRow("zero over zero") << 0.0 << 0.0 << 30.0 << 0.0;
}

void tst_Numbers::expGain() {
    QFETCH(double, used);
    QFETCH(double, current);
    QFETCH(double, highest);
    QFETCH(double, gain);
    QCOMPARE(StatFormulas::expGain(StatFormulas::expRatio(used, current, highest)), gain);
}

QTEST_APPLESS_MAIN(tst_Numbers)
#include "tst_numbers.moc"
