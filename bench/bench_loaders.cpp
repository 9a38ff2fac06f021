// Loader speed against the cost of the work they cannot avoid, measured in the same run.
#include "benchutil.h"
#include "core/DataText.h"
#include "forms/FormBase.h"
#include "modules/Module1.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QStringEncoder>
#include <QTemporaryDir>

namespace {

class Host : public FormBase {
public:
    Host() : text(new TextBox(this)), label(new QLabel(this)) { resize(400, 300); }
    TextBox* text;
    QLabel* label;
};

void writeFile(const QString& path, int lines) {
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("  法蘭城 第%1行 合成材料：鐵礦 x3、木材 x2 (東 %2, 南 %3)\r\n")
                    .arg(i)
                    .arg(i % 700)
                    .arg(i % 500);
    QStringEncoder enc("windows-950");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(enc.encode(text));
}

QStringList baselineLines(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return DataText::splitLines(DataText::decode(f.readAll()));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Module1::initApplication(app);
    QTemporaryDir dir;
    Module1::setProgramFolder(dir.path());
    writeFile(dir.filePath(QStringLiteral("big.txt")), 200000);
    writeFile(dir.filePath(QStringLiteral("article.txt")), 10000);
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
        Module1::LoadTextFile(QStringLiteral("article.txt"), host->text, true, QStringLiteral("載入文章第"),
                              host->label, QStringLiteral("行中..."));
    });
    report.ratio("LoadTextFile 10,000-line article with progress vs without", withProgress, noProgress, 4.0);
    FormBase::unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return report.exitCode();
}
