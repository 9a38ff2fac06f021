#include "forms/Form3.h"
#include "forms/Form7.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScrollBar>
#include <QTest>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

namespace {

// The two windows share their build; tests address either through its number.
struct ListWindow {
    FormBase* form;
    TextBox* text;
    ListBox* list;
};

QString fileOf(int window) {
    return window == 3 ? QStringLiteral("合成表.txt") : QStringLiteral("料理藥品.txt");
}

ListWindow openWindow(int window) {
    if (window == 3) {
        auto* f = FormBase::open<Form3>();
        return {f, f->Text1, f->List1};
    }
    auto* f = FormBase::open<Form7>();
    return {f, f->Text1, f->List1};
}

QRect rectTw(const QWidget* w) {
    return {Twips::left(w), Twips::top(w), Twips::width(w), Twips::height(w)};
}

} // namespace

class tst_Form3Form7 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void loadsWithTrimming_data();
    void loadsWithTrimming();
    void firstLayout_data();
    void firstLayout();
    void resizeSteps_data();
    void resizeSteps();
    void pickShowsLineInFull_data();
    void pickShowsLineInFull();
    void missingFile_data();
    void missingFile();
    void reopenReadsAgain_data();
    void reopenReadsAgain();
};

void tst_Form3Form7::loadsWithTrimming_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("synthesis keeps indentation") << 3 << QStringList{"  縮排說明  ", "", "短劍 鐵礦石x2"};
    QTest::newRow("cooking trims") << 7 << QStringList{"縮排說明", "", "短劍 鐵礦石x2"};
}

void tst_Form3Form7::loadsWithTrimming() {
    QFETCH(int, window);
    QFETCH(QStringList, items);
    ProgramFolder folder;
    folder.writeCp950(fileOf(window), QStringLiteral("  縮排說明  \r\n\r\n短劍 鐵礦石x2\r\n"));
    MessageRecorder messages;
    const ListWindow w = openWindow(window);
    QCOMPARE(w.list->items(), items);
    QVERIFY(messages.messages.isEmpty());
    QCOMPARE(w.list->font().family(), QStringLiteral("細明體"));
    QCOMPARE(w.list->font().pointSizeF(), 9.75);
}

void tst_Form3Form7::firstLayout_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<QRect>("text");
    QTest::addColumn<QRect>("list");
    QTest::newRow("synthesis list grows to 3735-600-30")
        << 3 << QRect(0, 0, 5295, 615) << QRect(0, 600, 5295, 3105);
    QTest::newRow("cooking fits the inner width") << 7 << QRect(0, 0, 4680, 615) << QRect(0, 600, 4680, 2565);
}

void tst_Form3Form7::firstLayout() {
    QFETCH(int, window);
    QFETCH(QRect, text);
    QFETCH(QRect, list);
    ProgramFolder folder;
    folder.writeCp950(fileOf(window), QStringLiteral("x\r\n"));
    const ListWindow w = openWindow(window);
    QCOMPARE(rectTw(w.text), text);
    QCOMPARE(rectTw(w.list), list);
}

void tst_Form3Form7::resizeSteps_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<QSize>("clientPx");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("listHeight");
    QTest::newRow("synthesis larger") << 3 << QSize(400, 300) << 6000 << 4500 - 630;
    QTest::newRow("synthesis list exactly at zero") << 3 << QSize(400, 42) << 6000 << 0;
    QTest::newRow("synthesis very low keeps height") << 3 << QSize(400, 30) << 6000 << 3105;
    QTest::newRow("synthesis tiny keeps height") << 3 << QSize(2, 2) << 30 << 3105;
    QTest::newRow("cooking smaller") << 7 << QSize(200, 100) << 3000 << 1500 - 630;
    QTest::newRow("cooking very low keeps height") << 7 << QSize(250, 20) << 3750 << 2565;
}

void tst_Form3Form7::resizeSteps() {
    QFETCH(int, window);
    QFETCH(QSize, clientPx);
    QFETCH(int, width);
    QFETCH(int, listHeight);
    ProgramFolder folder;
    folder.writeCp950(fileOf(window), QStringLiteral("x\r\n"));
    MessageRecorder messages;
    const ListWindow w = openWindow(window);
    const QSize design = w.form->size();
    const QRect textBefore = rectTw(w.text);
    const QRect listBefore = rectTw(w.list);

    w.form->resize(clientPx);
    QCOMPARE(Twips::width(w.text), width);
    QCOMPARE(Twips::width(w.list), width);
    QCOMPARE(Twips::height(w.list), listHeight);
    QCOMPARE(Twips::height(w.text), 615);
    QCOMPARE(Twips::top(w.list), 600);

    // Back to the design size, as after restoring a minimised window.
    w.form->resize(design);
    QCOMPARE(rectTw(w.text), textBefore);
    QCOMPARE(rectTw(w.list), listBefore);
    QVERIFY(messages.messages.isEmpty());
}

void tst_Form3Form7::pickShowsLineInFull_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<QString>("indented");
    QTest::newRow("synthesis") << 3 << QStringLiteral("    ※附註");
    QTest::newRow("cooking") << 7 << QStringLiteral("※附註");
}

void tst_Form3Form7::pickShowsLineInFull() {
    QFETCH(int, window);
    QFETCH(QString, indented);
    const QString longLine = QStringLiteral("長行") + QString(300, u'料');
    // Longer than a text block holds: the box keeps it in pieces, and gives it back whole.
    const QString hugeLine = QStringLiteral("巨") + QString(2 * TextBox::kBlockChars + 5, u'x') + u'尾';
    ProgramFolder folder;
    folder.writeCp950(fileOf(window), longLine + QStringLiteral("\r\n    ※附註\r\n") + hugeLine);
    const ListWindow w = openWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(w.form));
    const QRect first = w.list->visualRect(w.list->model()->index(0, 0));
    QTest::mouseClick(w.list->viewport(), Qt::LeftButton, {}, first.center());
    QCOMPARE(w.text->text(), longLine);
    // Long lines scroll sideways instead of wrapping.
    QCOMPARE(w.text->document()->lineCount(), 1);
    QVERIFY(w.text->horizontalScrollBar()->maximum() > 0);
    w.list->setFocus();
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(w.text->text(), indented);
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(w.text->text(), hugeLine);
    QCOMPARE(w.list->model()->index(2, 0).data().toString().size(), ListBox::kShownChars + 1);
    w.text->setFocus();
    TestSupport::press(Qt::ControlModifier | Qt::Key_A);
    TestSupport::press(Qt::ControlModifier | Qt::Key_C);
    QCOMPARE(QGuiApplication::clipboard()->text(), hugeLine);
}

void tst_Form3Form7::missingFile_data() {
    QTest::addColumn<int>("window");
    QTest::addColumn<bool>("placedBeforeLoad");
    QTest::newRow("synthesis places, then loads") << 3 << true;
    QTest::newRow("cooking loads, then places") << 7 << false;
}

void tst_Form3Form7::missingFile() {
    QFETCH(int, window);
    QFETCH(bool, placedBeforeLoad);
    ProgramFolder folder;
    QStringList texts;
    QPoint atMessage;
    bool shownAtMessage = true;
    Module1::setMessageHandler([&](const Module1::MsgRequest& request) {
        texts.append(request.text);
        if (request.parent) {
            atMessage = request.parent->pos();
            shownAtMessage = request.parent->isVisible();
        }
        return Module1::MsgResult::Ok;
    });
    const ListWindow w = openWindow(window);
    Module1::setMessageHandler({});
    QCOMPARE(texts, QStringList{QStringLiteral("找不到檔案\"") + fileOf(window) +
                                QStringLiteral("\",或檔案無內容")});
    QVERIFY(!shownAtMessage);
    QVERIFY(w.form->isVisible());
    QCOMPARE(w.list->listCount(), 0);
    // Only a window already placed stands near its final bottom-right place while the message shows.
    const int moved = (w.form->pos() - atMessage).manhattanLength();
    QCOMPARE(moved < 40, placedBeforeLoad);
}

void tst_Form3Form7::reopenReadsAgain_data() {
    QTest::addColumn<int>("window");
    QTest::newRow("synthesis") << 3;
    QTest::newRow("cooking") << 7;
}

void tst_Form3Form7::reopenReadsAgain() {
    QFETCH(int, window);
    ProgramFolder folder;
    folder.writeCp950(fileOf(window), QStringLiteral("舊資料\r\n"));
    ListWindow w = openWindow(window);
    w.list->setListIndex(0);
    QCOMPARE(w.text->text(), QStringLiteral("舊資料"));
    w.form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    folder.writeCp950(fileOf(window), QStringLiteral("新資料\r\n第二行\r\n"));
    w = openWindow(window);
    QCOMPARE(w.list->items(), (QStringList{"新資料", "第二行"}));
    QCOMPARE(w.text->text(), QString());
}

QTEST_MAIN(tst_Form3Form7)
#include "tst_form3_form7.moc"
