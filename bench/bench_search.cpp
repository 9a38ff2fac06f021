// The search over every data file against the work it cannot avoid, measured in the same run: a plain
// case-insensitive scan of the same decoded text and painting the same rows in a bare list, and reading
// and decoding every file once. On the sample data, then on a large set the bench makes (the sample
// files and 20,000 articles, 200 MB): the longest the interface thread is held while the index is built,
// results before the index is complete, and the memory the index holds.
#include "benchutil.h"
#include "core/DataText.h"
#include "forms/FormBase.h"
#include "forms/SearchForm.h"
#include "forms/SearchTargets.h"
#include "modules/Module1.h"
#include "modules/SearchIndex.h"
#include "modules/SearchResults.h"
#include "platform/CodePages.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QRandomGenerator>
#include <QStringListModel>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

namespace {

// Runs events until `done` holds; the time it took.
double until(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    // Waiting for events, not polling: a busy loop here would take a core from the workers measured.
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Decoded {
    QString where;
    QString text;
};

// Every file the search reads, read and decoded once, as the baselines take them.
std::vector<Decoded> readAll(const QString& folder) {
    std::vector<Decoded> files;
    for (const SearchSource& s : SearchTargets::catalogue(folder)) {
        QFile f(TextLoad::locate(folder, s.file));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        files.push_back({s.where, DataText::decode(f.readAll())});
    }
    return files;
}

// The plain scan: every line holding the word, without regard to case, as rows of text.
QStringList plainScan(const std::vector<Decoded>& files, const QString& word) {
    QStringList rows;
    for (const Decoded& d : files) {
        const QString& t = d.text;
        for (qsizetype at = t.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;) {
            const qsizetype begin = std::max(t.lastIndexOf(u'\n', at), t.lastIndexOf(u'\r', at)) + 1;
            qsizetype end = t.indexOf(u'\n', at);
            end = end < 0 ? t.size() : end;
            rows.append(d.where + u"："_qs + t.mid(begin, qMin<qsizetype>(end - begin, 160)));
            at = t.indexOf(word, end, Qt::CaseInsensitive);
        }
    }
    return rows;
}

// A query typed into the search window, until its rows are painted.
double query(SearchForm* form, const QString& text) {
    QElapsedTimer t;
    t.start();
    form->Text1->setText(text);
    until([form] { return !form->results()->searching(); });
    form->List1->viewport()->repaint();
    return t.nsecsElapsed() / 1e6;
}

// The baseline's list: the same rows painted by a bare QListView.
class BareList {
public:
    BareList() {
        view_.setUniformItemSizes(true);
        view_.setModel(&model_);
        view_.resize(600, 300);
        view_.show();
    }
    // A plain scan for `word`, its rows painted; ms.
    double query(const std::vector<Decoded>& files, const QString& word) {
        QElapsedTimer t;
        t.start();
        model_.setStringList(plainScan(files, word));
        view_.viewport()->repaint();
        return t.nsecsElapsed() / 1e6;
    }

private:
    QStringListModel model_;
    QListView view_;
};

QString sampleFolder() {
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
    if (QFile::exists(beside + QStringLiteral("/合成表.txt")))
        return QDir(beside).absolutePath();
    return QDir(QStringLiteral("data")).absolutePath();
}

void copyFolder(const QString& from, const QString& to) {
    QDir().mkpath(to);
    for (const QFileInfo& i : QDir(from).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (i.isDir())
            copyFolder(i.filePath(), to + u'/' + i.fileName());
        else
            QFile::copy(i.filePath(), to + u'/' + i.fileName());
    }
}

// 20,000 articles of about 10 KB of code page 950 text each.
qint64 writeArticles(const QString& folder) {
    const QString common = QStringLiteral(
        "的一是在不了有和人這中大為上個國我以要他時來用們生到作地於出就分對成會可主發年動同工也能下過子說產"
        "種面而方後多定行學法所民得經十三之進著等部度家電力裡如水化高自二理起小物現實加量都兩體制機當使點從業"
        "本去把性好應開它合還因由其些然前外天政四日那社義事平形相全表間樣與關各重新線內數正心反你明看原又麼利"
        "鐵礦木材石頭藥草料理合成武器防具");
    QRandomGenerator random(7);
    QDir().mkpath(folder);
    qint64 total = 0;
    for (int i = 0; i < 20000; ++i) {
        QString text;
        while (text.size() < 5450) {
            const int n = 20 + int(random.bounded(40));
            for (int k = 0; k < n; ++k)
                text += common[int(random.bounded(int(common.size())))];
            if (random.bounded(8) == 0)
                text += QStringLiteral(" Lv%1 (東 %2)").arg(random.bounded(80)).arg(random.bounded(500));
            text += QStringLiteral("\r\n");
        }
        const QByteArray bytes = Platform::encodeCodePage950(text);
        QFile f(folder + QStringLiteral("/文章%1.txt").arg(i, 5, 10, QChar(u'0')));
        if (f.open(QIODevice::WriteOnly))
            total += f.write(bytes);
    }
    return total;
}

SearchForm* openSearch() {
    auto* form = FormBase::open<SearchForm>();
    form->resize(600, 400);
    return form;
}

void sample(Bench::Report& report) {
    Module1::setProgramFolder(sampleFolder());
    const std::vector<Decoded> files = readAll(Module1::programFolder());
    BareList bare;

    SearchForm* form = openSearch();
    until([form] { return form->index()->complete(); });
    const QString letters[] = {QStringLiteral("石"), QStringLiteral("礦"), QStringLiteral("l"),
                               QStringLiteral("的")};
    std::vector<double> ours, plain;
    for (int run = 0; run < 21; ++run) {
        const QString& letter = letters[run % 4];
        query(form, QString()); // from an empty field, as a first letter is typed
        ours.push_back(query(form, letter));
        plain.push_back(bare.query(files, letter));
    }
    report.ratio("sample data: a letter typed to painted results (median)", median(ours), median(plain), 1.5);
    form->close();
    QCoreApplication::processEvents();
}

void large(Bench::Report& report) {
    QTemporaryDir dir;
    copyFolder(sampleFolder(), dir.path());
    const qint64 articleBytes = writeArticles(dir.path() + QStringLiteral("/心得文章"));
    Module1::setProgramFolder(dir.path());
    report.value("large data set: articles written", double(articleBytes) / (1 << 20), "MB");

    // Each figure the best of three starts, as the least disturbed by the rest of the machine.
    std::vector<Decoded> files;
    double readAndDecode = 1e300;
    for (int run = 0; run < 3; ++run) {
        files.clear();
        QElapsedTimer readTime;
        readTime.start();
        files = readAll(dir.path());
        readAndDecode = std::min(readAndDecode, readTime.nsecsElapsed() / 1e6);
    }
    qsizetype decodedBytes = 0;
    for (const Decoded& d : files)
        decodedBytes += d.text.size() * qsizetype(sizeof(QChar));

    double hold = 1e300, firstRows = 1e300, completeAt = 0, firstQuery = 1e300;
    SearchForm* form = nullptr;
    for (int run = 0; run < 3; ++run) {
        if (form) {
            form->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        Bench::FreezeMeter meter;
        QElapsedTimer t;
        t.start();
        form = openSearch();
        form->Text1->setText(QStringLiteral("鐵礦"));
        double rowsAt = -1;
        double completeThen = -1;
        QObject::connect(form->results(), &QAbstractItemModel::rowsInserted, form, [&] {
            if (rowsAt < 0)
                rowsAt = t.nsecsElapsed() / 1e6;
        });
        QObject::connect(form->index(), &SearchIndex::progress, form, [&] {
            if (completeThen < 0 && form->index()->complete())
                completeThen = t.nsecsElapsed() / 1e6;
        });
        // A timer ticking on the interface thread: a gap between two events is then the thread held.
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.start(2);
        qApp->installEventFilter(&meter);
        meter.start();
        until([form] { return form->index()->complete() && !form->results()->searching(); });
        form->List1->viewport()->repaint();
        firstQuery = std::min(firstQuery, t.nsecsElapsed() / 1e6);
        qApp->removeEventFilter(&meter);
        tick.stop();
        hold = std::min(hold, meter.worstMs);
        // No rows before the index was complete counts as a miss.
        const double early = rowsAt < 0 || rowsAt > completeThen ? 1e9 : rowsAt;
        if (early < firstRows) {
            firstRows = early;
            completeAt = completeThen;
        }
    }

    report.within("large: longest hold of the interface thread while indexing", hold, 50);
    // The bound is the moment the index was complete: results must show before it.
    report.within("large: first results shown, before the index is complete at", firstRows, completeAt);
    report.ratio("large: first query after start vs reading and decoding every file", firstQuery,
                 readAndDecode, 1.2);

    BareList bare;
    const QString words[] = {QStringLiteral("鐵礦"), QStringLiteral("lv7"), QStringLiteral("合成武器")};
    std::vector<double> ours, plain;
    for (int run = 0; run < 6; ++run) {
        const QString& word = words[run % 3];
        query(form, QString());
        ours.push_back(query(form, word));
        plain.push_back(bare.query(files, word));
    }
    report.ratio("large: a query on the complete index vs the plain scan (median)", median(ours),
                 median(plain), 2.0);
    report.ratio("large: memory held by the index vs the decoded text",
                 double(form->index()->memory()) / (1 << 20), double(decodedBytes) / (1 << 20), 1.5, "MB");
    form->close();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Module1::initApplication(app);
    Bench::Report report("search");
    sample(report);
    large(report);
    return report.exitCode();
}
