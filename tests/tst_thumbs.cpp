// Thumbnails: the shared cache's names, reading and writing, and the grid over the viewer's file list.
// Every test gets a cache folder of its own through XDG_CACHE_HOME.

#include "core/FileNames.h"
#include "core/PictureBudget.h"
#include "core/ThumbnailNames.h"
#include "core/Version.h"
#include "forms/showpic.h"
#include "modules/Thumbnails.h"
#include "platform/ThumbnailFolder.h"
#include "testsupport.h"
#include "widgets/FileList.h"
#include "widgets/ImageBox.h"
#include "widgets/ThumbGrid.h"
#include "wmfwriter.h"

#include <QApplication>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using TestSupport::writeFile;

namespace {

const QString kGame = u"drive_c/Program Files/Tessaly/Quellmark/ScreenShot"_s;

QByteArray picture(int width, int height, QColor colour, const char* format = "BMP") {
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(colour);
    QBuffer buffer;
    img.save(&buffer, format);
    return buffer.data();
}

// The entry name worked out as the cache's rule says, apart from the code: MD5 of "file://" and the
// (plain ASCII) path.
QString entryFor(const QString& path) {
    return QString::fromLatin1(
               QCryptographicHash::hash("file://" + path.toUtf8(), QCryptographicHash::Md5).toHex()) +
           u".png"_s;
}

qint64 mtimeOf(const QString& path) {
    return QFileInfo(path).lastModified().toSecsSinceEpoch();
}

// A PNG entry as a file manager writes one: its own picture, and the keys given.
void writeEntry(const QString& path, QColor colour, QSize size, const QString& uri, qint64 mtime) {
    QDir().mkpath(QFileInfo(path).path());
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    // Set on the picture: the writer's own setText cannot take a key with colons.
    if (!uri.isEmpty())
        img.setText(u"Thumb::URI"_s, uri);
    if (mtime >= 0)
        img.setText(u"Thumb::MTime"_s, QString::number(mtime));
    QVERIFY(img.save(path, "png"));
}

QColor middle(const QImage& img) {
    return img.pixelColor(img.width() / 2, img.height() / 2);
}

struct Entry {
    QString folder;    // normal, large, or fail/qmquery-<version>
    QSize size;        // of the entry's picture
    qint64 mtimeShift; // added to the file's true time in the entry's key
    bool otherUri;     // the key names another file
    QColor shown;      // what the thumbnail shows
    bool placeholder;
};

struct Refusal {
    QString name;
    QByteArray bytes;
    qint64 budget;
    bool recorded; // a failure kept under fail/
};

// A Wine prefix holding the game's screenshot folder, where the viewer opens.
struct FakeWine : QTemporaryDir {
    FakeWine() {
        QDir().mkpath(filePath(kGame));
        qputenv("WINEPREFIX", QFile::encodeName(path()));
    }
    [[nodiscard]] QString shots() const { return filePath(kGame); }
};

showpic* openViewer() {
    auto* form = FormBase::open<showpic>();
    if (!QTest::qWaitFor([form] { return !form->Timer1->isActive(); }) || !QTest::qWaitForWindowActive(form))
        qWarning("the viewer did not settle");
    form->File1->setFocus();
    return form;
}

// The rows on one line of the grid.
int columnsOf(const ThumbGrid* grid) {
    const int y = grid->visualRect(grid->model()->index(0, 0)).top();
    int n = 0;
    while (n < grid->model()->rowCount() && grid->visualRect(grid->model()->index(n, 0)).top() == y)
        ++n;
    return n;
}

} // namespace

class tst_thumbs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { TestSupport::initApplication(); }

    void init() {
        cache_.reset(new QTemporaryDir);
        previous_ = qgetenv("XDG_CACHE_HOME");
        previousData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(cache_->path()));
        // Deleted pictures go to this test's own trash.
        qputenv("XDG_DATA_HOME", QFile::encodeName(cache_->filePath(u"data"_s)));
    }
    void cleanup() {
        TestSupport::unloadAllForms();
        qputenv("XDG_CACHE_HOME", previous_);
        qputenv("XDG_DATA_HOME", previousData_);
    }

    // The cache's naming: file URIs escaped byte by byte, the entry named by the MD5 of the URI.
    void names_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("uri");
        QTest::newRow("the cache's own example")
            << u"/home/jens/photos/me.png"_s << QByteArray("file:///home/jens/photos/me.png");
        QTest::newRow("space, hash, percent, semicolon")
            << u"/a b/#1%;x.bmp"_s << QByteArray("file:///a%20b/%231%25%3Bx.bmp");
        QTest::newRow("marks kept") << u"/q/a-b_c.d~e!$&'()*+,=:@.jpg"_s
                                    << QByteArray("file:///q/a-b_c.d~e!$&'()*+,=:@.jpg");
        QTest::newRow("Chinese as UTF-8")
            << u"/圖/截圖.bmp"_s << QByteArray("file:///%E5%9C%96/%E6%88%AA%E5%9C%96.bmp");
        QTest::newRow("a name not UTF-8 keeps its bytes")
            << FileNames::fromBytes("/s/\xb9\xcf.bmp") << QByteArray("file:///s/%B9%CF.bmp");
        QTest::newRow("a backslash is part of a Linux name")
            << u"/s/a\\b.bmp"_s << QByteArray("file:///s/a%5Cb.bmp");
        QTest::newRow("Windows drive") << u"C:/Games/q.bmp"_s << QByteArray("file:///C:/Games/q.bmp");
    }
    void names() {
        QFETCH(QString, path);
        QFETCH(QByteArray, uri);
        QCOMPARE(ThumbnailNames::fileUri(path), uri);
        if (QTest::currentDataTag() == "the cache's own example"_L1)
            QCOMPARE(ThumbnailNames::entryName(uri), u"c6ee772d9e49320e97ec29a7eb5b1697.png"_s);
    }

    void cacheFolder_data() {
        QTest::addColumn<QString>("xdg");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("folder");
        QTest::newRow("XDG_CACHE_HOME") << u"/c/"_s << u"/h"_s << u"/c/thumbnails"_s;
        QTest::newRow("unset: home's .cache") << QString() << u"/h"_s << u"/h/.cache/thumbnails"_s;
        QTest::newRow("relative: ignored") << u"c"_s << u"/h"_s << u"/h/.cache/thumbnails"_s;
        QTest::newRow("nothing usable") << u"c"_s << QString() << QString();
    }
    void cacheFolder() {
        QFETCH(QString, xdg);
        QFETCH(QString, home);
        QFETCH(QString, folder);
        QCOMPARE(ThumbnailNames::cacheFolder(xdg, home), folder);
    }

    // An entry whose keys name the file as it is serves it, whoever wrote it; any other is remade.
    void cacheRead_data() {
        QTest::addColumn<Entry>("entry");
        const QColor red(Qt::red), blue(Qt::blue);
        QTest::newRow("file manager's normal entry") << Entry{u"normal"_s, {128, 96}, 0, false, red, false};
        QTest::newRow("large entry, made small") << Entry{u"large"_s, {256, 192}, 0, false, red, false};
        QTest::newRow("stale: older time") << Entry{u"normal"_s, {128, 96}, -1, false, blue, false};
        QTest::newRow("stale: newer time") << Entry{u"large"_s, {256, 192}, 60, false, blue, false};
        QTest::newRow("another file's") << Entry{u"normal"_s, {128, 96}, 0, true, blue, false};
        QTest::newRow("oversized entry") << Entry{u"normal"_s, {2000, 1500}, 0, false, blue, false};
        QTest::newRow("a pipe in its place") << Entry{u"normal"_s, {}, 0, false, blue, false};
        QTest::newRow("our failure, unchanged file") << Entry{u"fail"_s, {1, 1}, 0, false, {}, true};
        QTest::newRow("our failure, since edited") << Entry{u"fail"_s, {1, 1}, -5, false, blue, false};
    }
    void cacheRead() {
        QFETCH(Entry, entry);
        QTemporaryDir shots;
        const QString path = shots.filePath(u"qm020315_001.bmp"_s);
        QVERIFY(writeFile(path, picture(400, 300, Qt::blue)));
        const QString root = cache_->filePath(u"thumbnails"_s);
        QCOMPARE(Platform::sharedThumbnailFolder(), root);
        QString folder = entry.folder;
        if (folder == u"fail"_s)
            folder = u"fail/qmquery-"_s + versionText();
        const QString entryPath = root + u'/' + folder + u'/' + entryFor(path);
        const QString uri = u"file://"_s + (entry.otherUri ? shots.filePath(u"other.bmp"_s) : path);
        if (entry.size.isValid()) {
            writeEntry(entryPath, Qt::red, entry.size, uri, mtimeOf(path) + entry.mtimeShift);
        } else {
            QVERIFY(QDir().mkpath(QFileInfo(entryPath).path()));
            QCOMPARE(::mkfifo(QFile::encodeName(entryPath).constData(), 0600), 0);
        }

        const std::atomic_bool cancelled = false;
        const Thumbnails::Thumb thumb = Thumbnails::make(path, root, PictureBudget::kBytes, cancelled);
        QCOMPARE(thumb.placeholder, entry.placeholder);
        if (entry.placeholder) {
            QCOMPARE(thumb.image, Thumbnails::placeholder());
            return;
        }
        QCOMPARE(thumb.image.size(), QSize(128, 96));
        QCOMPARE(middle(thumb.image), entry.shown);
        // A remade thumbnail replaces the stale entry; a good one is left as its writer made it.
        const QString normal = root + u"/normal/"_s + entryFor(path);
        if (entry.shown == QColor(Qt::blue)) {
            const QImage remade(normal);
            QCOMPARE(remade.text(u"Thumb::MTime"_s), QString::number(mtimeOf(path)));
            QCOMPARE(middle(remade), entry.shown);
        } else if (entry.folder == u"normal"_s) {
            QCOMPARE(middle(QImage(normal)), QColor(Qt::red));
        } else {
            QVERIFY(!QFile::exists(normal));
        }
    }

    // A thumbnail made here is written as the cache's readers expect it.
    void cacheWrite() {
        QTemporaryDir shots;
        const QString path = shots.filePath(u"qm020315_002.jpg"_s);
        QVERIFY(writeFile(path, picture(640, 400, Qt::green, "JPG")));
        const QString root = cache_->filePath(u"thumbnails"_s);
        const std::atomic_bool cancelled = false;
        const Thumbnails::Thumb thumb = Thumbnails::make(path, root, PictureBudget::kBytes, cancelled);
        QVERIFY(!thumb.placeholder);
        QCOMPARE(thumb.image.size(), QSize(128, 80));

        const QString written = root + u"/normal/"_s + entryFor(path);
        QCOMPARE(QDir(root + u"/normal"_s).entryList(QDir::Files | QDir::Hidden),
                 QStringList{entryFor(path)});
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(written).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
        QCOMPARE(::stat(QFile::encodeName(root).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
        // Keys in plain tEXt chunks, ahead of the picture.
        const QByteArray bytes = TestSupport::readFile(written);
        const QByteArray uriChunk = "tEXtThumb::URI" + QByteArray(1, '\0') + "file://" + path.toUtf8();
        QVERIFY(bytes.contains(uriChunk));
        QVERIFY(bytes.indexOf(uriChunk) < bytes.indexOf("IDAT"));
        const QImage read(written);
        QCOMPARE(read.text(u"Thumb::MTime"_s), QString::number(mtimeOf(path)));
        QCOMPARE(read.text(u"Thumb::Size"_s), QString::number(QFileInfo(path).size()));
        QCOMPARE(read.text(u"Software"_s), u"qmquery "_s + versionText());
        QCOMPARE(read.size(), QSize(128, 80));
        QVERIFY(qAbs(middle(read).green() - 255) < 8 && middle(read).red() < 8);
    }

    // Whatever the viewer refuses, and metafiles, get the placeholder without a decode beyond the budget.
    void refused_data() {
        QTest::addColumn<Refusal>("refusal");
        QByteArray lying = picture(40, 30, Qt::blue);
        const QByteArray huge = WmfWriter::dword(100000);
        lying.replace(18, 4, huge);
        lying.replace(22, 4, huge);
        QTest::newRow("metafile") << Refusal{
            u"a.wmf"_s, WmfWriter().add(u"placeable 0 0 1440 720 1440; ext 1440 720"_s).bytes(),
            PictureBudget::kBytes, true};
        QTest::newRow("header beyond its file") << Refusal{u"b.bmp"_s, lying, PictureBudget::kBytes, true};
        QTest::newRow("over the budget")
            << Refusal{u"c.bmp"_s, picture(400, 300, Qt::blue), 4 * 200 * 200, true};
        QTest::newRow("not a picture") << Refusal{u"d.jpg"_s, "plain text", PictureBudget::kBytes, true};
        QTest::newRow("a type not offered")
            << Refusal{u"e.bmp"_s, picture(40, 30, Qt::blue, "PNG"), PictureBudget::kBytes, true};
        QTest::newRow("a pipe") << Refusal{u"f.bmp"_s, {}, PictureBudget::kBytes, false};
    }
    void refused() {
        QFETCH(Refusal, refusal);
        QTemporaryDir shots;
        const QString path = shots.filePath(refusal.name);
        if (refusal.bytes.isEmpty())
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else
            QVERIFY(writeFile(path, refusal.bytes));
        const QString root = cache_->filePath(u"thumbnails"_s);
        const std::atomic_bool cancelled = false;
        const Thumbnails::Thumb thumb = Thumbnails::make(path, root, refusal.budget, cancelled);
        QVERIFY(thumb.placeholder);
        QCOMPARE(thumb.image, Thumbnails::placeholder());
        QVERIFY(!QFile::exists(root + u"/normal/"_s + entryFor(path)));
        const QString failed = root + u"/fail/qmquery-"_s + versionText() + u'/' + entryFor(path);
        QCOMPARE(QFile::exists(failed), refusal.recorded);
        if (refusal.recorded)
            QCOMPARE(QImage(failed).text(u"Thumb::MTime"_s), QString::number(mtimeOf(path)));
    }

    // What is held stays within bounds: those asked for last are kept, the oldest others let go.
    void bounded() {
        QTemporaryDir shots;
        QStringList paths;
        const QByteArray tiny = picture(8, 6, Qt::blue);
        for (int i = 0; i < Thumbnails::kKept + 200; ++i) {
            paths.append(shots.filePath(u"qm%1.bmp"_s.arg(i, 4, 10, QChar(u'0'))));
            QVERIFY(writeFile(paths.last(), tiny));
        }
        Thumbnails thumbs;
        thumbs.setCacheFolder({});
        thumbs.want(paths);
        QTRY_VERIFY(!thumbs.busy());
        QCOMPARE(thumbs.heldCount(), Thumbnails::kKept);
        QVERIFY(thumbs.find(paths[Thumbnails::kKept - 1]));
        QVERIFY(!thumbs.find(paths[Thumbnails::kKept]));
        thumbs.want(paths.mid(Thumbnails::kKept));
        QTRY_VERIFY(!thumbs.busy());
        QVERIFY(thumbs.heldCount() <= Thumbnails::kKept);
        for (const QString& path : paths.mid(Thumbnails::kKept))
            QVERIFY(thumbs.find(path));
        QVERIFY(!thumbs.find(paths.first()));
        QVERIFY(thumbs.find(paths[Thumbnails::kKept - 1]));
    }

    // The grid shows the list's files; it and the list always pick the same one, by keys or a click.
    void oneSelection() {
        FakeWine wine;
        for (int i = 0; i < 40; ++i)
            QVERIFY(writeFile(wine.shots() + u"/qm020315_%1.bmp"_s.arg(i, 3, 10, QChar(u'0')),
                              picture(100 + i, 40, QColor(i * 6, 90, 160))));
        QVERIFY(writeFile(wine.shots() + u"/qm020315_999.wmf"_s,
                          WmfWriter().add(u"placeable 0 0 1440 720 1440; ext 1440 720"_s).bytes()));
        showpic* form = openViewer();
        ThumbGrid* grid = form->Thumbs;
        QWidgetList children;
        QList<QRect> before;
        for (QWidget* w : form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (w->isVisible())
                children.append(w), before.append(w->geometry());
        }
        form->File1->setListIndex(2);
        QTRY_COMPARE(form->Image1->width(), 102);

        TestSupport::press(Qt::CTRL | Qt::Key_T);
        QVERIFY(grid->isVisible());
        QCOMPARE(grid->geometry(), form->Picture1->contentsRect());
        QCOMPARE(grid->currentIndex().row(), 2);
        const int columns = columnsOf(grid);
        QVERIFY2(columns > 1 && columns < 40, qPrintable(QString::number(columns)));

        TestSupport::press(Qt::Key_Right);
        QCOMPARE(form->File1->listIndex(), 3);
        QCOMPARE(grid->currentIndex().row(), 3);
        TestSupport::press(Qt::Key_Down);
        QCOMPARE(form->File1->listIndex(), 3 + columns);
        QCOMPARE(grid->selectionModel()->selectedIndexes().value(0).row(), 3 + columns);
        TestSupport::press(Qt::Key_End);
        QCOMPARE(form->File1->listIndex(), 40);
        // Moving in the grid decodes nothing: the picture shown is still the one picked before.
        QCOMPARE(form->Image1->width(), 102);
        // The metafile's thumbnail is the placeholder, in the grid as in the cache.
        QTRY_VERIFY(grid->thumbnails()->find(form->selectedPath()));
        QVERIFY(grid->thumbnails()->find(form->selectedPath())->placeholder);
        QTRY_VERIFY(grid->thumbnails()->find(form->File1->fullPath(0)));
        QVERIFY(!grid->thumbnails()->find(form->File1->fullPath(0))->placeholder);

        TestSupport::press(Qt::Key_Home);
        TestSupport::press(Qt::Key_Right);
        TestSupport::press(Qt::Key_Return);
        QVERIFY(!grid->isVisible());
        QCOMPARE(form->File1->listIndex(), 1);
        QTRY_COMPARE(form->Image1->width(), 101);

        // Picked in the list, shown in the grid; a click in the grid picks in the list and shows it.
        TestSupport::press(Qt::Key_Down);
        QVERIFY(TestSupport::chooseFromContextMenu(form->File1, u"縮圖"_s));
        QVERIFY(grid->isVisible());
        const int picked = form->File1->listIndex();
        QCOMPARE(grid->currentIndex().row(), picked);
        const int target = picked > 20 ? picked - columns - 1 : picked + columns + 1;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(target, 0)).center());
        QVERIFY(!grid->isVisible());
        QCOMPARE(form->File1->listIndex(), target);
        QTRY_COMPARE(form->Image1->width(), 100 + target);

        // Deleting and undoing with the grid open: the picked file goes and comes back, grid and list as one.
        TestSupport::press(Qt::CTRL | Qt::Key_T);
        QVERIFY(grid->isVisible());
        const QString shown = form->selectedPath();
        TestSupport::press(Qt::SHIFT | Qt::Key_Delete);
        QVERIFY(!QFile::exists(shown));
        QCOMPARE(form->File1->listCount(), 40);
        QCOMPARE(grid->currentIndex().row(), form->File1->listIndex());
        TestSupport::press(Qt::CTRL | Qt::Key_Z);
        QVERIFY(QFile::exists(shown));
        QCOMPARE(form->selectedPath(), shown);
        QCOMPARE(grid->currentIndex().row(), target);

        // Closed by its key, the window is as it was.
        TestSupport::press(Qt::Key_Escape);
        QVERIFY(!grid->isVisible());
        QCOMPARE(form->File1->listIndex(), target);
        for (int i = 0; i < children.size(); ++i)
            QCOMPARE(children[i]->geometry(), before[i]);
    }

private:
    static QString versionText() { return Version::text(); }

    std::unique_ptr<QTemporaryDir> cache_;
    QByteArray previous_;
    QByteArray previousData_;
};

QTEST_MAIN(tst_thumbs)
#include "tst_thumbs.moc"
