#include "forms/Form1.h"
#include "forms/Form2.h"
#include "forms/Form5.h"
#include "forms/Form6.h"
#include "modules/Module1.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOption>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// Opens a window as the player does, with its menu button (0: the menu itself); the window it opened.
FormBase* openFromMenu(int button) {
    auto* menu = FormBase::open<Form1>();
    if (button == 0)
        return menu;
    if (button > 10) // on the second page, as the player finds it
        menu->Command[10]->click();
    if (!menu->Command[button]->isVisible())
        return nullptr;
    menu->Command[button]->click();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<FormBase*>(w); form && form != menu && form->isVisible())
            return form;
    }
    return nullptr;
}

// Where a control's caption is drawn, in its own coordinates: a push button's whole face, the text of an
// option, check box or label. Nothing for a control without a caption.
QRect captionRect(QWidget* w) {
    const QFontMetrics fm = w->fontMetrics();
    if (auto* button = qobject_cast<QPushButton*>(w))
        return button->text().isEmpty() ? QRect() : button->rect();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->text().isEmpty())
            return {};
        QStyleOptionButton option;
        option.initFrom(button);
        const bool radio = qobject_cast<QRadioButton*>(button);
        const QRect contents = button->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, button);
        return fm.boundingRect(contents, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic,
                               button->text());
    }
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
            return {};
        const int wrap = label->wordWrap() ? Qt::TextWordWrap : 0;
        return fm.boundingRect(label->contentsRect(), int(label->alignment()) | wrap, label->text());
    }
    return {};
}

// What cuts a caption: the control's own edge, its parent's, or a control stacked above part of it. A
// caption that touches a control beside it reads as running into it, so texts keep some pixels clear.
QString captionProblem(QWidget* w) {
    const QRect caption = captionRect(w);
    if (caption.isEmpty())
        return {};
    const auto* button = qobject_cast<QPushButton*>(w);
    const QRect inParent = caption.translated(w->pos());
    if (!w->rect().contains(caption) || !w->parentWidget()->rect().contains(inParent))
        return QStringLiteral("cut off at its edge (caption %1×%2 at %3,%4 in %5×%6)")
            .arg(caption.width())
            .arg(caption.height())
            .arg(caption.x())
            .arg(caption.y())
            .arg(w->width())
            .arg(w->height());
    // An option's caption keeps most of the gap the design leaves before the next option (7 pixels).
    const int gap = qobject_cast<QAbstractButton*>(w) ? 5 : 1;
    const QRect clear = button ? inParent : inParent.adjusted(-gap, -1, gap, 1);
    const QObjectList siblings = w->parentWidget()->children();
    for (qsizetype i = siblings.indexOf(w) + 1; i < siblings.size(); ++i) {
        auto* above = qobject_cast<QWidget*>(siblings[i]);
        // Buttons of one row may share an edge, as the design draws them.
        if (!above || above->isWindow() || !above->isVisible() ||
            (button && qobject_cast<QPushButton*>(above)))
            continue;
        // Wholly under another control is hidden, as the viewer's empty-folder label is under its list.
        if (above->geometry().intersects(clear) && !above->geometry().contains(inParent))
            return QStringLiteral("covered by ") + above->objectName();
    }
    return {};
}

} // namespace

// The box around every pixel of the widget's picture unlike its top-left corner.
static QRect inkIn(QWidget* w, int rows) {
    const QImage image = w->grab().toImage();
    QRect ink;
    for (int y = 0; y < qMin(rows, image.height()); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != image.pixel(0, 0))
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// The main menu, and what every window shares: keyboard order, screen-reader names, captions, messages.
class tst_EveryWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        TestSupport::initApplication();
        // Every data file the windows load at opening is there, so no message box stands in the way.
        folder_ = std::make_unique<TestSupport::ProgramFolder>();
        folder_->writeCp950(QStringLiteral("合成表.txt"), QStringLiteral("甲\r\n乙\r\n"));
        folder_->writeCp950(QStringLiteral("料理藥品.txt"), QStringLiteral("丙\r\n"));
        // Titles as long as an option holds, so captions show whole on their buttons.
        folder_->writeCp950(QStringLiteral("心得文章/打工賺錢技巧.txt"), QStringLiteral("文\r\n"));
        folder_->writeCp950(QStringLiteral("心得文章/冒險日誌全集.txt"), QStringLiteral("文\r\n"));
        folder_->writeCp950(QStringLiteral("國民任務.txt"), QStringLiteral("AB,任務\r\n"));
        // A picture, so the viewer shows its file list rather than its empty-folder label.
        QBuffer picture;
        QImage(4, 4, QImage::Format_RGB32).save(&picture, "BMP");
        folder_->write(QStringLiteral("a.bmp"), picture.data());
    }

    void cleanup() { TestSupport::unloadAllForms(); }
    void cleanupTestCase() { folder_.reset(); }

    void tabCyclesThroughEveryControl_data() { windows_data(); }

    // Every menu button opens its window, where Tab goes round every control and Shift+Tab back.
    void tabCyclesThroughEveryControl() {
        QFETCH(int, button);
        FormBase* form = openFromMenu(button);
        QVERIFY(form);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::qWait(20); // windows that choose their first item do so once shown
        QWidget* first = QApplication::focusWidget();
        QVERIFY(first && first->window() == form);
        QHash<TextBox*, QString> before;
        for (TextBox* box : form->findChildren<TextBox*>())
            before[box] = box->text();

        QList<QWidget*> forward{first};
        for (int i = 0; i < 80; ++i) {
            TestSupport::press(Qt::Key_Tab);
            if (QApplication::focusWidget() == first)
                break;
            QVERIFY2(
                !forward.contains(QApplication::focusWidget()),
                qPrintable(QStringLiteral("Tab is stuck at ") + QApplication::focusWidget()->objectName()));
            forward.append(QApplication::focusWidget());
        }
        QCOMPARE(QApplication::focusWidget(), first);
        QList<QWidget*> backward{first};
        for (qsizetype i = 1; i < forward.size(); ++i) {
            TestSupport::press(Qt::ShiftModifier | Qt::Key_Backtab);
            backward.prepend(QApplication::focusWidget());
        }
        backward.removeLast();
        backward.prepend(first);
        QCOMPARE(backward, forward);

        // Every text box is on the way, and none took a tab character.
        for (TextBox* box : form->findChildren<TextBox*>()) {
            if (box->isVisibleTo(form) && box->isEnabled())
                QVERIFY2(forward.contains(box), qPrintable(box->objectName()));
            QCOMPARE(box->text(), before[box]);
        }
        // No push button covering another (design edges may share a pixel or two).
        const auto buttons = form->findChildren<QPushButton*>();
        for (const QPushButton* a : buttons)
            for (const QPushButton* b : buttons) {
                const QRect both = a->geometry() & b->geometry();
                QVERIFY2(a == b || a->parent() != b->parent() || !a->isVisible() || !b->isVisible() ||
                             both.width() <= 2 || both.height() <= 2,
                         qPrintable(a->objectName() + QStringLiteral(" covers ") + b->objectName()));
            }
        // Every caption shows whole: not cut by its own edge or its window's, nor by a control over it.
        if (auto* quests = qobject_cast<Form5*>(form))
            quests->Command1[0]->click(); // its quest has pictures: the button for them shows
        for (QWidget* w : form->findChildren<QWidget*>()) {
            const QString problem = w->isVisible() ? captionProblem(w) : QString();
            QVERIFY2(problem.isEmpty(), qPrintable(w->objectName() + u' ' + w->property("text").toString() +
                                                   QStringLiteral(": ") + problem));
        }
        // Captions wrapped for looks (the menu's tall page buttons) still read as one line.
        for (QWidget* w : form->findChildren<QWidget*>()) {
            QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            if (!a || a->role() == QAccessible::EditableText)
                continue;
            const QString name = a->text(QAccessible::Name);
            QVERIFY2(!name.contains(u'\n'), qPrintable(w->objectName() + QStringLiteral(": ") + name));
        }
    }

    void enterPressesTheFocusedButton_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("key");
        // Windows of plain push buttons all behave as the menu; the rest filter keys of their own.
        for (const auto& [name, button] :
             {std::pair{"menu", 0}, {"quests", 4}, {"experience", 13}, {"articles", 14}, {"viewer", 20}}) {
            QTest::addRow("%s, Enter", name) << button << int(Qt::Key_Return);
            QTest::addRow("%s, keypad Enter", name) << button << int(Qt::Key_Enter);
        }
    }

    // Enter and keypad Enter press the push button Tab brought the focus to, as Space does.
    void enterPressesTheFocusedButton() {
        QFETCH(int, button);
        QFETCH(int, key);
        TestSupport::MessageRecorder messages; // buttons that ask or warn get their answer here
        FormBase* form = openFromMenu(button);
        QVERIFY(form);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QWidget* first = QApplication::focusWidget();
        for (int i = 0; i < 80 && !qobject_cast<QPushButton*>(QApplication::focusWidget()); ++i)
            TestSupport::press(Qt::Key_Tab);
        QPointer<QPushButton> focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
        QVERIFY2(focused, qPrintable(first ? first->objectName() : QStringLiteral("no focus")));
        int clicks = 0;
        connect(focused, &QPushButton::clicked, this, [&clicks] { ++clicks; });
        const Qt::KeyboardModifiers keypad = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        TestSupport::press(QKeyCombination(keypad, Qt::Key(key)));
        QCOMPARE(clicks, 1);
    }

    void frameCaptionsSitInsideTheBorder() {
        auto* menu = FormBase::open<Form1>();
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        // The caption's first stroke stands clear of the frame's left edge, where the window's edge is.
        const QRect ink = inkIn(menu->Frame1, menu->Frame1->fontMetrics().height() / 2);
        QVERIFY2(ink.left() >= 4, qPrintable(QStringLiteral("caption ink from x = %1").arg(ink.left())));
    }

    void messageShowsUnderscores() {
        // The last line of a message keeps room below it: a Ming face draws "_" under its stated descent.
        const auto box = Module1::makeMessageBox(QStringLiteral("刪除檔案:\"qm020315_031.bmp\"?"),
                                                 Module1::MsgButtons::YesNo, Module1::MsgIcon::Question);
        box->show();
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label);
        const QRect ink = inkIn(label, label->height());
        QVERIFY2(
            ink.isValid() && ink.bottom() + 2 < label->height(),
            qPrintable(QStringLiteral("ink down to row %1 of %2").arg(ink.bottom()).arg(label->height())));
    }

    void pages() {
        auto* menu = FormBase::open<Form1>();
        QVERIFY(menu->Frame1->isVisible() && !menu->Frame2->isVisible());
        QTest::mouseClick(menu->Command[10], Qt::LeftButton);
        QVERIFY(!menu->Frame1->isVisible() && menu->Frame2->isVisible());
        const auto windows = QApplication::topLevelWidgets().size();
        for (int n = 15; n <= 19; ++n)
            QTest::mouseClick(menu->Command[n], Qt::LeftButton);
        QVERIFY(!menu->Command[8]->isEnabled() && !menu->Command[9]->isEnabled());
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
        QTest::mouseClick(menu->Command[11], Qt::LeftButton);
        QVERIFY(menu->Frame1->isVisible() && !menu->Frame2->isVisible());
    }

    void openWindowsAreReusedAndClosedOnesLoadAgain() {
        auto* menu = FormBase::open<Form1>();
        QTest::mouseClick(menu->Command[1], Qt::LeftButton);
        auto* lookup = FormBase::existing<Form2>();
        lookup->List1->setItems({"kept"});
        QTest::mouseClick(menu->Command[1], Qt::LeftButton);
        QCOMPARE(FormBase::existing<Form2>(), lookup);
        QCOMPARE(lookup->List1->listCount(), 1);
        lookup->move(0, 0);
        lookup->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!FormBase::existing<Form2>());
        QTest::mouseClick(menu->Command[1], Qt::LeftButton);
        auto* again = FormBase::existing<Form2>();
        QVERIFY(again && again->isVisible());
        QCOMPARE(again->List1->listCount(), 0);
        QVERIFY(again->pos() != QPoint(0, 0)); // placed again
    }

    void closingMenuQuits() { // last: it runs the event loop to its end
        auto* menu = FormBase::open<Form1>();
        QTest::mouseClick(menu->Command[1], Qt::LeftButton);
        QTest::mouseClick(menu->Command[5], Qt::LeftButton);
        QTimer::singleShot(0, menu, [menu] { menu->close(); });
        // If closing the menu did not quit, this guard ends the loop with a failing code.
        QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!FormBase::existing<Form2>() && !FormBase::existing<Form6>() && !FormBase::existing<Form1>());
    }

private:
    static void windows_data() {
        QTest::addColumn<int>("button");
        for (const auto& [name, button] : {std::pair{"menu", 0},
                                           {"coordinates", 1},
                                           {"synthesis", 2},
                                           {"professions", 3},
                                           {"quests", 4},
                                           {"usage", 5},
                                           {"cooking", 6},
                                           {"skills", 7},
                                           {"stats", 12},
                                           {"experience", 13},
                                           {"articles", 14},
                                           {"viewer", 20}})
            QTest::newRow(name) << button;
    }

    std::unique_ptr<TestSupport::ProgramFolder> folder_;
};

QTEST_MAIN(tst_EveryWindow)
#include "tst_everywindow.moc"
