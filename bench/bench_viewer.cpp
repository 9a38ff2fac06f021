// Times the viewer's hot paths against plain Qt doing the same work, in one run on one machine.
// Usage: QT_QPA_PLATFORM=offscreen bench_viewer   (exit code 1 when a target is missed)

#include "../tests/jpegwriter.h"
#include "core/Wildcard.h"
#include "forms/showpic.h"
#include "modules/Module1.h"
#include "modules/PictureCache.h"
#include "widgets/DirList.h"
#include "widgets/FileList.h"
#include "widgets/ImageBox.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QListView>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

double medianMs(int runs, const std::function<void()>& work) {
    QList<double> t;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        t.append(timer.nsecsElapsed() / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

double median(QList<double> t) {
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

bool allOk = true;

void report(const char* what, double ours, double base, double limit) {
    const double ratio = ours / base;
    const bool ok = ratio <= limit;
    allOk = allOk && ok;
    std::printf("%-56s ours %8.2f ms  baseline %8.2f ms  ratio %5.2f (limit %.2f) %s\n", what, ours, base,
                ratio, limit, ok ? "ok" : "MISSED");
}

long residentKb() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.value(1).toLong() * 4;
}

void touch(const QString& path) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
}

// A photo-like JPEG: smooth gradients with fine detail, so it decodes at a camera picture's pace.
QString writePhoto(const QString& path, int width, int height, int seed) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] =
                qRgb((x / 16 + seed * 40) & 255, (y / 12 + ((x * y) >> 9)) & 255, ((x ^ y) + seed) & 255);
    }
    img.save(path, "JPEG", 90);
    return path;
}

// Records when the picture box has painted, and which picture it painted.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(ImageBox* box) : box_(box) {
        box->installEventFilter(this);
        clock_.start();
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != box_ || event->type() != QEvent::Paint || painting_)
            return false;
        // Delivered here, inside the paint pass, so the time taken is the picture's paint finished (not
        // whatever else the pass paints after it, nor when the wait loop below next looks).
        painting_ = true;
        QCoreApplication::sendEvent(box_, event);
        painting_ = false;
        painted_ = box_->picture().cacheKey();
        paintedNs_ = clock_.nsecsElapsed();
        return true;
    }
    [[nodiscard]] qint64 nowNs() const { return clock_.nsecsElapsed(); }
    [[nodiscard]] qint64 paintedNs() const { return paintedNs_; }
    // Forgets what was painted before a pick, so that a paint during the pick itself counts.
    void expectNew(qint64 previous) { painted_ = previous; }
    // Runs events until the box has painted a picture other than `previous`, sleeping in between (a
    // busy loop here would take a core from the decode it waits for).
    bool waitNew(qint64 previous, int timeoutMs) {
        QElapsedTimer t;
        t.start();
        QTimer wake;
        wake.start(50);
        while (painted_ == previous || painted_ != box_->picture().cacheKey()) {
            if (t.elapsed() > timeoutMs)
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return true;
    }

private:
    ImageBox* box_;
    QElapsedTimer clock_;
    bool painting_ = false;
    qint64 painted_ = 0;
    qint64 paintedNs_ = 0;
};

QStringList messages;

// Lets the viewer's decoded pictures go, so the next pick decodes afresh.
void forgetDecoded(showpic* viewer) {
    viewer->pictures()->clear();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Module1::setMessageHandler([](const Module1::MsgRequest& r) {
        messages.append(r.text);
        return Module1::MsgResult::Ok;
    });

    // Listing: 10,000 screenshots over 50 days plus a few other files, in shuffled creation order.
    QTemporaryDir shots;
    for (int i = 0; i < 10000; ++i) {
        const int n = (i * 7919) % 10000;
        touch(shots.filePath(QStringLiteral("qm02%1%2_%3.bmp")
                                 .arg(1 + n / 2000, 2, 10, QLatin1Char('0'))
                                 .arg(1 + (n / 200) % 10, 2, 10, QLatin1Char('0'))
                                 .arg(n % 200, 3, 10, QLatin1Char('0'))));
    }
    for (int i = 0; i < 50; ++i)
        touch(shots.filePath(QStringLiteral("Note%1.TXT").arg(i)));
    const QString datePattern =
        Wildcard::datePattern(QStringLiteral("02"), QStringLiteral("03"), QStringLiteral("??"));
    const auto plainList = [&](const QString& pattern) {
        const QStringList patterns = Wildcard::splitPatterns(pattern);
        QStringList names;
        QDirIterator it(shots.path(), QDir::Files | QDir::NoDotAndDotDot);
        while (it.hasNext()) {
            const QString name = it.nextFileInfo().fileName();
            if (Wildcard::matchesAny(name, patterns))
                names.append(name);
        }
        return names;
    };
    for (const auto& [label, pattern] :
         {std::pair{"list 10,000 through the date pattern", datePattern},
          std::pair{"list 10,000 through all pictures", QString(showpic::kAllPictures)}}) {
        qsizetype count = 0;
        const double base = medianMs(15, [&] { count = plainList(pattern).size(); });
        const double ours =
            medianMs(15, [&] { count = FileList::listFolder(shots.path(), pattern).names.size(); });
        report(label, ours, base, 2.0);
        std::printf("    (%lld names)\n", static_cast<long long>(count));
    }

    // Filling and painting 100,000 names.
    QStringList many;
    for (int i = 0; i < 100000; ++i)
        many.append(QStringLiteral("qm%1_%2.bmp")
                        .arg(i / 1000, 6, 10, QLatin1Char('0'))
                        .arg(i % 1000, 3, 10, QLatin1Char('0')));
    {
        FileList ours;
        ours.resize(121, 500);
        ours.show();
        QListView plain;
        auto* model = new QStringListModel(&plain);
        plain.setModel(model);
        plain.setUniformItemSizes(true);
        plain.resize(121, 500);
        plain.show();
        const double base = medianMs(9, [&] {
            model->setStringList(many);
            QCoreApplication::processEvents();
            plain.scrollToBottom();
            plain.repaint();
            model->setStringList({});
        });
        const double oursMs = medianMs(9, [&] {
            ours.setItems(many);
            QCoreApplication::processEvents();
            ours.scrollToBottom();
            ours.repaint();
            ours.setItems({});
        });
        report("fill and paint 100,000 names", oursMs, base, 2.0);
    }

    // The viewer in the game's folder, each figure in a folder of its own.
    QTemporaryDir prefix;
    const QString game =
        prefix.filePath(QStringLiteral("drive_c/Program Files/Tessaly/Quellmark/ScreenShot"));
    QDir().mkpath(game);
    qputenv("WINEPREFIX", prefix.path().toLocal8Bit());
    auto* viewer = FormBase::open<showpic>();
    QTest::qWait(150);
    PaintWatch watch(viewer->Image1);
    const auto openFolder = [&](const QString& folder) {
        viewer->Dir1->setPath(folder);
        viewer->File1->setFocus();
    };
    // Picks a row as a click or a key would and waits for that picture to be painted; ms from the pick.
    const auto show = [&](const std::function<void()>& pick) {
        const qint64 before = viewer->Image1->picture().cacheKey();
        watch.expectNew(before);
        const qint64 start = watch.nowNs();
        pick();
        if (!watch.waitNew(before, 60000))
            std::printf("    (no new picture painted)\n");
        return (watch.paintedNs() - start) / 1e6;
    };

    // Photos of 12 megapixels, copied and linked under many names below.
    const QString photos = game + QStringLiteral("/photos");
    QDir().mkpath(photos);
    QStringList originals;
    for (int i = 0; i < 5; ++i)
        originals.append(writePhoto(photos + QStringLiteral("/original%1.jpg").arg(i), 4000, 3000, i));

    // Resident memory after stepping through 200 large pictures: the start plus at most four pictures.
    {
        const QString folder = game + QStringLiteral("/many");
        QDir().mkpath(folder);
        for (int i = 0; i < 200; ++i) {
            QFile::link(originals[i % originals.size()],
                        folder + QStringLiteral("/photo%1.jpg").arg(i, 3, 10, QLatin1Char('0')));
        }
        openFolder(folder);
        QTest::qWait(300);
        const long before = residentKb();
        std::printf("    (resident at the start %ld KB)\n", before);
        for (int i = 0; i < 200; ++i) {
            show([&] {
                if (i == 0)
                    viewer->File1->setListIndex(0);
                else
                    QTest::keyClick(viewer->File1, Qt::Key_Down);
            });
        }
        QTest::qWait(1000);
        const long growth = residentKb() - before;
        const long onePicture = 4000L * 3000 * 4 / 1024;
        const bool ok = viewer->File1->listIndex() == 199 && growth <= 4 * onePicture;
        allOk = allOk && ok;
        std::printf("%-56s index %d, resident growth %ld KB = %.1f pictures (limit 4) %s\n",
                    "step through 200 12-MP JPEGs", viewer->File1->listIndex(), growth,
                    double(growth) / onePicture, ok ? "ok" : "MISSED");
    }

    // Showing a 1024 x 768 24-bit BMP: the viewer's selection path against a bare decode.
    {
        const QString folder = game + QStringLiteral("/bmp");
        QDir().mkpath(folder);
        for (int i = 0; i < 2; ++i) {
            QImage img(1024, 768, QImage::Format_RGB888);
            img.fill(QColor(30 + 100 * i, 120, 200));
            img.save(folder + QStringLiteral("/big%1.bmp").arg(i), "BMP");
        }
        openFolder(folder);
        int next = 0;
        // Each decode from the same rest as the viewer's picks below, not straight after the last one.
        QList<double> bare;
        for (int i = 0; i < 21; ++i) {
            QTest::qWait(30);
            bare.append(medianMs(1, [&] {
                QImageReader reader(folder + QStringLiteral("/big%1.bmp").arg(next++ % 2));
                const QImage img = reader.read();
                Q_ASSERT(!img.isNull());
            }));
        }
        const double base = median(bare);
        QList<double> t;
        for (int i = 0; i < 21; ++i) {
            // The other picture, a neighbour, is decoded meanwhile: let that end, then forget it.
            QTest::qWait(30);
            forgetDecoded(viewer);
            t.append(show([&] { viewer->File1->setListIndex(i % 2); }));
        }
        report("show a 1024x768 24-bit BMP", median(t), base, 1.5);
    }

    // A progressive JPEG of 20,000 scans: how long the interface waits on it, against a bare decode.
    {
        const QString folder = game + QStringLiteral("/scans");
        QDir().mkpath(folder);
        QFile f(folder + QStringLiteral("/scans.jpg"));
        f.open(QIODevice::WriteOnly);
        f.write(JpegWriter::progressive(2048, 2048, 20000));
        f.close();
        openFolder(folder);
        QElapsedTimer t;
        t.start();
        const QImage bare = QImageReader(f.fileName()).read();
        const double base = t.nsecsElapsed() / 1e6;
        messages.clear();
        t.restart();
        viewer->File1->setListIndex(0);
        const double blocked = t.nsecsElapsed() / 1e6;
        while (messages.isEmpty() && viewer->Image1->picture().size() != QSize(2048, 2048) &&
               t.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double outcome = t.nsecsElapsed() / 1e6;
        std::printf("    (bare decode %s; the viewer %s)\n", bare.isNull() ? "failed" : "succeeded",
                    messages.isEmpty() ? "showed it" : qPrintable(messages.first()));
        report("20,000-scan JPEG: interface blocked", blocked, base, 0.01);
        report("20,000-scan JPEG: outcome shown", outcome, base, 0.05);
    }

    // Stepping through 30 JPEGs of 12 megapixels, one key every 150 ms: from the key to the picture painted.
    {
        const QString folder = game + QStringLiteral("/step");
        QDir().mkpath(folder);
        QStringList files;
        for (int i = 0; i < 30; ++i) {
            files.append(folder + QStringLiteral("/photo%1.jpg").arg(i, 2, 10, QLatin1Char('0')));
            QFile::copy(originals[i % originals.size()], files.last());
        }
        QList<double> sync;
        for (const QString& file : files) {
            QElapsedTimer t;
            t.start();
            const QImage img = QImageReader(file).read();
            Q_ASSERT(img.size() == QSize(4000, 3000));
            sync.append(t.nsecsElapsed() / 1e6);
        }
        openFolder(folder);
        QList<double> keys;
        show([&] { viewer->File1->setListIndex(0); });
        for (int i = 1; i < files.size(); ++i) {
            QTest::qWait(150);
            keys.append(show([&] { QTest::keyClick(viewer->File1, Qt::Key_Down); }));
        }
        std::sort(sync.begin(), sync.end());
        std::sort(keys.begin(), keys.end());
        report("step 30 12-MP JPEGs every 150 ms: median key to paint", median(keys), median(sync), 0.2);
        report("step 30 12-MP JPEGs every 150 ms: worst key to paint", keys.last(), sync.last(), 1.5);
    }

    // Showing a 24-megapixel JPEG, from the pick to the picture painted, against a bare decode.
    {
        const QString folder = game + QStringLiteral("/large");
        QDir().mkpath(folder);
        const QString file = writePhoto(folder + QStringLiteral("/large.jpg"), 6000, 4000, 7);
        writePhoto(folder + QStringLiteral("/small.jpg"), 60, 40, 8);
        openFolder(folder);
        QList<double> base;
        QList<double> ours;
        for (int i = 0; i < 5; ++i) {
            QElapsedTimer t;
            t.start();
            const QImage img = QImageReader(file).read();
            Q_ASSERT(img.size() == QSize(6000, 4000));
            base.append(t.nsecsElapsed() / 1e6);
            show([&] { viewer->File1->setListIndex(1); });
            // The large picture, a neighbour, is decoded meanwhile: let that end, then forget it.
            QTest::qWait(1000);
            forgetDecoded(viewer);
            ours.append(show([&] { viewer->File1->setListIndex(0); }));
        }
        report("show a 24-MP JPEG", median(ours), median(base), 1.3);
    }

    return allOk ? 0 : 1;
}
