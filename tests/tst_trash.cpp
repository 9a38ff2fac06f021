// The viewer's Delete and Shift+Delete move pictures to a private freedesktop trash; Ctrl+Z puts them back.

#include "core/FileNames.h"
#include "forms/showpic.h"
#include "platform/Files.h"
#include "testsupport.h"
#include "widgets/FileList.h"
#include "widgets/ImageBox.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using Module1::MsgResult;
using TestSupport::openViewer;
using TestSupport::writeFile;

namespace {

const QString kGame = u"wine/drive_c/Program Files/Tessaly/Quellmark/ScreenShot"_s;
const QString kAsk = u"刪除檔案:\"%1\"?\r(檔案會移到資源回收筒)"_s;
const QString kAskForGood = u"無法移到資源回收筒，要永久刪除嗎?\r\"%1\"\r"_s;

QByteArray picture(int width) {
    QImage img(width, 20, QImage::Format_RGB888);
    img.fill(QColor(width, 90, 160));
    QBuffer buffer;
    img.save(&buffer, "BMP");
    return buffer.data();
}

QByteArray bytes(const QString& path) {
    return FileNames::toBytes(path);
}

// Reads a file by its bytes, whatever its name.
QByteArray readRaw(const QString& path) {
    std::ifstream in(bytes(path).constData(), std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

struct stat lstatOf(const QString& path) {
    struct stat st {};
    if (::lstat(bytes(path).constData(), &st) != 0)
        st.st_ino = 0;
    return st;
}

// A desktop of its own: home, data and cache folders, the game's screenshots s0..s2.bmp (10 + i pixels
// wide) and the current folder, all in one temporary folder.
struct Desktop : QTemporaryDir {
    explicit Desktop(bool trashWorks = true) {
        QDir().mkpath(filePath(kGame));
        QDir().mkpath(filePath(u"cwd"_s));
        // A data folder under a plain file cannot be made, not even by root.
        writeFile(filePath(u"plain"_s), {});
        const QString data = trashWorks ? filePath(u"data"_s) : filePath(u"plain/data"_s);
        for (const auto& [name, value] : {std::pair{"HOME", path()},
                                          {"XDG_DATA_HOME", data},
                                          {"XDG_CACHE_HOME", filePath(u"cache"_s)},
                                          {"WINEPREFIX", filePath(u"wine"_s)}})
            qputenv(name, QFile::encodeName(value));
        QDir::setCurrent(filePath(u"cwd"_s));
        for (int i = 0; i < 3; ++i)
            writeFile(shot(u"s%1.bmp"_s.arg(i)), picture(10 + i));
    }
    // Qt cannot remove names that are not UTF-8: the folder goes byte by byte.
    ~Desktop() {
        QDir::setCurrent(QDir::tempPath());
        ::nftw(
            bytes(path()).constData(),
            [](const char* entry, const struct stat*, int, FTW*) { return ::remove(entry); }, 16,
            FTW_DEPTH | FTW_PHYS);
    }
    Q_DISABLE_COPY_MOVE(Desktop)

    [[nodiscard]] QString shot(const QString& name) const { return filePath(kGame) + u'/' + name; }
    [[nodiscard]] QString trash(const QString& sub) const { return filePath(u"data/Trash/"_s) + sub; }
    [[nodiscard]] QStringList trashed() const {
        QStringList names;
        for (const auto& entry : Platform::listFolder(trash(u"files"_s)))
            names.append(entry.name);
        return names;
    }
};

enum class Kind { Plain, Link, HardLink };

} // namespace

class tst_trash : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void init() { showpic::trashedThisRun().clear(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void trashAndUndo_data() {
        QTest::addColumn<QByteArray>("name"); // of the middle file
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QKeyCombination>("key");
        const QKeyCombination del(Qt::Key_Delete), shift(Qt::ShiftModifier | Qt::Key_Delete);
        QTest::newRow("Delete, answered Yes") << "s1.bmp"_ba << Kind::Plain << del;
        QTest::newRow("Shift+Delete") << "s1.bmp"_ba << Kind::Plain << shift;
        QTest::newRow("a link goes as the link") << "s1.bmp"_ba << Kind::Link << shift;
        QTest::newRow("a hard link: the other name stays") << "s1.bmp"_ba << Kind::HardLink << del;
        QTest::newRow("a name in code page 950")
            << TestSupport::toCp950(u"截圖 一.bmp"_s) << Kind::Plain << del;
    }

    // Each deletion goes to the trash with its record; each Ctrl+Z brings back the latest, listed and picked.
    void trashAndUndo() {
        QFETCH(QByteArray, name);
        QFETCH(Kind, kind);
        QFETCH(QKeyCombination, key);
        Desktop desktop;
        const QString elsewhere = desktop.filePath(u"elsewhere.bmp"_s), s1 = desktop.shot(u"s1.bmp"_s);
        QVERIFY(writeFile(elsewhere, picture(20)));
        if (kind == Kind::Link)
            QVERIFY(QFile::remove(s1) && QFile::link(u"../../../../../../elsewhere.bmp"_s, s1));
        if (kind == Kind::HardLink)
            QVERIFY(QFile::remove(s1) && ::link(bytes(elsewhere), bytes(s1)) == 0);
        const QString middle = FileNames::fromBytes(bytes(desktop.shot({})) + name);
        QCOMPARE(::rename(bytes(s1), bytes(middle)), 0);
        const struct stat before = lstatOf(middle);
        const QString s2 = desktop.shot(u"s2.bmp"_s);

        auto* form = openViewer(-1);
        form->File1->setListIndex(int(form->File1->items().indexOf(FileNames::fromBytes(name))));
        QTRY_COMPARE(form->Image1->picture().width(), kind == Kind::Plain ? 11 : 20);
        TestSupport::MessageRecorder messages;
        messages.answers = {MsgResult::Yes};
        TestSupport::press(key);
        const QStringList asked = key == QKeyCombination(Qt::Key_Delete)
                                      ? QStringList{kAsk.arg(FileNames::displayPath(middle))}
                                      : QStringList();
        QCOMPARE(messages.texts(), asked);
        QCOMPARE(lstatOf(middle).st_ino, ino_t(0));
        QCOMPARE(form->File1->items(), (QStringList{"s0.bmp", "s2.bmp"}));
        QCOMPARE(form->selectedPath(), s2);
        TestSupport::press(Qt::ShiftModifier | Qt::Key_Delete);
        const QString inTrash = desktop.trash(u"files/"_s) + FileNames::fromBytes(name);
        QCOMPARE(lstatOf(inTrash).st_ino, before.st_ino);
        QCOMPARE(desktop.trashed().size(), 2);
        const QByteArray record =
            readRaw(desktop.trash(u"info/"_s) + FileNames::fromBytes(name) + u".trashinfo"_s);
        const QByteArray recorded = record.split('\n').value(1);
        QVERIFY2(record.startsWith("[Trash Info]\n") &&
                     QByteArray::fromPercentEncoding(recorded) == "Path=" + bytes(middle),
                 record.constData());
        // What a link names, and the file's other name, are never touched.
        QCOMPARE(TestSupport::readFile(elsewhere), picture(20));
        QCOMPARE(lstatOf(elsewhere).st_nlink, nlink_t(kind == Kind::HardLink ? 2 : 1));

        // Closed and opened again, the viewer still knows what this run trashed.
        TestSupport::unloadAllForms();
        form = openViewer(0);
        TestSupport::press(Qt::ControlModifier | Qt::Key_Z);
        QCOMPARE(form->File1->items(), (QStringList{"s0.bmp", "s2.bmp"}));
        QCOMPARE(form->selectedPath(), s2);
        QTRY_COMPARE(form->Image1->picture().width(), 12);
        TestSupport::press(Qt::ControlModifier | Qt::Key_Z);
        QCOMPARE(form->File1->items().size(), 3);
        QCOMPARE(form->selectedPath(), middle);
        const struct stat after = lstatOf(middle);
        QVERIFY(after.st_ino == before.st_ino && S_ISLNK(after.st_mode) == (kind == Kind::Link));
        QVERIFY(desktop.trashed().isEmpty() && Platform::listFolder(desktop.trash(u"info"_s)).isEmpty());
        TestSupport::press(Qt::ControlModifier | Qt::Key_Z); // nothing left to bring back
        QCOMPARE(messages.texts(), asked);
        QCOMPARE(form->File1->items().size(), 3);
    }

    void withoutTrash_data() {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<MsgResult>("answer");
        const QKeyCombination del(Qt::Key_Delete), shift(Qt::ShiftModifier | Qt::Key_Delete);
        QTest::newRow("Delete, then No: kept") << del << MsgResult::No;
        QTest::newRow("Shift+Delete asks too; Yes deletes for good") << shift << MsgResult::Yes;
    }

    // Where no trash can be made, only a Yes (not the default) deletes for good, and nothing lands elsewhere.
    void withoutTrash() {
        QFETCH(QKeyCombination, key);
        QFETCH(MsgResult, answer);
        Desktop desktop(false);
        const QString s1 = desktop.shot(u"s1.bmp"_s);
        auto* form = openViewer(1);
        QTRY_COMPARE(form->Image1->picture().width(), 11);
        const bool asked = key == QKeyCombination(Qt::Key_Delete);
        TestSupport::MessageRecorder messages;
        messages.answers = asked ? QList{MsgResult::Yes, answer} : QList{answer};
        TestSupport::press(key);
        const QStringList texts = messages.texts();
        QCOMPARE(texts.size(), asked ? 3 : 2);
        const Module1::MsgRequest question = messages.messages.at(texts.size() - 2);
        QVERIFY2(question.text.startsWith(kAskForGood.arg(s1)), qPrintable(question.text));
        QVERIFY(question.buttons == Module1::MsgButtons::YesNo && question.defaultNo);
        const bool deleted = answer == MsgResult::Yes;
        QCOMPARE(texts.last(), (deleted ? u"檔案已經永久刪除:\"%1\""_s : u"檔案沒有刪除:\"%1\""_s).arg(s1));
        QCOMPARE(QFileInfo::exists(s1), !deleted);
        QCOMPARE(form->File1->items().size(), deleted ? 2 : 3);
        QVERIFY(QDir(desktop.filePath(u"cwd"_s)).isEmpty());
        TestSupport::press(Qt::ControlModifier | Qt::Key_Z);
        QCOMPARE(messages.texts().size(), texts.size());
        // The real box answers No to Enter.
        const auto box =
            Module1::makeMessageBox(question.text, question.buttons, question.icon, nullptr, true);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
    }

    void changedWhileAsked_data() {
        QTest::addColumn<bool>("trashWorks");
        QTest::addColumn<int>("change"); // 1 removed, 2 s2.bmp renamed over s1.bmp
        QTest::addColumn<QString>("message");
        const QString gone = u"%1 已經不存在。"_s;
        QTest::newRow("renamed over") << true << 2 << gone;
        QTest::newRow("removed") << true << 1 << u"無法刪除檔案:\"%1\"\r檔案已經不存在"_s;
        QTest::newRow("renamed over before a Yes for good") << false << 2 << gone;
    }

    // A file replaced or gone between the question and its answer is never deleted or trashed.
    void changedWhileAsked() {
        QFETCH(bool, trashWorks);
        QFETCH(int, change);
        QFETCH(QString, message);
        Desktop desktop(trashWorks);
        const QString s1 = desktop.shot(u"s1.bmp"_s), kept = desktop.shot(u"kept.bmp"_s);
        auto* form = openViewer(1);
        QTRY_COMPARE(form->Image1->picture().width(), 11);
        TestSupport::MessageRecorder messages;
        messages.answers = {MsgResult::Yes, MsgResult::Yes};
        // While the last question before the deed is open.
        messages.whileAsked = [&] {
            if (messages.messages.size() == (trashWorks ? 1 : 2))
                QVERIFY(change == 1
                            ? QFile::remove(s1)
                            : QFile::rename(s1, kept) && QFile::rename(desktop.shot(u"s2.bmp"_s), s1));
        };
        TestSupport::press(Qt::Key_Delete);
        QCOMPARE(messages.texts().size(), trashWorks ? 2 : 3);
        QCOMPARE(messages.texts().last(), message.arg(s1));
        QCOMPARE(TestSupport::readFile(s1), change == 2 ? picture(12) : QByteArray());
        QVERIFY(desktop.trashed().isEmpty());
        QCOMPARE(form->File1->items(), change == 2 ? QStringList({"kept.bmp", "s0.bmp", "s1.bmp"})
                                                   : QStringList({"s0.bmp", "s1.bmp", "s2.bmp"}));
    }

    void undoRefused_data() {
        QTest::addColumn<int>("obstacle"); // what happens once s1.bmp is trashed
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("kept"); // for a Ctrl+Z once the obstacle is gone
        QTest::newRow("the name is taken") << 0 << u"已經有別的檔案用這個名稱。"_s << true;
        QTest::newRow("the trash was emptied") << 1 << u"資源回收筒裡已經沒有這個檔案。"_s << false;
        QTest::newRow("the folder is gone") << 2 << QString::fromLocal8Bit(std::strerror(ENOENT)) << true;
    }

    // Ctrl+Z never replaces a file; it says what stands in its way, and tries again on the next Ctrl+Z.
    void undoRefused() {
        QFETCH(int, obstacle);
        QFETCH(QString, message);
        QFETCH(bool, kept);
        Desktop desktop;
        const QString s1 = desktop.shot(u"s1.bmp"_s), folder = desktop.shot({});
        auto* form = openViewer(1);
        QTRY_COMPARE(form->Image1->picture().width(), 11);
        TestSupport::MessageRecorder messages;
        TestSupport::press(Qt::ShiftModifier | Qt::Key_Delete);
        QCOMPARE(desktop.trashed(), QStringList{"s1.bmp"});
        QVERIFY(obstacle == 0   ? writeFile(s1, "new")
                : obstacle == 1 ? QFile::remove(desktop.trash(u"files/s1.bmp"_s))
                                : QDir(folder).removeRecursively());
        TestSupport::press(Qt::ControlModifier | Qt::Key_Z);
        QCOMPARE(messages.texts(), QStringList{u"無法救回檔案:\"%1\"\r"_s.arg(s1) + message});
        QCOMPARE(TestSupport::readFile(s1), obstacle == 0 ? "new"_ba : QByteArray());
        QCOMPARE(desktop.trashed().size(), kept ? 1 : 0);
        QVERIFY(obstacle == 0 ? QFile::remove(s1) : obstacle == 1 || QDir().mkpath(folder));
        TestSupport::press(Qt::ControlModifier | Qt::Key_Z);
        QCOMPARE(messages.texts().size(), 1);
        QCOMPARE(TestSupport::readFile(s1), kept ? picture(11) : QByteArray());
    }
};

QTEST_MAIN(tst_trash)
#include "tst_trash.moc"
