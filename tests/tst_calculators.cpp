// The stat calculator (frmcalc) and the experience calculator (Form9), driven as a player would.
#include "forms/Form2.h"
#include "forms/Form9.h"
#include "forms/frmcalc.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

template <class Window> Window* openWindow() {
    auto* f = FormBase::open<Window>();
    f->activateWindow();
    return QTest::qWaitForWindowActive(f) ? f : nullptr;
}

// Plays steps on the named controls, each clicked first: "Lv=25" types over all ("Lv=" deletes), "a1^.333"
// pastes over all, "a1%.333" too through the context menu, "a3:Left,2" presses keys, "a2@2點3" commits by
// input method, "a1~5" drops, unclicked.
bool play(const QWidget* window, const QString& steps) {
    static const QRegularExpression step(u"^(\\w+)(?:([=^%:@~])(.*))?$"_s);
    for (const QString& word : steps.split(u' ', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = step.match(word);
        auto* control = window && m.hasMatch() ? window->findChild<QWidget*>(m.captured(1)) : nullptr;
        if (!control)
            return false;
        const QString how = m.captured(2), text = m.captured(3);
        if (how == u"~") {
            QMimeData dragged;
            dragged.setText(text);
            QDropEvent drop(control->rect().center(), Qt::CopyAction, &dragged, Qt::LeftButton, {});
            QApplication::sendEvent(control, &drop);
            continue;
        }
        QTest::mouseClick(control, Qt::LeftButton);
        if (how == u"=" || how == u"^" || how == u"%")
            TestSupport::press(Qt::ControlModifier | Qt::Key_A);
        if (how == u"^" || how == u"%")
            QApplication::clipboard()->setText(text);
        if (how == u"^")
            TestSupport::press(Qt::ControlModifier | Qt::Key_V);
        else if (how == u"%" && !TestSupport::chooseFromContextMenu(control, u"Paste"_s))
            return false;
        else if (how == u"=")
            text.isEmpty() ? TestSupport::press(Qt::Key_Backspace) : TestSupport::type(text);
        else if (how == u"@")
            TestSupport::commit(text);
        for (const QString& key : how == u":" ? text.split(u',') : QStringList())
            TestSupport::press(QKeySequence::fromString(key)[0]);
    }
    return true;
}

// The named controls' texts in order as far as `expected` goes ("_" for empty), or one as "name: text".
QString shown(const QWidget* window, const QString& names, const QString& expected) {
    const bool one = expected.contains(u": "_s);
    const QStringList listed = one ? QStringList{expected.section(u": "_s, 0, 0)}
                                   : names.split(u' ').mid(0, expected.count(u' ') + 1);
    QStringList texts;
    for (const QString& name : listed) {
        const QWidget* w = window->findChild<QWidget*>(name);
        const QString text = w ? w->property("text").toString() : u"<no %1>"_s.arg(name);
        texts << (text.isEmpty() ? u"_"_s : text);
    }
    return (one ? listed[0] + u": "_s : QString()) + texts.join(u' ');
}

} // namespace

class tst_Calculators : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void stats_data() {
        QTest::addColumn<QString>("steps");
        // Lv a1..a5 Pointi HP MP 攻 防 敏 精 回, as far as given; or one control as "name: text".
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("message"); // one character: the stat whose warning shows
        QTest::addColumn<bool>("lookupOpens");
        const auto row = [](const char* name, const QString& steps, const QString& boxes,
                            QString message = {}, bool lookup = false) {
            if (message.size() == 1)
                message = u"不是合法的點數分配～（%1）"_s.arg(message);
            QTest::newRow(name) << steps << boxes << message << lookup;
        };
        row("exactly half passes", "a1=15 a2=15", "1 15 15 _ _ _ 0");
        row("體 16 is over half", "a1=16", "1 16 _ _ _ _ 14", u"體"_s);
        row("overrun in 力 after 體", "a1=10 a2=25", "1 10 20 _ _ _ 0", u"力"_s);
        row("level 10", "Lv=10 a1=11 a2=12 a3=13 a4=14 a5=15",
            "10 11 12 13 14 15 1 228 259 52 53.8 56.7 108.7 104.6");
        row("level 77: 回 is exactly 0", "Lv=77 a2=1 a5=333",
            "77 0 1 0 0 333 0 355 3352 55.3 53.5 53.5 366.3 0", u"魔"_s);
        row("level 100 passes", "Lv=100", "100 0 0 0 0 0 426");
        row("level 101", "Lv=101 a1=215 a2=215", "101 215 215 0 0 0 0", u"等級有那麼高嗎～？"_s);
        row("level 101: the stat warning wins", "Lv=101 a1=216", "101 216 0 0 0 0 214 1748 236", u"體"_s);
        row("level 2, 3 to 7 opens the lookup", "Lv=2 a1=3 a2=4 a3=5 a4=6 a5=7", "2 3 4 5 6 7 9", {}, true);
        row("deleting the level: stats zeroed, level 1", "a4=7 a5=5 Lv:Backspace", "1 0 0 0 0 0 30");
        // Zeroing the boxes one at a time used to take 魔's old 50 from 體, the box last worked in: -16.
        row("level 25 to 2 with 魔 50 and 體 10 last", "Lv=25 a5=50 a1=10 Lv:Backspace", "2 0 0 0 0 0 34");
        // Paste keeps what typing keeps: 106 - (5 + 25 + 10 + 12) = 54.
        row("pasted sign, point and letters dropped, full-width digits made plain",
            "Lv=20 a1^-5 a2^2.5 a3^１０ a4^1.2abc", "20 5 25 10 12 0 54");
        row("paste from the context menu is filtered too", "a1%-1.5x", "1 15 _ _ _ _ 15");
        row("pasting no digit leaves the selection", "a1=12 a1^abc", "a1: 12");
        const QString junk = u"A,-,.,Space,!,Return,Enter,Alt+A,Alt+-,Alt+.,Meta+A,Ctrl+Alt+E"_s;
        row("Lv refuses letters, signs, blanks, Enter, Alt, Meta, AltGr", "Lv=12 Lv:" + junk, "Lv: 12");
        row("editing keys", "Lv=999 a4=13 a4:End,Left,2,End,4,Home,Del,End,Backspace", "a4: 23");
        row("input method: only digits, full-width ones made plain", "Lv=999 a2@2點３", "a2: 23");
        row("a dropped text stays out", "a1~5", "a1: _");
        row("a click into a stat box selects it", "a1=12 a2=3 a1:7", "a1: 7");
        row("Tab back to Lv keeps the level unselected", "t1:Tab,5", "Lv: 15");
    }

    void stats() {
        QFETCH(QString, steps);
        QFETCH(QString, boxes);
        QFETCH(QString, message);
        QFETCH(bool, lookupOpens);
        auto* f = openWindow<frmcalc>();
        QVERIFY(play(f, steps));
        QCOMPARE(shown(f, u"Lv a1 a2 a3 a4 a5 Pointi t1 t2 t3 t4 t5 t6 t7"_s, boxes), boxes);
        if (boxes.contains(u": "_s))
            return;
        QCOMPARE(f->Label16->text(), message);
        const Form2* lookup = FormBase::existing<Form2>();
        QCOMPARE(lookup && lookup->isVisible(), lookupOpens);
    }

    void experience_data() {
        QTest::addColumn<QString>("steps");
        // Text1 Text2 Text3, and Label4 with the highest used.
        QTest::addColumn<QString>("boxes");
        // The result line's current level, level used and gain; after ":" the level lines' gains from 1 up.
        QTest::addColumn<QString>("lines");
        const auto row = [](const char* name, const QString& steps, const QString& boxes,
                            const QString& lines = {}) { QTest::newRow(name) << steps << boxes << lines; };
        row("9, 3, 30", "Text1=3 Text2=9 Text3=30 Command1", "3 9 30 30", "9 3 10: 3 6 10 13 16 20 23 26 30");
        row("clocked in", "Text1=3 Text2=9 Text3=30 Check1", "3 9 30 60",
            "9 3 20: 6 13 20 26 33 40 46 53 60");
        row("highest 2: below half is 0", "Text1=1 Text2=9 Text3=2", "1 9 2 2", "9 1 0: 0 0 1 1 1 1 1 1 2");
        row("half at level 2 gives 1", "Text1=1 Text2=2 Text3=1", "1 2 1 1", "2 1 1: 1 1");
        row("current level lowered", "Text1=3 Text2=9 Text3=30 Text2=3", "3 3 30 30", "3 3 30: 10 20 30");
        row("used above current: no change", "Text2=3 Text3=30 Text1=2 Text1=5", "5 3 30 30", "3 2 20:");
        row("zero over zero", "Text3=30 Command1", "_ _ 30 30", "0 0 0:");
        row("emptied Text2: both levels 0", "Text2=4 Text2=", "_ 0 _ _", "0 0 0:");
        row("Text3 input method: full-width digits too", "Text3=1 Text3@2元３", "_ _ 123 123", "0 0 0:");
        row("0 in Text1 becomes 1", "Text1=0", "1 _ _ _");
        row("pasted into Text3: digits only", "Text3^1.5e2", "_ _ 152 152", "0 0 0:");
    }

    void experience() {
        QFETCH(QString, steps);
        QFETCH(QString, boxes);
        QFETCH(QString, lines);
        auto* f = openWindow<Form9>();
        QVERIFY(play(f, steps));
        QCOMPARE(shown(f, u"Text1 Text2 Text3 Label4"_s, boxes), boxes);
        const auto line = [](const QStringList& n) {
            return n.size() < 3 ? QString() : u"當你LV%1使用LV%2時,技能EXP會增加%3點"_s.arg(n[0], n[1], n[2]);
        };
        QCOMPARE(f->Label5[0]->text(), line(lines.section(u':', 0, 0).split(u' ', Qt::SkipEmptyParts)));
        const QStringList gains = lines.section(u':', 1).split(u' ', Qt::SkipEmptyParts);
        for (int i = 1; i <= 9; ++i) {
            const QStringList n{f->Text2->text(), QString::number(i), gains.value(i - 1)};
            QCOMPARE(f->Label5[i + 1]->text(), i <= gains.size() ? line(n) : QString());
        }
        QCOMPARE(f->Label5[1]->isVisible(), !lines.isEmpty()); // the header comes with the result
    }
};

QTEST_MAIN(tst_Calculators)
#include "tst_calculators.moc"
