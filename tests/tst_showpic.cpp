// Pictures decode off the interface thread. What a pick shows is checked with QTRY_... (Qt Test's polling
// wait, at most five seconds); an outcome the player must get at once (a picked file that is gone, a
// neighbour decoded ahead) is checked right after the key, without waiting.

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
#include <QMutex>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWaitCondition>
#include <QWheelEvent>

#include <functional>
#include <optional>

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

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size(), qPrintable(path));
    f.close();
    TestSupport::keepAsSeed(path);
}

bool makePipe(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

// What the rows of a list show.
QStringList shownRows(const QAbstractItemView* view) {
    QStringList rows;
    for (int i = 0; i < view->model()->rowCount(); ++i)
        rows.append(view->model()->index(i, 0).data().toString().trimmed());
    return rows;
}

// A Wine prefix in a temporary folder, optionally holding the game's screenshot folder, which any user
// may change.
class FakeWine {
public:
    explicit FakeWine(bool withGame = true) : old_(qgetenv("WINEPREFIX")) {
        QDir().mkpath(path(withGame ? kGame : u"drive_c"_s));
        qputenv("WINEPREFIX", dir_.path().toLocal8Bit());
        openToAll();
    }
    ~FakeWine() {
        openToAll();
        old_.isNull() ? qunsetenv("WINEPREFIX") : qputenv("WINEPREFIX", old_);
    }
    [[nodiscard]] QString path(const QString& relative) const { return dir_.filePath(relative); }
    [[nodiscard]] QString shots() const { return path(kGame); }

private:
    void openToAll() const {
        const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                         QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                         QFileDevice::ExeOther;
        QFile::setPermissions(dir_.path(), all);
        QFile::setPermissions(shots(), all | QFileDevice::WriteGroup | QFileDevice::WriteOther);
    }
    QTemporaryDir dir_;
    QByteArray old_;
};

// Permission bits do not hold back root. While this lives, a test run by root acts as an ordinary player
// (the user "nobody", real and effective, as access() asks the real one), so a file's permissions count;
// for anyone else it changes nothing. Root stays the saved user, to come back to.
class AsPlayer {
public:
    static constexpr uid_t kNobody = 65534;
    AsPlayer()
        : active_(::geteuid() == 0 && ::setresgid(kNobody, kNobody, 0) == 0 &&
                  ::setresuid(kNobody, kNobody, 0) == 0) {}
    ~AsPlayer() {
        if (active_ && (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0))
            qFatal("could not take back root's rights");
    }
    AsPlayer(const AsPlayer&) = delete;
    AsPlayer& operator=(const AsPlayer&) = delete;

private:
    bool active_;
};

// Opens the viewer and lets its start-up picture show, 100 ms later, so that it cannot replace a picture
// the test picks meanwhile; then the list takes the keys and picks file `pick`, if any.
showpic* openViewer(int pick = -1) {
    auto* form = FormBase::open<showpic>();
    if (!QTest::qWaitFor([form] { return !form->Timer1->isActive(); }) || !QTest::qWaitForWindowActive(form))
        qWarning("the viewer did not settle");
    form->File1->setFocus();
    form->File1->setListIndex(pick);
    return form;
}

// Stands in for the viewer's decoder: counts the decodes of each file name and can hold one back until
// released. Shared with the decoder, so a decode still under way outlives the test's own copy safely.
struct Decodes {
    QMutex mutex;
    QWaitCondition released;
    QHash<QString, int> counts;
    QString held;
    int count(const QString& name) {
        QMutexLocker lock(&mutex);
        return counts.value(name);
    }
    void hold(const QString& name) {
        QMutexLocker lock(&mutex);
        held = name;
    }
    void release() {
        QMutexLocker lock(&mutex);
        held.clear();
        released.wakeAll();
    }
};

std::shared_ptr<Decodes> countDecodes(PictureCache* cache) {
    auto decodes = std::make_shared<Decodes>();
    cache->setDecoder([decodes](const QString& path, qint64 budget, const std::atomic_bool& cancelled) {
        {
            QMutexLocker lock(&decodes->mutex);
            const QString name = QFileInfo(path).fileName();
            ++decodes->counts[name];
            while (decodes->held == name)
                decodes->released.wait(&decodes->mutex);
        }
        return Platform::loadPicture(path, budget, &cancelled);
    });
    return decodes;
}

} // namespace

class tst_showpic : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void startup_data();
    void startup();
    void folders();
    void dateFilter();
    void combosBlockTyping();
    void outcomes_data();
    void outcomes();
    void oddNames_data();
    void oddNames();
    void deletion_data();
    void deletion();
    void behindTheViewer_data();
    void behindTheViewer();
    void prefetch();
    void panning_data();
    void panning();
    void startupPictureOnce();
    void lostFocusRereads_data();
    void lostFocusRereads();
    void pictureListMode();
};

void tst_showpic::startup_data() {
    QTest::addColumn<bool>("game");
    QTest::newRow("game folder present") << true;
    QTest::newRow("game folder missing") << false;
}

// The viewer opens on the game's screenshots, else beside the program; a button goes back to them.
void tst_showpic::startup() {
    QFETCH(bool, game);
    FakeWine wine(game);
    TestSupport::ProgramFolder program;
    const QString sub = program.path() + u"/sub"_s;
    QDir().mkpath(sub);
    MessageRecorder messages;
    auto* form = FormBase::open<showpic>();
    const QString title = u"看圖程式 版本:1.0.116 現在開啟目錄: "_s;
    QCOMPARE(form->windowTitle(), title + (game ? wine.shots() : program.path()));
    QCOMPARE(form->Dir1->path(), game ? wine.shots() : program.path());
    QCOMPARE(form->Drive1->drive(), wine.path(u"drive_c"_s));
    QVERIFY(form->isMaximized());
    QCOMPARE(form->Combo1->currentText() + form->Combo2->currentText() + form->Combo3->currentText(),
             QDate::currentDate().toString(u"yyMMdd"_s));
    QVERIFY(form->Dir1->setPath(sub));
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(form->windowTitle(), title + (game ? wine.shots() : sub));
    QCOMPARE(form->Dir1->path(), game ? wine.shots() : sub);
    QCOMPARE(messages.texts(), game ? QStringList() : QStringList{u"找不到QM安裝目錄"_s});
    messages.messages.clear();
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QCOMPARE(messages.texts(),
             QStringList{u"按Delete鍵可以刪除圖檔\r\nShift+Delete則可以刪除而不用使用者確認\r\n"
                         "按Enter則可呼叫預設圖檔編輯程式。"_s});
}

// Only folders are places to go and only pictures are listed: pipes, devices and broken links are neither.
void tst_showpic::folders() {
    FakeWine wine(false);
    TestSupport::ProgramFolder program;
    const QString root = program.path(), shots = root + u"/shots"_s;
    QDir().mkpath(root + u"/empty"_s);
    QDir().mkpath(shots + u"/folder.bmp"_s);
    for (const char* name : {"b.BMP", "A.jpg", "c.txt", ".hidden.bmp", "a.gif", "Z.ico", "x.wmf", "y.jpeg"})
        writeFile(shots + u'/' + QLatin1String(name), {});
    QVERIFY(makePipe(shots + u"/pipe.bmp"_s));
    const QList<std::pair<QString, QString>> links{{shots + u"/pipe.bmp"_s, u"p.bmp"_s},
                                                   {u"/dev/zero"_s, u"zero.bmp"_s},
                                                   {shots + u"/b.BMP"_s, u"link to b.bmp"_s},
                                                   {root + u"/empty"_s, u"link to empty"_s},
                                                   {u"/dev/zero"_s, u"zero"_s},
                                                   {shots + u"/pipe.bmp"_s, u"pipe"_s},
                                                   {root + u"/nowhere"_s, u"broken"_s}};
    for (const auto& [target, name] : links)
        QVERIFY(QFile::link(target, shots + u'/' + name));
    MessageRecorder messages;
    auto* form = openViewer();
    QVERIFY(form->Dir1->setPath(root));
    QCOMPARE(shownRows(form->Dir1).first(), u"/"_s);
    QCOMPARE(shownRows(form->Dir1).last(3), (QStringList{QFileInfo(root).fileName(), "empty", "shots"}));

    // Double-click opens a folder with nothing in it: the label shows in place of the list.
    const QPoint at = form->Dir1->visualItemRect(form->Dir1->item(form->Dir1->count() - 2)).center();
    QTest::mouseClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(form->Dir1->path(), root + u"/empty"_s);
    QVERIFY(form->File1->isHidden() && !form->Label1->isHidden());
    QCOMPARE(form->windowTitle(),
             u"看圖程式 Beta 2 qmquery 玩家工具  現在開啟的目錄: \""_s + (root + u"/empty\""_s).toUpper());
    // Enter on the parent entry, then on a folder with pictures: the list comes back.
    form->Dir1->setFocus();
    form->Dir1->setCurrentRow(form->Dir1->count() - 2);
    TestSupport::press(Qt::Key_Return);
    QCOMPARE(form->Dir1->path(), root);
    form->Dir1->setCurrentRow(form->Dir1->count() - 1);
    TestSupport::press(Qt::Key_Return);
    QCOMPARE(form->Dir1->path(), shots);
    QVERIFY(!form->File1->isHidden());
    QCOMPARE(form->File1->items(),
             (QStringList{"a.gif", "A.jpg", "b.BMP", "link to b.bmp", "x.wmf", "Z.ico"}));
    QCOMPARE(shownRows(form->Dir1).last(3), (QStringList{"shots", "folder.bmp", "link to empty"}));
    QVERIFY(!form->File1->setPath(root + u"/missing"_s) && form->File1->setPath(shots));

    // A drive that cannot be read: a message, and the viewer stays where it was.
    form->Drive1->setDrives({Platform::driveC(), {u"x:"_s, wine.path(u"no-medium"_s)}});
    form->Drive1->setCurrentIndex(1);
    QCOMPARE(messages.texts(),
             QStringList{u"無法存取指定磁碟機，\r請確定系統已經連上該裝置。\rERROR: 裝置尚未就緒。"_s});
    QCOMPARE(form->Dir1->path(), shots);
    form->Drive1->setCurrentIndex(0);
    QCOMPARE(form->Dir1->path(), wine.path(u"drive_c"_s));
    QCOMPARE(messages.messages.size(), 1);
}

void tst_showpic::dateFilter() {
    FakeWine wine;
    const QString shots = wine.shots();
    QDir().mkpath(shots + u"/old"_s);
    for (const char* n : {"qm020315_001.bmp", "QM020315_002.BMP", "qm020316_001.bmp", "qm030315_001.bmp",
                          "qm020315_01.bmp", "other.jpg", "old/qm991231_007.bmp", "old/snap.bmp"})
        writeFile(shots + u'/' + QLatin1String(n), {});
    auto* form = FormBase::open<showpic>();
    const auto enabled = [form] {
        return QList<bool>{form->Combo1->isEnabled(), form->Combo2->isEnabled(), form->Combo3->isEnabled(),
                           form->Command5->isEnabled(), form->Command4->isEnabled()};
    };
    QCOMPARE(enabled(), (QList<bool>{false, false, false, false, true}));
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QCOMPARE(enabled(), (QList<bool>{true, true, true, true, false}));
    QCOMPARE(form->File1->listCount(), 6);
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
    QCOMPARE(find("??", "??", "??").size(), 4);
    // The date pattern stays across folders.
    QVERIFY(form->Dir1->setPath(shots + u"/old"_s));
    QCOMPARE(form->File1->items(), QStringList{"qm991231_007.bmp"});
    QVERIFY(form->Dir1->setPath(shots));
    find("00", "01", "01");
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QVERIFY(!form->File1->isHidden());
    QCOMPARE(form->File1->listCount(), 6);
    QCOMPARE(enabled(), (QList<bool>{false, false, false, false, true}));
    QCOMPARE(form->Combo1->currentText(), u"00"_s);
}

void tst_showpic::combosBlockTyping() {
    FakeWine wine;
    auto* form = openViewer();
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    form->Combo2->setCurrentIndex(0);
    form->Combo2->setFocus();
    // Keys reach the combo first, whatever it hands them on to; input methods and drops are refused.
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
}

void tst_showpic::outcomes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Change>("change"); // made once the file is listed
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<QSize>("shown");     // the picture shown, or none and
    QTest::addColumn<QString>("message"); // this message, %1 standing for the file
    const qint64 all = PictureBudget::kBytes;
    // A budget of a million pixels stands in for the real one, whose pictures are too large to write here.
    const qint64 million = 4000000;
    const auto shows = [all](const char* row, const char* name, const QByteArray& bytes, QSize size) {
        QTest::newRow(row) << QString::fromLatin1(name) << bytes << Change() << all << size << QString();
    };
    const auto refused = [all](const char* row, const char* name, const QByteArray& bytes,
                               Change change = {}) {
        QTest::newRow(row) << QString::fromLatin1(name) << bytes << change << all << QSize()
                           << u"%1"_s + kInvalid;
    };
    WmfWriter wmf;
    wmf.placeable = true, wmf.bounds = QRect(0, 0, 1440, 720), wmf.unitsPerInch = 1440;
    shows("JPEG", "p.jpg", picture(40, 30, "JPG"), {40, 30});
    shows("icon", "p.ico", picture(32, 32, "ICO"), {32, 32});
    shows("metafile an inch by half an inch", "p.wmf", wmf.windowExt(1440, 720).bytes(), {96, 48});
    shows("progressive JPEG of the usual ten scans", "p.jpg", JpegWriter::progressive(64, 48, 9), {64, 48});
    shows("an 18-megapixel camera photo", "big.jpg", picture(5184, 3456, "JPG"), {5184, 3456});
    QTest::newRow("exactly the budget")
        << "big.bmp" << picture(1000, 1000) << Change() << million << QSize(1000, 1000) << "";
    QTest::newRow("one row over the budget")
        << "big.bmp" << picture(1000, 1001) << Change() << million << QSize()
        << u"%1 圖片太大(1000×1001像素)，超過可顯示的上限(1百萬像素)。"_s;
    QTest::newRow("a JPEG over the budget")
        << "big.jpg" << picture(1500, 800, "JPG") << Change() << million << QSize()
        << u"%1 圖片太大(1500×800像素)，超過可顯示的上限(1百萬像素)。"_s;

    QByteArray truncated = picture(64, 64);
    truncated.chop(500);
    // Fixed seeds: the same bytes on every run, so a failure can be reproduced.
    const auto random = [](quint32 seed) {
        QRandomGenerator generator(seed);
        QByteArray b(4000, '\0');
        for (char& c : b)
            c = char(generator.bounded(256));
        return b;
    };
    refused("text named .jpg", "notes.jpg", "just some text, not a picture\r\n");
    refused("random .bmp", "r.bmp", random(1));
    refused("random .gif", "r.gif", random(2));
    refused("random .jpg", "r.jpg", random(3));
    refused("random .ico", "r.ico", random(4));
    refused("random .wmf", "r.wmf", random(5));
    refused("empty .bmp", "e.bmp", {});
    refused("truncated .bmp", "t.bmp", truncated);
    // An RLE BMP claiming 30000 x 30000 pixels: only the allocation limit stops it.
    refused("huge RLE .bmp", "h.bmp",
            QByteArray::fromHex("424d0000000000000000360000002800000030750000307500000100080001000000"
                                "0000000000000000000000000000000000000000") +
                QByteArray(64, '\0'));
    // A GIF whose screen and image claim 65535 x 65535.
    refused("huge .gif", "h.gif",
            QByteArray::fromHex("474946383961ffffffff0000002c00000000ffffffff0002024c01003b"));
    // Found by fuzzing: a reader reported success with no picture at all.
    refused("icon reader gives no picture", "f.ico",
            QByteArray::fromHex("8a4d4e470d0a1a0a00000000000000360000000000002700002728004d0603000000005a"));
    // Types the viewer does not offer are not decoded, whatever readers happen to be installed.
    refused("png named .bmp", "p.bmp", picture(4, 4, "PNG"));
    // Each scan costs the decoder a pass over the picture: thousands of them would hold it for seconds.
    refused("progressive .jpg of 20,000 scans", "s.jpg", JpegWriter::progressive(512, 512, 20000));
    // Only regular files are opened: anything else is refused before it is opened, without blocking.
    const QByteArray fine = picture(30);
    refused("replaced by a pipe after listing", "b.bmp", fine,
            [](const QString& f) { return QFile::remove(f) && makePipe(f); });
    refused("replaced by a link to a pipe", "b.bmp", fine, [](const QString& f) {
        return QFile::remove(f) && makePipe(f + u".fifo"_s) && QFile::link(f + u".fifo"_s, f);
    });
    refused("replaced by a link to /dev/zero", "b.bmp", fine,
            [](const QString& f) { return QFile::remove(f) && QFile::link(u"/dev/zero"_s, f); });
    refused("replaced by a folder", "b.bmp", fine,
            [](const QString& f) { return QFile::remove(f) && QDir().mkdir(f); });
    // There but unreadable: the closing message, not "gone".
    QTest::newRow("replaced by a loop of links")
        << "b.bmp" << fine << Change([](const QString& f) { return QFile::remove(f) && QFile::link(f, f); })
        << all << QSize() << kFatal;
    QTest::newRow("its folder listable but no longer searchable")
        << "b.bmp" << fine << Change([](const QString& f) {
               return QFile::setPermissions(QFileInfo(f).path(),
                                            QFileDevice::ReadOwner | QFileDevice::ReadOther);
           })
        << all << QSize() << kFatal;
}

// A picked file is shown, or a message says why not while the last picture stays; only a failure the
// viewer cannot explain closes it.
void tst_showpic::outcomes() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(Change, change);
    QFETCH(qint64, budget);
    QFETCH(QSize, shown);
    QFETCH(QString, message);
    FakeWine wine;
    const QString file = wine.shots() + u'/' + name;
    writeFile(wine.shots() + u"/a.bmp"_s, picture(20));
    writeFile(file, bytes);
    QPointer<showpic> form = openViewer();
    form->pictures()->setBudget(budget);
    MessageRecorder messages;
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().width(), 20);
    std::optional<AsPlayer> player;
    if (change) {
        QVERIFY(change(file));
        player.emplace();
    }
    form->File1->setListIndex(1);
    if (shown.isValid()) {
        QTRY_COMPARE(form->Image1->picture().size(), shown);
        QVERIFY(messages.messages.isEmpty());
        return;
    }
    QTRY_COMPARE(messages.texts(), QStringList{QString(message).replace(u"%1"_s, file)});
    player.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(form.isNull(), message == kFatal);
    QVERIFY(!form || form->Image1->picture().width() == 20);
}

void tst_showpic::oddNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("opener"); // the exit status of the program that opens files
    const QByteArray shell = u"my \"shot\" & $HOME; rm -rf x_1.bmp"_s.toUtf8();
    QTest::newRow("a shell's characters, opened") << shell << QString::fromUtf8(shell) << 0;
    QTest::newRow("a shell's characters, no program for the type") << shell << QString::fromUtf8(shell) << 3;
    // Unpacked from an archive made on Windows: the name keeps its code page 950 bytes, and goes to the
    // opener as a file URL.
    QTest::newRow("code page 950 bytes") << TestSupport::toCp950(u"截圖 一.bmp"_s) << u"截圖 一.bmp"_s << 3;
    // One name in this folder, never a way up to the folder above.
    QTest::newRow("backslashes") << QByteArray("b\\..\\..\\a.bmp") << u"b\\..\\..\\a.bmp"_s << 0;
}

// A name is listed as the player reads it, its picture shown, and the file itself handed over, asked
// about and deleted.
void tst_showpic::oddNames() {
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QFETCH(int, opener);
    QTemporaryDir bin;
    const QByteArray record = bin.filePath(u"argv"_s).toLocal8Bit();
    {
        QFile script(bin.filePath(u"xdg-open"_s));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" + record +
                     ".tmp\"\nmv \"" + record + ".tmp\" \"" + record + "\"\nexit " +
                     QByteArray::number(opener) + "\n");
        QVERIFY(script.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + oldPath);
    const auto restorePath = qScopeGuard([&oldPath] { qputenv("PATH", oldPath); });
    FakeWine wine;
    const QString shots = wine.shots();
    // A picture where the name would lead if it were split into folders, and one beside the odd one.
    writeFile(shots + u"/../a.bmp"_s, picture(99));
    writeFile(shots + u"/z.bmp"_s, picture(12));
    writeFile(shots + u"/staging.bmp"_s, picture(21));
    const QByteArray raw = FileNames::toBytes(shots) + '/' + name;
    QCOMPARE(::rename(QFile::encodeName(shots + u"/staging.bmp"_s).constData(), raw.constData()), 0);
    // Qt cannot remove a name it cannot decode; the temporary folder goes only once this name is gone.
    const auto removeRaw = qScopeGuard([&raw] { ::unlink(raw.constData()); });
    const QString item = FileNames::fromBytes(name);
    auto* form = openViewer();
    MessageRecorder messages;
    const int row = int(form->File1->items().indexOf(item));
    QVERIFY(row >= 0);
    form->File1->setListIndex(row);
    QCOMPARE(shownRows(form->File1).value(row), shown);
    QTRY_COMPARE(form->Image1->picture().width(), 21);

    const QString argument = FileNames::hasRawBytes(item)
                                 ? u"file://"_s + QString::fromLatin1(raw.toPercentEncoding("/"))
                                 : shots + u'/' + item;
    const QStringList refusal = opener == 0 ? QStringList()
                                            : QStringList{u"無法開啟檔案:\""_s + shots + u'/' + shown +
                                                          u"\"\r沒有可以開啟這種檔案的程式。"_s};
    // One argument, then the final line break.
    const auto opened = [&record] {
        QFile f(QString::fromLocal8Bit(record));
        const QList<QByteArray> args =
            f.open(QIODevice::ReadOnly) ? f.readAll().split('\n') : QList<QByteArray>();
        return args.size() == 2 ? QString::fromLocal8Bit(args[0]) : QString::fromLatin1(args.join('|'));
    };
    TestSupport::press(Qt::Key_Return);
    QTRY_COMPARE(opened(), argument);
    QTRY_COMPARE(messages.texts(), refusal);
    QFile::remove(QString::fromLocal8Bit(record));
    messages.messages.clear();
    const QPoint at = form->File1->visualRect(form->File1->model()->index(row, 0)).center();
    QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(form->File1->viewport(), Qt::LeftButton, {}, at);
    QTRY_COMPARE(opened(), argument);
    QTRY_COMPARE(messages.texts(), refusal);

    messages.messages.clear();
    messages.answers = {MsgResult::Yes};
    TestSupport::press(Qt::Key_Delete);
    QCOMPARE(messages.texts(), QStringList{u"刪除檔案:\"%1/%2\"?"_s.arg(shots, shown)});
    QVERIFY(::access(raw.constData(), F_OK) != 0);
    QCOMPARE(form->File1->items(), QStringList{"z.bmp"});
    QTRY_COMPARE(form->Image1->picture().width(), 12);
    QVERIFY(QFile::exists(shots + u"/../a.bmp"_s));
}

void tst_showpic::deletion_data() {
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("pick");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QList<MsgResult>>("answers");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("gone");       // removed by another program after the list was read
    QTest::addColumn<QString>("message"); // %1 standing for the file
    QTest::addColumn<int>("newIndex");
    QTest::addColumn<int>("shownWidth");
    // Picture i is 10 + i pixels wide, so the shown width names the shown file.
    const int shift = Qt::ShiftModifier;
    const QList<MsgResult> none, yes{MsgResult::Yes}, no{MsgResult::No};
    const QString ask = u"刪除檔案:\"%1\"?"_s;
    QTest::newRow("Shift+Delete third of five") << 5 << 2 << shift << none << false << false << "" << 2 << 13;
    QTest::newRow("Shift+Delete last of five") << 5 << 4 << shift << none << false << false << "" << 3 << 13;
    QTest::newRow("only one: nothing selected")
        << 1 << 0 << shift << none << false << false << "" << -1 << 10;
    QTest::newRow("read-only without a further question")
        << 3 << 0 << shift << none << true << false << "" << 0 << 11;
    QTest::newRow("Delete asks, Yes deletes") << 5 << 2 << 0 << yes << false << false << ask << 2 << 13;
    QTest::newRow("Ctrl+Shift+Delete asks")
        << 5 << 1 << int(shift | Qt::ControlModifier) << yes << false << false << ask << 1 << 12;
    QTest::newRow("No keeps everything") << 5 << 2 << 0 << no << false << false << ask << 2 << 12;
    // The list and the picture stay as they were, so the player sees what failed.
    QTest::newRow("already gone: the list stays")
        << 3 << 1 << shift << none << false << true << u"無法刪除檔案:\"%1\"\r檔案已經不存在"_s << 1 << 11;
}

void tst_showpic::deletion() {
    QFETCH(int, files);
    QFETCH(int, pick);
    QFETCH(int, modifiers);
    QFETCH(QList<MsgResult>, answers);
    QFETCH(bool, readOnly);
    QFETCH(bool, gone);
    QFETCH(QString, message);
    QFETCH(int, newIndex);
    QFETCH(int, shownWidth);
    FakeWine wine;
    QStringList names;
    for (int i = 0; i < files; ++i) {
        names.append(u"shot%1.bmp"_s.arg(i));
        writeFile(wine.shots() + u'/' + names.last(), picture(10 + i));
    }
    const QString victim = wine.shots() + u'/' + names[pick];
    // A second link to the file elsewhere: deleting this one changes nothing of the other.
    const QByteArray victimName = QFile::encodeName(victim);
    const QByteArray other = QFile::encodeName(wine.path(u"elsewhere.bmp"_s));
    QCOMPARE(::link(victimName.constData(), other.constData()), 0);
    // The player's own file, in a folder the player may change.
    QCOMPARE(::chown(victimName.constData(), AsPlayer::kNobody, AsPlayer::kNobody), 0);
    if (readOnly)
        QFile::setPermissions(victim,
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    struct stat before {};
    QCOMPARE(::stat(other.constData(), &before), 0);
    auto* form = openViewer(pick);
    QTRY_COMPARE(form->Image1->picture().width(), 10 + pick);
    if (gone)
        QVERIFY(QFile::remove(victim));
    MessageRecorder messages;
    messages.answers = answers;
    {
        AsPlayer player;
        TestSupport::press(QKeyCombination(Qt::KeyboardModifiers(modifiers), Qt::Key_Delete));
    }
    QCOMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList{message.arg(victim)});
    const bool deleted = !gone && (answers.isEmpty() || answers.first() == MsgResult::Yes);
    QCOMPARE(QFileInfo::exists(victim), !deleted && !gone);
    if (deleted)
        names.removeAt(pick);
    QCOMPARE(form->File1->items(), names);
    QCOMPARE(form->File1->listIndex(), newIndex);
    QTRY_COMPARE(form->Image1->picture().width(), shownWidth);
    struct stat after {};
    QCOMPARE(::stat(other.constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_nlink, deleted || gone ? before.st_nlink - 1 : before.st_nlink);
}

void tst_showpic::behindTheViewer_data() {
    QTest::addColumn<Change>("change");
    QTest::addColumn<bool>("byMouse");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QImage>("shown");
    const Change removed = [](const QString& f) { return QFile::remove(f); };
    const QImage first = QImage::fromData(picture(20));
    QTest::newRow("deleted, then stepped onto with the arrow key")
        << removed << false << u" 已經不存在。"_s << first;
    QTest::newRow("deleted, then clicked") << removed << true << u" 已經不存在。"_s << first;
    const auto rewritten = [](const QByteArray& bytes) {
        return Change([bytes](const QString& f) {
            writeFile(f, bytes);
            return true;
        });
    };
    const QByteArray larger = picture(50), green = picture(30, 30, "BMP", Qt::green);
    QTest::newRow("rewritten larger") << rewritten(larger) << false << QString() << QImage::fromData(larger);
    QTest::newRow("rewritten, same size, other colour")
        << rewritten(green) << false << QString() << QImage::fromData(green);
    QTest::newRow("replaced by a pipe")
        << Change([](const QString& f) { return QFile::remove(f) && makePipe(f); }) << false << kInvalid
        << first;
    QTest::newRow("cut short") << Change([](const QString& f) { return QFile::resize(f, 20); }) << false
                               << kInvalid << first;
}

// A neighbour decoded ahead and then changed behind the viewer's back is taken as it is now.
void tst_showpic::behindTheViewer() {
    QFETCH(Change, change);
    QFETCH(bool, byMouse);
    QFETCH(QString, message);
    QFETCH(QImage, shown);
    FakeWine wine;
    const QString b = wine.shots() + u"/b.bmp"_s;
    for (int i = 0; i < 3; ++i)
        writeFile(wine.shots() + u"/%1.bmp"_s.arg(QChar(u'a' + i)), picture(20 + 10 * i));
    auto* form = openViewer(0);
    MessageRecorder messages;
    QTRY_COMPARE(form->Image1->picture().width(), 20);
    QTRY_VERIFY(form->pictures()->held().contains(form->File1->fullPath(1)));
    QVERIFY(change(b));
    if (byMouse) {
        const QRect row = form->File1->visualRect(form->File1->model()->index(1, 0));
        QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {}, row.center());
    } else {
        TestSupport::press(Qt::Key_Down);
    }
    if (QFileInfo::exists(b)) {
        QTRY_COMPARE(messages.texts(), message.isEmpty() ? QStringList() : QStringList{b + message});
        QTRY_COMPARE(form->Image1->picture().size(), shown.size());
        QCOMPARE(form->Image1->picture().pixelColor(0, 0), shown.pixelColor(0, 0));
        return;
    }
    // A file found gone is reported at once and the list read again, with nothing highlighted that is
    // not picked: the keys act on what is shown.
    QCOMPARE(messages.texts(), QStringList{b + message});
    QCOMPARE(form->File1->items(), (QStringList{"a.bmp", "c.bmp"}));
    QCOMPARE(form->Image1->picture().width(), 20);
    QTest::qWait(10);
    QCOMPARE(form->File1->selectionModel()->selectedIndexes().size(), 0);
    QVERIFY(!form->File1->currentIndex().isValid());
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(form->File1->currentIndex().row(), 0);
    QCOMPARE(form->File1->selectionModel()->selectedIndexes().first().row(), 0);
    TestSupport::press(Qt::Key_Down);
    QTRY_COMPARE(form->Image1->picture().width(), 40);
}

// The neighbours of the shown picture are decoded ahead, once; work for a pick the player has left is
// dropped.
void tst_showpic::prefetch() {
    FakeWine wine;
    for (int i = 0; i < 6; ++i)
        writeFile(wine.shots() + u"/p%1.bmp"_s.arg(i), picture(10 + i));
    auto* form = openViewer();
    const auto decodes = countDecodes(form->pictures());
    const auto releaseAll = qScopeGuard([&decodes] { decodes->release(); });
    QSignalSpy outcomes(form->pictures(), &PictureCache::ready);
    MessageRecorder messages;
    const auto paths = [form](std::initializer_list<int> rows) {
        QStringList list;
        for (int i : rows)
            list.append(form->File1->fullPath(i));
        return list;
    };
    // The first pick's decode is still under way when the player picks another file far away.
    decodes->hold(u"p0.bmp"_s);
    form->File1->setListIndex(0);
    QTRY_COMPARE(decodes->count(u"p0.bmp"_s), 1);
    form->File1->setListIndex(4);
    QTest::qWait(50);
    QVERIFY(form->Image1->picture().width() != 10);
    decodes->release();
    QTRY_COMPARE(form->Image1->picture().width(), 14);
    QTRY_COMPARE(form->pictures()->held(), paths({3, 4, 5}));
    // The late picture never showed, and the neighbours of the first pick were never decoded.
    QCOMPARE(outcomes.size(), 1);
    QCOMPARE(outcomes.first().first().toString(), form->File1->fullPath(4));
    QCOMPARE(decodes->count(u"p1.bmp"_s), 0);

    // A neighbour shows with the key itself, without waiting on a decode.
    TestSupport::press(Qt::Key_Up);
    QCOMPARE(form->Image1->picture().width(), 13);
    QTRY_COMPARE(form->pictures()->held(), paths({2, 3, 4}));
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(form->Image1->picture().width(), 14);
    QTRY_COMPARE(form->pictures()->held(), paths({3, 4, 5}));
    // Each picture was decoded once, and the one let go is decoded again when it comes back.
    for (int i = 2; i <= 5; ++i)
        QCOMPARE(decodes->count(u"p%1.bmp"_s.arg(i)), i == 5 ? 2 : 1);
    // A jump far away lets the old neighbourhood go.
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().width(), 10);
    QTRY_COMPARE(form->pictures()->held(), paths({0, 1}));
    QVERIFY(messages.messages.isEmpty());
}

namespace {

constexpr int kFar = -1; // as far as the picture goes

// Whether a picture is where it belongs along one axis: centred when it fits (an odd pixel left over goes
// to the far side), else moved back by the pan.
bool placed(int start, int innerStart, int innerLen, int len, int pan) {
    if (len > innerLen)
        return start == innerStart - (pan == kFar ? len - innerLen : pan);
    const int before = start - innerStart;
    const int after = innerStart + innerLen - start - len;
    return before >= 0 && (after - before == 0 || after - before == 1);
}

bool placed(const QRect& image, const QRect& frame, QPoint pan) {
    return placed(image.left(), frame.left(), frame.width(), image.width(), pan.x()) &&
           placed(image.top(), frame.top(), frame.height(), image.height(), pan.y());
}

} // namespace

void tst_showpic::panning_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<QPoint>>("drags");
    QTest::addColumn<QPoint>("wheel");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QPoint>("pan");
    const QSize large(2000, 1500);
    const QList<QPoint> none;
    // Drags stay inside the window, as a player's do; several of them cross the whole picture.
    const QList<QPoint> toCorner(5, QPoint(-380, -230));
    QTest::newRow("dragged to its bottom-right corner")
        << large << toCorner << QPoint() << false << QPoint(kFar, kFar);
    QTest::newRow("dragged part of the way")
        << large << QList<QPoint>{{-30, -20}} << QPoint() << false << QPoint(30, 20);
    QTest::newRow("dragged back past its start")
        << large << toCorner + QList<QPoint>(8, QPoint(280, 240)) << QPoint() << false << QPoint(0, 0);
    QTest::newRow("wheel down a notch") << large << none << QPoint(0, -120) << false << QPoint(0, 100);
    QTest::newRow("Shift and wheel down: across")
        << large << none << QPoint(0, -120) << true << QPoint(100, 0);
    QTest::newRow("wheel up at the top stays") << large << none << QPoint(0, 120) << false << QPoint(0, 0);
    QTest::newRow("wider only: the other way stays centred")
        << QSize(2000, 40) << QList<QPoint>{{-30, -30}} << QPoint(0, -120) << false << QPoint(30, 0);
    QTest::newRow("fits: centred and still")
        << QSize(40, 30) << QList<QPoint>{{-30, -30}} << QPoint(0, -120) << true << QPoint(0, 0);
}

// A picture larger than its frame is moved by dragging and the wheel, never past its edges; the keys stay
// with the list, and the next picture opens at its top-left corner.
void tst_showpic::panning() {
    QFETCH(QSize, size);
    QFETCH(QList<QPoint>, drags);
    QFETCH(QPoint, wheel);
    QFETCH(bool, shift);
    QFETCH(QPoint, pan);
    FakeWine wine;
    writeFile(wine.shots() + u"/a.bmp"_s, picture(size.width(), size.height()));
    writeFile(wine.shots() + u"/b.bmp"_s, picture(size.width() - 1, size.height()));
    auto* form = openViewer();
    form->setWindowState(Qt::WindowNoState);
    form->resize(700, 500);
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->size(), size);
    const QRect inner = form->Picture1->contentsRect();
    // Where the player points: the middle of the frame, in the window.
    const QPoint middle = form->Picture1->mapTo(form, inner.center());
    QWindow* window = form->windowHandle();
    // The pointer shows the picture can be moved, and holds it while it is.
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
    if (!wheel.isNull()) {
        QWheelEvent event(QPointF(middle), QPointF(form->mapToGlobal(middle)), QPoint(), wheel, Qt::NoButton,
                          shift ? Qt::ShiftModifier : Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(window, &event);
    }
    QCOMPARE(form->Image1->size(), size);
    QVERIFY2(placed(form->Image1->geometry(), inner, pan),
             qPrintable(u"at %1,%2 in a frame at %3,%4"_s.arg(form->Image1->x())
                            .arg(form->Image1->y())
                            .arg(inner.left())
                            .arg(inner.top())));

    // A larger window shows more, with a frame reaching to its edges; a picture moved to its far edge keeps
    // no gap inside the frame.
    form->resize(900, 650);
    const QRect wider = form->Picture1->contentsRect();
    const QRect moved = form->Image1->geometry();
    QVERIFY(size.width() <= wider.width() ||
            (moved.left() <= wider.left() && moved.right() >= wider.right()));
    QVERIFY(size.height() <= wider.height() ||
            (moved.top() <= wider.top() && moved.bottom() >= wider.bottom()));
    QVERIFY(qAbs(form->Picture1->geometry().right() + 1 - form->width()) <= 1);
    QVERIFY(qAbs(form->Picture1->geometry().bottom() + 1 - form->height()) <= 1);
    QCOMPARE(QApplication::focusWidget(), form->File1);
    TestSupport::press(Qt::Key_Down);
    QTRY_COMPARE(form->Image1->width(), size.width() - 1);
    QVERIFY(placed(form->Image1->geometry(), wider, {0, 0}));

    // A window too narrow and too short for the list keeps those sizes; the frame's height still follows.
    MessageRecorder messages;
    const QSize frame = form->Picture1->size(), list = form->File1->size();
    form->resize(100, 40);
    QCOMPARE(form->Picture1->width(), frame.width());
    QCOMPARE(form->File1->size(), list);
    QVERIFY(qAbs(form->Picture1->height() - 39) <= 1);
    form->showMinimized();
    form->showNormal();
    QVERIFY(messages.messages.isEmpty());
}

// The start-up picture shows once, 100 ms after opening, and never over a picture picked since.
void tst_showpic::startupPictureOnce() {
    FakeWine wine;
    writeFile(wine.shots() + u"/a.bmp"_s, picture(50, 40));
    auto* form = FormBase::open<showpic>();
    QVERIFY(form->Image1->picture().isNull());
    QTRY_COMPARE(form->Image1->picture().size(), QSize(273, 447));
    QVERIFY(form->Image1->isVisible());
    // With nothing picked, the list's keys do nothing.
    QVERIFY(QTest::qWaitForWindowActive(form));
    form->File1->setFocus();
    MessageRecorder messages;
    TestSupport::press(Qt::Key_Delete);
    TestSupport::press(Qt::ShiftModifier | Qt::Key_Delete);
    TestSupport::press(Qt::Key_Return);
    QVERIFY(messages.messages.isEmpty());
    QCOMPARE(form->File1->listCount(), 1);
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().size(), QSize(50, 40));
    QTest::qWait(250);
    QCOMPARE(form->Image1->picture().size(), QSize(50, 40));
}

void tst_showpic::lostFocusRereads_data() {
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::addColumn<int>("count");
    QTest::newRow("focus to another control") << Qt::TabFocusReason << 2;
    QTest::newRow("mouse on another control") << Qt::MouseFocusReason << 2;
    // A message box must not read the list again under the question it asks.
    QTest::newRow("a message box or another program") << Qt::ActiveWindowFocusReason << 1;
}

void tst_showpic::lostFocusRereads() {
    QFETCH(Qt::FocusReason, reason);
    QFETCH(int, count);
    FakeWine wine;
    writeFile(wine.shots() + u"/qm020315_001.bmp"_s, picture(10));
    auto* form = openViewer(0);
    writeFile(wine.shots() + u"/qm020315_002.bmp"_s, picture(10));
    QFocusEvent out(QEvent::FocusOut, reason);
    QCoreApplication::sendEvent(form->File1, &out);
    QCOMPARE(form->File1->listCount(), count);
    QCOMPARE(form->File1->listIndex(), count == 1 ? 0 : -1);
}

void tst_showpic::pictureListMode() {
    FakeWine wine;
    TestSupport::ProgramFolder program;
    const QString folder = program.path() + u"/相關圖片"_s;
    QDir().mkpath(folder);
    auto* form = FormBase::instance<showpic>();
    QVERIFY(QFile::copy(u":/viewer/startup.gif"_s, folder + u"/q1_a.gif"_s));
    writeFile(folder + u"/q1_b.bmp"_s, picture(10));
    writeFile(folder + u"/q2_a.bmp"_s, picture(10));
    form->showPictureList(folder, u"q1_*.*"_s, QImage());
    QVERIFY(form->isVisible() && !form->isMaximized());
    QCOMPARE(form->File1->items(), (QStringList{"q1_a.gif", "q1_b.bmp"}));
    // Of the left column only the help button stays, the list moved up under it and reaching the bottom.
    for (QWidget* w :
         std::initializer_list<QWidget*>{form->Command1, form->Command3, form->Command4, form->Command5,
                                         form->Dir1, form->Drive1, form->Combo1, form->Combo2, form->Combo3})
        QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
    QVERIFY(!form->Command2->isHidden() && !form->File1->isHidden());
    QVERIFY(qAbs(form->File1->y() - form->Command2->height()) <= 1);
    QVERIFY(qAbs(form->height() - form->File1->geometry().bottom() - 1) <= 2);
    QTest::qWait(200);
    QVERIFY(form->Image1->picture().isNull());
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().size(), QSize(273, 447));
}

QTEST_MAIN(tst_showpic)
#include "tst_showpic.moc"
