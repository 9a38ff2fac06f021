#include "forms/Form10.h"
#include "forms/Form2.h"
#include "forms/Form4.h"
#include "modules/FileFollower.h"
#include "modules/TextLoad.h"
#include "testsupport.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

using TestSupport::MessageRecorder;
using TestSupport::ProgramFolder;

namespace {

// Another program may have used up the user's system watches: while set, every new watch is refused
// as the system refuses it then.
std::atomic<bool> noWatchesLeft{false};

struct NoWatchesLeft {
    NoWatchesLeft() { noWatchesLeft = true; }
    ~NoWatchesLeft() { noWatchesLeft = false; }
    Q_DISABLE_COPY_MOVE(NoWatchesLeft)
};

// Saves made by the reloads below can take a poll and a quiet time on a busy machine.
constexpr int kShownWithinMs = 15000;

void saveRenamedOver(const QString& path, const QByteArray& bytes) {
    const QByteArray target = QFile::encodeName(path);
    QVERIFY(TestSupport::writeFile(target + ".new", bytes));
    QVERIFY(std::rename((target + ".new").constData(), target.constData()) == 0);
}

TextBox* showProfession(const ProgramFolder& folder, const QString& text) {
    folder.writeCp950(QStringLiteral("職業\\劍士.txt"), text);
    auto* form = FormBase::open<Form4>();
    QTest::mouseClick(form->Command[1], Qt::LeftButton);
    return form->Text1;
}

TextBox* showArticle(const QString& text) {
    TextBox* pane = FormBase::open<Form10>()->Text1;
    [&] { QTRY_COMPARE(pane->text(), text); }();
    return pane;
}

} // namespace

extern "C" int inotify_add_watch(int fd, const char* name, std::uint32_t mask) {
    if (noWatchesLeft) {
        errno = ENOSPC;
        return -1;
    }
    using Real = int (*)(int, const char*, std::uint32_t);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "inotify_add_watch"));
    return real(fd, name, mask);
}

// Following the files a window shows through what players and their systems really do to them.
class tst_Follow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }
    void cleanup() { TestSupport::unloadAllForms(); }

    void unreadableFileChangesNothing_data() {
        QTest::addColumn<bool>("article");
        QTest::addColumn<bool>("pipe");
        QTest::newRow("profession replaced by a pipe") << false << true;
        QTest::newRow("profession grown past the size limit") << false << false;
        QTest::newRow("article replaced by a pipe") << true << true;
        QTest::newRow("article grown past the size limit") << true << false;
    }

    // No message the player did not ask for, and the window keeps what it shows, until the file can be
    // read again.
    void unreadableFileChangesNothing() {
        QFETCH(bool, article);
        QFETCH(bool, pipe);
        ProgramFolder folder;
        MessageRecorder messages;
        const QString name =
            article ? QStringLiteral("心得文章\\劍士.txt") : QStringLiteral("職業\\劍士.txt");
        const QString path = folder.writeCp950(name, QStringLiteral("舊\r\n"));
        TextBox* pane = article ? showArticle(QStringLiteral("舊\r\n"))
                                : showProfession(folder, QStringLiteral("舊\r\n"));
        QCOMPARE(pane->text(), QStringLiteral("舊\r\n"));
        QStringList shown;
        const QMetaObject::Connection recording =
            connect(pane, &QPlainTextEdit::textChanged, this, [&] { shown << pane->text(); });

        if (pipe) {
            QVERIFY(QFile::remove(path));
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0644) == 0);
        } else {
            QFile big(path);
            QVERIFY(big.resize(TextLoad::kMaxFileBytes + 1)); // sparse: costs no disk
        }
        // Long enough for the follower to have looked at the file at least once.
        QTest::qWait(FileFollower::kQuietMs * 4);
        QCOMPARE(shown, QStringList());
        QCOMPARE(messages.texts(), QStringList());
        disconnect(recording);

        // Readable again: followed as before.
        QFile::remove(path);
        folder.writeCp950(name, QStringLiteral("新\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(pane->text(), QStringLiteral("新\r\n"), kShownWithinMs);
        QCOMPARE(messages.texts(), QStringList());
    }

    void saveDuringLoadIsShown_data() {
        QTest::addColumn<bool>("list");
        QTest::newRow("profession pane") << false;
        QTest::newRow("region list") << true;
    }

    // A second save lands while the first is being read: the second is what the window ends up showing.
    void saveDuringLoadIsShown() {
        QFETCH(bool, list);
        ProgramFolder folder;
        MessageRecorder messages;
        const QString name = list ? QStringLiteral("芙蕾雅島.txt") : QStringLiteral("職業\\劍士.txt");
        const QString path = folder.writeCp950(name, QStringLiteral("舊\r\n"));
        const QByteArray second = TestSupport::toCp950(QStringLiteral("第二次\r\n"));
        bool saved = false;
        // Saves again the moment the first save's text has been read, before the window is done loading.
        const auto saveAgainAfterFirst = [&](const QString& read) {
            if (saved || read != QStringLiteral("一"))
                return;
            saved = true;
            saveRenamedOver(path, second);
        };
        std::function<QString()> shownText;
        if (list) {
            auto* form = FormBase::open<Form2>();
            QTest::mouseClick(form->Command1, Qt::LeftButton);
            ListBox* box = form->List1;
            connect(box->model(), &QAbstractItemModel::modelReset, this,
                    [&, box] { saveAgainAfterFirst(box->items().join(u'|')); });
            shownText = [box] { return box->items().join(u'|'); };
        } else {
            TextBox* pane = showProfession(folder, QStringLiteral("舊\r\n"));
            connect(pane, &QPlainTextEdit::textChanged, this,
                    [&, pane] { saveAgainAfterFirst(pane->text().remove(QStringLiteral("\r\n"))); });
            shownText = [pane] { return pane->text().remove(QStringLiteral("\r\n")); };
        }
        QCOMPARE(shownText(), QStringLiteral("舊"));
        saveRenamedOver(path, TestSupport::toCp950(QStringLiteral("一\r\n")));
        QTRY_VERIFY_WITH_TIMEOUT(saved, kShownWithinMs);
        QTRY_COMPARE_WITH_TIMEOUT(shownText(), QStringLiteral("第二次"), kShownWithinMs);
        QCOMPARE(messages.texts(), QStringList());
    }

    // Another file in the same folder saved over and over does not hold back the shown file's reload.
    void churnNextDoor() {
        ProgramFolder folder;
        TextBox* pane = showProfession(folder, QStringLiteral("舊\r\n"));
        const QString other = folder.writeCp950(QStringLiteral("職業\\法師.txt"), QStringLiteral("0\r\n"));
        QTimer churn;
        int saves = 0;
        connect(&churn, &QTimer::timeout, this,
                [&] { saveRenamedOver(other, QByteArray::number(++saves) + "\r\n"); });
        churn.start(FileFollower::kQuietMs / 3);
        folder.writeCp950(QStringLiteral("職業\\劍士.txt"), QStringLiteral("新\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(pane->text(), QStringLiteral("新\r\n"), kShownWithinMs);
        QVERIFY(churn.isActive());
    }

    // With no system watch to be had, a save is still shown, found by looking at the file.
    void noWatchesLeftStillFollows() {
        ProgramFolder folder;
        MessageRecorder messages;
        const NoWatchesLeft refused;
        QFileSystemWatcher probe;
        QVERIFY2(!probe.addPath(folder.path()), "watches are not refused: the test proves nothing");
        TextBox* pane = showProfession(folder, QStringLiteral("舊\r\n"));
        QCOMPARE(pane->text(), QStringLiteral("舊\r\n"));
        folder.writeCp950(QStringLiteral("職業\\劍士.txt"), QStringLiteral("新的\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(pane->text(), QStringLiteral("新的\r\n"), kShownWithinMs);
        QCOMPARE(messages.texts(), QStringList());
    }

    // The article folder deleted and made again (an archive unpacked over it): its articles are followed.
    void recreatedFolderIsFollowed() {
        ProgramFolder folder;
        MessageRecorder messages;
        folder.writeCp950(QStringLiteral("心得文章\\劍士.txt"), QStringLiteral("舊\r\n"));
        TextBox* pane = showArticle(QStringLiteral("舊\r\n"));
        QVERIFY(QDir(folder.path() + QStringLiteral("/心得文章")).removeRecursively());
        // The follower sees the folder gone before it comes back.
        QTest::qWait(1000);
        QCOMPARE(pane->text(), QStringLiteral("舊\r\n"));
        QVERIFY(QDir().mkpath(folder.path() + QStringLiteral("/心得文章")));
        QTest::qWait(FileFollower::kQuietMs);
        folder.writeCp950(QStringLiteral("心得文章\\劍士.txt"), QStringLiteral("新\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(pane->text(), QStringLiteral("新\r\n"), kShownWithinMs);
        folder.writeCp950(QStringLiteral("心得文章\\劍士.txt"), QStringLiteral("又一次\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(pane->text(), QStringLiteral("又一次\r\n"), kShownWithinMs);
        QCOMPARE(messages.texts(), QStringList());
    }

    // An article unpacked from a Windows archive keeps a code page 950 name; an editor saves it in place.
    void codePageNameSavedInPlace() {
        ProgramFolder folder;
        MessageRecorder messages;
        QVERIFY(QDir().mkpath(folder.path() + QStringLiteral("/心得文章")));
        const QByteArray path = QFile::encodeName(folder.path()) + "/" + QStringLiteral("心得文章").toUtf8() +
                                "/" + TestSupport::toCp950(QStringLiteral("攻略.txt"));
        QVERIFY(TestSupport::writeFile(path, TestSupport::toCp950(QStringLiteral("打法\r\n"))));
        // A name Qt cannot give back is not removed with the folder: remove it by its bytes.
        const auto removeFile = qScopeGuard([&] { ::unlink(path.constData()); });
        TextBox* pane = showArticle(QStringLiteral("打法\r\n"));
        QVERIFY(TestSupport::writeFile(path, TestSupport::toCp950(QStringLiteral("新打法\r\n"))));
        QTRY_COMPARE_WITH_TIMEOUT(pane->text(), QStringLiteral("新打法\r\n"), kShownWithinMs);
        QCOMPARE(messages.texts(), QStringList());
    }
};

QTEST_MAIN(tst_Follow)
#include "tst_follow.moc"
