#include "forms/Form10.h"

#include "core/ArticleList.h"
#include "core/DataText.h"
#include "modules/Module1.h"
#include "modules/TextLoad.h"
#include "platform/Files.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace {

struct Place {
    int left;
    int top;
};
constexpr std::array<Place, 6> kOptionPlaces{
    {{120, 240}, {1560, 240}, {3000, 240}, {120, 575}, {1560, 575}, {3000, 575}}};

// A title is a file name: an "&" in it is a character, not an access key.
QString captionFor(const QString& title) {
    QString caption = title;
    return caption.replace(u'&', QLatin1String("&&"));
}

QString titleFromCaption(const QString& caption) {
    QString title = caption;
    return title.replace(QLatin1String("&&"), QLatin1String("&"));
}

// The whole button answers a click, as a blank one has no caption to click on.
class OptionButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace

Form10::Form10() {
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("心得文章 "));
    setClientSizeTw(4980, 3645);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    Frame1 = Twips::place(new QGroupBox(QStringLiteral("文章選擇 "), this), "Frame1", 0, 0, 4935, 975);

    for (int i = 0; i < int(Option1.size()); ++i) {
        auto* option = new OptionButton(Frame1);
        // One name for the whole array, as its elements differ only by index.
        option->setObjectName(QStringLiteral("Option1"));
        option->setProperty("Index", i);
        Twips::setGeometry(option, kOptionPlaces[i].left, kOptionPlaces[i].top, 1455, 345);
        // Every click loads, the chosen button included: after a page change it names another article.
        connect(option, &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
        Option1[i] = option;
    }

    Command1 = Twips::place(new QPushButton(QStringLiteral("+"), Frame1), "Command1", 4560, 240, 255, 255);
    Command2 = Twips::place(new QPushButton(QStringLiteral("-"), Frame1), "Command2", 4560, 600, 255, 255);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(Twips::px(120), Twips::px(1080));
    Label1->adjustSize();

    Text1 = Twips::place(new TextBox(this, TextBox::Vertical), "Text1", 0, 1320, 4935, 2295);
    // With no horizontal scroll bar, long paragraphs wrap at the pane's edge instead of running off it.
    Text1->setLineWrapMode(TextBox::WidgetWidth);

    for (int i = 0; i + 1 < int(Option1.size()); ++i)
        setTabOrder(Option1[i], Option1[i + 1]);
    setTabOrder(Option1.back(), Text1);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    // The window keeps its design layout whatever its size: it grows for the find field.
    setFindTargets({Text1}, true);

    connect(Command1, &QPushButton::clicked, this, &Form10::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form10::Command2_Click);
}

QStringList Form10::listArticles(const QString& folder) {
    // Ordinary files only: no folders, hidden files, pipes or devices (nor links to them).
    QStringList names;
    for (const Platform::FolderEntry& entry : Platform::listFolder(folder)) {
        if (entry.isFile && !entry.hidden)
            names.append(entry.name);
    }
    return ArticleList::sortNames(names);
}

void Form10::Form_Load() {
    File1 = listArticles(DataText::dataPath(Module1::programFolder(), ArticleList::folderName()));
    Module1::PlaceWindowBottomRight(this, 20, 20);
    curpage = 1;
    loadpage(curpage);
    // Once the window is up, the focus lands on the first option button, which chooses it.
    QTimer::singleShot(0, this, &Form10::chooseFirstArticle);
}

bool Form10::event(QEvent* event) {
    // A caption change asks the parent for a new layout: the progress label takes its text's size.
    if (event->type() == QEvent::LayoutRequest && Label1)
        Label1->adjustSize();
    return FormBase::event(event);
}

void Form10::chooseFirstArticle() {
    if (isUnloading())
        return;
    Option1[0]->setFocus(Qt::TabFocusReason);
    Option1[0]->setChecked(true);
    Option1_Click(0);
}

void Form10::loadpage(const int& h) {
    Frame1->setTitle(QStringLiteral("心得文章  第 ") + QString::number(h) + QStringLiteral(" 頁"));
    const QStringList titles = ArticleList::pageTitles(File1, h);
    for (int k = 0; k < int(Option1.size()); ++k)
        Option1[k]->setText(captionFor(titles[k]));
}

void Form10::openArticle(const QString& name) {
    const qsizetype at = File1.indexOf(name);
    if (at < 0) {
        // Gone from the list the window read when it opened: the loader says the file is not found.
        loadArticle(TextLoad::DataFile::listed(ArticleList::folderName(), name));
        return;
    }
    curpage = int(at / ArticleList::kPerPage) + 1;
    loadpage(curpage);
    QRadioButton* option = Option1[size_t(at % ArticleList::kPerPage)];
    option->setFocus(Qt::OtherFocusReason);
    option->click();
}

void Form10::Command1_Click() {
    curpage = ArticleList::nextPage(curpage, File1.size());
    loadpage(curpage);
}

void Form10::Command2_Click() {
    curpage = ArticleList::previousPage(curpage);
    loadpage(curpage);
}

void Form10::Option1_Click(int Index) {
    const QString title = titleFromCaption(Option1[Index]->text());
    if (title.isEmpty())
        return;
    loadArticle(TextLoad::DataFile::listed(ArticleList::folderName(), ArticleList::fileFor(title, File1)));
}

void Form10::loadArticle(const TextLoad::DataFile& article) {
    if (Module1::LoadTextFile(article, Text1, true, QStringLiteral("載入文章第"), Label1,
                              QStringLiteral("行中...")))
        follow(Text1, article, [this, article] { loadArticle(article); });
}
