// Loader speed against the cost of the work they cannot avoid, measured in the same run; the freezes a
// player would feel on files with gigantic lines, against absolute bounds; and the memory a big article
// holds when the player clicks through articles while it loads. Memory figures come from child runs
// of this program, so that each has a peak of its own.
#include "benchutil.h"
#include "core/DataText.h"
#include "forms/Form10.h"
#include "forms/Form3.h"
#include "forms/FormBase.h"
#include "modules/Module1.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTimer>

#include <cstring>

namespace {

class Host : public FormBase {
public:
    Host() : text(new TextBox(this)), label(new QLabel(this)) { resize(400, 300); }
    TextBox* text;
    QLabel* label;
};

QByteArray numberedLines(int lines) {
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("  法蘭城 第%1行 合成材料：鐵礦 x3、木材 x2 (東 %2, 南 %3)\r\n")
                    .arg(i)
                    .arg(i % 700)
                    .arg(i % 500);
    QStringEncoder enc("windows-950");
    return enc.encode(text);
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

QStringList baselineLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return DataText::splitLines(DataText::decode(f.readAll()));
}

// Runs events until `done` holds; the time it took.
double until(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return t.nsecsElapsed() / 1e6;
}

QString progressOf(qsizetype lines) {
    return QStringLiteral("載入文章第%1行中...").arg(lines);
}

// A list file of one gigantic line between two short ones, opened in the synthesis window and picked:
// opening, then picking and painting the detail.
void longLineInList(Bench::Report& report, const QString& dir, int megabytes, double boundMs) {
    const QByteArray line(qsizetype(megabytes) << 20, 'x');
    writeBytes(dir + QStringLiteral("/合成表.txt"), "first\r\n" + line + "\r\nlast\r\n");
    QElapsedTimer t;
    t.start();
    auto* form = FormBase::open<Form3>();
    // A file this large arrives from a worker.
    until([&] { return form->List1->listCount() == 3; });
    form->repaint();
    const double open = t.nsecsElapsed() / 1e6;
    t.restart();
    form->List1->setListIndex(1);
    form->repaint();
    form->List1->repaint();
    form->Text1->viewport()->repaint();
    const double pick = t.nsecsElapsed() / 1e6;
    Bench::keep(form->Text1->text().size());
    const QByteArray what = QByteArray::number(megabytes) + " MB line in a list: open";
    report.within(what.constData(), open, boundMs);
    const QByteArray what2 = QByteArray::number(megabytes) + " MB line in a list: pick and paint the detail";
    report.within(what2.constData(), pick, boundMs);
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// One article of one gigantic line, loaded with progress: the worst freeze of the window meanwhile.
void longLineArticle(Bench::Report& report, const QString& dir, int megabytes, double boundMs) {
    writeBytes(dir + QStringLiteral("/心得文章/a.txt"), QByteArray(qsizetype(megabytes) << 20, 'x'));
    Bench::FreezeMeter meter;
    qApp->installEventFilter(&meter);
    meter.start();
    auto* form = FormBase::open<Form10>();
    const double total = until([&] { return form->Label1->text() == progressOf(1); });
    form->repaint();
    qApp->removeEventFilter(&meter);
    const QByteArray what =
        QByteArray::number(megabytes) + " MB one-line article: longest freeze while it loads";
    report.within(what.constData(), meter.worstMs, boundMs);
    report.value("    (whole load, ms)", total, "ms");
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Child mode: loads the big article once (`clicks` 1) or clicks through the article buttons `clicks`
// times while it loads, then prints the peak resident memory in megabytes.
int memoryChild(const QString& folder, int clicks) {
    Module1::setProgramFolder(folder);
    auto* form = FormBase::open<Form10>();
    // The big article is the first; the others are small.
    until([&] { return !form->Label1->text().isEmpty(); });
    for (int i = 1; i < clicks; ++i) {
        form->Option1[i % 2]->click();
        QCoreApplication::processEvents();
        form->Option1[0]->click();
        QCoreApplication::processEvents();
    }
    until([&] { return form->findChildren<QObject*>(QStringLiteral("qmquery_load")).isEmpty(); });
    std::printf("%f\n", Bench::memoryMb("VmHWM"));
    return 0;
}

double childPeak(const QString& folder, int clicks) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--memory"), folder, QString::number(clicks)});
    child.waitForFinished(-1);
    return child.readAllStandardOutput().trimmed().toDouble();
}

// Runs events until `done` holds, waiting for them as the program's own loop does; the longest the
// interface thread was busy between two waits goes into `worstMs`.
double untilHeld(const std::function<bool()>& done, double& worstMs) {
    QElapsedTimer t;
    t.start();
    QElapsedTimer busy;
    busy.start();
    auto* dispatcher = QAbstractEventDispatcher::instance();
    const auto awake =
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [&] { busy.restart(); });
    const auto blocking = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                                           [&] { worstMs = std::max(worstMs, busy.nsecsElapsed() / 1e6); });
    // Wakes the loop now and then, so `done` is looked at even when nothing else comes.
    QTimer tick;
    tick.start(20);
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    worstMs = std::max(worstMs, busy.nsecsElapsed() / 1e6);
    QObject::disconnect(awake);
    QObject::disconnect(blocking);
    return t.nsecsElapsed() / 1e6;
}

void replaceFile(const QString& path, const QByteArray& bytes) {
    writeBytes(path + QStringLiteral(".new"), bytes);
    QFile::remove(path);
    QFile::rename(path + QStringLiteral(".new"), path);
}

// What a bulk child reports: the load's time and longest hold, and the memory at the start, at the peak
// and once a small file has replaced the big one, in megabytes.
struct BulkFigures {
    double loadMs = 0;
    double heldMs = 0;
    double startMb = 0;
    double peakMb = 0;
    double afterMb = 0;
};

// Child mode: a list of `lines` rows (`big` = "list") or an article of `lines` lines, loaded over a
// small file into a shown window; then the small file back, as a reload the player did not ask for.
int bulkChild(const QString& folder, const QString& kind, qsizetype lines, const QString& big) {
    Module1::setProgramFolder(folder);
    BulkFigures f;
    f.loadMs = 1e300;
    const QByteArray small = "small\r\n";
    const bool list = kind == u"list";
    const QString path = folder + (list ? QStringLiteral("/list.txt") : QStringLiteral("/心得文章/a.txt"));
    replaceFile(path, small);
    ListBox box;
    Form10* form = nullptr;
    const auto loaded = [&] {
        return form->findChildren<QObject*>(QStringLiteral("qmquery_load")).isEmpty() &&
               !form->Label1->text().isEmpty();
    };
    // Loads the file now at `path` as the player would: into a list, or by clicking the article.
    std::function<void()> load;
    std::function<bool()> shown;
    std::function<bool()> smallShown;
    if (list) {
        box.resize(400, 300);
        box.show();
        load = [&] { Module1::LoadListFile(QStringLiteral("list.txt"), &box, false); };
        shown = [&] { return box.listCount() == lines; };
        smallShown = [&] { return box.listCount() == 1; };
        load();
    } else {
        form = FormBase::open<Form10>();
        load = [&] {
            form->Label1->clear();
            form->Option1[0]->click();
        };
        shown = [&] { return loaded() && form->Label1->text() == progressOf(lines); };
        smallShown = [&] { return loaded() && form->Text1->text() == QLatin1String(small); };
    }
    until(smallShown);
    QCoreApplication::processEvents();
    f.startMb = Bench::memoryMb("VmRSS");
    Bench::resetPeak();
    // The fastest of three loads, as the baseline is the fastest of three readings; the memory after the
    // last, once a small file is back, as a reload the player did not ask for.
    for (int round = 0; round < 3; ++round) {
        QFile::remove(path);
        QFile::copy(big, path);
        QElapsedTimer t;
        t.start();
        load();
        f.heldMs = std::max(f.heldMs, t.nsecsElapsed() / 1e6);
        untilHeld(shown, f.heldMs);
        QWidget* window = list ? static_cast<QWidget*>(&box) : form;
        window->repaint();
        f.loadMs = std::min(f.loadMs, t.nsecsElapsed() / 1e6);
        f.peakMb = std::max(f.peakMb, Bench::memoryMb("VmHWM"));
        replaceFile(path, small);
        if (list) {
            const Module1::Reloading again(&box);
            load();
        } else {
            form->Option1[0]->click();
        }
        until(smallShown);
        window->repaint();
    }
    QCoreApplication::processEvents();
    f.afterMb = Bench::memoryMb("VmRSS");
    std::printf("%f %f %f %f %f\n", f.loadMs, f.heldMs, f.startMb, f.peakMb, f.afterMb);
    return 0;
}

BulkFigures bulkRun(const QString& folder, const QString& kind, qsizetype lines, const QString& big) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--bulk"), folder, kind, QString::number(lines), big});
    child.waitForFinished(-1);
    const QList<QByteArray> v = child.readAllStandardOutput().trimmed().split(' ');
    BulkFigures f;
    if (v.size() == 5)
        f = {v[0].toDouble(), v[1].toDouble(), v[2].toDouble(), v[3].toDouble(), v[4].toDouble()};
    return f;
}

// A file of `lines` copies of `line`.
void writeRepeated(const QString& path, const QByteArray& line, qsizetype lines) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    const QByteArray block = line.repeated(1 << 16);
    for (qsizetype left = lines; left > 0; left -= 1 << 16)
        f.write(left >= (1 << 16) ? block : line.repeated(left));
}

// A file of short lines near the size limit as a list, and one of empty lines as an article: both held
// compactly, loaded without holding the window, and given back when a small file replaces them.
void bulkFile(Bench::Report& report, const QString& dir, const char* name, const QString& kind,
              const QByteArray& line, qsizetype megabytes) {
    const qsizetype lines = (megabytes << 20) / line.size();
    const QString big = dir + QStringLiteral("/bulk.txt");
    writeRepeated(big, line, lines);
    double decodedMb = 0;
    const double bare = Bench::bestOf(3, [&] {
        QFile f(big);
        if (!f.open(QIODevice::ReadOnly))
            return;
        const QString text = DataText::decode(f.readAll());
        decodedMb = double(text.size()) * 2 / (1 << 20);
        Bench::keep(text.size());
    });
    const BulkFigures f = bulkRun(dir, kind, lines, big);
    QFile::remove(big);
    const QByteArray what = QByteArray(name);
    report.ratio(what + ": loaded and shown vs read+decode", f.loadMs, bare, 2.0);
    report.within(what + ": longest hold of the window", f.heldMs, 100);
    report.ratio(what + ": peak memory over start vs decoded text (MB as ms)", f.peakMb - f.startMb,
                 decodedMb, 3.0);
    report.ratio(what + ": memory once a small file is back vs start (MB as ms)", f.afterMb, f.startMb, 1.1);
}

// The sizes can be lowered for a quick look (QMQUERY_BULK_LIST_MB, QMQUERY_BULK_ARTICLE_MB).
void bulkFiles(Bench::Report& report, const QString& dir) {
    const qsizetype listMb = qEnvironmentVariableIsSet("QMQUERY_BULK_LIST_MB")
                                 ? qEnvironmentVariableIntValue("QMQUERY_BULK_LIST_MB")
                                 : 255;
    const qsizetype articleMb = qEnvironmentVariableIsSet("QMQUERY_BULK_ARTICLE_MB")
                                    ? qEnvironmentVariableIntValue("QMQUERY_BULK_ARTICLE_MB")
                                    : 20;
    bulkFile(report, dir, "List of short lines", QStringLiteral("list"), "a\n", listMb);
    bulkFile(report, dir, "Article of empty lines", QStringLiteral("article"), "\n", articleMb);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Module1::initApplication(app);
    if (argc == 4 && std::strcmp(argv[1], "--memory") == 0)
        return memoryChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    if (argc == 6 && std::strcmp(argv[1], "--bulk") == 0)
        return bulkChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                         QByteArray(argv[4]).toLongLong(), QString::fromLocal8Bit(argv[5]));

    QTemporaryDir dir;
    Module1::setProgramFolder(dir.path());
    // `bench_loaders bulk`: only the two files near the limits.
    const bool bulkOnly = argc == 2 && std::strcmp(argv[1], "bulk") == 0;
    writeBytes(dir.filePath(QStringLiteral("big.txt")), numberedLines(200000));
    writeBytes(dir.filePath(QStringLiteral("article.txt")), numberedLines(10000));
    const QString big = dir.filePath(QStringLiteral("big.txt"));

    Bench::Report report("loaders");
    if (bulkOnly) {
        QDir(dir.path()).mkpath(QStringLiteral("心得文章"));
        bulkFiles(report, dir.path());
        return report.exitCode();
    }

    const double base = Bench::bestOf(5, [&] { Bench::keep(baselineLines(big).size()); });
    ListBox list;
    list.resize(400, 300);
    list.show();
    const double listLoad = Bench::bestOf(5, [&] {
        list.clear();
        Module1::LoadListFile(QStringLiteral("big.txt"), &list, false);
        until([&] { return list.listCount() == 200000; });
    });
    report.ratio("LoadListFile 200,000 lines vs read+decode+split", listLoad, base, 2.0);

    TextBox plain;
    plain.resize(400, 300);
    plain.show();
    const double baseText = Bench::bestOf(3, [&] {
        QString all;
        for (const QString& line : baselineLines(big)) {
            all += line;
            all += u'\n';
        }
        plain.setPlainText(all);
        QCoreApplication::processEvents();
    });
    const double textLoad = Bench::bestOf(3, [&] {
        Module1::LoadTextFile(QStringLiteral("big.txt"), &plain, false);
        QCoreApplication::processEvents();
    });
    report.ratio("LoadTextFile 200,000 lines vs read+decode+split+setPlainText", textLoad, baseText, 2.0);

    auto* host = FormBase::instance<Host>();
    host->Show();
    const double noProgress = Bench::bestOf(3, [&] {
        Module1::LoadTextFile(QStringLiteral("article.txt"), host->text, true);
        QCoreApplication::processEvents();
    });
    const double withProgress = Bench::bestOf(3, [&] {
        host->label->clear();
        Module1::LoadTextFile(QStringLiteral("article.txt"), host->text, true, QStringLiteral("載入文章第"),
                              host->label, QStringLiteral("行中..."));
        until([&] { return host->label->text() == progressOf(10000); });
    });
    report.ratio("LoadTextFile 10,000-line article with progress vs without", withProgress, noProgress, 4.0);
    host->close();

    longLineInList(report, dir.path(), 4, 500);
    longLineInList(report, dir.path(), 50, 2000);
    QFile::remove(dir.filePath(QStringLiteral("合成表.txt")));
    QDir(dir.path()).mkpath(QStringLiteral("心得文章"));
    longLineArticle(report, dir.path(), 50, 2000);

    // 200 MB of article lines, then two small articles to click between.
    {
        QFile f(dir.filePath(QStringLiteral("心得文章/a.txt")));
        if (f.open(QIODevice::WriteOnly)) {
            const QByteArray block = numberedLines(20000);
            while (f.size() < (qint64(200) << 20))
                f.write(block);
        }
    }
    writeBytes(dir.filePath(QStringLiteral("心得文章/b.txt")), "b\r\n");
    writeBytes(dir.filePath(QStringLiteral("心得文章/c.txt")), "c\r\n");
    const double once = childPeak(dir.path(), 1);
    const double clicked = childPeak(dir.path(), 20);
    report.ratio("Peak memory (MB as ms): 200 MB article clicked 20 times vs loaded once", clicked, once,
                 1.3);
    QFile::remove(dir.filePath(QStringLiteral("心得文章/a.txt")));

    bulkFiles(report, dir.path());

    FormBase::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return report.exitCode();
}
