// Pictures decode off the interface thread: QTRY_... waits (five seconds at most) for what a pick shows.

#include "core/FileNames.h"
#include "forms/showpic.h"
#include "jpegwriter.h"
#include "modules/PictureCache.h"
#include "testsupport.h"
#include "widgets/DirList.h"
#include "widgets/DriveList.h"
#include "widgets/FileList.h"
#include "widgets/ImageBox.h"
#include "wmfwriter.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
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
using TestSupport::openViewer;
using TestSupport::writeFile;
using Change = std::function<bool(const QString& file)>; // done behind the viewer's back; false if not

namespace {

const QString kGame = u"drive_c/Program Files/Tessaly/Quellmark/ScreenShot"_s;
const QString kInvalid = u" 不是正確格式的BMP,GIF87a,圖示,WMF或JPG壓縮圖檔。"_s;
const QString kGone = u" 已經不存在。"_s;
const QString kFatal = u"發生不可處理／不明的錯誤，\r即將結束看圖程式。"_s;

// A picture whose width tells which file it came from, unless given a colour of its own.
QByteArray picture(int width, int height = 30, const char* format = "BMP", QColor colour = {}) {
    QImage img(width, height, QImage::Format_RGB888);
    img.fill(colour.isValid() ? colour : QColor(width % 256, 90, 160));
    QBuffer buffer;
    img.save(&buffer, format);
    return buffer.data();
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
struct FakeWine : QTemporaryDir {
    explicit FakeWine(bool withGame = true, const QList<std::pair<QString, QByteArray>>& files = {}) {
        QDir().mkpath(filePath(withGame ? kGame : u"drive_c"_s));
        qputenv("WINEPREFIX", QFile::encodeName(path()));
        for (const auto& [name, bytes] : files)
            writeFile(shots() + u'/' + name, bytes);
    }
    [[nodiscard]] QString shots() const { return filePath(kGame); }
};

struct Outcome {
    QString name;
    QByteArray bytes;
    QSize shown = {};
    QString message = kInvalid;
    Change change = {};
};

constexpr int kFar = -1; // as far as the picture goes

struct Pan {
    QSize size;
    QList<QPoint> drags;
    int wheel; // notches down
    Qt::KeyboardModifiers modifiers;
    QPoint pan;
};

} // namespace

class tst_showpic : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        TestSupport::initApplication();
        // Deleted pictures go to a trash of the test's own.
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
            qputenv(name, QFile::encodeName(desktop_.path()));
    }
    void cleanup() { TestSupport::unloadAllForms(); }

    // Opened without the game: beside the program, pictures and folders only, the start-up picture once.
    void folder() {
        FakeWine wine(false);
        TestSupport::ProgramFolder program;
        const QString root = program.path();
        QDir().mkpath(root + u"/folder.bmp"_s);
        for (const char* name : {"c.txt", ".hidden.bmp", "a.gif", "qm020315_001.bmp", "QM020315_002.BMP",
                                 "qm020316_001.bmp", "x.wmf", "Z.ico", "y.jpeg"})
            writeFile(root + u'/' + QLatin1String(name), {});
        writeFile(root + u"/A.jpg"_s, picture(50, 40, "JPG"));
        QVERIFY(makePipe(root + u"/pipe.bmp"_s) && QFile::link(u"/dev/zero"_s, root + u"/zero.bmp"_s) &&
                QFile::link(root + u"/qm020315_001.bmp"_s, root + u"/qm030315_001.bmp"_s) &&
                QFile::link(root + u"/folder.bmp"_s, root + u"/link to folder"_s));
        TestSupport::MessageRecorder messages;
        auto* form = FormBase::open<showpic>();
        QVERIFY(form->Image1->picture().isNull() && form->Dir1->path() == root);
        QCOMPARE(form->File1->items(),
                 (QStringList{"a.gif", "A.jpg", "qm020315_001.bmp", "QM020315_002.BMP", "qm020316_001.bmp",
                              "qm030315_001.bmp", "x.wmf", "Z.ico"}));
        QCOMPARE(form->Dir1->item(form->Dir1->count() - 1)->text().trimmed(), u"link to folder"_s);
        QTRY_VERIFY(!form->Image1->picture().isNull());
        QVERIFY(form->Image1->isVisible() && !form->Timer1->isActive() && QTest::qWaitForWindowActive(form));
        form->File1->setFocus();
        TestSupport::press(Qt::ShiftModifier | Qt::Key_Delete);
        form->File1->setListIndex(1);
        QTRY_COMPARE(form->Image1->picture().size(), QSize(50, 40));
        // Focus moving on reads the list again; a message box must not, under the question it asks.
        writeFile(root + u"/new.bmp"_s, {});
        for (const auto reason : {Qt::ActiveWindowFocusReason, Qt::TabFocusReason}) {
            QFocusEvent out(QEvent::FocusOut, reason);
            QCoreApplication::sendEvent(form->File1, &out);
            QCOMPARE(form->File1->listCount(), reason == Qt::TabFocusReason ? 9 : 8);
        }

        QTest::mouseClick(form->Command4, Qt::LeftButton);
        form->Combo1->setCurrentIndex(form->Combo1->findText(u"??"_s));
        form->Combo2->setCurrentIndex(form->Combo2->findText(u"03"_s));
        form->Combo3->setCurrentIndex(form->Combo3->findText(u"15"_s));
        QTest::mouseClick(form->Command5, Qt::LeftButton);
        QCOMPARE(form->File1->items(),
                 (QStringList{"qm020315_001.bmp", "QM020315_002.BMP", "qm030315_001.bmp"}));
        // Keys reach the combo first, whatever it hands them on to.
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
        QCOMPARE(form->Combo2->currentText(), u"03"_s);
        TestSupport::press(Qt::Key_Down);
        QCOMPARE(form->Combo2->currentText(), u"04"_s);
        TestSupport::press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), form->Combo3);
        QTest::mouseClick(form->Command1, Qt::LeftButton);
        QCOMPARE(form->File1->listCount(), 9);

        QTest::mouseClick(form->Command3, Qt::LeftButton); // no game yet: says so, stays
        QVERIFY(QDir().mkpath(wine.shots()));
        QTest::mouseClick(form->Command3, Qt::LeftButton);
        QCOMPARE(form->Dir1->path(), wine.shots());
        // A drive that cannot be read says so; the viewer stays where it was.
        form->Drive1->setDrives({Platform::driveC(), {u"x:"_s, wine.filePath(u"no-medium"_s)}});
        form->Drive1->setCurrentIndex(1);
        QCOMPARE(messages.texts(),
                 QStringList({u"找不到QM安裝目錄"_s,
                              u"無法存取指定磁碟機，\r請確定系統已經連上該裝置。\rERROR: 裝置尚未就緒。"_s}));
        QCOMPARE(form->Dir1->path(), wine.shots());
        QDir().mkpath(wine.filePath(u"drive_c/sub"_s));
        form->Drive1->setCurrentIndex(0);
        QCOMPARE(form->Dir1->path(), wine.filePath(u"drive_c"_s));
        const auto sub = form->Dir1->findItems(u"sub"_s, Qt::MatchEndsWith);
        QVERIFY(sub.size() == 1);
        const QPoint at = form->Dir1->visualItemRect(sub[0]).center();
        QTest::mouseClick(form->Dir1->viewport(), Qt::LeftButton, {}, at); // a double click as it arrives
        QTest::mouseDClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(form->Dir1->path(), wine.filePath(u"drive_c/sub"_s));
        const QSize list = form->File1->size(), frame = form->Picture1->size();
        form->resize(form->size() + QSize(60, 90));
        QCOMPARE(form->File1->size(), list + QSize(0, 90));
        QCOMPARE(form->Picture1->size(), frame + QSize(60, 90));
    }

    void outcomes_data() {
        QTest::addColumn<Outcome>("row");
        const QByteArray fine = picture(30), green = picture(30, 30, "BMP", Qt::green);
        const QString tooLarge = u" 圖片太大(%1像素)，超過可顯示的上限(1百萬像素)。"_s;
        const QByteArray wmf = WmfWriter().add(u"placeable 0 0 1440 720 1440; ext 1440 720"_s).bytes();
        QTest::newRow("wmf of 1 x 0.5 in") << Outcome{"p.wmf", wmf, {96, 48}};
        QTest::newRow("rewritten at the same size: only times and identity tell") << Outcome{
            "b.bmp", fine, {30, 30}, {}, [green](const QString& f) { return writeFile(f, green); }};
        QTest::newRow("a row over budget")
            << Outcome{"b.bmp", picture(1000, 1001), {}, tooLarge.arg(u"1000×1001"_s)};
        QTest::newRow("truncated .bmp") << Outcome{"b.bmp", fine.left(fine.size() - 500)};
        // The decoder paints a cut-off JPEG's missing blocks grey and calls it a success.
        const QByteArray photo = picture(400, 300, "JPEG");
        QTest::newRow("truncated .jpg") << Outcome{"b.jpg", photo.left(photo.size() - 100)};
        // 11000 x 12000 claimed in 100 KB that end as a JPEG should: no JPEG packs 1,320 pixels a byte.
        QTest::newRow("JPEG denser than any")
            << Outcome{"d.jpg", JpegWriter::progressive(11000, 12000, 0).left(100000) + "\xFF\xD9"_ba};
        // Found by fuzzing: a reader reported success with no picture at all.
        QTest::newRow("fuzzed .ico") << Outcome{
            "f.ico",
            QByteArray::fromHex("8a4d4e470d0a1a0a00000000000000360000000000002700002728004d0603000000005a")};
        QTest::newRow("png named .bmp: not offered") << Outcome{"b.bmp", picture(4, 4, "PNG")};
        // Each scan costs a pass over the picture: thousands would hold the decoder for seconds.
        QTest::newRow("20,000 scans") << Outcome{"s.jpg", JpegWriter::progressive(512, 512, 20000)};
        // Changed once decoded ahead: only regular files are opened; a loop of links cannot be read.
        const auto changed = [fine](const QString& message, Change change) {
            return Outcome{"b.bmp", fine, {}, message, std::move(change)};
        };
        QTest::newRow("deleted") << changed(kGone, [](auto& f) { return QFile::remove(f); });
        QTest::newRow("made a pipe") << changed(kInvalid,
                                                [](auto& f) { return QFile::remove(f) && makePipe(f); });
        QTest::newRow("made a link to a pipe") << changed(kInvalid, [](auto& f) {
            return QFile::remove(f) && makePipe(f + u"~"_s) && QFile::link(f + u"~"_s, f);
        });
        QTest::newRow("made a link to /dev/zero")
            << changed(kInvalid, [](auto& f) { return QFile::remove(f) && QFile::link(u"/dev/zero"_s, f); });
        QTest::newRow("made a loop of links")
            << changed(kFatal, [](auto& f) { return QFile::remove(f) && QFile::link(f, f); });
    }

    // A neighbour decoded ahead shows at once as it is now, or a message says why not.
    void outcomes() {
        QFETCH(Outcome, row);
        FakeWine wine(true, {{u"a.bmp"_s, picture(20)}, {row.name, row.bytes}, {u"z.bmp"_s, picture(40)}});
        const QString file = wine.shots() + u'/' + row.name, z = wine.shots() + u"/z.bmp"_s;
        QPointer<showpic> form = openViewer();
        // A million pixels stand in for the real budget, whose pictures are too large to write here.
        form->pictures()->setBudget(4000000);
        TestSupport::MessageRecorder messages;
        form->File1->setListIndex(0); // shows a.bmp, then decodes the file ahead
        // A small picture costs less to decode than a trip to the worker and back: it shows at once.
        QCOMPARE(form->Image1->picture().width(), 20);
        QTRY_VERIFY(form->pictures()->held().contains(form->File1->fullPath(1)));
        QVERIFY(!row.change || row.change(file));
        TestSupport::press(Qt::Key_Down);
        if (row.shown.isValid()) {
            if (!row.change)
                QCOMPARE(form->Image1->picture().size(), row.shown);
            QTRY_COMPARE(form->Image1->picture().size(), row.shown);
            const QImage now(file);
            QVERIFY(now.isNull() || form->Image1->picture().pixelColor(0, 0) == now.pixelColor(0, 0));
            QVERIFY(messages.messages.isEmpty());
            return;
        }
        QCOMPARE(messages.texts(), QStringList{row.message == kFatal ? row.message : file + row.message});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(form.isNull(), row.message == kFatal);
        QVERIFY(!form || form->Image1->picture().width() == 20);
        if (row.message != kGone)
            return;
        // Found gone, by key or by mouse: the list is read again with nothing highlighted that is not picked.
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

    void oddNames_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("opener"); // the exit status of the program that opens files
        const QString shell = u"my \"shot\" & $HOME; rm -rf x_1.bmp"_s;
        QTest::newRow("a shell's characters") << shell.toUtf8() << shell << 0;
        const QString cp950 = u"截圖 一.bmp"_s, backslashes = u"b\\..\\..\\a.bmp"_s; // backslashes: one name
        QTest::newRow("code page 950, from a Windows archive") << TestSupport::toCp950(cp950) << cp950 << 3;
        QTest::newRow("backslashes") << backslashes.toUtf8() << backslashes << 0;
    }

    // A name is listed as the player reads it, and the file itself handed over, asked about and deleted.
    void oddNames() {
        QFETCH(QByteArray, name);
        QFETCH(QString, shown);
        QFETCH(int, opener);
        // A picture where the name would lead if it were split into folders, and one beside the odd one.
        FakeWine wine(true,
                      {{u"../a.bmp"_s, picture(99)}, {u"z.bmp"_s, picture(12)}, {u"new.bmp"_s, picture(21)}});
        const QString opens = wine.filePath(u"xdg-open"_s), record = wine.filePath(u"argv"_s);
        const QByteArray to = QFile::encodeName(record);
        QVERIFY(writeFile(opens, "#!/bin/sh\nprintf '%s\\n' \"$@\" >\"" + to + ".t\"; mv \"" + to +
                                     ".t\" \"" + to + "\"; exit " + QByteArray::number(opener) + "\n"));
        QVERIFY(QFile::setPermissions(opens, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(wine.path()) + ':' + oldPath);
        const auto restorePath = qScopeGuard([&oldPath] { qputenv("PATH", oldPath); });
        const QString shots = wine.shots(), item = FileNames::fromBytes(name);
        const QByteArray raw = FileNames::toBytes(shots) + '/' + name;
        QCOMPARE(::rename(QFile::encodeName(shots + u"/new.bmp"_s).constData(), raw.constData()), 0);
        // Qt cannot remove a name it cannot decode; the temporary folder goes only once this name is gone.
        const auto removeRaw = qScopeGuard([&raw] { ::unlink(raw.constData()); });
        auto* form = openViewer();
        TestSupport::MessageRecorder messages;
        const int row = int(form->File1->items().indexOf(item));
        form->File1->setListIndex(row);
        QCOMPARE(form->File1->model()->index(row, 0).data().toString().trimmed(), shown);
        QTRY_COMPARE(form->Image1->picture().width(), 21);

        const QString argument = FileNames::hasRawBytes(item)
                                     ? u"file://"_s + QString::fromLatin1(raw.toPercentEncoding("/"))
                                     : shots + u'/' + item;
        const QString refusal = u"無法開啟檔案:\"%1/%2\"\r沒有可以開啟這種檔案的程式。"_s.arg(shots, shown);
        const auto opened = [&record] { return QString::fromLocal8Bit(TestSupport::readFile(record)); };
        opener ? click(form->File1, row, true) : TestSupport::press(Qt::Key_Return); // both open
        QTRY_COMPARE(opened(), argument + u'\n');                                    // one argument, one line
        QTRY_COMPARE(messages.texts(), opener ? QStringList{refusal} : QStringList());
        messages.messages.clear();
        messages.answers = {Module1::MsgResult::Yes};
        TestSupport::press(Qt::Key_Delete);
        QCOMPARE(messages.texts(),
                 QStringList{u"刪除檔案:\"%1/%2\"?\r(檔案會移到資源回收筒)"_s.arg(shots, shown)});
        QVERIFY(::access(raw.constData(), F_OK) != 0 && QFile::exists(shots + u"/../a.bmp"_s));
        QCOMPARE(form->File1->items(), QStringList{"z.bmp"});
        QTRY_COMPARE(form->Image1->picture().width(), 12);
        // From the trash, back under its own bytes.
        TestSupport::press(Qt::ControlModifier | Qt::Key_Z);
        QVERIFY(::access(raw.constData(), F_OK) == 0 && form->selectedPath() == shots + u'/' + item);
    }

    void deletion_data() {
        QTest::addColumn<int>("pick"); // of five files; file i is 10 + i pixels wide
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QList<Module1::MsgResult>>("answers");
        QTest::addColumn<int>(
            "change"); // by another program once shown: 1 removed, 2 the next renamed over it
        QTest::addColumn<QString>("message"); // %1 standing for the file
        QTest::addColumn<int>("shownWidth");  // of the file picked after
        const QKeyCombination del(Qt::Key_Delete), shift(Qt::ShiftModifier | Qt::Key_Delete);
        const QList<Module1::MsgResult> none, no{Module1::MsgResult::No};
        // Delete answered Yes is in oddNames().
        QTest::newRow("Shift+Delete last of five") << 4 << shift << none << 0 << "" << 13;
        QTest::newRow("No keeps everything")
            << 2 << del << no << 0 << u"刪除檔案:\"%1\"?\r(檔案會移到資源回收筒)"_s << 12;
        QTest::newRow("already gone: list and picture stay, so the player sees what failed")
            << 1 << shift << none << 1 << u"無法刪除檔案:\"%1\"\r檔案已經不存在"_s << 11;
        QTest::newRow("another file under the name: never seen, so it stays")
            << 1 << shift << none << 2 << u"%1 已經不存在。"_s << 11;
    }

    // Only the listed file goes, and only when the player asked for it.
    void deletion() {
        QFETCH(int, pick);
        QFETCH(QKeyCombination, key);
        QFETCH(QList<Module1::MsgResult>, answers);
        QFETCH(int, change);
        QFETCH(QString, message);
        QFETCH(int, shownWidth);
        FakeWine wine;
        QStringList names{"s0.bmp", "s1.bmp", "s2.bmp", "s3.bmp", "s4.bmp"};
        for (int i = 0; i < 5; ++i)
            writeFile(wine.shots() + u'/' + names[i], picture(10 + i));
        const QString victim = wine.shots() + u'/' + names[pick];
        // Read-only, with a second link elsewhere: deleting this name changes nothing of the other.
        const QByteArray other = QFile::encodeName(wine.filePath(u"elsewhere.bmp"_s));
        QVERIFY(::chmod(QFile::encodeName(victim), 0444) == 0 &&
                ::link(QFile::encodeName(victim), other) == 0);
        auto* form = openViewer(pick);
        QTRY_COMPARE(form->Image1->picture().width(), 10 + pick);
        const bool gone = change == 1;
        QVERIFY(!gone || QFile::remove(victim));
        if (change == 2) {
            QVERIFY(QFile::rename(victim, wine.filePath(u"kept.bmp"_s)) &&
                    QFile::rename(wine.shots() + u"/s2.bmp"_s, victim));
            names.removeAt(2);
        }
        TestSupport::MessageRecorder messages;
        messages.answers = answers;
        TestSupport::press(key);
        QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList{message.arg(victim)});
        const bool deleted =
            change == 0 && answers.value(0, Module1::MsgResult::Yes) == Module1::MsgResult::Yes;
        QCOMPARE(QFileInfo::exists(victim), !deleted && !gone);
        QVERIFY(change != 2 || QFileInfo::exists(wine.filePath(u"kept.bmp"_s)));
        if (deleted)
            names.removeAt(pick);
        QCOMPARE(form->File1->items(), names);
        // Renamed over: the list is read again with nothing picked, as for a picture that vanished.
        QCOMPARE(form->File1->listIndex(),
                 change == 2 ? -1 : names.indexOf(u"s%1.bmp"_s.arg(shownWidth - 10)));
        QTRY_COMPARE(form->Image1->picture().width(), shownWidth);
        struct stat kept {};
        QVERIFY(::stat(other, &kept) == 0 && (kept.st_mode & 0777) == 0444);
    }

    // Neighbours are decoded ahead, once; work for a pick the player has left is dropped.
    void prefetch() {
        FakeWine wine;
        for (int i = 0; i < 6; ++i)
            writeFile(wine.shots() + u"/p%1.bmp"_s.arg(i), picture(10 + i));
        auto* form = openViewer();
        // Counts each file's decodes; the first of p0.bmp waits for the gate.
        const auto counts = std::make_shared<std::array<std::atomic_int, 6>>();
        const auto gate = std::make_shared<QSemaphore>();
        form->pictures()->setDecoder(
            [counts, gate](const QString& path, qint64 budget, const std::atomic_bool& cancelled) {
                const int i = QFileInfo(path).baseName().mid(1).toInt();
                if (counts->at(i)++ == 0 && i == 0)
                    gate->acquire();
                return Platform::loadPicture(path, budget, &cancelled);
            });
        const auto releaseAtEnd = qScopeGuard([&gate] { gate->release(); });
        QSignalSpy outcomes(form->pictures(), &PictureCache::ready);
        form->File1->setListIndex(0);
        QTRY_COMPARE(counts->at(0), 1);
        form->File1->setListIndex(4);
        gate->release();
        QTRY_COMPARE(form->Image1->picture().width(), 14);
        // The late picture never showed, and the neighbours of the first pick were never decoded.
        QCOMPARE(outcomes.size(), 1);
        QCOMPARE(outcomes.first().first().toString(), form->File1->fullPath(4));
        QCOMPARE(counts->at(1), 0);
        QTRY_COMPARE(counts->at(3) + counts->at(4) + counts->at(5), 3);
    }

    void panning_data() {
        QTest::addColumn<Pan>("row");
        const QSize large(2000, 1500);
        // Drags stay inside the window, as a player's do; five of them cross the whole picture.
        const QList<QPoint> across(5, QPoint(-380, -230));
        QTest::newRow("dragged to its bottom-right corner") << Pan{large, across, 0, {}, {kFar, kFar}};
        QTest::newRow("wheel down a notch") << Pan{large, {}, 1, {}, {0, 100}};
        QTest::newRow("Shift and wheel down: across") << Pan{large, {}, 1, Qt::ShiftModifier, {100, 0}};
        QTest::newRow("fits: centred and still") << Pan{{40, 30}, {{-30, -20}}, 1, Qt::ShiftModifier, {0, 0}};
    }

    // A picture larger than its frame is moved by dragging and the wheel, never past its edges, under a hand.
    void panning() {
        QFETCH(Pan, row);
        const auto& [size, drags, wheel, modifiers, pan] = row;
        FakeWine wine(true, {{u"a.bmp"_s, picture(size.width(), size.height())},
                             {u"b.bmp"_s, picture(size.width() - 1, size.height())}});
        auto* form = openViewer();
        form->setWindowState(Qt::WindowNoState);
        form->resize(700, 500);
        form->File1->setListIndex(0);
        QTRY_COMPARE(form->Image1->size(), size);
        const QRect inner = form->Picture1->contentsRect();
        // Centred when it fits (an odd pixel left over goes to the far side), else moved back by the pan.
        const auto start = [](int frame, int length, int pan) {
            return length <= frame ? (frame - length) / 2 : pan == kFar ? frame - length : -pan;
        };
        const QPoint middle = form->Picture1->mapTo(form, inner.center());
        const bool movable = size.width() > inner.width() || size.height() > inner.height();
        const Qt::CursorShape idle = movable ? Qt::OpenHandCursor : Qt::ArrowCursor;
        QCOMPARE(form->Image1->cursor().shape(), idle);
        for (const QPoint& d : drags) {
            QTest::mousePress(form->windowHandle(), Qt::LeftButton, {}, middle);
            QCOMPARE(form->Image1->cursor().shape(), movable ? Qt::ClosedHandCursor : Qt::ArrowCursor);
            QTest::mouseMove(form->windowHandle(), middle + d / 2);
            QTest::mouseMove(form->windowHandle(), middle + d);
            QTest::mouseRelease(form->windowHandle(), Qt::LeftButton, {}, middle + d);
            QCOMPARE(form->Image1->cursor().shape(), idle);
        }
        for (int i = 0; i < wheel; ++i) {
            QWheelEvent event(middle, form->mapToGlobal(middle), {}, {0, -120}, {}, modifiers,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(form->windowHandle(), &event);
        }
        QCOMPARE(form->Image1->pos() - inner.topLeft(),
                 QPoint(start(inner.width(), size.width(), pan.x()),
                        start(inner.height(), size.height(), pan.y())));

        // The keys stay with the list, and the next picture opens at its top-left corner.
        TestSupport::press(Qt::Key_Down);
        QTRY_COMPARE(form->Image1->width(), size.width() - 1);
        QCOMPARE(form->Image1->pos() - inner.topLeft(),
                 QPoint(start(inner.width(), size.width() - 1, 0), start(inner.height(), size.height(), 0)));
    }

private:
    QTemporaryDir desktop_;
};

QTEST_MAIN(tst_showpic)
#include "tst_showpic.moc"
