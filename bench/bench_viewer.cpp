// Times the viewer's hot paths against plain Qt doing the same work, in one run on one machine.
// Usage: QT_QPA_PLATFORM=offscreen bench_viewer   (exit code 1 when a target is missed)

#include "core/Wildcard.h"
#include "forms/showpic.h"
#include "modules/Module1.h"
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

bool allOk = true;

void report(const char* what, double ours, double base, double limit) {
    const double ratio = ours / base;
    const bool ok = ratio <= limit;
    allOk = allOk && ok;
    std::printf("%-44s ours %8.2f ms  baseline %8.2f ms  ratio %5.2f (limit %.1f) %s\n", what, ours, base,
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

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Module1::setMessageHandler([](const Module1::MsgRequest& r) {
        std::printf("unexpected message: %s\n", qPrintable(r.text));
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
        const double ours = medianMs(15, [&] { count = FileList::listFolder(shots.path(), pattern).names.size(); });
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

    // Showing a 1024 x 768 24-bit BMP: the viewer's selection path against a bare decode.
    QTemporaryDir prefix;
    const QString game =
        prefix.filePath(QStringLiteral("drive_c/Program Files/Tessaly/Quellmark/ScreenShot"));
    QDir().mkpath(game);
    qputenv("WINEPREFIX", prefix.path().toLocal8Bit());
    for (int i = 0; i < 2; ++i) {
        QImage img(1024, 768, QImage::Format_RGB888);
        img.fill(QColor(30 + 100 * i, 120, 200));
        img.save(game + QStringLiteral("/big%1.bmp").arg(i), "BMP");
    }
    auto* viewer = FormBase::open<showpic>();
    QTest::qWait(150);
    {
        int next = 0;
        const double base = medianMs(21, [&] {
            QImageReader reader(game + QStringLiteral("/big%1.bmp").arg(next++ % 2));
            const QImage img = reader.read();
            Q_ASSERT(!img.isNull());
        });
        next = 0;
        const double ours = medianMs(21, [&] { viewer->File1->setListIndex(next++ % 2); });
        report("show a 1024x768 24-bit BMP", ours, base, 1.5);
    }

    // Stepping through 1,000 pictures with the arrow key keeps only the current one.
    QDir(game).removeRecursively();
    QDir().mkpath(game);
    for (int i = 0; i < 1000; ++i) {
        QImage img(200, 150, QImage::Format_RGB888);
        img.fill(QColor(i % 256, 60, 90));
        img.save(game + QStringLiteral("/step%1.bmp").arg(i, 4, 10, QLatin1Char('0')), "BMP");
    }
    viewer->File1->refresh();
    viewer->File1->setListIndex(0);
    const long before = residentKb();
    for (int i = 1; i < 1000; ++i)
        QTest::keyClick(viewer->File1, Qt::Key_Down);
    const long growth = residentKb() - before;
    const long onePicture = 200 * 150 * 4 / 1024;
    const bool stepOk = viewer->File1->listIndex() == 999 && growth < 100 * onePicture;
    allOk = allOk && stepOk;
    std::printf("%-44s index %d, resident growth %ld KB (all pictures would be %ld KB) %s\n",
                "step through 1,000 pictures", viewer->File1->listIndex(), growth, 1000 * onePicture,
                stepOk ? "ok" : "MISSED");
    return allOk ? 0 : 1;
}
