// Pictures decode off the interface thread: what a pick shows is checked with QTRY_... (a polling wait of
// at most five seconds); what the player must get at once is checked right after the key.

#include "core/FileNames.h"
#include "forms/showpic.h"
#include "jpegwriter.h"
#include "modules/PictureCache.h"
#include "platform/Drives.h"
#include "testsupport.h"
#include "widgets/DirList.h"
#include "widgets/DriveList.h"
#include "widgets/FileList.h"
#include "widgets/ImageBox.h"
#include "wmfwriter.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Module1::MsgResult;
using TestSupport::MessageRecorder;
// Something done to a file behind the viewer's back; false when it could not be done.
using Change = std::function<bool(const QString& file)>;

namespace {

const QString kGame = u"drive_c/Program Files/Tessaly/Quellmark/ScreenShot"_s;
const QString kInvalid = u" 不是正確格式的BMP,GIF87a,圖示,WMF或JPG壓縮圖檔。"_s;
const QString kGone = u" 已經不存在。"_s;
const QString kFatal = u"發生不可處理／不明的錯誤，\r即將結束看圖程式。"_s;

// A picture whose width tells which file it came from, unless given a colour of its own.
QByteArray picture(int width, int height = 30, const char* format = "BMP", QColor colour = {}) {
    QImage img(width, height, QImage::Format_RGB888);
    img.fill(colour.isValid() ? colour : QColor(width % 256, 90, 160));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    const bool written = f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    f.close();
    TestSupport::keepAsSeed(path);
    return written;
}

bool makePipe(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

void click(QAbstractItemView* view, int row, bool twice = false) {
    const QPoint at = view->visualRect(view->model()->index(row, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

// A Wine prefix in a temporary folder, optionally holding the game's screenshot folder and `files` in it.
class FakeWine {
public:
    explicit FakeWine(bool withGame = true, const QList<std::pair<QString, QByteArray>>& files = {}) {
        QDir().mkpath(path(withGame ? kGame : u"drive_c"_s));
        qputenv("WINEPREFIX", dir_.path().toLocal8Bit());
        for (const auto& [name, bytes] : files)
            writeFile(shots() + u'/' + name, bytes);
    }
    [[nodiscard]] QString path(const QString& relative) const { return dir_.filePath(relative); }
    [[nodiscard]] QString shots() const { return path(kGame); }

private:
    QTemporaryDir dir_;
};

// Opens the viewer and lets its start-up picture show, so that it cannot replace a picture the test picks;
// then the list takes the keys and picks file `pick`, if any.
showpic* openViewer(int pick = -1) {
    auto* form = FormBase::open<showpic>();
    if (!QTest::qWaitFor([form] { return !form->Timer1->isActive(); }) || !QTest::qWaitForWindowActive(form))
        qWarning("the viewer did not settle");
    form->File1->setFocus();
    form->File1->setListIndex(pick);
    return form;
}

} // namespace

class tst_showpic : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void folders();
    void dateFilter();
    void outcomes_data();
    void outcomes();
    void oddNames_data();
    void oddNames();
    void deletion_data();
    void deletion();
    void prefetch();
    void panning_data();
    void panning();
};

// Without the game the viewer opens beside the program, and its button says so; once there is one, the
// button goes there. Only folders are places to go and only pictures are listed. The start-up picture
// shows once, and until a file is picked the list's keys do nothing.
void tst_showpic::folders() {
    FakeWine wine(false);
    TestSupport::ProgramFolder program;
    const QString root = program.path(), shots = root + u"/shots"_s;
    const QString title = u"看圖程式 版本:1.0.116 現在開啟目錄: "_s;
    QDir().mkpath(shots + u"/folder.bmp"_s);
    for (const char* name : {"b.BMP", "A.jpg", "c.txt", ".hidden.bmp", "a.gif", "Z.ico", "x.wmf", "y.jpeg"})
        writeFile(shots + u'/' + QLatin1String(name), {});
    writeFile(root + u"/a.bmp"_s, picture(50, 40));
    QVERIFY(makePipe(shots + u"/pipe.bmp"_s) && QFile::link(u"/dev/zero"_s, shots + u"/zero.bmp"_s) &&
            QFile::link(shots + u"/b.BMP"_s, shots + u"/link to b.bmp"_s) &&
            QFile::link(shots + u"/folder.bmp"_s, shots + u"/link to folder"_s));
    MessageRecorder messages;
    auto* form = FormBase::open<showpic>();
    QVERIFY(form->Image1->picture().isNull() && form->isMaximized());
    QCOMPARE(form->windowTitle(), title + root);
    QCOMPARE(form->Combo1->currentText() + form->Combo2->currentText() + form->Combo3->currentText(),
             QDate::currentDate().toString(u"yyMMdd"_s));
    QTRY_COMPARE(form->Image1->picture().size(), QSize(273, 447));
    QVERIFY(form->Image1->isVisible() && !form->Timer1->isActive());
    QVERIFY(QTest::qWaitForWindowActive(form));
    form->File1->setFocus();
    TestSupport::press(Qt::Key_Delete);
    TestSupport::press(Qt::ShiftModifier | Qt::Key_Delete);
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().size(), QSize(50, 40));
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(form->windowTitle(), title + root);

    click(form->Dir1, form->Dir1->count() - 1, true);
    QCOMPARE(form->windowTitle(),
             u"看圖程式 Beta 2 qmquery 玩家工具  現在開啟的目錄: \""_s + shots.toUpper() + u'"');
    QCOMPARE(form->File1->items(),
             (QStringList{"a.gif", "A.jpg", "b.BMP", "link to b.bmp", "x.wmf", "Z.ico"}));
    QCOMPARE(form->Dir1->item(form->Dir1->count() - 2)->text().trimmed(), u"folder.bmp"_s);
    QCOMPARE(form->Dir1->item(form->Dir1->count() - 1)->text().trimmed(), u"link to folder"_s);
    // Focus moving on reads the list again; a message box must not, under the question it asks.
    writeFile(shots + u"/new.bmp"_s, {});
    for (const auto reason : {Qt::ActiveWindowFocusReason, Qt::TabFocusReason}) {
        QFocusEvent out(QEvent::FocusOut, reason);
        QCoreApplication::sendEvent(form->File1, &out);
        QCOMPARE(form->File1->listCount(), reason == Qt::TabFocusReason ? 7 : 6);
    }
    // A drive that cannot be read leaves the viewer where it was.
    form->Drive1->setDrives({Platform::driveC(), {u"x:"_s, wine.path(u"no-medium"_s)}});
    form->Drive1->setCurrentIndex(1);
    QCOMPARE(form->Dir1->path(), shots);
    QVERIFY(QDir().mkpath(wine.shots()));
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(form->windowTitle(), title + wine.shots());
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QCOMPARE(messages.texts(),
             (QStringList{u"找不到QM安裝目錄"_s,
                          u"無法存取指定磁碟機，\r請確定系統已經連上該裝置。\rERROR: 裝置尚未就緒。"_s,
                          u"按Delete鍵可以刪除圖檔\r\nShift+Delete則可以刪除而不用使用者確認\r\n"
                          "按Enter則可呼叫預設圖檔編輯程式。"_s}));
}

// The date boxes pick from their lists only: typed, committed and dropped text is refused.
void tst_showpic::dateFilter() {
    FakeWine wine;
    const QString shots = wine.shots();
    QDir().mkpath(shots + u"/old"_s);
    for (const char* n : {"qm020315_001.bmp", "QM020315_002.BMP", "qm020316_001.bmp", "qm030315_001.bmp",
                          "qm020315_01.bmp", "old/qm991231_007.bmp", "old/snap.bmp"})
        writeFile(shots + u'/' + QLatin1String(n), {});
    auto* form = openViewer();
    const auto enabled = [form] {
        return QList<bool>{form->Combo1->isEnabled(), form->Combo2->isEnabled(), form->Combo3->isEnabled(),
                           form->Command5->isEnabled(), form->Command4->isEnabled()};
    };
    const QList<bool> off{false, false, false, false, true};
    QCOMPARE(enabled(), off);
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(enabled(), (QList<bool>{true, true, true, true, false}));
    const auto find = [form](const QString& y, const QString& m, const QString& d) {
        form->Combo1->setCurrentIndex(form->Combo1->findText(y));
        form->Combo2->setCurrentIndex(form->Combo2->findText(m));
        form->Combo3->setCurrentIndex(form->Combo3->findText(d));
        QTest::mouseClick(form->Command5, Qt::LeftButton);
        return form->File1->isHidden() ? QStringList{u"(hidden)"_s} : form->File1->items();
    };
    QCOMPARE(find("01", "03", "15"), QStringList{u"(hidden)"_s});
    QCOMPARE(form->File1->pattern(), u"qm010315_???.bmp"_s);
    QCOMPARE(find("??", "03", "15"),
             (QStringList{"qm020315_001.bmp", "QM020315_002.BMP", "qm030315_001.bmp"}));
    // The date pattern stays across folders.
    QVERIFY(form->Dir1->setPath(shots + u"/old"_s));
    QVERIFY(form->File1->items().isEmpty());

    // Keys reach the combo first, whatever it hands them on to.
    find("00", "01", "01");
    form->Combo2->setFocus();
    TestSupport::type(u"7x"_s);
    TestSupport::press(Qt::AltModifier | Qt::Key_A);
    TestSupport::press(Qt::Key_Backspace);
    TestSupport::press(Qt::Key_Delete);
    TestSupport::commit(u"１２"_s);
    QMimeData dragged;
    dragged.setText(u"09"_s);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(form->Combo2->lineEdit(), &drop);
    QCOMPARE(form->Combo2->currentText(), u"01"_s);
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(form->Combo2->currentText(), u"02"_s);
    TestSupport::press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form->Combo3);

    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QVERIFY(!form->File1->isHidden());
    QCOMPARE(form->File1->items(), (QStringList{"qm991231_007.bmp", "snap.bmp"}));
    QCOMPARE(enabled(), off);
}

void tst_showpic::outcomes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Change>("change");   // made once the file was decoded ahead
    QTest::addColumn<QSize>("shown");     // the picture shown, or none and
    QTest::addColumn<QString>("message"); // this message, after the file's name
    const auto shows = [](const char* row, const char* name, const QByteArray& bytes, QSize size,
                          Change change = {}) {
        QTest::newRow(row) << QString::fromLatin1(name) << bytes << change << size << QString();
    };
    const auto refused = [](const char* row, const QByteArray& bytes, const char* name = "b.bmp",
                            Change change = {}, const QString& message = kInvalid) {
        QTest::newRow(row) << QString::fromLatin1(name) << bytes << change << QSize() << message;
    };
    WmfWriter wmf;
    wmf.placeable = true, wmf.bounds = QRect(0, 0, 1440, 720), wmf.unitsPerInch = 1440;
    const QByteArray fine = picture(30), green = picture(30, 30, "BMP", Qt::green);
    const QString tooLarge = u" 圖片太大(%1像素)，超過可顯示的上限(1百萬像素)。"_s;
    shows("icon", "p.ico", picture(32, 32, "ICO"), {32, 32});
    shows("metafile an inch by half an inch", "p.wmf", wmf.windowExt(1440, 720).bytes(), {96, 48});
    shows("progressive JPEG of the usual ten scans", "p.jpg", JpegWriter::progressive(64, 48, 9), {64, 48});
    shows("exactly the budget", "b.bmp", picture(1000, 1000), {1000, 1000});
    // Same size, so only the file's times and identity tell it changed.
    shows("rewritten, same size", "b.bmp", fine, {30, 30},
          [green](const QString& f) { return writeFile(f, green); });
    refused("one row over the budget", picture(1000, 1001), "b.bmp", {}, tooLarge.arg(u"1000×1001"_s));
    refused("a JPEG over the budget", picture(1500, 800, "JPG"), "b.jpg", {}, tooLarge.arg(u"1500×800"_s));
    refused("text named .jpg", "just some text, not a picture\r\n", "notes.jpg");
    refused("empty .bmp", {});
    refused("truncated .bmp", fine.left(fine.size() - 500));
    refused("claims 65535 x 65535 in 28 bytes",
            QByteArray::fromHex("474946383961ffffffff0000002c00000000ffffffff0002024c01003b"), "h.gif");
    // Found by fuzzing: a reader reported success with no picture at all.
    refused("icon reader gives no picture",
            QByteArray::fromHex("8a4d4e470d0a1a0a00000000000000360000000000002700002728004d0603000000005a"),
            "f.ico");
    refused("png named .bmp: not offered", picture(4, 4, "PNG"));
    // Each scan costs the decoder a pass over the picture: thousands of them would hold it for seconds.
    refused("progressive .jpg of 20,000 scans", JpegWriter::progressive(512, 512, 20000), "s.jpg");
    refused(
        "deleted", fine, "b.bmp", [](const QString& f) { return QFile::remove(f); }, kGone);
    // Only regular files are opened, so nothing blocks on a pipe.
    refused("replaced by a pipe", fine, "b.bmp",
            [](const QString& f) { return QFile::remove(f) && makePipe(f); });
    refused("replaced by a link to a pipe", fine, "b.bmp", [](const QString& f) {
        return QFile::remove(f) && makePipe(f + u".fifo"_s) && QFile::link(f + u".fifo"_s, f);
    });
    refused("replaced by a link to /dev/zero", fine, "b.bmp",
            [](const QString& f) { return QFile::remove(f) && QFile::link(u"/dev/zero"_s, f); });
    refused("replaced by a folder", fine, "b.bmp",
            [](const QString& f) { return QFile::remove(f) && QDir().mkdir(f); });
    // There but unreadable: the closing message, not "gone".
    refused(
        "replaced by a loop of links", fine, "b.bmp",
        [](const QString& f) { return QFile::remove(f) && QFile::link(f, f); }, kFatal);
}

// A picked file is shown as it is now, or a message says why not while the last picture stays; only a
// failure the viewer cannot explain closes it. The file is the first one's neighbour, decoded ahead.
void tst_showpic::outcomes() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(Change, change);
    QFETCH(QSize, shown);
    QFETCH(QString, message);
    FakeWine wine(true, {{u"a.bmp"_s, picture(20)}, {name, bytes}, {u"z.bmp"_s, picture(40)}});
    const QString file = wine.shots() + u'/' + name, z = wine.shots() + u"/z.bmp"_s;
    QPointer<showpic> form = openViewer();
    // A million pixels stand in for the real budget, whose pictures are too large to write here.
    form->pictures()->setBudget(4000000);
    MessageRecorder messages;
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().width(), 20);
    QTRY_VERIFY(form->pictures()->held().contains(form->File1->fullPath(1)));
    QVERIFY(!change || change(file));
    TestSupport::press(Qt::Key_Down);
    if (shown.isValid()) {
        QTRY_COMPARE(form->Image1->picture().size(), shown);
        const QImage now(file);
        QVERIFY(now.isNull() || form->Image1->picture().pixelColor(0, 0) == now.pixelColor(0, 0));
        QVERIFY(messages.messages.isEmpty());
        return;
    }
    const QStringList expected{message == kFatal ? message : file + message};
    if (message == kGone)
        QCOMPARE(messages.texts(), expected);
    QTRY_COMPARE(messages.texts(), expected);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(form.isNull(), message == kFatal);
    QVERIFY(!form || form->Image1->picture().width() == 20);
    if (message != kGone)
        return;
    // Found gone, by key or by mouse: the list is read again with nothing highlighted that is not picked,
    // so the keys act on what is shown.
    const auto highlighted = [form] {
        QTest::qWait(10); // the view settles its current row once it has finished
        return form->File1->currentIndex().isValid() || form->File1->selectionModel()->hasSelection();
    };
    QVERIFY(!highlighted() && form->File1->items() == QStringList({"a.bmp", "z.bmp"}));
    QVERIFY(QFile::remove(z));
    click(form->File1, 1);
    QCOMPARE(messages.texts(), QStringList({file + kGone, z + kGone}));
    QVERIFY(!highlighted() && form->File1->items() == QStringList{"a.bmp"});
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(form->File1->selectionModel()->selectedRows(), QModelIndexList{form->File1->currentIndex()});
}

void tst_showpic::oddNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("opener"); // the exit status of the program that opens files
    const QString shell = u"my \"shot\" & $HOME; rm -rf x_1.bmp"_s;
    QTest::newRow("a shell's characters") << shell.toUtf8() << shell << 0;
    // From an archive made on Windows: code page 950 bytes, handed to the opener as a file URL.
    QTest::newRow("code page 950, no program for it")
        << TestSupport::toCp950(u"截圖 一.bmp"_s) << u"截圖 一.bmp"_s << 3;
    // One name in this folder, never a way up to the folder above.
    QTest::newRow("backslashes") << QByteArray("b\\..\\..\\a.bmp") << u"b\\..\\..\\a.bmp"_s << 0;
}

// A name is listed as the player reads it, its picture shown, and the file itself handed over, asked
// about and deleted.
void tst_showpic::oddNames() {
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QFETCH(int, opener);
    // Stands in for the program that opens files, writing down its arguments one a line.
    QTemporaryDir bin;
    const QString opens = bin.filePath(u"xdg-open"_s), record = bin.filePath(u"argv"_s);
    const QByteArray to = QFile::encodeName(record);
    QVERIFY(writeFile(opens, "#!/bin/sh\nprintf '%s\\n' \"$@\" >\"" + to + ".t\"; mv \"" + to + ".t\" \"" +
                                 to + "\"; exit " + QByteArray::number(opener) + "\n"));
    QVERIFY(QFile::setPermissions(opens, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()) + ':' + oldPath);
    const auto restorePath = qScopeGuard([&oldPath] { qputenv("PATH", oldPath); });
    // A picture where the name would lead if it were split into folders, and one beside the odd one.
    FakeWine wine(true,
                  {{u"../a.bmp"_s, picture(99)}, {u"z.bmp"_s, picture(12)}, {u"new.bmp"_s, picture(21)}});
    const QString shots = wine.shots(), item = FileNames::fromBytes(name);
    const QByteArray raw = FileNames::toBytes(shots) + '/' + name;
    QCOMPARE(::rename(QFile::encodeName(shots + u"/new.bmp"_s).constData(), raw.constData()), 0);
    // Qt cannot remove a name it cannot decode; the temporary folder goes only once this name is gone.
    const auto removeRaw = qScopeGuard([&raw] { ::unlink(raw.constData()); });
    auto* form = openViewer();
    MessageRecorder messages;
    const int row = int(form->File1->items().indexOf(item));
    form->File1->setListIndex(row);
    QCOMPARE(form->File1->model()->index(row, 0).data().toString().trimmed(), shown);
    QTRY_COMPARE(form->Image1->picture().width(), 21);

    const QString argument = FileNames::hasRawBytes(item)
                                 ? u"file://"_s + QString::fromLatin1(raw.toPercentEncoding("/"))
                                 : shots + u'/' + item;
    const QStringList refusal =
        opener == 0
            ? QStringList()
            : QStringList{u"無法開啟檔案:\"%1/%2\"\r沒有可以開啟這種檔案的程式。"_s.arg(shots, shown)};
    // One argument, then the final line break.
    const auto opened = [&record] {
        QFile f(record);
        const QList<QByteArray> args =
            f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QList<QByteArray>();
        return args.size() == 2 ? QString::fromLocal8Bit(args[0]) : QString::fromLatin1(args.join('|'));
    };
    for (const bool byMouse : {false, true}) {
        QFile::remove(record);
        messages.messages.clear();
        byMouse ? click(form->File1, row, true) : TestSupport::press(Qt::Key_Return);
        QTRY_COMPARE(opened(), argument);
        QTRY_COMPARE(messages.texts(), refusal);
    }
    messages.messages.clear();
    messages.answers = {MsgResult::Yes};
    TestSupport::press(Qt::Key_Delete);
    QCOMPARE(messages.texts(), QStringList{u"刪除檔案:\"%1/%2\"?"_s.arg(shots, shown)});
    QVERIFY(::access(raw.constData(), F_OK) != 0 && QFile::exists(shots + u"/../a.bmp"_s));
    QCOMPARE(form->File1->items(), QStringList{"z.bmp"});
    QTRY_COMPARE(form->Image1->picture().width(), 12);
}

void tst_showpic::deletion_data() {
    QTest::addColumn<int>("pick"); // of five files; file i is 10 + i pixels wide
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<QList<MsgResult>>("answers");
    QTest::addColumn<bool>("gone");       // removed by another program after the list was read
    QTest::addColumn<QString>("message"); // %1 standing for the file
    QTest::addColumn<int>("newIndex");
    QTest::addColumn<int>("shownWidth");
    const QKeyCombination del(Qt::Key_Delete), shift(Qt::ShiftModifier | Qt::Key_Delete);
    const QList<MsgResult> none, yes{MsgResult::Yes}, no{MsgResult::No};
    const QString ask = u"刪除檔案:\"%1\"?"_s;
    QTest::newRow("Shift+Delete third of five") << 2 << shift << none << false << "" << 2 << 13;
    QTest::newRow("Shift+Delete last of five") << 4 << shift << none << false << "" << 3 << 13;
    QTest::newRow("Delete asks, Yes deletes") << 2 << del << yes << false << ask << 2 << 13;
    QTest::newRow("Ctrl+Shift+Delete asks")
        << 1 << QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Delete) << yes << false
        << ask << 1 << 12;
    QTest::newRow("No keeps everything") << 2 << del << no << false << ask << 2 << 12;
    // The list and the picture stay as they were, so the player sees what failed.
    QTest::newRow("already gone: the list stays")
        << 1 << shift << none << true << u"無法刪除檔案:\"%1\"\r檔案已經不存在"_s << 1 << 11;
}

// Only the listed file goes, and only when the player asked for it; a second link to it stays as it was.
void tst_showpic::deletion() {
    QFETCH(int, pick);
    QFETCH(QKeyCombination, key);
    QFETCH(QList<MsgResult>, answers);
    QFETCH(bool, gone);
    QFETCH(QString, message);
    QFETCH(int, newIndex);
    QFETCH(int, shownWidth);
    FakeWine wine;
    QStringList names;
    for (int i = 0; i < 5; ++i) {
        names.append(u"shot%1.bmp"_s.arg(i));
        writeFile(wine.shots() + u'/' + names.last(), picture(10 + i));
    }
    const QString victim = wine.shots() + u'/' + names[pick];
    const QByteArray other = QFile::encodeName(wine.path(u"other.bmp"_s));
    QCOMPARE(::link(QFile::encodeName(victim).constData(), other.constData()), 0);
    auto* form = openViewer(pick);
    QTRY_COMPARE(form->Image1->picture().width(), 10 + pick);
    QVERIFY(!gone || QFile::remove(victim));
    MessageRecorder messages;
    messages.answers = answers;
    TestSupport::press(key);
    QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList{message.arg(victim)});
    const bool deleted = !gone && answers.value(0, MsgResult::Yes) == MsgResult::Yes;
    QCOMPARE(QFileInfo::exists(victim), !deleted && !gone);
    if (deleted)
        names.removeAt(pick);
    QCOMPARE(form->File1->items(), names);
    QCOMPARE(form->File1->listIndex(), newIndex);
    QTRY_COMPARE(form->Image1->picture().width(), shownWidth);
    struct stat st {};
    QCOMPARE(::stat(other.constData(), &st), 0);
    QCOMPARE(st.st_nlink, nlink_t(deleted || gone ? 1 : 2));
}

// The neighbours of the shown picture are decoded ahead, once; work for a pick the player has left is
// dropped.
void tst_showpic::prefetch() {
    FakeWine wine;
    for (int i = 0; i < 6; ++i)
        writeFile(wine.shots() + u"/p%1.bmp"_s.arg(i), picture(10 + i));
    auto* form = openViewer();
    // Counts the decodes of each file; the first of p0.bmp waits for the gate. Shared with the decoder, so
    // a decode still under way outlives the test.
    struct Decodes {
        std::array<std::atomic_int, 6> counts{};
        QSemaphore gate;
    };
    const auto decodes = std::make_shared<Decodes>();
    form->pictures()->setDecoder(
        [decodes](const QString& path, qint64 budget, const std::atomic_bool& cancelled) {
            const int i = QFileInfo(path).baseName().mid(1).toInt();
            if (decodes->counts.at(i)++ == 0 && i == 0)
                decodes->gate.acquire();
            return Platform::loadPicture(path, budget, &cancelled);
        });
    const auto releaseAtEnd = qScopeGuard([&decodes] { decodes->gate.release(); });
    QSignalSpy outcomes(form->pictures(), &PictureCache::ready);
    MessageRecorder messages;
    const auto held = [form](int from) {
        return form->pictures()->held() ==
               QStringList({form->File1->fullPath(from), form->File1->fullPath(from + 1),
                            form->File1->fullPath(from + 2)});
    };
    form->File1->setListIndex(0);
    QTRY_COMPARE(decodes->counts[0], 1);
    form->File1->setListIndex(4);
    decodes->gate.release();
    QTRY_COMPARE(form->Image1->picture().width(), 14);
    QTRY_VERIFY(held(3));
    // The late picture never showed, and the neighbours of the first pick were never decoded.
    QCOMPARE(outcomes.size(), 1);
    QCOMPARE(outcomes.first().first().toString(), form->File1->fullPath(4));
    QCOMPARE(decodes->counts[1], 0);
    // A neighbour shows with the key itself, without waiting on a decode.
    TestSupport::press(Qt::Key_Up);
    QCOMPARE(form->Image1->picture().width(), 13);
    QTRY_VERIFY(held(2));
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(form->Image1->picture().width(), 14);
    QTRY_VERIFY(held(3));
    // Each picture was decoded once, and the one let go is decoded again when it comes back.
    for (int i = 2; i <= 5; ++i)
        QCOMPARE(decodes->counts[i], i == 5 ? 2 : 1);
    QVERIFY(messages.messages.isEmpty());
}

namespace {

constexpr int kFar = -1; // as far as the picture goes

// Where a picture starts in its frame along one axis: centred when it fits (an odd pixel left over goes
// to the far side), else moved back by the pan.
int start(int frame, int length, int pan) {
    return length <= frame ? (frame - length) / 2 : pan == kFar ? frame - length : -pan;
}

} // namespace

void tst_showpic::panning_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<QPoint>>("drags");
    QTest::addColumn<int>("wheel"); // notches down
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QPoint>("pan");
    const QSize large(2000, 1500);
    // Drags stay inside the window, as a player's do; five of them cross the whole picture.
    const QList<QPoint> none, across(5, QPoint(-380, -230)), part{{-30, -20}};
    const Qt::KeyboardModifiers no, shift = Qt::ShiftModifier;
    QTest::newRow("dragged to its bottom-right corner") << large << across << 0 << no << QPoint(kFar, kFar);
    QTest::newRow("dragged part of the way") << large << part << 0 << no << QPoint(30, 20);
    QTest::newRow("wheel down a notch") << large << none << 1 << no << QPoint(0, 100);
    QTest::newRow("Shift and wheel down: across") << large << none << 1 << shift << QPoint(100, 0);
    QTest::newRow("wider only: the other way stays centred")
        << QSize(2000, 40) << part << 1 << no << QPoint(30, 0);
    QTest::newRow("fits: centred and still") << QSize(40, 30) << part << 1 << shift << QPoint(0, 0);
}

// A picture larger than its frame is moved by dragging and the wheel, never past its edges, with a hand
// for a pointer; the keys stay with the list, and the next picture opens at its top-left corner.
void tst_showpic::panning() {
    QFETCH(QSize, size);
    QFETCH(QList<QPoint>, drags);
    QFETCH(int, wheel);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QPoint, pan);
    FakeWine wine(true, {{u"a.bmp"_s, picture(size.width(), size.height())},
                         {u"b.bmp"_s, picture(size.width() - 1, size.height())}});
    auto* form = openViewer();
    form->setWindowState(Qt::WindowNoState);
    form->resize(700, 500);
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->size(), size);
    const QRect inner = form->Picture1->contentsRect();
    const QPoint middle = form->Picture1->mapTo(form, inner.center());
    QWindow* window = form->windowHandle();
    const bool movable = size.width() > inner.width() || size.height() > inner.height();
    const Qt::CursorShape idle = movable ? Qt::OpenHandCursor : Qt::ArrowCursor;
    QCOMPARE(form->Image1->cursor().shape(), idle);
    for (const QPoint& d : drags) {
        QTest::mousePress(window, Qt::LeftButton, {}, middle);
        QCOMPARE(form->Image1->cursor().shape(), movable ? Qt::ClosedHandCursor : Qt::ArrowCursor);
        QTest::mouseMove(window, middle + d / 2);
        QTest::mouseMove(window, middle + d);
        QTest::mouseRelease(window, Qt::LeftButton, {}, middle + d);
        QCOMPARE(form->Image1->cursor().shape(), idle);
    }
    for (int i = 0; i < wheel; ++i) {
        QWheelEvent event(middle, form->mapToGlobal(middle), {}, {0, -120}, {}, modifiers, Qt::NoScrollPhase,
                          false);
        QCoreApplication::sendEvent(window, &event);
    }
    QCOMPARE(form->Image1->size(), size);
    QCOMPARE(form->Image1->pos() - inner.topLeft(), QPoint(start(inner.width(), size.width(), pan.x()),
                                                           start(inner.height(), size.height(), pan.y())));

    // A larger window shows more, with a frame reaching to its edges; a picture moved to its far edge keeps
    // no gap inside the frame.
    form->resize(900, 650);
    const QRect wider = form->Picture1->contentsRect(), moved = form->Image1->geometry();
    QVERIFY(size.width() <= wider.width() ||
            (moved.left() <= wider.left() && moved.right() >= wider.right()));
    QVERIFY(size.height() <= wider.height() ||
            (moved.top() <= wider.top() && moved.bottom() >= wider.bottom()));
    QVERIFY(qAbs(form->Picture1->geometry().right() + 1 - form->width()) <= 1);
    QVERIFY(qAbs(form->Picture1->geometry().bottom() + 1 - form->height()) <= 1);
    QCOMPARE(QApplication::focusWidget(), form->File1);
    TestSupport::press(Qt::Key_Down);
    QTRY_COMPARE(form->Image1->width(), size.width() - 1);
    QCOMPARE(form->Image1->pos() - wider.topLeft(),
             QPoint(start(wider.width(), size.width() - 1, 0), start(wider.height(), size.height(), 0)));
    // A window too small for the list keeps the list's and the frame's width; the frame's height follows.
    const QSize frame = form->Picture1->size(), list = form->File1->size();
    form->resize(100, 40);
    QVERIFY(form->Picture1->width() == frame.width() && form->File1->size() == list);
    QVERIFY(qAbs(form->Picture1->height() - 39) <= 1);
}

QTEST_MAIN(tst_showpic)
#include "tst_showpic.moc"
