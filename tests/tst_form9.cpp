#include "forms/Form1.h"
#include "forms/Form9.h"
#include "testsupport.h"
#include "widgets/TextBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using TestSupport::MessageRecorder;

namespace {

QString line(int current, int used, int gain) {
    return QStringLiteral("當你LV%1使用LV%2時,技能EXP會增加%3點").arg(current).arg(used).arg(gain);
}

// The nine level lines Label5(2) to (10) for a current level and its gains from level 1 up.
QStringList levelLines(int current, const QList<int>& gains) {
    QStringList lines;
    for (int i = 1; i <= 9; ++i)
        lines << (i <= gains.size() ? line(current, i, gains[i - 1]) : QString());
    return lines;
}

QStringList shownLevelLines(const Form9* f) {
    QStringList lines;
    for (int i = 2; i <= 10; ++i)
        lines << f->Label5[i]->text();
    return lines;
}

QImage iconImage(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

QIcon plainIcon(QColor color) {
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

} // namespace

class tst_Form9 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void opening();
    void iconFromMenu_data();
    void iconFromMenu();
    void calculation_data();
    void calculation();
    void loweringCurrentLevel();
    void usedAboveCurrentKeepsResult();
    void zeroOverZero();
    void keyFilterAndNormalising_data();
    void keyFilterAndNormalising();
    void skillTable();
    void tabOrder();

private:
    Form9* openForm();
    static void type(QLineEdit* box, const QString& keys);
};

Form9* tst_Form9::openForm() {
    auto* f = FormBase::open<Form9>();
    f->activateWindow();
    if (!QTest::qWaitForWindowActive(f))
        qWarning("experience window did not become active");
    return f;
}

// Clicks into the box, selects what it holds and types over it.
void tst_Form9::type(QLineEdit* box, const QString& keys) {
    QTest::mouseClick(box, Qt::LeftButton);
    TestSupport::press(Qt::ControlModifier | Qt::Key_A);
    TestSupport::type(keys);
}

void tst_Form9::opening() {
    auto* f = openForm();
    QCOMPARE(f->windowTitle(), QStringLiteral("生產經驗值"));
    QCOMPARE(f->Text1->text() + f->Text2->text() + f->Text3->text() + f->Label4->text(), QString());
    QCOMPARE(f->Label5[0]->text(), QString());
    QVERIFY(f->Label5[1]->isHidden());
    QCOMPARE(f->Label5[1]->text(), QStringLiteral("**********其他資料**********"));
    QCOMPARE(shownLevelLines(f), levelLines(0, {}));
    QVERIFY(f->Text4->isHidden());
    QCOMPARE(f->Text1->maxLength(), 1);
    QCOMPARE(f->Text2->maxLength(), 1);
    QCOMPARE(f->Text3->maxLength(), 3);
}

void tst_Form9::iconFromMenu_data() {
    QTest::addColumn<bool>("menuExists");
    QTest::newRow("menu open: its icon") << true;
    QTest::newRow("no menu: the application's icon") << false;
}

void tst_Form9::iconFromMenu() {
    QFETCH(bool, menuExists);
    const QIcon previous = QApplication::windowIcon();
    QApplication::setWindowIcon(plainIcon(Qt::blue));
    if (menuExists)
        FormBase::instance<Form1>()->setWindowIcon(plainIcon(Qt::red));
    auto* f = openForm();
    QCOMPARE(iconImage(f->windowIcon()), iconImage(plainIcon(menuExists ? Qt::red : Qt::blue)));
    QApplication::setWindowIcon(previous);
}

void tst_Form9::calculation_data() {
    QTest::addColumn<QString>("used");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("highest");
    QTest::addColumn<bool>("clockedIn");
    QTest::addColumn<QString>("effective");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("9, 3, 30") << "3"
                              << "9"
                              << "30" << false << "30" << line(9, 3, 10)
                              << levelLines(9, {3, 6, 10, 13, 16, 20, 23, 26, 30});
    QTest::newRow("clocked in doubles")
        << "3"
        << "9"
        << "30" << true << "60" << line(9, 3, 20) << levelLines(9, {6, 13, 20, 26, 33, 40, 46, 53, 60});
    QTest::newRow("highest 2: below half gives 0")
        << "1"
        << "9"
        << "2" << false << "2" << line(9, 1, 0) << levelLines(9, {0, 0, 1, 1, 1, 1, 1, 1, 2});
    QTest::newRow("no highest: no gain")
        << "2"
        << "4"
        << "" << false << "0" << line(4, 2, 0) << levelLines(4, {0, 0, 0, 0});
    QTest::newRow("crafting 120 at level 5")
        << "5"
        << "5"
        << "120" << false << "120" << line(5, 5, 120) << levelLines(5, {24, 48, 72, 96, 120});
    QTest::newRow("half at level 2") << "1"
                                     << "2"
                                     << "1" << false << "1" << line(2, 1, 1) << levelLines(2, {1, 1});
}

void tst_Form9::calculation() {
    QFETCH(QString, used);
    QFETCH(QString, current);
    QFETCH(QString, highest);
    QFETCH(bool, clockedIn);
    QFETCH(QString, effective);
    QFETCH(QString, result);
    QFETCH(QStringList, lines);
    auto* f = openForm();
    type(f->Text1, used);
    type(f->Text2, current);
    if (!highest.isEmpty())
        type(f->Text3, highest);
    if (clockedIn)
        QTest::mouseClick(f->Check1, Qt::LeftButton);
    else
        QTest::mouseClick(f->Command1, Qt::LeftButton);
    QCOMPARE(f->Label4->text(), highest.isEmpty() && !clockedIn ? QString() : effective);
    QCOMPARE(f->Label5[0]->text(), result);
    QCOMPARE(shownLevelLines(f), lines);
    QVERIFY(f->Label5[1]->isVisible());
}

void tst_Form9::loweringCurrentLevel() {
    auto* f = openForm();
    type(f->Text1, QStringLiteral("3"));
    type(f->Text2, QStringLiteral("9"));
    type(f->Text3, QStringLiteral("30"));
    type(f->Text2, QStringLiteral("3"));
    QCOMPARE(f->Label5[0]->text(), line(3, 3, 30));
    QCOMPARE(shownLevelLines(f), levelLines(3, {10, 20, 30}));
    // Unticking after ticking goes back to the plain highest.
    QTest::mouseClick(f->Check1, Qt::LeftButton);
    QCOMPARE(f->Label4->text(), QStringLiteral("60"));
    QTest::mouseClick(f->Check1, Qt::LeftButton);
    QCOMPARE(f->Label4->text(), QStringLiteral("30"));
    QCOMPARE(shownLevelLines(f), levelLines(3, {10, 20, 30}));
}

void tst_Form9::usedAboveCurrentKeepsResult() {
    auto* f = openForm();
    type(f->Text2, QStringLiteral("3"));
    type(f->Text3, QStringLiteral("30"));
    type(f->Text1, QStringLiteral("2"));
    QCOMPARE(f->Label5[0]->text(), line(3, 2, 20));
    type(f->Text1, QStringLiteral("5"));
    QCOMPARE(f->Label5[0]->text(), line(3, 2, 20));
    QCOMPARE(shownLevelLines(f), levelLines(0, {}));
    QVERIFY(f->Label5[1]->isVisible());
}

void tst_Form9::zeroOverZero() {
    auto* f = openForm();
    type(f->Text3, QStringLiteral("30"));
    QCOMPARE(f->Label5[0]->text(), line(0, 0, 0));
    QCOMPARE(shownLevelLines(f), levelLines(0, {}));
    QVERIFY(f->Label5[1]->isVisible());
    QTest::mouseClick(f->Command1, Qt::LeftButton);
    QCOMPARE(f->Label5[0]->text(), line(0, 0, 0));
}

void tst_Form9::keyFilterAndNormalising_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<int>>("keys");   // key combinations, sent to the window
    QTest::addColumn<QString>("committed"); // then committed by an input method
    QTest::addColumn<QString>("text");
    const QList<int> junk{Qt::Key_A, Qt::Key_Minus, Qt::Key_Period, Qt::Key_Space, Qt::Key_Return};
    const QList<int> held{(Qt::AltModifier | Qt::Key_A).toCombined(),
                          (Qt::AltModifier | Qt::Key_Minus).toCombined(),
                          (Qt::MetaModifier | Qt::Key_Period).toCombined()};
    QTest::newRow("Text1 refuses non-digits") << 1 << "4" << junk << ""
                                              << "4";
    QTest::newRow("Text2 refuses non-digits") << 2 << "4" << junk << ""
                                              << "4";
    QTest::newRow("Text3 refuses non-digits") << 3 << "12" << junk << ""
                                              << "12";
    QTest::newRow("Text3 refuses them with Alt or Meta held") << 3 << "12" << held << ""
                                                              << "12";
    QTest::newRow("Text3 Backspace") << 3 << "12" << QList<int>{Qt::Key_Backspace} << ""
                                     << "1";
    QTest::newRow("Text3 at most 3 digits") << 3 << "12" << QList<int>{Qt::Key_3, Qt::Key_4} << ""
                                            << "123";
    QTest::newRow("0 in Text1 becomes 1") << 1 << "4" << QList<int>{Qt::Key_Backspace, Qt::Key_0} << ""
                                          << "1";
    QTest::newRow("emptied Text1 shows 1") << 1 << "4" << QList<int>{Qt::Key_Backspace} << ""
                                           << "1";
    QTest::newRow("emptied Text2 shows 0") << 2 << "4" << QList<int>{Qt::Key_Backspace} << ""
                                           << "0";
    QTest::newRow("input method: digits of the commit pass") << 3 << "1" << QList<int>{} << "2元3"
                                                             << "123";
    QTest::newRow("input method: full-width digits") << 3 << "" << QList<int>{} << "４５"
                                                     << "45";
    QTest::newRow("input method: letters only") << 2 << "4" << QList<int>{} << "abc"
                                                << "4";
}

void tst_Form9::keyFilterAndNormalising() {
    QFETCH(int, box);
    QFETCH(QString, start);
    QFETCH(QList<int>, keys);
    QFETCH(QString, committed);
    QFETCH(QString, text);
    auto* f = openForm();
    QLineEdit* target = QList<QLineEdit*>{f->Text1, f->Text2, f->Text3}[box - 1];
    type(target, start);
    QCOMPARE(target->text(), start);
    target->end(false);
    for (int key : keys)
        TestSupport::press(QKeyCombination::fromCombined(key));
    if (!committed.isEmpty())
        TestSupport::commit(committed);
    QCOMPARE(target->text(), text);
}

void tst_Form9::skillTable() {
    MessageRecorder messages;
    auto* f = openForm();
    QTest::mouseClick(f->Command2, Qt::LeftButton);
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("各技最高經驗(得意技時,非則減半)\r\n\r\n狩獵:2\r\n挖掘:2\r\n"
                                        "伐木:2\r\n鑑定:30\r\n修理:30?\r\n製作:120\r\n料理:20\r\n"
                                        "製藥:20\r\n")});
    QCOMPARE(messages.messages.first().buttons, Module1::MsgButtons::Ok);
    QVERIFY(f->Text4->isHidden());
}

void tst_Form9::tabOrder() {
    auto* f = openForm();
    QTest::mouseClick(f->Text1, Qt::LeftButton);
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, (QStringList{"Text1", "Text2", "Text3", "Check1", "Command1", "Command2", "Text1"}));
}

QTEST_MAIN(tst_Form9)
#include "tst_form9.moc"
