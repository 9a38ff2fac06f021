// The viewer's thumbnail grid over a folder of 10,000 screenshots, against plain Qt doing the same reads
// and decodes in the same run.
// Usage: QT_QPA_PLATFORM=offscreen bench_thumbs   (exit code 1 when a figure misses its bar)
//        bench_thumbs --write FOLDER COUNT      (only writes COUNT screenshots into FOLDER)

#include "benchutil.h"
#include "core/ThumbnailNames.h"
#include "forms/showpic.h"
#include "modules/Module1.h"
#include "modules/Thumbnails.h"
#include "screenshots.h"
#include "widgets/FileList.h"
#include "widgets/ThumbGrid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int kFiles = 10000;
constexpr int kVariants = 24;

long residentKb() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    return f.readAll().split(' ').value(1).toLong() * 4;
}

// Writes `count` screenshots named as the game names them, a few dozen pictures over and over.
void writeFolder(const QString& folder, int count, int width, int height) {
    QDir().mkpath(folder);
    QList<QByteArray> variants;
    for (int v = 0; v < kVariants; ++v)
        variants.append(Screenshots::jpeg(width, height, quint32(v * 7 + 1)));
    for (int i = 0; i < count; ++i) {
        QFile f(folder + QStringLiteral("/qm02%1%2_%3.jpg")
                             .arg(1 + i / 2000, 2, 10, QLatin1Char('0'))
                             .arg(1 + (i / 100) % 20, 2, 10, QLatin1Char('0'))
                             .arg(i % 100, 3, 10, QLatin1Char('0')));
        if (f.open(QIODevice::WriteOnly))
            f.write(variants[(i * 7) % kVariants]);
    }
}

// The rows the grid shows whole or in part.
QList<int> rowsOnScreen(const ThumbGrid* grid) {
    QList<int> rows;
    const QRect view = grid->viewport()->rect();
    for (const int r : grid->wantedRows()) {
        if (grid->visualRect(grid->model()->index(r, 0)).intersects(view))
            rows.append(r);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Runs the event loop until `done` holds, checking whenever a thumbnail arrives.
bool runUntil(Thumbnails* thumbs, const std::function<bool()>& done, int timeoutMs = 120000) {
    if (done())
        return true;
    QEventLoop loop;
    const auto check = [&] {
        if (done())
            loop.quit();
    };
    QObject::connect(thumbs, &Thumbnails::ready, &loop, check);
    QTimer::singleShot(0, &loop, check);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// The longest time the interface thread went without running its event loop, from a timer's beats; and
// the most of its own work within one such gap (the rest is the machine running other threads).
class WaitWatch : public QObject {
public:
    WaitWatch() {
        beat_.setTimerType(Qt::PreciseTimer);
        beat_.setInterval(2);
        connect(&beat_, &QTimer::timeout, this, [this] {
            const double cpu = threadCpuMs();
            longest_ = std::max(longest_, since_.nsecsElapsed() / 1e6 - 2);
            busiest_ = std::max(busiest_, cpu - cpuAt_);
            since_.restart();
            cpuAt_ = cpu;
        });
    }
    // Each run's longest wait is its own; the least disturbed run's is the figure, as with timings.
    void start() {
        longest_ = 0;
        since_.start();
        cpuAt_ = threadCpuMs();
        beat_.start();
    }
    void stop() {
        beat_.stop();
        leastDisturbed_ = std::min(leastDisturbed_, longest_);
        mostDisturbed_ = std::max(mostDisturbed_, longest_);
    }
    [[nodiscard]] double leastDisturbed() const { return leastDisturbed_; }
    [[nodiscard]] double mostDisturbed() const { return mostDisturbed_; }
    [[nodiscard]] double busiest() const { return busiest_; }

private:
    QTimer beat_;
    QElapsedTimer since_;
    double cpuAt_ = 0;
    double longest_ = 0;
    double leastDisturbed_ = 1e300;
    double mostDisturbed_ = 0;
    double busiest_ = 0;
};

bool allHeld(const ThumbGrid* grid, const QList<int>& rows, const FileList* list) {
    return std::all_of(rows.begin(), rows.end(),
                       [&](int r) { return grid->thumbnails()->find(list->fullPath(r)) != nullptr; });
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--write") == 0) {
        writeFolder(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt(), 800, 600);
        return 0;
    }
    Module1::setMessageHandler([](const Module1::MsgRequest&) { return Module1::MsgResult::Ok; });
    Bench::Report report("thumbnail grid, 10,000 screenshots");

    QTemporaryDir prefix;
    const QString game =
        prefix.filePath(QStringLiteral("drive_c/Program Files/Tessaly/Quellmark/ScreenShot"));
    qputenv("WINEPREFIX", prefix.path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", prefix.filePath(QStringLiteral("cache0")).toLocal8Bit());
    // Screenshots of a small window: quick to write, and a decode as short as any, so the grid's own
    // work counts in full against the bare decode.
    writeFolder(game, kFiles, 400, 300);

    auto* viewer = FormBase::open<showpic>();
    viewer->setWindowState(Qt::WindowNoState);
    viewer->resize(1600, 1000);
    QTest::qWait(300);
    viewer->File1->setFocus();
    ThumbGrid* grid = viewer->Thumbs;
    Thumbnails* thumbs = grid->thumbnails();
    FileList* list = viewer->File1;
    std::printf("    (%d files listed, %d worker threads)\n", list->listCount(), thumbs->threads());
    const long closedKb = residentKb();

    // Opens the grid on `cache` as Ctrl+T does and runs until the first screen's thumbnails are all made and
    // painted; ms from the key.
    QList<int> screen;
    const auto openGrid = [&](const QString& cache) {
        grid->setOpen(false);
        thumbs->setCacheFolder(cache);
        QElapsedTimer t;
        t.start();
        QTimer::singleShot(0, grid, [grid] { grid->setOpen(true); });
        // The rows on screen once the grid has asked for them, and how many of those are still to come.
        qsizetype missing = -1;
        QSet<QString> pending;
        const auto counted = QObject::connect(thumbs, &Thumbnails::ready, grid,
                                              [&](const QString& path) { missing -= pending.remove(path); });
        runUntil(thumbs, [&] {
            if (missing < 0 && grid->isOpen() && !grid->wantedRows().isEmpty()) {
                screen = rowsOnScreen(grid);
                for (const int r : std::as_const(screen)) {
                    if (!thumbs->find(list->fullPath(r)))
                        pending.insert(list->fullPath(r));
                }
                missing = pending.size();
            }
            return missing == 0;
        });
        QObject::disconnect(counted);
        grid->viewport()->repaint();
        return t.nsecsElapsed() / 1e6;
    };
    const auto cacheOfRun = [&](int run) {
        return prefix.filePath(QStringLiteral("cache%1/thumbnails").arg(run));
    };
    // Once to learn which rows the first screen holds.
    openGrid(cacheOfRun(0));
    QStringList screenPaths;
    for (const int r : std::as_const(screen))
        screenPaths.append(list->fullPath(r));
    std::printf("    (%lld thumbnails on the first screen)\n", static_cast<long long>(screenPaths.size()));

    // Uncached, a fresh cache each run, against the same pictures decoded scaled on as many threads; each
    // the best of runs taken in turns, so a busy moment of the machine spoils both alike. The interface
    // thread's waits are watched until every thumbnail asked for (a screen each way too) is made.
    constexpr int kRuns = 15;
    double uncached = 1e300;
    double scaled = 1e300;
    WaitWatch waits;
    for (int run = 1; run <= kRuns; ++run) {
        scaled = std::min(scaled, Bench::bestOf(1, [&] {
                              QThreadPool pool;
                              pool.setMaxThreadCount(thumbs->threads());
                              for (const QString& path : std::as_const(screenPaths)) {
                                  pool.start([path] {
                                      QImageReader reader(path);
                                      reader.setScaledSize(
                                          ThumbnailNames::fitted(reader.size(), ThumbnailNames::kNormal));
                                      Bench::keep(reader.read().width());
                                  });
                              }
                              pool.waitForDone();
                          }));
        waits.start();
        uncached = std::min(uncached, openGrid(cacheOfRun(run)));
        const QList<int> wanted = grid->wantedRows();
        runUntil(thumbs, [&] { return allHeld(grid, wanted, list); });
        waits.stop();
    }
    report.ratio("uncached: first screen of thumbnails vs scaled decodes, same threads", uncached, scaled,
                 1.3);
    report.within("uncached: longest wait of the interface thread, least disturbed run",
                  waits.leastDisturbed(), 16);
    report.value("    (in the most disturbed run)", waits.mostDisturbed(), "ms");
    report.value("    (its own work in one wait, at most in any run)", waits.busiest(), "ms");

    // Cached (the last run's cache, once its entries are written): from Ctrl+T to the first screen painted,
    // against reading and decoding its cached PNGs one after another.
    const QString cache = cacheOfRun(kRuns);
    QStringList entries;
    for (const QString& path : std::as_const(screenPaths))
        entries.append(ThumbnailNames::normalPath(cache, ThumbnailNames::fileUri(path)));
    // The entries left to write from the runs before are written first: they would take the workers.
    if (!QTest::qWaitFor([&] { return !thumbs->busy(); }, 60000))
        std::printf("    (the workers did not settle)\n");
    double cached = 1e300;
    double bare = 1e300;
    for (int run = 0; run < kRuns; ++run) {
        bare = std::min(bare, Bench::bestOf(1, [&] {
                            for (const QString& entry : std::as_const(entries))
                                Bench::keep(QImageReader(entry).read().width());
                        }));
        cached = std::min(cached, openGrid(cache));
    }
    report.ratio("cached: first screen painted vs bare reads of its cached PNGs", cached, bare, 1.5);

    // Memory: scrolled a screen at a time from end to end, each screen's thumbnails made.
    grid->setOpen(false);
    thumbs->setCacheFolder(cache);
    grid->setOpen(true);
    auto* bar = grid->verticalScrollBar();
    bar->setValue(0);
    while (true) {
        QCoreApplication::processEvents();
        runUntil(thumbs, [&] {
            const QList<int> now = rowsOnScreen(grid);
            return !now.isEmpty() && allHeld(grid, now, list);
        });
        if (bar->value() >= bar->maximum())
            break;
        bar->setValue(bar->value() + bar->pageStep());
    }
    const long openKb = residentKb();
    std::printf("    (held %d thumbnails at the end; resident %ld KB closed, %ld KB after scrolling)\n",
                thumbs->heldCount(), closedKb, openKb);
    const double growthMiB = (openKb - closedKb) / 1024.0;
    std::printf("%-68s %9.1f MiB (bound 64 MiB) %s\n",
                "memory after scrolling end to end, above the grid closed", growthMiB,
                growthMiB <= 64 ? "ok" : "OVER");
    const bool memoryOk = growthMiB <= 64;
    FormBase::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return report.exitCode() != 0 || !memoryOk ? 1 : 0;
}
