// The stat calculator (frmcalc) and the experience calculator (Form9), driven as a player would.
#include "forms/Form2.h"
#include "forms/Form9.h"
#include "forms/frmcalc.h"
#include "testsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

enum Window { Calc, Exp };

FormBase* openWindow(int window) {
    FormBase* f =
        window == Calc ? static_cast<FormBase*>(FormBase::open<frmcalc>()) : FormBase::open<Form9>();
    f->activateWindow();
    if (!QTest::qWaitForWindowActive(f))
        qWarning("window did not become active");
    return f;
}

// Plays steps, one a word, on the window's controls named in them. "Lv=25" clicks into the box, selects all
// and types 25 over it (nothing after "=" deletes it); "a1^.333" pastes over all instead; "a1+7" clicks
// and types, leaving any selection to the window; "a3:Left,2" presses the keys with the caret at the end;
// "a2@2點3" commits that text by an input method there; "a1~5" drops the text on the box; "Check1" alone
// clicks the control.
bool play(const QWidget* window, const QString& steps) {
    static const QRegularExpression step(u"^(\\w+)(?:([=^:@+~])(.*))?$"_s);
    for (const QString& word : steps.split(u' ', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m = step.match(word);
        auto* control = m.hasMatch() ? window->findChild<QWidget*>(m.captured(1)) : nullptr;
        if (!control)
            return false;
        const QString how = m.captured(2);
        const QString text = m.captured(3);
        if (how == u"~") {
            QMimeData dragged;
            dragged.setText(text);
            const QPoint at = control->rect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &dragged, Qt::LeftButton, {});
            QDropEvent drop(at, Qt::CopyAction, &dragged, Qt::LeftButton, {});
            QApplication::sendEvent(control, &enter);
            QApplication::sendEvent(control, &drop);
            continue;
        }
        QTest::mouseClick(control, Qt::LeftButton);
        if (how == u"+") {
            TestSupport::type(text);
        } else if (how == u"=" || how == u"^") {
            TestSupport::press(Qt::ControlModifier | Qt::Key_A);
            if (how == u"^") {
                QApplication::clipboard()->setText(text);
                TestSupport::press(Qt::ControlModifier | Qt::Key_V);
            } else if (text.isEmpty()) {
                TestSupport::press(Qt::Key_Backspace);
            } else {
                TestSupport::type(text);
            }
        } else if (how == u"@") {
            static_cast<QLineEdit*>(control)->end(false);
            TestSupport::commit(text);
        } else if (how == u":") {
            static_cast<QLineEdit*>(control)->end(false);
            for (const QString& key : text.split(u','))
                TestSupport::press(QKeySequence::fromString(key)[0]);
        }
    }
    return true;
}

// The texts of the named boxes and labels in one line; "_" is an empty one. "focus" names the control
// that has the focus.
QString texts(const QWidget* window, const QStringList& names) {
    QStringList shown;
    for (const QString& name : names) {
        const QWidget* w = name == u"focus" ? QApplication::focusWidget() : window->findChild<QWidget*>(name);
        const QString text = !w                 ? u"<no %1>"_s.arg(name)
                             : name == u"focus" ? w->objectName()
                                                : w->property("text").toString();
        shown << (text.isEmpty() ? u"_"_s : text);
    }
    return shown.join(u' ');
}

} // namespace

class tst_Calculators : public QObject {
    Q_OBJECT
public slots:
    void openUrl(const QUrl& url) { openedUrls << url; }

private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() {
        QDesktopServices::unsetUrlHandler(u"https"_s);
        openedUrls.clear();
        TestSupport::unloadAllForms();
    }

    void stats_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("boxes"); // Lv a1..a5 Pointi HP MP 攻 防 敏 精 回, as far as given
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("lookupOpens");
        const auto row = [](const char* name, const QString& steps, const QString& boxes,
                            const QString& message = {}, bool lookup = false) {
            QTest::newRow(name) << steps << boxes << message << lookup;
        };
        const auto over = [](const char16_t* stat) { return u"不是合法的點數分配～（%1）"_s.arg(stat); };
        row("opening", "", "1 _ _ _ _ _ 30 20 20 20 20 20 100 100");
        row("體 3: tenths without residue", "a1=3", "1 3 _ _ _ _ 27 44 23 20.3 20.3 20.6 99.1 102.4");
        row("體 15 力 15: exactly half passes", "a1=15 a2=15",
            "1 15 15 _ _ _ 0 170 65 51.5 24.5 26 94 110.5");
        row("體 16 is over half", "a1=16", "1 16 _ _ _ _ 14 148 36 21.6 21.6 23.2 95.2 112.8", over(u"體"));
        row("35 into 體 is taken back to 30", "a1=35", "1 30 _ _ _ _ 0 260 50 23 23 26 91 124", over(u"體"));
        row("overrun in 力 after 體", "a1=10 a2=25", "1 10 20 _ _ _ 0 140 70 61 25 26 95 106", over(u"力"));
        row("level 10, 11 to 15", "Lv=10 a1=11 a2=12 a3=13 a4=14 a5=15",
            "10 11 12 13 14 15 1 228 259 52 53.8 56.7 108.7 104.6");
        row("level 77, 力 1 魔 333: 回 is exactly 0", "Lv=77 a2=1 a5=333",
            "77 0 1 0 0 333 0 355 3352 55.3 53.5 53.5 366.3 0", over(u"魔"));
        row("level 100 passes", "Lv=100", "100 0 0 0 0 0 426");
        row("level 101, 體 215 力 215", "Lv=101 a1=215 a2=215",
            "101 215 215 0 0 0 0 2170 665 471.5 84.5 106 14 250.5", u"等級有那麼高嗎～？"_s);
        row("level 101, 體 216: the stat warning wins", "Lv=101 a1=216",
            "101 216 0 0 0 0 214 1748 236 41.6 41.6 63.2 35.2 272.8", over(u"體"));
        // Two stats over half at once take a pasted negative; the later check is shown.
        row("速 checked after 體", "a3^-20 a1=16 a4=16", "1 16 _ -20 16 _ 18", over(u"速"));
        row("力 checked after 速", "a3^-20 a4=16 a2=16", "1 _ 16 -20 16 _ 18", over(u"力"));
        row("強 checked after 力", "a1^-20 a2=16 a3=16", "1 -20 16 16 _ _ 18", over(u"強"));
        row("魔 checked last", "a1^-50 a2=16 a3=16 a4=16 a5=16", "1 -50 16 16 16 16 16", over(u"魔"));
        row("level 2, 3 to 7 opens the lookup", "Lv=2 a1=3 a2=4 a3=5 a4=6 a5=7", "2 3 4 5 6 7 9 92 123", {},
            true);
        row("03 in 體 does not", "Lv=2 a1=03 a2=4 a3=5 a4=6 a5=7", "2 03 4 5 6 7 9 92 123");
        // A level change zeroes the stats, and an empty level is 1.
        row("deleting the last digit of the level", "a4=7 a5=5 Lv:Backspace",
            "1 0 0 0 0 0 30 20 20 20 20 20 100 100");
        // Zeroing the boxes one at a time used to recompute with 魔 still at 50 and take the overrun from
        // 體, the box last worked in, which ended at -16.
        row("level 25 to 2 with 魔 50 and 體 10 last", "Lv=25 a5=50 a1=10 Lv:Backspace", "2 0 0 0 0 0 34");
        // Pasted fractions: 99 + (30 - 99 - 10.3 - 0.333) = 19.367, cut to the box's four characters.
        row("long fraction cut by the length limit", "a2^10.3333333 a3^.333 a1^99",
            "1 19.3 10.3 .333 _ _ 0.0669999999999986", over(u"體"));
        // 5 + (30 - 5 - 30.3) = -0.3 plus rounding, cut to "-0.3", which leaves exactly 0.
        row("correction below zero", "a1^-.33 a2^30.3 a1^5", "1 -0.3 30.3 _ _ _ 0", over(u"力"));
        // 0 + (30 - 30 - 0.333) = -0.333 does not fit in four characters: "-0.3" leaves -0.033, whose
        // correction writes "-0.3" again. The overrun stays shown instead of being corrected without end.
        row("correction that cannot fit the box", "a1^-.5 a2^30 a3^.333 a1^0",
            "1 -0.3 30 .333 _ _ -0.0329999999999993", over(u"力"));
        // 0.5 + (30 - 29.7 - 0.5) = 0.300000000000001 cut to "0.30"; 30 - 29.7 - 0.3 is noise of 0.
        row("rounding noise left over", "a2^29.7 a3^.5", "1 _ 29.7 0.30 _ _ 0", over(u"力"));
    }

    void stats() {
        QFETCH(QString, steps);
        QFETCH(QString, boxes);
        QFETCH(QString, message);
        QFETCH(bool, lookupOpens);
        auto* f = openWindow(Calc);
        QVERIFY(play(f, steps));
        const QStringList names{"Lv", "a1", "a2", "a3", "a4", "a5", "Pointi",
                                "t1", "t2", "t3", "t4", "t5", "t6", "t7"};
        QCOMPARE(texts(f, names.first(boxes.count(u' ') + 1)), boxes);
        QCOMPARE(static_cast<frmcalc*>(f)->Label16->text(), message);
        const Form2* lookup = FormBase::existing<Form2>();
        QCOMPARE(lookup && lookup->isVisible(), lookupOpens);
    }

    void experience_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("boxes");  // Text1 Text2 Text3, and Label4 with the highest used
        QTest::addColumn<QString>("result"); // the result line's current level, level used and gain
        QTest::addColumn<QString>("gains");  // on the level lines, from level 1 up
        QTest::addColumn<bool>("header");
        const auto row = [](const char* name, const QString& steps, const QString& boxes,
                            const QString& result, const QString& gains, bool header = true) {
            QTest::newRow(name) << steps << boxes << result << gains << header;
        };
        row("opening", "", "_ _ _ _", "", "", false);
        row("9, 3, 30", "Text1=3 Text2=9 Text3=30 Command1", "3 9 30 30", "9 3 10",
            "3 6 10 13 16 20 23 26 30");
        row("clocked in doubles", "Text1=3 Text2=9 Text3=30 Check1", "3 9 30 60", "9 3 20",
            "6 13 20 26 33 40 46 53 60");
        row("highest 2: below half gives 0", "Text1=1 Text2=9 Text3=2 Command1", "1 9 2 2", "9 1 0",
            "0 0 1 1 1 1 1 1 2");
        row("no highest: no gain", "Text1=2 Text2=4 Command1", "2 4 _ _", "4 2 0", "0 0 0 0");
        row("crafting 120 at level 5", "Text1=5 Text2=5 Text3=120 Command1", "5 5 120 120", "5 5 120",
            "24 48 72 96 120");
        row("half at level 2 gives 1", "Text1=1 Text2=2 Text3=1 Command1", "1 2 1 1", "2 1 1", "1 1");
        row("lowering the current level", "Text1=3 Text2=9 Text3=30 Text2=3", "3 3 30 30", "3 3 30",
            "10 20 30");
        row("ticked and unticked: the plain highest", "Text1=3 Text2=3 Text3=30 Check1 Check1", "3 3 30 30",
            "3 3 30", "10 20 30");
        row("used above current keeps the result", "Text2=3 Text3=30 Text1=2 Text1=5", "5 3 30 30", "3 2 20",
            "");
        row("zero over zero", "Text3=30 Command1", "_ _ 30 30", "0 0 0", "");
        row("emptied Text2: both levels 0", "Text2=4 Text2=", "_ 0 _ _", "0 0 0", "");
        row("the question mark shows the skill table", "Command2", "_ _ _ _", "", "", false);
    }

    void experience() {
        QFETCH(QString, steps);
        QFETCH(QString, boxes);
        QFETCH(QString, result);
        QFETCH(QString, gains);
        QFETCH(bool, header);
        auto* f = static_cast<Form9*>(openWindow(Exp));
        TestSupport::MessageRecorder messages;
        QVERIFY(play(f, steps));
        // The highest of the crafting example stands in for the whole table.
        QCOMPARE(messages.texts().join(u'|').contains(u"製作:120"_s), steps == u"Command2");
        QCOMPARE(texts(f, {"Text1", "Text2", "Text3", "Label4"}), boxes);
        const auto line = [](const QStringList& n) {
            return n.size() < 3 ? QString() : u"當你LV%1使用LV%2時,技能EXP會增加%3點"_s.arg(n[0], n[1], n[2]);
        };
        QCOMPARE(f->Label5[0]->text(), line(result.split(u' ', Qt::SkipEmptyParts)));
        const QStringList g = gains.split(u' ', Qt::SkipEmptyParts);
        for (int i = 1; i <= 9; ++i) {
            const QStringList n{f->Text2->text(), QString::number(i), g.value(i - 1)};
            QCOMPARE(f->Label5[i + 1]->text(), i <= g.size() ? line(n) : QString());
        }
        QCOMPARE(f->Label5[1]->isVisible(), header);
    }

    void typing_data() {
        QTest::addColumn<int>("window");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, Window w, const QString& steps, const QString& box,
                            const QString& text) { QTest::newRow(name) << int(w) << steps << box << text; };
        const QString junk = u"A,-,.,Space,!,Return,Enter,Alt+A,Alt+-,Alt+.,Meta+A,Ctrl+Alt+E"_s;
        row("Lv refuses letters, signs, blanks, Enter, also with Alt, Meta or AltGr", Calc,
            "Lv=12 Lv:" + junk, "Lv", "12");
        row("a3 refuses the same", Calc, "Lv=999 a3=12 a3:" + junk, "a3", "12");
        row("Text2 refuses the same", Exp, "Text2=4 Text2:" + junk, "Text2", "4");
        row("Lv takes 3 digits", Calc, "Lv=1234", "Lv", "123");
        row("a1 takes 4 digits", Calc, "Lv=999 a1=12345", "a1", "1234");
        row("Text1 takes 1 digit", Exp, "Text1=45", "Text1", "4");
        row("Text3 takes 3 digits", Exp, "Text3=1234", "Text3", "123");
        row("arrows, Home, End, Delete, Backspace edit", Calc,
            "Lv=999 a4=13 a4:Left,2,End,4,Home,Del,End,Backspace", "a4", "23");
        row("input method: only the digits of a commit", Calc, "Lv=999 a2=1 a2@2點3", "a2", "123");
        row("input method: full-width digits", Calc, "Lv=5 Lv@９９", "Lv", "599");
        row("input method: no digits", Calc, "Lv=12 Lv@等級", "Lv", "12");
        row("Text3 input method: digits, full-width ones too", Exp, "Text3=1 Text3@2元３", "Text3", "123");
        row("Text2 input method: letters only", Exp, "Text2=4 Text2@abc", "Text2", "4");
        row("a dropped text stays out", Calc, "a1~5", "a1", "_");
        row("a dropped text stays out of Text3", Exp, "Text3~5", "Text3", "_");
        row("0 in Text1 becomes 1", Exp, "Text1=0", "Text1", "1");
        row("emptied Text1 shows 1", Exp, "Text1=4 Text1=", "Text1", "1");
        row("the points take no typing", Calc, "Pointi:5", "Pointi", "30");
        row("the abilities take no typing", Calc, "t5:5", "t5", "20");
        row("a click into a stat box selects it", Calc, "a1+12 a2+3 a1+7", "a1", "7");
        // Tab follows the layout rather than the order the controls were made in.
        row("Tab: the abilities right to left", Calc, "a5:Tab,Tab", "focus", "t6");
        row("Tab: Check1 before the buttons, ? last", Exp, "Text3:Tab,Tab,Tab", "focus", "Command2");
        row("Tab back to Lv keeps the level unselected", Calc, "t1:Tab,5", "Lv", "15");
    }

    void typing() {
        QFETCH(int, window);
        QFETCH(QString, steps);
        QFETCH(QString, box);
        QFETCH(QString, text);
        const FormBase* f = openWindow(window);
        QVERIFY(play(f, steps));
        QCOMPARE(texts(f, {box}), text);
    }

    void iconAndCreditLine() {
        auto* f = static_cast<frmcalc*>(openWindow(Calc));
        QVERIFY(!f->windowIcon().isNull() &&
                f->windowIcon().cacheKey() != QApplication::windowIcon().cacheKey());
        QVERIFY(!f->Label15->cursor().pixmap().isNull());
        QDesktopServices::setUrlHandler(u"https"_s, this, "openUrl");
        // Red under the mouse; black again over the background or the frame, not over a box.
        QStringList colours{f->Label15->palette().color(QPalette::WindowText).name()};
        const auto hover = [&](QWidget* w, QPoint pos) {
            QMouseEvent move(QEvent::MouseMove, pos, w->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, {});
            QApplication::sendEvent(w, &move);
            colours << f->Label15->palette().color(QPalette::WindowText).name();
        };
        hover(f->Label15, f->Label15->rect().center());
        hover(f, QPoint(f->width() - 2, 2)); // right of the points box
        hover(f->Label15, f->Label15->rect().center());
        hover(f->a3, f->a3->rect().center());
        hover(f->Frame1, QPoint(f->Frame1->width() - 3, f->Frame1->height() / 2));
        QCOMPARE(colours.join(u' '), u"#000000 #ff0000 #000000 #ff0000 #ff0000 #000000"_s);
        QVERIFY(f->Label15->text().endsWith(u"https://qmquery.example.org/"_s));
        QTest::mouseClick(f->Label15, Qt::LeftButton);
        QCOMPARE(openedUrls, QList<QUrl>{QUrl(u"https://qmquery.example.org/"_s)});
    }

private:
    QList<QUrl> openedUrls;
};

QTEST_MAIN(tst_Calculators)
#include "tst_calculators.moc"
