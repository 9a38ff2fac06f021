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

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTemporaryDir>

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

// The longest single stretch the interface thread spent in one event between two turns of the loop,
// while `work` runs there: what a player feels as a freeze.
class FreezeMeter : public QObject {
public:
    double worstMs = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        Q_UNUSED(o);
        Q_UNUSED(e);
        const double ms = clock_.nsecsElapsed() / 1e6;
        worstMs = std::max(worstMs, ms);
        clock_.restart();
        return false;
    }
    void start() {
        worstMs = 0;
        clock_.start();
    }

private:
    QElapsedTimer clock_;
};

// A list file of one gigantic line between two short ones, opened in the synthesis window and picked:
// opening, then picking and painting the detail.
void longLineInList(Bench::Report& report, const QString& dir, int megabytes, double boundMs) {
    const QByteArray line(qsizetype(megabytes) << 20, 'x');
    writeBytes(dir + QStringLiteral("/合成表.txt"), "first\r\n" + line + "\r\nlast\r\n");
    QElapsedTimer t;
    t.start();
    auto* form = FormBase::open<Form3>();
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
    FreezeMeter meter;
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
    QFile status(QStringLiteral("/proc/self/status"));
    double peakMb = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peakMb = line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
        }
    }
    std::printf("%f\n", peakMb);
    return 0;
}

double childPeak(const QString& folder, int clicks) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--memory"), folder, QString::number(clicks)});
    child.waitForFinished(-1);
    return child.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Module1::initApplication(app);
    if (argc == 4 && std::strcmp(argv[1], "--memory") == 0)
        return memoryChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));

    QTemporaryDir dir;
    Module1::setProgramFolder(dir.path());
    writeBytes(dir.filePath(QStringLiteral("big.txt")), numberedLines(200000));
    writeBytes(dir.filePath(QStringLiteral("article.txt")), numberedLines(10000));
    const QString big = dir.filePath(QStringLiteral("big.txt"));

    Bench::Report report("loaders");

    const double base = Bench::bestOf(5, [&] { Bench::keep(baselineLines(big).size()); });
    ListBox list;
    list.resize(400, 300);
    list.show();
    const double listLoad = Bench::bestOf(5, [&] {
        Module1::LoadListFile(QStringLiteral("big.txt"), &list, false);
        QCoreApplication::processEvents();
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

    FormBase::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return report.exitCode();
}
