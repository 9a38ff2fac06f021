#include "forms/Form2.h"
#include "forms/frmcalc.h"
#include "testsupport.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>

namespace {

// Stat boxes a1..a5, then Pointi and t1..t7, as a list of texts.
QStringList shownValues(const frmcalc* f) {
    return {f->a1->text(),     f->a2->text(), f->a3->text(), f->a4->text(), f->a5->text(),
            f->Pointi->text(), f->t1->text(), f->t2->text(), f->t3->text(), f->t4->text(),
            f->t5->text(),     f->t6->text(), f->t7->text()};
}

// A mouse move without buttons, delivered as the window system would: the application hands it to the
// widget under the pointer and on up to the parents that track the mouse.
void hover(QWidget* widget, QPoint pos) {
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

QLineEdit* statBox(const frmcalc* f, int n) {
    return QList<QLineEdit*>{f->a1, f->a2, f->a3, f->a4, f->a5}[n - 1];
}

} // namespace

class tst_frmcalc : public QObject {
    Q_OBJECT
public slots:
    void openUrl(const QUrl& url) { openedUrls << url; }

private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        openedUrls.clear();
        TestSupport::unloadAllForms();
    }

    void opening();
    void typing_data();
    void typing();
    void keyFilter_data();
    void keyFilter();
    void droppedTextStaysOut();
    void levelChangeResetsStats_data();
    void levelChangeResetsStats();
    void focusSelection();
    void tabOrder();
    void pastedFractionsEnd_data();
    void pastedFractionsEnd();
    void creditLine();
    void layout_data();
    void layout();
    void reopenStartsAfresh();

private:
    frmcalc* openCalc();
    void typeLevel(frmcalc* f, const QString& level);
    void typeStat(frmcalc* f, int n, const QString& keys);
    void paste(QLineEdit* box, const QString& text);

    QList<QUrl> openedUrls;
};

frmcalc* tst_frmcalc::openCalc() {
    auto* f = FormBase::open<frmcalc>();
    f->activateWindow();
    if (!QTest::qWaitForWindowActive(f))
        qWarning("calculator window did not become active");
    return f;
}

void tst_frmcalc::typeLevel(frmcalc* f, const QString& level) {
    QTest::mouseClick(f->Lv, Qt::LeftButton);
    TestSupport::press(Qt::ControlModifier | Qt::Key_A);
    TestSupport::type(level);
}

void tst_frmcalc::typeStat(frmcalc* f, int n, const QString& keys) {
    QTest::mouseClick(statBox(f, n), Qt::LeftButton);
    TestSupport::type(keys);
}

void tst_frmcalc::paste(QLineEdit* box, const QString& text) {
    QTest::mouseClick(box, Qt::LeftButton);
    QApplication::clipboard()->setText(text);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

void tst_frmcalc::opening() {
    auto* f = openCalc();
    QCOMPARE(f->Lv->text(), QStringLiteral("1"));
    QCOMPARE(shownValues(f),
             (QStringList{"", "", "", "", "", "30", "20", "20", "20", "20", "20", "100", "100"}));
    QCOMPARE(f->Label16->text(), QString());
    QCOMPARE(QApplication::focusWidget(), f->Lv);
    QVERIFY(!f->Lv->hasSelectedText());
    QCOMPARE(f->lastFocus(), qint16(0));
    QVERIFY(!FormBase::existing<Form2>());
}

void tst_frmcalc::typing_data() {
    QTest::addColumn<QString>("level");
    QTest::addColumn<QStringList>("typed"); // keys typed into a1..a5 in turn; empty skips the box
    QTest::addColumn<QStringList>("shown"); // a1..a5, Pointi, HP, MP, 攻, 防, 敏, 精, 回
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("lookupOpens");

    const QString body = QStringLiteral("不是合法的點數分配～（體）");
    QTest::newRow("體 3") << "" << QStringList{"3"}
                          << QStringList{"3",  "",     "",     "",     "",     "27",   "44",
                                         "23", "20.3", "20.3", "20.6", "99.1", "102.4"}
                          << "" << false;
    QTest::newRow("體 15 力 15: exactly half passes")
        << "" << QStringList{"15", "15"}
        << QStringList{"15", "15", "", "", "", "0", "170", "65", "51.5", "24.5", "26", "94", "110.5"} << ""
        << false;
    QTest::newRow("體 16 warns") << "" << QStringList{"16"}
                                 << QStringList{"16", "",     "",     "",     "",     "14",   "148",
                                                "36", "21.6", "21.6", "23.2", "95.2", "112.8"}
                                 << body << false;
    QTest::newRow("35 into 體 is taken back to 30")
        << "" << QStringList{"35"}
        << QStringList{"30", "", "", "", "", "0", "260", "50", "23", "23", "26", "91", "124"} << body
        << false;
    QTest::newRow("9, 9 into 體 becomes 30")
        << "" << QStringList{"99"}
        << QStringList{"30", "", "", "", "", "0", "260", "50", "23", "23", "26", "91", "124"} << body
        << false;
    QTest::newRow("overrun in 力 after 體: 20 is over half")
        << "" << QStringList{"10", "25"}
        << QStringList{"10", "20", "", "", "", "0", "140", "70", "61", "25", "26", "95", "106"}
        << QStringLiteral("不是合法的點數分配～（力）") << false;
    QTest::newRow("level 10, 11 to 15") << "10" << QStringList{"11", "12", "13", "14", "15"}
                                        << QStringList{"11",  "12", "13",   "14",   "15",    "1",    "228",
                                                       "259", "52", "53.8", "56.7", "108.7", "104.6"}
                                        << "" << false;
    QTest::newRow("level 101, 體 215 力 215")
        << "101" << QStringList{"215", "215"}
        << QStringList{"215", "215", "0", "0", "0", "0", "2170", "665", "471.5", "84.5", "106", "14", "250.5"}
        << QStringLiteral("等級有那麼高嗎～？") << false;
    QTest::newRow("level 101, 體 216")
        << "101" << QStringList{"216"} << QStringList{"216", "0",    "0",    "0",    "0",    "214",  "1748",
                                                      "236", "41.6", "41.6", "63.2", "35.2", "272.8"}
        << body << false;
    QTest::newRow("level 2, 3 to 7 opens the lookup")
        << "2" << QStringList{"3", "4", "5", "6", "7"}
        << QStringList{"3", "4", "5", "6", "7", "9", "92", "123", "31.2", "33", "35.1", "104.7", "100.6"}
        << "" << true;
    QTest::newRow("03 in 體 does not")
        << "2" << QStringList{"03", "4", "5", "6", "7"}
        << QStringList{"03", "4", "5", "6", "7", "9", "92", "123", "31.2", "33", "35.1", "104.7", "100.6"}
        << "" << false;
    QTest::newRow("level 999 total") << "999" << QStringList{}
                                     << QStringList{"0",  "0",  "0",  "0",  "0",   "4022", "20",
                                                    "20", "20", "20", "20", "100", "100"}
                                     << QStringLiteral("等級有那麼高嗎～？") << false;
}

void tst_frmcalc::typing() {
    QFETCH(QString, level);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, shown);
    QFETCH(QString, message);
    QFETCH(bool, lookupOpens);
    auto* f = openCalc();
    if (!level.isEmpty())
        typeLevel(f, level);
    for (int n = 1; n <= typed.size(); ++n) {
        if (!typed[n - 1].isEmpty())
            typeStat(f, n, typed[n - 1]);
    }
    QCOMPARE(shownValues(f), shown);
    QCOMPARE(f->Label16->text(), message);
    const Form2* lookup = FormBase::existing<Form2>();
    QCOMPARE(lookup && lookup->isVisible(), lookupOpens);
}

void tst_frmcalc::keyFilter_data() {
    QTest::addColumn<int>("box"); // 0 = Lv, 1..5 = a1..a5
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<int>>("keys");   // key combinations, sent to the window
    QTest::addColumn<QString>("committed"); // then committed by an input method
    QTest::addColumn<QString>("text");
    const QList<int> junk{Qt::Key_A,     Qt::Key_Minus,  Qt::Key_Period,
                          Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter};
    const auto with = [](Qt::KeyboardModifiers m, Qt::Key k) { return QKeyCombination(m, k).toCombined(); };
    const QList<int> held{with(Qt::AltModifier, Qt::Key_A), with(Qt::AltModifier, Qt::Key_Minus),
                          with(Qt::AltModifier, Qt::Key_Period), with(Qt::MetaModifier, Qt::Key_A),
                          with(Qt::ControlModifier | Qt::AltModifier, Qt::Key_E)};
    QTest::newRow("Lv refuses letters, signs, points, blanks, Enter") << 0 << "12" << junk << ""
                                                                      << "12";
    QTest::newRow("a3 refuses the same") << 3 << "12" << junk << ""
                                         << "12";
    QTest::newRow("Lv refuses them with Alt, Meta or AltGr held") << 0 << "12" << held << ""
                                                                  << "12";
    QTest::newRow("a5 refuses them with Alt, Meta or AltGr held") << 5 << "12" << held << ""
                                                                  << "12";
    QTest::newRow("Lv takes at most 3 digits")
        << 0 << "12" << QList<int>{Qt::Key_3, Qt::Key_4, Qt::Key_5} << ""
        << "123";
    QTest::newRow("a1 takes at most 4 digits")
        << 1 << "" << QList<int>{Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5} << ""
        << "1234";
    QTest::newRow("Backspace") << 5 << "123" << QList<int>{Qt::Key_Backspace} << ""
                               << "12";
    QTest::newRow("Home then Delete") << 2 << "123" << QList<int>{Qt::Key_Home, Qt::Key_Delete} << ""
                                      << "23";
    QTest::newRow("arrows move the caret")
        << 4 << "13" << QList<int>{Qt::Key_Left, Qt::Key_2, Qt::Key_End, Qt::Key_4} << ""
        << "1234";
    QTest::newRow("input method: only the digits of a commit") << 2 << "1" << QList<int>{} << "2點3"
                                                               << "123";
    QTest::newRow("input method: full-width digits") << 0 << "5" << QList<int>{} << "９９"
                                                     << "599";
    QTest::newRow("input method: no digits") << 0 << "12" << QList<int>{} << "等級"
                                             << "12";
}

void tst_frmcalc::keyFilter() {
    QFETCH(int, box);
    QFETCH(QString, start);
    QFETCH(QList<int>, keys);
    QFETCH(QString, committed);
    QFETCH(QString, text);
    auto* f = openCalc();
    typeLevel(f, QStringLiteral("999")); // room for four-digit stats
    QLineEdit* target = box == 0 ? f->Lv : statBox(f, box);
    if (box == 0) {
        typeLevel(f, start);
    } else {
        typeStat(f, box, start.isEmpty() ? QString() : start);
        if (start.isEmpty())
            TestSupport::press(Qt::Key_Backspace);
    }
    QCOMPARE(target->text(), start);
    target->end(false);
    for (int key : keys)
        TestSupport::press(QKeyCombination::fromCombined(key));
    if (!committed.isEmpty())
        TestSupport::commit(committed);
    QCOMPARE(target->text(), text);
}

void tst_frmcalc::droppedTextStaysOut() {
    auto* f = openCalc();
    QMimeData dragged;
    dragged.setText(QStringLiteral("5"));
    const QPoint at = f->a1->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(f->a1, &enter);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(f->a1, &drop);
    QCOMPARE(f->a1->text(), QString());
}

void tst_frmcalc::levelChangeResetsStats_data() {
    QTest::addColumn<QString>("startLevel");
    QTest::addColumn<QStringList>("stats"); // "n=value": typed into box a<n>, in this order
    QTest::addColumn<QList<int>>("levelKeys");
    QTest::addColumn<QString>("level");
    QTest::addColumn<QString>("points");
    const QStringList some{"4=7", "5=5"};
    QTest::newRow("deleting the last digit leaves 1") << "1" << some << QList<int>{Qt::Key_Backspace} << "1"
                                                      << "30";
    QTest::newRow("typing 0 over the level leaves 1")
        << "1" << some << QList<int>{Qt::Key_Home, Qt::Key_0, Qt::Key_Delete} << "1"
        << "30";
    QTest::newRow("level 1 to 5") << "1" << some
                                  << QList<int>{(Qt::ControlModifier | Qt::Key_A).toCombined(), Qt::Key_5}
                                  << "5"
                                  << "46";
    // Zeroing the boxes one at a time used to recompute with 魔 still at 50 and take the overrun from
    // 體, the box last worked in, which ended at -16.
    QTest::newRow("level 25 to 2 with 魔 50 and 體 10 last")
        << "25" << QStringList{"5=50", "1=10"} << QList<int>{Qt::Key_Backspace} << "2"
        << "34";
}

void tst_frmcalc::levelChangeResetsStats() {
    QFETCH(QString, startLevel);
    QFETCH(QStringList, stats);
    QFETCH(QList<int>, levelKeys);
    QFETCH(QString, level);
    QFETCH(QString, points);
    auto* f = openCalc();
    typeLevel(f, startLevel);
    for (const QString& typed : stats)
        typeStat(f, typed.section(u'=', 0, 0).toInt(), typed.section(u'=', 1));
    QTest::mouseClick(f->Lv, Qt::LeftButton);
    f->Lv->end(false);
    for (int key : levelKeys)
        TestSupport::press(QKeyCombination::fromCombined(key));
    QCOMPARE(f->Lv->text(), level);
    QCOMPARE(shownValues(f),
             (QStringList{"0", "0", "0", "0", "0", points, "20", "20", "20", "20", "20", "100", "100"}));
    QCOMPARE(f->Label16->text(), QString());
}

void tst_frmcalc::focusSelection() {
    auto* f = openCalc();
    typeStat(f, 1, QStringLiteral("12"));
    typeStat(f, 2, QStringLiteral("3"));
    QCOMPARE(f->lastFocus(), qint16(2));

    // Clicking into a stat box selects all of it: the next digit replaces the value.
    QTest::mouseClick(f->a1, Qt::LeftButton);
    QCOMPARE(f->lastFocus(), qint16(1));
    QCOMPARE(f->a1->selectedText(), QStringLiteral("12"));
    QTest::keyClick(f->a1, Qt::Key_7);
    QCOMPARE(f->a1->text(), QStringLiteral("7"));

    // Tabbing does the same.
    QTest::keyClick(f->a1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), f->a2);
    QCOMPARE(f->lastFocus(), qint16(2));
    QCOMPARE(f->a2->selectedText(), QStringLiteral("3"));

    // The level box neither selects nor counts as a stat box, by click or by keyboard.
    QTest::mouseClick(f->Lv, Qt::LeftButton);
    QVERIFY(!f->Lv->hasSelectedText());
    QTest::keyClick(f->Lv, Qt::Key_Tab);
    QTest::keyClick(f->Pointi, Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), f->Lv);
    QVERIFY(!f->Lv->hasSelectedText());
    QCOMPARE(f->lastFocus(), qint16(2));
}

void tst_frmcalc::tabOrder() {
    openCalc();
    QStringList order;
    for (int i = 0; i < 15; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(order, (QStringList{"Lv", "Pointi", "a1", "a2", "a3", "a4", "a5", "t7", "t6", "t5", "t4", "t3",
                                 "t2", "t1", "Lv"}));
}

void tst_frmcalc::pastedFractionsEnd_data() {
    QTest::addColumn<QStringList>("pasted"); // into a1..a5 in turn; empty skips the box
    QTest::addColumn<int>("overrunBox");
    QTest::addColumn<QString>("overrunText"); // pasted last, over the whole text of that box
    QTest::addColumn<QString>("corrected");
    QTest::addColumn<QString>("points");
    // 99 + (30 - 99 - 10.3 - 0.333) = 19.367, cut to the box's four characters.
    QTest::newRow("long fraction cut by the length limit")
        << QStringList{"", "10.3333333", ".333"} << 1 << "99"
        << "19.3"
        << "0.0669999999999986";
    // 5 + (30 - 5 - 30.3) = -0.3 plus rounding, cut to "-0.3", which leaves exactly 0.
    QTest::newRow("correction below zero") << QStringList{"-.33", "30.3"} << 1 << "5"
                                           << "-0.3"
                                           << "0";
    // 0 + (30 - 30 - 0.333) = -0.333 does not fit in four characters: "-0.3" leaves -0.033, whose
    // correction writes "-0.3" again. The overrun stays shown instead of being corrected without end.
    QTest::newRow("correction that cannot fit the box") << QStringList{"-.5", "30", ".333"} << 1 << "0"
                                                        << "-0.3"
                                                        << "-0.0329999999999993";
    // 0.5 + (30 - 29.7 - 0.5) = 0.300000000000001 cut to "0.30"; 30 - 29.7 - 0.3 is noise of 0.
    QTest::newRow("rounding noise left over") << QStringList{"", "29.7"} << 3 << ".5"
                                              << "0.30"
                                              << "0";
}

void tst_frmcalc::pastedFractionsEnd() {
    QFETCH(QStringList, pasted);
    QFETCH(int, overrunBox);
    QFETCH(QString, overrunText);
    QFETCH(QString, corrected);
    QFETCH(QString, points);
    auto* f = openCalc();
    for (int n = 1; n <= pasted.size(); ++n) {
        if (!pasted[n - 1].isEmpty())
            paste(statBox(f, n), pasted[n - 1]);
    }
    QLineEdit* box = statBox(f, overrunBox);
    paste(box, overrunText);
    QCOMPARE(box->text(), corrected);
    QCOMPARE(f->Pointi->text(), points);
}

void tst_frmcalc::creditLine() {
    auto* f = openCalc();
    QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "openUrl");
    const QPalette::ColorRole role = QPalette::WindowText;
    QCOMPARE(f->Label15->palette().color(role), QColor(0, 0, 0));
    QCOMPARE(f->Label15->cursor().hotSpot(), QPoint(13, 9));
    QCOMPARE(f->Label15->cursor().pixmap().size(), QSize(32, 32));
    QVERIFY(f->Label15->text().contains(frmcalc::kCreditUrl));

    hover(f->Label15, f->Label15->rect().center());
    QCOMPARE(f->Label15->palette().color(role), QColor(255, 0, 0));
    hover(f, QPoint(f->width() - 2, 2)); // background right of the points box
    QCOMPARE(f->Label15->palette().color(role), QColor(0, 0, 0));
    hover(f->Label15, f->Label15->rect().center());
    hover(f->a3, f->a3->rect().center()); // a box keeps the mouse to itself
    QCOMPARE(f->Label15->palette().color(role), QColor(255, 0, 0));
    hover(f->Frame1, QPoint(f->Frame1->width() - 3, f->Frame1->height() / 2));
    QCOMPARE(f->Label15->palette().color(role), QColor(0, 0, 0));

    QTest::mouseClick(f->Label15, Qt::LeftButton);
    QCOMPARE(openedUrls, QList<QUrl>{QUrl(frmcalc::kCreditUrl)});
    QCOMPARE(QUrl(frmcalc::kCreditUrl).host(), QStringLiteral("qmquery.example.org"));
}

void tst_frmcalc::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("Lv") << "Lv" << QRect(240, 10, 495, 270) << 3 << false;
    QTest::newRow("Pointi") << "Pointi" << QRect(4080, 10, 615, 270) << 32767 << true;
    QTest::newRow("a1") << "a1" << QRect(240, 360, 615, 270) << 4 << false;
    QTest::newRow("a5") << "a5" << QRect(4080, 360, 615, 270) << 4 << false;
    QTest::newRow("t1 in the frame") << "t1" << QRect(360, 240, 615, 270) << 32767 << true;
    QTest::newRow("t7 in the frame") << "t7" << QRect(4200, 600, 615, 270) << 32767 << true;
}

void tst_frmcalc::layout() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(int, maxLength);
    QFETCH(bool, readOnly);
    auto* f = openCalc();
    auto* box = f->findChild<QLineEdit*>(name);
    QVERIFY(box);
    QCOMPARE(box->geometry(), QRect(Twips::px(twips.x()), Twips::px(twips.y()), Twips::px(twips.width()),
                                    Twips::px(twips.height())));
    QCOMPARE(box->maxLength(), maxLength);
    QCOMPARE(box->isReadOnly(), readOnly);
    QCOMPARE(f->Frame1->title(), QStringLiteral("能力"));
    QCOMPARE(f->windowTitle(), QStringLiteral("QM- 人物能力計算程式"));
    QVERIFY(!(f->windowFlags() & Qt::WindowMaximizeButtonHint));
}

void tst_frmcalc::reopenStartsAfresh() {
    auto* f = openCalc();
    typeStat(f, 3, QStringLiteral("20"));
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    f = openCalc();
    QCOMPARE(shownValues(f),
             (QStringList{"", "", "", "", "", "30", "20", "20", "20", "20", "20", "100", "100"}));
    QCOMPARE(f->lastFocus(), qint16(0));
}

QTEST_MAIN(tst_frmcalc)
#include "tst_frmcalc.moc"
