// Pictures decode off the interface thread. What a pick shows is checked with QTRY_... (Qt Test's polling
// wait, at most five seconds); an outcome the player must get at once (a picked file that is gone, a
// neighbour decoded ahead) is checked right after the key, without waiting.

#include "core/FileNames.h"
#include "forms/showpic.h"
#include "jpegwriter.h"
#include "modules/PictureCache.h"
#include "testsupport.h"
#include "widgets/DirList.h"
#include "widgets/DriveList.h"
#include "widgets/FileList.h"
#include "widgets/ImageBox.h"
#include "widgets/Twips.h"
#include "wmfwriter.h"

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMutex>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWaitCondition>
#include <QWheelEvent>

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using Module1::MsgButtons;
using Module1::MsgIcon;
using Module1::MsgResult;
using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

namespace {

const QString kGameFolder = QStringLiteral("drive_c/Program Files/Tessaly/Quellmark/ScreenShot");

// A picture whose width tells which file it came from.
void writePicture(const QString& path, int width, int height = 30, const char* format = "BMP") {
    QImage img(width, height, QImage::Format_RGB888);
    img.fill(QColor(width % 256, 90, 160));
    QVERIFY2(img.save(path, format), qPrintable(path));
    TestSupport::keepAsSeed(path);
}

// Fixed seeds: the same bytes on every run, so a failure can be reproduced.
QByteArray randomBytes(int n, quint32 seed) {
    QRandomGenerator generator(seed);
    QByteArray b(n, '\0');
    for (char& c : b)
        c = char(generator.bounded(256));
    return b;
}

// A Wine prefix in a temporary folder, optionally holding the game's screenshot folder.
class FakeWine {
public:
    explicit FakeWine(bool withGame) : old_(qgetenv("WINEPREFIX")) {
        QDir().mkpath(dir_.filePath(withGame ? kGameFolder : QStringLiteral("drive_c")));
        qputenv("WINEPREFIX", dir_.path().toLocal8Bit());
    }
    ~FakeWine() {
        if (old_.isNull())
            qunsetenv("WINEPREFIX");
        else
            qputenv("WINEPREFIX", old_);
    }
    [[nodiscard]] QString shots() const { return dir_.filePath(kGameFolder); }
    [[nodiscard]] QString path(const QString& rel) const { return dir_.filePath(rel); }
    // Lets any user into the prefix, as far as the game's folder.
    void openToAll() const {
        const auto all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                         QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                         QFileDevice::ExeOther;
        QFile::setPermissions(dir_.path(), all);
        QFile::setPermissions(shots(), all | QFileDevice::WriteGroup | QFileDevice::WriteOther);
    }

private:
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

int fileTop(showpic* f) {
    return Twips::top(f->File1);
}

// Opens the viewer and lets its start-up picture show, 100 ms later, so that it cannot replace a picture
// the test picks meanwhile.
showpic* openViewer() {
    auto* form = FormBase::open<showpic>();
    if (!QTest::qWaitFor([form] { return !form->Timer1->isActive(); }))
        qWarning("the start-up picture did not show");
    return form;
}

QByteArray bytesOf(const QString& path) {
    return FileNames::toBytes(path);
}

// A picture under a name given as bytes (not necessarily UTF-8); returns the name as the list holds it.
QString writeRawNamed(const QString& folder, const QByteArray& name, int width) {
    const QString staging = folder + QStringLiteral("/staging.bmp");
    writePicture(staging, width);
    const QByteArray target = bytesOf(folder) + '/' + name;
    return ::rename(QFile::encodeName(staging).constData(), target.constData()) == 0
               ? FileNames::fromBytes(name)
               : QString();
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

// Stands in for the viewer's decoder: counts the decodes of each file name and can hold one back until
// released. Shared with the decoder, so a decode still under way outlives the test's own copy safely.
class Decodes {
public:
    explicit Decodes(PictureCache* cache) : state_(std::make_shared<State>()) {
        cache->setDecoder(
            [state = state_](const QString& path, qint64 budget, const std::atomic_bool& cancelled) {
                const QString name = path.mid(path.lastIndexOf(u'/') + 1);
                {
                    QMutexLocker lock(&state->mutex);
                    ++state->counts[name];
                    while (state->held.contains(name))
                        state->released.wait(&state->mutex);
                }
                return Platform::loadPicture(path, budget, &cancelled);
            });
    }
    ~Decodes() { release(); }
    Decodes(const Decodes&) = delete;
    Decodes& operator=(const Decodes&) = delete;

    int count(const QString& name) const {
        QMutexLocker lock(&state_->mutex);
        return state_->counts.value(name);
    }
    void hold(const QString& name) {
        QMutexLocker lock(&state_->mutex);
        state_->held.insert(name);
    }
    void release() {
        QMutexLocker lock(&state_->mutex);
        state_->held.clear();
        state_->released.wakeAll();
    }

private:
    struct State {
        QMutex mutex;
        QWaitCondition released;
        QHash<QString, int> counts;
        QSet<QString> held;
    };
    std::shared_ptr<State> state_;
};

} // namespace

class tst_showpic : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void startup_data();
    void startup();
    void defaultFolderButton_data();
    void defaultFolderButton();
    void folderNavigationAndTitles();
    void fileListFilterAndSort();
    void dateFilter();
    void combosBlockTyping();
    void unreadableDrive();
    void invalidPictures_data();
    void invalidPictures();
    void replacedAfterListing_data();
    void replacedAfterListing();
    void specialFilesNotListed();
    void oddNames_data();
    void oddNames();
    void largePictures_data();
    void largePictures();
    void vanishedFile_data();
    void vanishedFile();
    void arrowKeysShowPictures();
    void neighboursDecodedAhead();
    void staleWorkDropped();
    void neighbourChangedBehindTheViewer_data();
    void neighbourChangedBehindTheViewer();
    void centringAndResize_data();
    void centringAndResize();
    void panning_data();
    void panning();
    void panningKeepsKeysWithTheList();
    void startupPictureOnce();
    void deletion_data();
    void deletion();
    void deletionFailureKeepsList();
    void nothingSelectedDoesNothing();
    void lostFocusRereads_data();
    void lostFocusRereads();
    void helpText();
    void safeOpen_data();
    void safeOpen();
    void pictureListMode();
};

void tst_showpic::startup_data() {
    QTest::addColumn<bool>("gameInstalled");
    QTest::newRow("game folder present") << true;
    QTest::newRow("game folder missing") << false;
}

void tst_showpic::startup() {
    QFETCH(bool, gameInstalled);
    FakeWine wine(gameInstalled);
    ProgramFolder program;
    MessageRecorder messages;
    auto* form = FormBase::open<showpic>();
    const QString expected = gameInstalled ? wine.shots() : program.path();
    QCOMPARE(form->Dir1->path(), expected);
    QCOMPARE(form->windowTitle(),
             QStringLiteral("看圖程式 版本:1.0.116 現在開啟目錄: ") + QDir::toNativeSeparators(expected));
    QVERIFY(messages.messages.isEmpty());
    QVERIFY(form->isMaximized());
    const QDate today = QDate::currentDate();
    QCOMPARE(form->Combo1->currentText(), today.toString(QStringLiteral("yy")));
    QCOMPARE(form->Combo2->currentText(), today.toString(QStringLiteral("MM")));
    QCOMPARE(form->Combo3->currentText(), today.toString(QStringLiteral("dd")));
    for (QWidget* w : {static_cast<QWidget*>(form->Combo1), static_cast<QWidget*>(form->Combo3),
                       static_cast<QWidget*>(form->Command5)})
        QVERIFY(!w->isEnabled());
    QVERIFY(form->Command4->isEnabled());
    QCOMPARE(form->Drive1->drive(), wine.path(QStringLiteral("drive_c")));
    QCOMPARE(form->Picture1->palette().color(QPalette::Window), QColor(192, 192, 192));
    QCOMPARE(form->File1->palette().color(QPalette::Base), QColor(Qt::white));
}

void tst_showpic::defaultFolderButton_data() {
    QTest::addColumn<bool>("gameInstalled");
    QTest::addColumn<QStringList>("messages");
    QTest::newRow("present: back to it quietly") << true << QStringList{};
    QTest::newRow("missing: one message") << false << QStringList{QStringLiteral("找不到QM安裝目錄")};
}

void tst_showpic::defaultFolderButton() {
    QFETCH(bool, gameInstalled);
    QFETCH(QStringList, messages);
    FakeWine wine(gameInstalled);
    ProgramFolder program;
    QDir().mkpath(program.path() + QStringLiteral("/sub"));
    auto* form = FormBase::open<showpic>();
    QVERIFY(form->Dir1->setPath(program.path() + QStringLiteral("/sub")));
    MessageRecorder recorder;
    QTest::mouseClick(form->Command3, Qt::LeftButton);
    QCOMPARE(recorder.texts(), messages);
    const QString where = gameInstalled ? wine.shots() : program.path() + QStringLiteral("/sub");
    QCOMPARE(form->Dir1->path(), where);
    QVERIFY(form->windowTitle().startsWith(QStringLiteral("看圖程式 版本:1.0.116 現在開啟目錄: ")));
}

void tst_showpic::folderNavigationAndTitles() {
    FakeWine wine(false);
    ProgramFolder program;
    const QString root = program.path();
    QDir().mkpath(root + QStringLiteral("/empty"));
    QDir().mkpath(root + QStringLiteral("/shots"));
    writePicture(root + QStringLiteral("/shots/a.bmp"), 10);
    auto* form = FormBase::open<showpic>();
    QVERIFY(form->Dir1->setPath(root));

    QStringList entries;
    for (int i = 0; i < form->Dir1->count(); ++i)
        entries.append(form->Dir1->item(i)->text().trimmed());
    QCOMPARE(entries.last(2), (QStringList{"empty", "shots"}));
    QCOMPARE(entries.at(entries.size() - 3), QFileInfo(root).fileName());
    QCOMPARE(entries.first(), QStringLiteral("/"));

    // Double-click opens a folder with nothing in it: the label shows in place of the list.
    QListWidgetItem* empty = form->Dir1->item(form->Dir1->count() - 2);
    const QPoint at = form->Dir1->visualItemRect(empty).center();
    QTest::mouseClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(form->Dir1->path(), root + QStringLiteral("/empty"));
    QVERIFY(form->File1->isHidden());
    QVERIFY(!form->Label1->isHidden());
    QCOMPARE(form->windowTitle(), QStringLiteral("看圖程式 Beta 2 qmquery 玩家工具  現在開啟的目錄: \"") +
                                      QDir::toNativeSeparators(root + QStringLiteral("/empty")).toUpper() +
                                      u'"');

    // Enter on the parent entry, then on a sub-folder with a picture: the list comes back.
    form->Dir1->setCurrentRow(form->Dir1->count() - 2);
    QTest::keyClick(form->Dir1, Qt::Key_Return);
    QCOMPARE(form->Dir1->path(), root);
    form->Dir1->setCurrentRow(form->Dir1->count() - 1);
    QTest::keyClick(form->Dir1, Qt::Key_Return);
    QCOMPARE(form->Dir1->path(), root + QStringLiteral("/shots"));
    QVERIFY(!form->File1->isHidden());
    QCOMPARE(form->File1->items(), QStringList{"a.bmp"});
}

void tst_showpic::fileListFilterAndSort() {
    QTemporaryDir dir;
    for (const char* name : {"b.BMP", "A.jpg", "c.txt", ".hidden.bmp", "a.gif", "Z.ico", "x.wmf", "y.jpeg"})
        QFile(dir.filePath(QLatin1String(name))).open(QIODevice::WriteOnly);
    QDir().mkpath(dir.filePath(QStringLiteral("folder.bmp")));
    FileList list;
    list.setPattern(QLatin1String(showpic::kAllPictures));
    QVERIFY(list.setPath(dir.path()));
    QCOMPARE(list.items(), (QStringList{"a.gif", "A.jpg", "b.BMP", "x.wmf", "Z.ico"}));
    list.setPattern(QStringLiteral("?.*"));
    QCOMPARE(list.listCount(), 7);
    QVERIFY(!list.setPath(dir.filePath(QStringLiteral("missing"))));
    QCOMPARE(list.path(), QDir::cleanPath(dir.path()));
}

void tst_showpic::dateFilter() {
    FakeWine wine(true);
    const QString shots = wine.shots();
    for (const char* n : {"qm020315_001.bmp", "QM020315_002.BMP", "qm020316_001.bmp", "qm030315_001.bmp",
                          "qm020315_01.bmp", "other.jpg"})
        writePicture(shots + u'/' + QLatin1String(n), 8);
    auto* form = FormBase::open<showpic>();
    QCOMPARE(form->File1->listCount(), 6);

    QTest::mouseClick(form->Command4, Qt::LeftButton);
    QVERIFY(form->Combo1->isEnabled() && form->Combo3->isEnabled() && form->Command5->isEnabled());
    QVERIFY(!form->Command4->isEnabled());
    QCOMPARE(form->File1->listCount(), 6);

    const auto find = [form](const QString& y, const QString& m, const QString& d) {
        form->Combo1->setCurrentIndex(form->Combo1->findText(y));
        form->Combo2->setCurrentIndex(form->Combo2->findText(m));
        form->Combo3->setCurrentIndex(form->Combo3->findText(d));
        QTest::mouseClick(form->Command5, Qt::LeftButton);
        return form->File1->items();
    };
    QCOMPARE(find("01", "03", "15"), QStringList{});
    QVERIFY(form->File1->isHidden());
    QCOMPARE(form->File1->pattern(), QStringLiteral("qm010315_???.bmp"));
    QCOMPARE(find("??", "03", "15"),
             (QStringList{"qm020315_001.bmp", "QM020315_002.BMP", "qm030315_001.bmp"}));
    QVERIFY(!form->File1->isHidden());
    QCOMPARE(find("??", "??", "??").size(), 4);

    // The date pattern stays across folders.
    QDir().mkpath(shots + QStringLiteral("/old"));
    writePicture(shots + QStringLiteral("/old/qm991231_007.bmp"), 8);
    writePicture(shots + QStringLiteral("/old/snap.bmp"), 8);
    QVERIFY(form->Dir1->setPath(shots + QStringLiteral("/old")));
    QCOMPARE(form->File1->items(), QStringList{"qm991231_007.bmp"});

    QVERIFY(form->Dir1->setPath(shots));
    find("00", "01", "01");
    QVERIFY(form->File1->isHidden());
    QTest::mouseClick(form->Command1, Qt::LeftButton);
    QVERIFY(!form->File1->isHidden());
    QCOMPARE(form->File1->listCount(), 6);
    QVERIFY(!form->Combo2->isEnabled() && !form->Command5->isEnabled() && form->Command4->isEnabled());
    QCOMPARE(form->Combo1->currentText(), QStringLiteral("00"));
}

void tst_showpic::combosBlockTyping() {
    FakeWine wine(true);
    auto* form = FormBase::open<showpic>();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QTest::mouseClick(form->Command4, Qt::LeftButton);
    form->Combo2->setCurrentIndex(0);
    form->Combo2->setFocus();
    // Keys reach the combo first, whatever it hands them on to; input methods and drops are refused.
    TestSupport::type(QStringLiteral("7x"));
    TestSupport::press(Qt::AltModifier | Qt::Key_A);
    TestSupport::press(Qt::Key_Backspace);
    TestSupport::press(Qt::Key_Delete);
    TestSupport::commit(QStringLiteral("１２"));
    QMimeData dragged;
    dragged.setText(QStringLiteral("09"));
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dragged, Qt::LeftButton, {});
    QApplication::sendEvent(form->Combo2->lineEdit(), &drop);
    QCOMPARE(form->Combo2->currentText(), QStringLiteral("01"));
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(form->Combo2->currentText(), QStringLiteral("02"));
    TestSupport::press(Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), form->Combo3);
}

void tst_showpic::unreadableDrive() {
    FakeWine wine(true);
    auto* form = FormBase::open<showpic>();
    const QString before = form->Dir1->path();
    const int fileCount = form->File1->listCount();
    form->Drive1->setDrives(
        {Platform::driveC(), {QStringLiteral("x:"), wine.path(QStringLiteral("no-medium"))}});
    MessageRecorder messages;
    form->Drive1->setCurrentIndex(1);
    QCOMPARE(messages.texts(),
             QStringList{
                 QStringLiteral("無法存取指定磁碟機，\r請確定系統已經連上該裝置。\rERROR: 裝置尚未就緒。")});
    QCOMPARE(messages.messages.first().icon, MsgIcon::Exclamation);
    QCOMPARE(form->Drive1->currentText(), QStringLiteral("x:"));
    QCOMPARE(form->Dir1->path(), before);
    QCOMPARE(form->File1->listCount(), fileCount);

    form->Drive1->setCurrentIndex(0);
    QCOMPARE(form->Dir1->path(), wine.path(QStringLiteral("drive_c")));
    QCOMPARE(messages.messages.size(), 1);
}

void tst_showpic::invalidPictures_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QByteArray truncated;
    {
        QTemporaryDir d;
        writePicture(d.filePath("t.bmp"), 64, 64);
        QFile f(d.filePath("t.bmp"));
        f.open(QIODevice::ReadOnly);
        truncated = f.readAll();
        truncated.chop(500);
    }
    // An RLE BMP claiming 30000 x 30000 pixels: only the allocation limit stops it.
    QByteArray hugeBmp("BM", 2);
    hugeBmp += QByteArray::fromHex("00000000"
                                   "00000000"
                                   "36000000"
                                   "28000000"
                                   "30750000"
                                   "30750000"
                                   "0100"
                                   "0800"
                                   "01000000"
                                   "00000000"
                                   "00000000"
                                   "00000000"
                                   "00000000"
                                   "00000000");
    hugeBmp += QByteArray(64, '\0');
    // A GIF whose screen and image claim 65535 x 65535.
    QByteArray hugeGif = QByteArray::fromHex("474946383961ffffffff000000"
                                             "2c00000000ffffffff00"
                                             "02"
                                             "024c01"
                                             "00"
                                             "3b");
    QTest::newRow("text named .jpg") << "notes.jpg" << QByteArray("just some text, not a picture\r\n");
    QTest::newRow("random .bmp") << "r.bmp" << randomBytes(4000, 1);
    QTest::newRow("random .gif") << "r.gif" << randomBytes(4000, 2);
    QTest::newRow("random .jpg") << "r.jpg" << randomBytes(4000, 3);
    QTest::newRow("random .ico") << "r.ico" << randomBytes(4000, 4);
    QTest::newRow("random .wmf") << "r.wmf" << randomBytes(4000, 5);
    QTest::newRow("empty .bmp") << "e.bmp" << QByteArray();
    QTest::newRow("truncated .bmp") << "t.bmp" << truncated;
    QTest::newRow("huge RLE .bmp") << "h.bmp" << hugeBmp;
    QTest::newRow("huge .gif") << "h.gif" << hugeGif;
    // Found by fuzzing: a reader reported success with no picture at all.
    QTest::newRow("icon reader gives no picture") << "f.ico"
                                                  << QByteArray::fromHex("8a4d4e470d0a1a0a0000000000000036"
                                                                         "0000000000002700002728004d060300"
                                                                         "0000005a");
    // Types the viewer does not offer are not decoded, whatever readers happen to be installed.
    QByteArray png;
    {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImage(4, 4, QImage::Format_RGB32).save(&buffer, "PNG");
    }
    QTest::newRow("png named .bmp") << "p.bmp" << png;
    // Each scan costs the decoder a pass over the picture: thousands of them would hold it for seconds.
    QTest::newRow("progressive .jpg of 20,000 scans") << "s.jpg" << JpegWriter::progressive(512, 512, 20000);
}

void tst_showpic::invalidPictures() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    FakeWine wine(true);
    writePicture(wine.shots() + QStringLiteral("/a_good.bmp"), 77, 33);
    {
        QFile f(wine.shots() + u'/' + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    TestSupport::keepAsSeed(wine.shots() + u'/' + name);
    auto* form = openViewer();
    MessageRecorder messages;
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().size(), QSize(77, 33));
    form->File1->setListIndex(1);
    const QString path = QDir::toNativeSeparators(wine.shots() + u'/' + name);
    QTRY_COMPARE(messages.texts(),
                 QStringList{path + QStringLiteral(" 不是正確格式的BMP,GIF87a,圖示,WMF或JPG壓縮圖檔。")});
    QCOMPARE(form->Image1->picture().size(), QSize(77, 33));
    QVERIFY(form->isVisible());
}

void tst_showpic::replacedAfterListing_data() {
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<bool>("closes");
    // Only regular files are opened: anything else is refused before it is opened, without blocking.
    QTest::newRow("a pipe") << "pipe" << false;
    QTest::newRow("a link to a pipe") << "link to pipe" << false;
    QTest::newRow("a link to /dev/zero") << "link to device" << false;
    QTest::newRow("a folder") << "folder" << false;
    // There but unreadable: the closing message, not "gone".
    QTest::newRow("a loop of links") << "loop" << true;
    QTest::newRow("its folder now listable but not searchable") << "unsearchable" << true;
}

void tst_showpic::replacedAfterListing() {
    QFETCH(QString, replacement);
    QFETCH(bool, closes);
    FakeWine wine(true);
    wine.openToAll();
    writePicture(wine.shots() + QStringLiteral("/a.bmp"), 20);
    writePicture(wine.shots() + QStringLiteral("/b.bmp"), 30);
    const QString b = wine.shots() + QStringLiteral("/b.bmp");
    QPointer<showpic> form = openViewer();
    QCOMPARE(form->File1->items(), (QStringList{"a.bmp", "b.bmp"}));
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().width(), 20);
    std::optional<AsPlayer> player;
    const QString pipe = wine.path(QStringLiteral("pipe"));
    if (replacement == "unsearchable") {
        QVERIFY(QFile::setPermissions(wine.shots(), QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                        QFileDevice::ReadOther));
        player.emplace();
        form->File1->refresh();
        QCOMPARE(form->File1->items(), (QStringList{"a.bmp", "b.bmp"}));
    } else {
        QVERIFY(QFile::remove(b));
    }
    if (replacement == "pipe")
        QVERIFY(makePipe(b));
    else if (replacement == "link to pipe")
        QVERIFY(makePipe(pipe) && QFile::link(pipe, b));
    else if (replacement == "link to device")
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), b));
    else if (replacement == "folder")
        QVERIFY(QDir().mkpath(b));
    else if (replacement == "loop")
        QVERIFY(QFile::link(b, b));
    MessageRecorder messages;
    form->File1->setListIndex(1);
    const QString expected = closes ? QStringLiteral("發生不可處理／不明的錯誤，\r即將結束看圖程式。")
                                    : QDir::toNativeSeparators(b) +
                                          QStringLiteral(" 不是正確格式的BMP,GIF87a,圖示,WMF或JPG壓縮圖檔。");
    QTRY_COMPARE(messages.texts(), QStringList{expected});
    player.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(form.isNull(), closes);
    if (!closes)
        QCOMPARE(form->Image1->picture().width(), 20);
    wine.openToAll();
}

void tst_showpic::specialFilesNotListed() {
    QTemporaryDir dir;
    const QString root = dir.path();
    writePicture(root + QStringLiteral("/a.bmp"), 10);
    QVERIFY(QDir().mkpath(root + QStringLiteral("/sub")));
    QVERIFY(makePipe(root + QStringLiteral("/pipe.bmp")));
    QVERIFY(QFile::link(root + QStringLiteral("/pipe.bmp"), root + QStringLiteral("/y.bmp")));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), root + QStringLiteral("/zero.bmp")));
    QVERIFY(QFile::link(root + QStringLiteral("/a.bmp"), root + QStringLiteral("/link to a.bmp")));
    QVERIFY(QFile::link(root + QStringLiteral("/sub"), root + QStringLiteral("/link to sub")));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), root + QStringLiteral("/zero")));
    QVERIFY(QFile::link(root + QStringLiteral("/pipe.bmp"), root + QStringLiteral("/pipe")));
    QVERIFY(QFile::link(root + QStringLiteral("/nowhere"), root + QStringLiteral("/broken")));
    FileList files;
    files.setPattern(QStringLiteral("*.*"));
    QVERIFY(files.setPath(root));
    QCOMPARE(files.items(), (QStringList{"a.bmp", "link to a.bmp"}));
    DirList folders;
    QVERIFY(folders.setPath(root));
    QCOMPARE(shownRows(&folders).last(3), (QStringList{QFileInfo(root).fileName(), "link to sub", "sub"}));
}

void tst_showpic::oddNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    // Unpacked from an archive made on Windows: the name keeps its code page 950 bytes.
    QTest::newRow("code page 950 bytes")
        << TestSupport::toCp950(QStringLiteral("截圖 一.bmp")) << QStringLiteral("截圖 一.bmp");
    // One name in this folder, never a way up to the folder above.
    QTest::newRow("backslashes") << QByteArray("b\\..\\..\\a.bmp") << QStringLiteral("b\\..\\..\\a.bmp");
}

void tst_showpic::oddNames() {
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    FakeWine wine(true);
    const QString shots = wine.shots();
    // A picture where the name would lead if it were split into folders, and one beside the odd one.
    writePicture(shots + QStringLiteral("/../a.bmp"), 99);
    writePicture(shots + QStringLiteral("/z.bmp"), 12);
    const QString item = writeRawNamed(shots, name, 21);
    QVERIFY(!item.isEmpty());
    const QByteArray raw = bytesOf(shots) + '/' + name;
    const auto removeRaw = qScopeGuard([&raw] { ::unlink(raw.constData()); });
    auto* form = openViewer();
    QVERIFY(QTest::qWaitForWindowActive(form));
    QVERIFY(form->File1->items().contains(item));
    const int row = int(form->File1->items().indexOf(item));
    QCOMPARE(shownRows(form->File1).value(row), shown);
    form->File1->setFocus();
    form->File1->setListIndex(row);
    QTRY_COMPARE(form->Image1->picture().width(), 21);
    // The question names the file as the player reads it; the answer deletes exactly that file.
    MessageRecorder messages;
    messages.answers = {MsgResult::Yes};
    TestSupport::press(Qt::Key_Delete);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("刪除檔案:\"%1/%2\"?").arg(shots, shown)});
    QVERIFY(::access(raw.constData(), F_OK) != 0);
    QCOMPARE(form->File1->items(), QStringList{"z.bmp"});
    QTRY_COMPARE(form->Image1->picture().width(), 12);
    QVERIFY(QFile::exists(shots + QStringLiteral("/../a.bmp")));
}

void tst_showpic::largePictures_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<QString>("message");
    // A budget of a million pixels stands in for the real one, whose pictures are too large to write here.
    const qint64 million = 4000000;
    QTest::newRow("exactly the budget") << QSize(1000, 1000) << QByteArray("BMP") << million << QString();
    QTest::newRow("one row over") << QSize(1000, 1001) << QByteArray("BMP") << million
                                  << QStringLiteral(
                                         " 圖片太大(1000×1001像素)，超過可顯示的上限(1百萬像素)。");
    QTest::newRow("a JPEG over") << QSize(1500, 800) << QByteArray("JPG") << million
                                 << QStringLiteral(" 圖片太大(1500×800像素)，超過可顯示的上限(1百萬像素)。");
    QTest::newRow("an 18-megapixel camera photo")
        << QSize(5184, 3456) << QByteArray("JPG") << PictureBudget::kBytes << QString();
}

void tst_showpic::largePictures() {
    QFETCH(QSize, size);
    QFETCH(QByteArray, format);
    QFETCH(qint64, budget);
    QFETCH(QString, message);
    FakeWine wine(true);
    writePicture(wine.shots() + QStringLiteral("/a.bmp"), 20);
    const QString big = wine.shots() + QStringLiteral("/big.") + QString::fromLatin1(format).toLower();
    writePicture(big, size.width(), size.height(), format.constData());
    auto* form = openViewer();
    form->pictures()->setBudget(budget);
    MessageRecorder messages;
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().width(), 20);
    form->File1->setListIndex(1);
    if (message.isEmpty()) {
        QTRY_COMPARE(form->Image1->picture().size(), size);
        QVERIFY(messages.messages.isEmpty());
    } else {
        QTRY_COMPARE(messages.texts(), QStringList{QDir::toNativeSeparators(big) + message});
        QCOMPARE(form->Image1->picture().width(), 20);
    }
}

void tst_showpic::vanishedFile_data() {
    QTest::addColumn<bool>("byMouse");
    QTest::newRow("stepped onto with the arrow key") << false;
    QTest::newRow("clicked") << true;
}

void tst_showpic::vanishedFile() {
    QFETCH(bool, byMouse);
    FakeWine wine(true);
    writePicture(wine.shots() + QStringLiteral("/a.bmp"), 20);
    writePicture(wine.shots() + QStringLiteral("/b.bmp"), 30);
    writePicture(wine.shots() + QStringLiteral("/c.bmp"), 40);
    auto* form = openViewer();
    QVERIFY(QTest::qWaitForWindowActive(form));
    MessageRecorder messages;
    form->File1->setFocus();
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().width(), 20);
    // Decoded ahead as a neighbour, then deleted behind the viewer's back.
    QTRY_VERIFY(form->pictures()->held().contains(form->File1->fullPath(1)));
    QFile::remove(wine.shots() + QStringLiteral("/b.bmp"));
    if (byMouse) {
        const QRect row = form->File1->visualRect(form->File1->model()->index(1, 0));
        QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {}, row.center());
    } else {
        TestSupport::press(Qt::Key_Down);
    }
    QCOMPARE(messages.texts(), QStringList{QDir::toNativeSeparators(wine.shots() + QStringLiteral("/b.bmp")) +
                                           QStringLiteral(" 已經不存在。")});
    QCOMPARE(form->File1->items(), (QStringList{"a.bmp", "c.bmp"}));
    QCOMPARE(form->Image1->picture().width(), 20);
    // After the refresh nothing is highlighted that is not picked: the keys act on what is shown.
    QTest::qWait(10);
    QCOMPARE(form->File1->selectionModel()->selectedIndexes().size(), 0);
    QVERIFY(!form->File1->currentIndex().isValid());
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(form->File1->currentIndex().row(), 0);
    QCOMPARE(form->File1->selectionModel()->selectedIndexes().first().row(), 0);
    TestSupport::press(Qt::Key_Down);
    QTRY_COMPARE(form->Image1->picture().width(), 40);
}

void tst_showpic::arrowKeysShowPictures() {
    FakeWine wine(true);
    for (int i = 0; i < 3; ++i)
        writePicture(wine.shots() + QStringLiteral("/p%1.bmp").arg(i), 10 + i);
    writePicture(wine.shots() + QStringLiteral("/p3.jpg"), 40, 30, "JPG");
    writePicture(wine.shots() + QStringLiteral("/p4.ico"), 32, 32, "ICO");
    QFile::copy(QStringLiteral(":/viewer/startup.gif"), wine.shots() + QStringLiteral("/p5.gif"));
    // A metafile one inch by half an inch, read by the program's own reader: 96 x 48 pixels.
    WmfWriter wmf;
    wmf.placeable = true;
    wmf.bounds = QRect(0, 0, 1440, 720);
    wmf.unitsPerInch = 1440;
    wmf.windowExt(1440, 720).brush(0, Qt::red).select(0).rectangle(QRect(0, 0, 1440, 720));
    QFile metafile(wine.shots() + QStringLiteral("/p6.wmf"));
    QVERIFY(metafile.open(QIODevice::WriteOnly));
    metafile.write(wmf.bytes());
    metafile.close();
    // A progressive JPEG of the usual ten scans.
    QFile progressive(wine.shots() + QStringLiteral("/p7.jpg"));
    QVERIFY(progressive.open(QIODevice::WriteOnly));
    progressive.write(JpegWriter::progressive(64, 48, 9));
    progressive.close();
    TestSupport::keepAsSeed(progressive.fileName());
    auto* form = openViewer();
    QVERIFY(QTest::qWaitForWindowActive(form));
    form->File1->setFocus();
    form->File1->setListIndex(0);
    const QList<QSize> sizes{{10, 30}, {11, 30},   {12, 30}, {40, 30},
                             {32, 32}, {273, 447}, {96, 48}, {64, 48}};
    QTRY_COMPARE(form->Image1->picture().size(), sizes[0]);
    for (int i = 1; i < sizes.size(); ++i) {
        TestSupport::press(Qt::Key_Down);
        QTRY_COMPARE(form->Image1->picture().size(), sizes[i]);
        if (i == 6)
            QCOMPARE(form->Image1->picture().pixelColor(48, 24), QColor(Qt::red));
    }
}

void tst_showpic::neighboursDecodedAhead() {
    FakeWine wine(true);
    for (int i = 0; i < 6; ++i)
        writePicture(wine.shots() + QStringLiteral("/p%1.bmp").arg(i), 10 + i);
    auto* form = openViewer();
    QVERIFY(QTest::qWaitForWindowActive(form));
    Decodes decodes(form->pictures());
    const auto path = [form](int i) { return form->File1->fullPath(i); };
    form->File1->setFocus();
    form->File1->setListIndex(2);
    QTRY_COMPARE(form->Image1->picture().width(), 12);
    QTRY_COMPARE(form->pictures()->held(), (QStringList{path(1), path(2), path(3)}));
    // The next picture shows with the key itself, without waiting on a decode.
    TestSupport::press(Qt::Key_Down);
    QCOMPARE(form->Image1->picture().width(), 13);
    QTRY_COMPARE(form->pictures()->held(), (QStringList{path(2), path(3), path(4)}));
    TestSupport::press(Qt::Key_Up);
    QCOMPARE(form->Image1->picture().width(), 12);
    QTRY_COMPARE(form->pictures()->held(), (QStringList{path(1), path(2), path(3)}));
    // Each picture was decoded once, and the one let go is decoded again when it comes back.
    for (int i = 1; i <= 4; ++i)
        QCOMPARE(decodes.count(QStringLiteral("p%1.bmp").arg(i)), i == 1 ? 2 : 1);
    QCOMPARE(decodes.count(QStringLiteral("p0.bmp")) + decodes.count(QStringLiteral("p5.bmp")), 0);
    // A jump far away lets the old neighbourhood go.
    form->File1->setListIndex(5);
    QTRY_COMPARE(form->Image1->picture().width(), 15);
    QTRY_COMPARE(form->pictures()->held(), (QStringList{path(4), path(5)}));
}

void tst_showpic::staleWorkDropped() {
    FakeWine wine(true);
    for (int i = 0; i < 6; ++i)
        writePicture(wine.shots() + QStringLiteral("/p%1.bmp").arg(i), 10 + i);
    auto* form = openViewer();
    Decodes decodes(form->pictures());
    QSignalSpy outcomes(form->pictures(), &PictureCache::ready);
    MessageRecorder messages;
    // The first pick's decode is still under way when the player picks another file far away.
    decodes.hold(QStringLiteral("p0.bmp"));
    form->File1->setListIndex(0);
    QTRY_COMPARE(decodes.count(QStringLiteral("p0.bmp")), 1);
    form->File1->setListIndex(4);
    QTest::qWait(50);
    QVERIFY(form->Image1->picture().isNull() || form->Image1->picture().width() != 10);
    decodes.release();
    QTRY_COMPARE(form->Image1->picture().width(), 14);
    QTRY_COMPARE(form->pictures()->held(),
                 (QStringList{form->File1->fullPath(3), form->File1->fullPath(4), form->File1->fullPath(5)}));
    // The late picture never showed, and the neighbours of the first pick were never decoded.
    QCOMPARE(outcomes.size(), 1);
    QCOMPARE(outcomes.first().first().toString(), form->File1->fullPath(4));
    QCOMPARE(decodes.count(QStringLiteral("p1.bmp")), 0);
    QVERIFY(messages.messages.isEmpty());
}

void tst_showpic::neighbourChangedBehindTheViewer_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("shownWidth");
    QTest::addColumn<QString>("message");
    QTest::newRow("rewritten larger") << "larger" << 50 << QString();
    QTest::newRow("rewritten, same size, other colour") << "recoloured" << 11 << QString();
    QTest::newRow("replaced by a pipe")
        << "pipe" << 10 << QStringLiteral(" 不是正確格式的BMP,GIF87a,圖示,WMF或JPG壓縮圖檔。");
    QTest::newRow("replaced by a broken file")
        << "broken" << 10 << QStringLiteral(" 不是正確格式的BMP,GIF87a,圖示,WMF或JPG壓縮圖檔。");
}

void tst_showpic::neighbourChangedBehindTheViewer() {
    QFETCH(QString, change);
    QFETCH(int, shownWidth);
    QFETCH(QString, message);
    FakeWine wine(true);
    const QString b = wine.shots() + QStringLiteral("/b.bmp");
    writePicture(wine.shots() + QStringLiteral("/a.bmp"), 10);
    writePicture(b, 11);
    auto* form = openViewer();
    QVERIFY(QTest::qWaitForWindowActive(form));
    Decodes decodes(form->pictures());
    MessageRecorder messages;
    form->File1->setFocus();
    form->File1->setListIndex(0);
    QTRY_COMPARE(decodes.count(QStringLiteral("b.bmp")), 1);
    QTRY_COMPARE(form->pictures()->held().size(), 2);
    if (change == "larger") {
        writePicture(b, 50);
    } else if (change == "recoloured") {
        QImage img(11, 30, QImage::Format_RGB888);
        img.fill(Qt::green);
        QVERIFY(img.save(b, "BMP"));
    } else if (change == "pipe") {
        QVERIFY(QFile::remove(b) && makePipe(b));
    } else {
        QFile f(b);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("not a picture");
    }
    TestSupport::press(Qt::Key_Down);
    QTRY_COMPARE(messages.texts(),
                 message.isEmpty() ? QStringList() : QStringList{QDir::toNativeSeparators(b) + message});
    QTRY_COMPARE(form->Image1->picture().width(), shownWidth);
    if (change == "recoloured")
        QTRY_COMPARE(form->Image1->picture().pixelColor(0, 0), QColor(Qt::green));
}

void tst_showpic::centringAndResize_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("client");
    QTest::newRow("small in large frame") << QSize(64, 48) << QSize(900, 700);
    QTest::newRow("wider than frame, centred vertically") << QSize(640, 48) << QSize(500, 700);
    QTest::newRow("larger both ways") << QSize(640, 480) << QSize(400, 300);
}

void tst_showpic::centringAndResize() {
    QFETCH(QSize, picture);
    QFETCH(QSize, client);
    FakeWine wine(true);
    writePicture(wine.shots() + QStringLiteral("/a.bmp"), picture.width(), picture.height());
    auto* form = openViewer();
    form->setWindowState(Qt::WindowNoState);
    form->resize(client);
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->size(), picture);
    const QRect inner = form->Picture1->contentsRect();
    const QRect image = form->Image1->geometry();
    // Per axis: equal gaps when the picture fits, else the top-left corner.
    const auto check = [](int start, int innerStart, int innerLen, int len) {
        if (len > innerLen)
            return start == innerStart;
        const int before = start - innerStart;
        const int after = innerStart + innerLen - start - len;
        return before >= 0 && (after - before == 0 || after - before == 1);
    };
    QVERIFY(check(image.left(), inner.left(), inner.width(), image.width()));
    QVERIFY(check(image.top(), inner.top(), inner.height(), image.height()));
    // The frame reaches 10 twips short of the right and bottom edges, the list 20 short of the bottom.
    QVERIFY(qAbs(Twips::width(form->Picture1) - (Twips::width(form) - 1800 - 10)) <= 15);
    QVERIFY(qAbs(Twips::height(form->Picture1) - (Twips::height(form) - 10)) <= 15);
    QVERIFY(qAbs(Twips::height(form->File1) - (Twips::height(form) - fileTop(form) - 20)) <= 15);

    // A window too narrow and too short for the list keeps those sizes; the frame height still follows.
    MessageRecorder messages;
    const int frameWidth = form->Picture1->width();
    const int listHeight = form->File1->height();
    form->resize(100, 40);
    QCOMPARE(form->Picture1->width(), frameWidth);
    QCOMPARE(form->File1->height(), listHeight);
    QVERIFY(qAbs(Twips::height(form->Picture1) - 590) <= 15);
    form->showMinimized();
    form->showNormal();
    QVERIFY(messages.messages.isEmpty());
}

namespace {

constexpr int kFar = -1; // as far as the picture goes

// Where a picture's first pixel is along one axis: centred when it fits, else moved back by the pan.
bool placed(int start, int innerStart, int innerLen, int len, int pan) {
    if (len > innerLen)
        return start == innerStart - (pan == kFar ? len - innerLen : pan);
    const int before = start - innerStart;
    const int after = innerStart + innerLen - start - len;
    return before >= 0 && (after - before == 0 || after - before == 1);
}

void sendWheel(showpic* form, QPoint at, QPoint angle, Qt::KeyboardModifiers modifiers) {
    QWheelEvent wheel(QPointF(at), QPointF(form->mapToGlobal(at)), QPoint(), angle, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(form->windowHandle(), &wheel);
}

} // namespace

void tst_showpic::panning_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QList<QPoint>>("drags");
    QTest::addColumn<QPoint>("wheel");
    QTest::addColumn<bool>("shift");
    QTest::addColumn<QPoint>("pan");
    const QSize large(2000, 1500);
    // Drags stay inside the window, as a player's do; several of them cross the whole picture.
    const QList<QPoint> toCorner(5, QPoint(-380, -230));
    QTest::newRow("dragged to its bottom-right corner")
        << large << toCorner << QPoint() << false << QPoint(kFar, kFar);
    QTest::newRow("dragged part of the way")
        << large << QList<QPoint>{{-30, -20}} << QPoint() << false << QPoint(30, 20);
    QTest::newRow("dragged back past its start")
        << large << toCorner + QList<QPoint>(8, QPoint(280, 240)) << QPoint() << false << QPoint(0, 0);
    QTest::newRow("wheel down a notch")
        << large << QList<QPoint>{} << QPoint(0, -120) << false << QPoint(0, 100);
    QTest::newRow("Shift and wheel down: across")
        << large << QList<QPoint>{} << QPoint(0, -120) << true << QPoint(100, 0);
    QTest::newRow("wheel up at the top stays")
        << large << QList<QPoint>{} << QPoint(0, 120) << false << QPoint(0, 0);
    QTest::newRow("wider only: the other way stays centred")
        << QSize(2000, 40) << QList<QPoint>{{-30, -30}} << QPoint(0, -120) << false << QPoint(30, 0);
    QTest::newRow("fits: centred and still")
        << QSize(40, 30) << QList<QPoint>{{-30, -30}} << QPoint(0, -120) << true << QPoint(0, 0);
}

void tst_showpic::panning() {
    QFETCH(QSize, picture);
    QFETCH(QList<QPoint>, drags);
    QFETCH(QPoint, wheel);
    QFETCH(bool, shift);
    QFETCH(QPoint, pan);
    FakeWine wine(true);
    writePicture(wine.shots() + QStringLiteral("/a.bmp"), picture.width(), picture.height());
    auto* form = openViewer();
    form->setWindowState(Qt::WindowNoState);
    form->resize(700, 500);
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->size(), picture);
    const QRect inner = form->Picture1->contentsRect();
    // Where the player points: the middle of the frame, in the window.
    const QPoint middle = form->Picture1->mapTo(form, inner.center());
    QWindow* window = form->windowHandle();
    for (const QPoint& d : drags) {
        QTest::mousePress(window, Qt::LeftButton, {}, middle);
        QTest::mouseMove(window, middle + d / 2);
        QTest::mouseMove(window, middle + d);
        QTest::mouseRelease(window, Qt::LeftButton, {}, middle + d);
    }
    if (!wheel.isNull())
        sendWheel(form, middle, wheel, shift ? Qt::ShiftModifier : Qt::NoModifier);
    const QRect image = form->Image1->geometry();
    QCOMPARE(image.size(), picture);
    QVERIFY2(placed(image.left(), inner.left(), inner.width(), image.width(), pan.x()),
             qPrintable(QStringLiteral("left %1, frame %2").arg(image.left()).arg(inner.left())));
    QVERIFY2(placed(image.top(), inner.top(), inner.height(), image.height(), pan.y()),
             qPrintable(QStringLiteral("top %1, frame %2").arg(image.top()).arg(inner.top())));

    // A larger window shows more; a picture moved to its far edge keeps no gap inside the frame.
    form->resize(900, 650);
    const QRect wider = form->Picture1->contentsRect();
    const QRect after = form->Image1->geometry();
    QVERIFY(picture.width() <= wider.width() ||
            (after.left() <= wider.left() && after.right() >= wider.right()));
    QVERIFY(picture.height() <= wider.height() ||
            (after.top() <= wider.top() && after.bottom() >= wider.bottom()));
}

void tst_showpic::panningKeepsKeysWithTheList() {
    FakeWine wine(true);
    writePicture(wine.shots() + QStringLiteral("/a.bmp"), 2000, 1500);
    writePicture(wine.shots() + QStringLiteral("/b.bmp"), 1999, 1500);
    writePicture(wine.shots() + QStringLiteral("/c.bmp"), 20, 30);
    auto* form = openViewer();
    form->setWindowState(Qt::WindowNoState);
    form->resize(700, 500);
    QVERIFY(QTest::qWaitForWindowActive(form));
    form->File1->setFocus();
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->width(), 2000);
    const QRect inner = form->Picture1->contentsRect();
    const QPoint middle = form->Picture1->mapTo(form, inner.center());
    QWindow* window = form->windowHandle();
    // The pointer shows the picture can be moved, and holds it while it is.
    QCOMPARE(form->Image1->cursor().shape(), Qt::OpenHandCursor);
    QTest::mousePress(window, Qt::LeftButton, {}, middle);
    QCOMPARE(form->Image1->cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseMove(window, middle - QPoint(50, 60));
    QTest::mouseRelease(window, Qt::LeftButton, {}, middle - QPoint(50, 60));
    QCOMPARE(form->Image1->cursor().shape(), Qt::OpenHandCursor);
    QCOMPARE(form->Image1->pos(), inner.topLeft() - QPoint(50, 60));
    // The arrow keys still step through the list, and the next picture opens at its top-left corner.
    QCOMPARE(QApplication::focusWidget(), form->File1);
    TestSupport::press(Qt::Key_Down);
    QTRY_COMPARE(form->Image1->width(), 1999);
    QCOMPARE(form->Image1->pos(), inner.topLeft());
    TestSupport::press(Qt::Key_Down);
    QTRY_COMPARE(form->Image1->width(), 20);
    QCOMPARE(form->Image1->cursor().shape(), Qt::ArrowCursor);
}

void tst_showpic::startupPictureOnce() {
    FakeWine wine(true);
    writePicture(wine.shots() + QStringLiteral("/a.bmp"), 50, 40);
    auto* form = FormBase::open<showpic>();
    QVERIFY(form->Image1->picture().isNull());
    QTRY_COMPARE(form->Image1->picture().size(), QSize(273, 447));
    QVERIFY(!form->Timer1->isActive());
    QVERIFY(form->Image1->isVisible());
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().size(), QSize(50, 40));
    QTest::qWait(250);
    QCOMPARE(form->Image1->picture().size(), QSize(50, 40));
}

void tst_showpic::deletion_data() {
    QTest::addColumn<int>("files");
    QTest::addColumn<int>("pick");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QList<MsgResult>>("answers");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("newIndex");
    QTest::addColumn<int>("shownWidth");
    // Picture i is 10 + i pixels wide, so the shown width names the shown file.
    const int shift = Qt::ShiftModifier;
    const int ctrlShift = Qt::ShiftModifier | Qt::ControlModifier;
    QTest::newRow("Shift+Delete third of five")
        << 5 << 2 << shift << QList<MsgResult>{} << false << 0 << 2 << 13;
    QTest::newRow("Shift+Delete last of five")
        << 5 << 4 << shift << QList<MsgResult>{} << false << 0 << 3 << 13;
    QTest::newRow("only one: nothing selected")
        << 1 << 0 << shift << QList<MsgResult>{} << false << 0 << -1 << 10;
    QTest::newRow("read-only without a further question")
        << 3 << 0 << shift << QList<MsgResult>{} << true << 0 << 0 << 11;
    QTest::newRow("Delete asks, Yes deletes")
        << 5 << 2 << 0 << QList<MsgResult>{MsgResult::Yes} << false << 1 << 2 << 13;
    QTest::newRow("Ctrl+Shift+Delete asks")
        << 5 << 1 << ctrlShift << QList<MsgResult>{MsgResult::Yes} << false << 1 << 1 << 12;
    QTest::newRow("No keeps everything")
        << 5 << 2 << 0 << QList<MsgResult>{MsgResult::No} << false << 1 << 2 << 12;
}

void tst_showpic::deletion() {
    QFETCH(int, files);
    QFETCH(int, pick);
    QFETCH(int, modifiers);
    QFETCH(QList<MsgResult>, answers);
    QFETCH(bool, readOnly);
    QFETCH(int, questions);
    QFETCH(int, newIndex);
    QFETCH(int, shownWidth);
    FakeWine wine(true);
    QStringList names;
    for (int i = 0; i < files; ++i) {
        names.append(QStringLiteral("shot%1.bmp").arg(i));
        writePicture(wine.shots() + u'/' + names.last(), 10 + i);
    }
    const QString victim = wine.shots() + u'/' + names[pick];
    // A second link to the file elsewhere: deleting this one changes nothing of the other.
    const QByteArray other = QFile::encodeName(wine.path(QStringLiteral("elsewhere.bmp")));
    QCOMPARE(::link(QFile::encodeName(victim).constData(), other.constData()), 0);
    // The player's own read-only file, in a folder the player may change.
    wine.openToAll();
    QCOMPARE(::chown(QFile::encodeName(victim).constData(), AsPlayer::kNobody, AsPlayer::kNobody), 0);
    if (readOnly)
        QFile::setPermissions(victim,
                              QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    struct stat before {};
    QCOMPARE(::stat(other.constData(), &before), 0);
    auto* form = openViewer();
    QVERIFY(QTest::qWaitForWindowActive(form));
    form->File1->setFocus();
    form->File1->setListIndex(pick);
    QTRY_COMPARE(form->Image1->picture().width(), 10 + pick);
    MessageRecorder messages;
    messages.answers = answers;
    {
        AsPlayer player;
        TestSupport::press(QKeyCombination(Qt::KeyboardModifiers(modifiers), Qt::Key_Delete));
    }
    QCOMPARE(messages.messages.size(), questions);
    if (questions) {
        const auto& q = messages.messages.first();
        QCOMPARE(q.text,
                 QStringLiteral("刪除檔案:\"") + QDir::toNativeSeparators(victim) + QStringLiteral("\"?"));
        QCOMPARE(q.buttons, MsgButtons::YesNo);
        QCOMPARE(q.icon, MsgIcon::Question);
    }
    const bool deleted = answers.isEmpty() || answers.first() == MsgResult::Yes;
    QCOMPARE(QFileInfo::exists(victim), !deleted);
    if (deleted)
        names.removeAt(pick);
    QCOMPARE(form->File1->items(), names);
    QCOMPARE(form->File1->listIndex(), newIndex);
    QTRY_COMPARE(form->Image1->picture().width(), shownWidth);
    struct stat after {};
    QCOMPARE(::stat(other.constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_nlink, deleted ? before.st_nlink - 1 : before.st_nlink);
}

void tst_showpic::deletionFailureKeepsList() {
    FakeWine wine(true);
    for (int i = 0; i < 3; ++i)
        writePicture(wine.shots() + QStringLiteral("/s%1.bmp").arg(i), 10 + i);
    auto* form = openViewer();
    form->File1->setListIndex(1);
    QTRY_COMPARE(form->Image1->picture().width(), 11);
    // Another program removes the file after the list was read.
    QFile::remove(wine.shots() + QStringLiteral("/s1.bmp"));
    MessageRecorder messages;
    QTest::keyClick(form->File1, Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(messages.messages.size(), 1);
    QVERIFY(messages.texts().first().contains(
        QDir::toNativeSeparators(wine.shots() + QStringLiteral("/s1.bmp"))));
    QVERIFY(messages.texts().first().contains(QStringLiteral("不存在")));
    QCOMPARE(form->File1->listCount(), 3);
    QCOMPARE(form->File1->listIndex(), 1);
    QCOMPARE(form->Image1->picture().width(), 11);
    QVERIFY(form->isVisible());
}

void tst_showpic::nothingSelectedDoesNothing() {
    FakeWine wine(true);
    writePicture(wine.shots() + QStringLiteral("/a.bmp"), 10);
    auto* form = FormBase::open<showpic>();
    QCOMPARE(form->File1->listIndex(), -1);
    MessageRecorder messages;
    QTest::keyClick(form->File1, Qt::Key_Delete);
    QTest::keyClick(form->File1, Qt::Key_Delete, Qt::ShiftModifier);
    QTest::keyClick(form->File1, Qt::Key_Return);
    QVERIFY(messages.messages.isEmpty());
    QCOMPARE(form->File1->listCount(), 1);
}

void tst_showpic::lostFocusRereads_data() {
    QTest::addColumn<int>("reason");
    QTest::addColumn<int>("count");
    QTest::newRow("focus to another control") << int(Qt::TabFocusReason) << 2;
    QTest::newRow("mouse on another control") << int(Qt::MouseFocusReason) << 2;
    QTest::newRow("a message box or another program") << int(Qt::ActiveWindowFocusReason) << 1;
}

void tst_showpic::lostFocusRereads() {
    QFETCH(int, reason);
    QFETCH(int, count);
    FakeWine wine(true);
    writePicture(wine.shots() + QStringLiteral("/qm020315_001.bmp"), 10);
    auto* form = openViewer();
    form->File1->setListIndex(0);
    writePicture(wine.shots() + QStringLiteral("/qm020315_002.bmp"), 10);
    QCOMPARE(form->File1->listCount(), 1);
    QFocusEvent out(QEvent::FocusOut, Qt::FocusReason(reason));
    QCoreApplication::sendEvent(form->File1, &out);
    QCOMPARE(form->File1->listCount(), count);
    QCOMPARE(form->File1->listIndex(), count == 1 ? 0 : -1);
}

void tst_showpic::helpText() {
    FakeWine wine(true);
    auto* form = FormBase::open<showpic>();
    MessageRecorder messages;
    QTest::mouseClick(form->Command2, Qt::LeftButton);
    QCOMPARE(messages.texts(),
             QStringList{QStringLiteral("按Delete鍵可以刪除圖檔\r\nShift+Delete則可以刪除而不用使用者確認\r\n"
                                        "按Enter則可呼叫預設圖檔編輯程式。")});
    QCOMPARE(messages.messages.first().buttons, MsgButtons::Ok);
}

void tst_showpic::safeOpen_data() {
    QTest::addColumn<int>("openerStatus");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    const QByteArray shell = QStringLiteral("my \"shot\" & $HOME; rm -rf x_1.bmp").toUtf8();
    QTest::newRow("a program opens it") << 0 << shell << QString::fromUtf8(shell);
    QTest::newRow("no program for the type") << 3 << shell << QString::fromUtf8(shell);
    // Bytes that are not UTF-8 go as a file URL; the refusal names the file as the player reads it.
    QTest::newRow("code page 950 name")
        << 3 << TestSupport::toCp950(QStringLiteral("截圖 一.bmp")) << QStringLiteral("截圖 一.bmp");
    QTest::newRow("backslashes") << 0 << QByteArray("b\\..\\..\\a.bmp") << QStringLiteral("b\\..\\..\\a.bmp");
}

void tst_showpic::safeOpen() {
    QFETCH(int, openerStatus);
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QTemporaryDir bin;
    const QString record = bin.filePath(QStringLiteral("argv.txt"));
    {
        QFile script(bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                     record.toLocal8Bit() + ".tmp\"\nmv \"" + record.toLocal8Bit() + ".tmp\" \"" +
                     record.toLocal8Bit() + "\"\nexit " + QByteArray::number(openerStatus) + "\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser));
    }
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.path().toLocal8Bit() + ':' + oldPath);
    const auto restorePath = qScopeGuard([&oldPath] { qputenv("PATH", oldPath); });
    FakeWine wine(true);
    const QString item = writeRawNamed(wine.shots(), name, 10);
    const QByteArray raw = bytesOf(wine.shots()) + '/' + name;
    // Qt cannot remove a name it cannot decode; the temporary folder goes only once this name is gone.
    const auto removeRaw = qScopeGuard([&raw] { ::unlink(raw.constData()); });
    auto* form = openViewer();
    QVERIFY(QTest::qWaitForWindowActive(form));
    MessageRecorder messages;
    form->File1->setFocus();
    form->File1->setListIndex(0);
    QCOMPARE(form->File1->itemText(0), item);
    const QString argument = FileNames::hasRawBytes(item)
                                 ? QStringLiteral("file://") + QString::fromLatin1(raw.toPercentEncoding("/"))
                                 : wine.shots() + u'/' + item;
    const QStringList refusal{QStringLiteral("無法開啟檔案:\"") + wine.shots() + u'/' + shown +
                              QStringLiteral("\"\r沒有可以開啟這種檔案的程式。")};

    // One argument, then the final line break.
    const auto openedPath = [&record]() {
        QFile f(record);
        if (!f.open(QIODevice::ReadOnly))
            return QString();
        const QList<QByteArray> args = f.readAll().split('\n');
        return args.size() == 2 ? QString::fromLocal8Bit(args[0]) : QStringLiteral("bad: ") + args.join('|');
    };
    TestSupport::press(Qt::Key_Return);
    QTRY_COMPARE(openedPath(), argument);
    QTRY_COMPARE(messages.texts(), openerStatus == 0 ? QStringList() : refusal);
    QFile::remove(record);
    messages.messages.clear();
    const QRect row = form->File1->visualRect(form->File1->model()->index(0, 0));
    QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(form->File1->viewport(), Qt::LeftButton, {}, row.center());
    QTRY_COMPARE(openedPath(), argument);
    QTRY_COMPARE(messages.texts(), openerStatus == 0 ? QStringList() : refusal);
}

void tst_showpic::pictureListMode() {
    FakeWine wine(true);
    ProgramFolder program;
    QDir().mkpath(program.path() + QStringLiteral("/相關圖片"));
    QFile::copy(QStringLiteral(":/viewer/startup.gif"),
                program.path() + QStringLiteral("/相關圖片/q1_a.gif"));
    writePicture(program.path() + QStringLiteral("/相關圖片/q1_b.bmp"), 10);
    writePicture(program.path() + QStringLiteral("/相關圖片/q2_a.bmp"), 10);
    auto* form = FormBase::instance<showpic>();
    form->showPictureList(program.path() + QStringLiteral("/相關圖片"), QStringLiteral("q1_*.*"), QImage());
    QVERIFY(form->isVisible());
    QCOMPARE(form->File1->items(), (QStringList{"q1_a.gif", "q1_b.bmp"}));
    for (QWidget* w : {static_cast<QWidget*>(form->Command1), static_cast<QWidget*>(form->Command3),
                       static_cast<QWidget*>(form->Command4), static_cast<QWidget*>(form->Command5),
                       static_cast<QWidget*>(form->Dir1), static_cast<QWidget*>(form->Drive1),
                       static_cast<QWidget*>(form->Combo1), static_cast<QWidget*>(form->Combo2),
                       static_cast<QWidget*>(form->Combo3)})
        QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
    QVERIFY(!form->Command2->isHidden() && !form->File1->isHidden());
    QVERIFY(qAbs(fileTop(form) - (375 + 10)) <= 15);
    QVERIFY(qAbs(Twips::height(form->File1) - (Twips::height(form) - fileTop(form) - 20)) <= 15);
    QVERIFY(!form->isMaximized());
    QVERIFY(form->windowTitle().startsWith(QStringLiteral("看圖程式 Beta 2 ")));
    QTest::qWait(200);
    QVERIFY(form->Image1->picture().isNull());
    form->File1->setListIndex(0);
    QTRY_COMPARE(form->Image1->picture().size(), QSize(273, 447));
}

QTEST_MAIN(tst_showpic)
#include "tst_showpic.moc"
