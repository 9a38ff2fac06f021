#include "forms/Form5.h"

#include "core/DataText.h"
#include "core/QuestText.h"
#include "forms/showpic.h"
#include "modules/Module1.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <initializer_list>

namespace {

const QString kPlaceholder = QStringLiteral("未有資料");

struct Band {
    const char16_t* caption;
    int left;
    int width;
    std::initializer_list<const char16_t*> quests;
};

// The compiled-in quest names of each level band, in button order.
const Band kBands[] = {
    {u"LV5下",
     0,
     855,
     {u"國民任務", u"哥布林的綠頭盔", u"香草店任務", u"神秘連絡人", u"習得明鏡止水", u"牛鬼的任務",
      u"貓之鈴任務", u"捕獲賊貓完成解放", u"卡片收集依賴", u"海賊的洞窟", u"討伐哥布林", u"鬥技場大迷宮",
      u"霞之洞窟"}},
    {u"LV10up", 840, 1095, {u"畢安札的送禮任務"}},
    {u"LV15up", 1800, 975, {u"法蘭城旅館任務"}},
    {u"LV20up",
     2760,
     1095,
     {u"尋找雷茲", u"長老樹精任務", u"捉迷藏的鐵人", u"誘拐任務", u"流星山丘", u"沒落的村莊"}},
    {u"其他限制",
     3720,
     1095,
     {u"礦工用安全帽", u"咖哩屋任務", u"生產系二階任務", u"搬運箱任務", u"火炎仙人掌"}},
};

} // namespace

static_assert(std::size(kBands) == Form5::kBandCount);

QStringList Form5::bandQuests(int band) {
    QStringList quests;
    if (band >= 0 && band < int(std::size(kBands))) {
        for (const char16_t* quest : kBands[band].quests)
            quests.append(QString::fromUtf16(quest));
    }
    return quests;
}

Form5::Form5() {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("任务详解"));
    setClientSizeTw(4950, 4140);

    QRadioButton** options[] = {&Option1, &Option2, &Option3, &Option4, &Option5};
    for (int i = 0; i < 5; ++i) {
        auto* option = new QRadioButton(QString::fromUtf16(kBands[i].caption), this);
        option->setObjectName(QStringLiteral("Option%1").arg(i + 1));
        Twips::setGeometry(option, kBands[i].left, 0, kBands[i].width, 255);
        *options[i] = option;
    }

    Frame1 = Twips::place(new QGroupBox(QStringLiteral("選項"), this), "Frame1", 0, 240, 1935, 3855);
    for (int i = 0; i < kQuestButtons; ++i) {
        auto* button = new QPushButton(Frame1);
        // A control array: one name, told apart by index.
        button->setObjectName(QStringLiteral("Command1"));
        button->setProperty("Index", i);
        Twips::setGeometry(button, 120, 240 + 240 * i, 1695, 255);
        connect(button, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        Command1[i] = button;
    }

    Label1 = Twips::place(new QLabel(this), "Label1", 2040, 360, 1920, 180);
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label1->setPalette(red);

    Command2 =
        Twips::place(new QPushButton(QStringLiteral("相關圖片"), this), "Command2", 3960, 360, 975, 255);
    Command2->hide();

    Text1 = new TextBox(this, TextBox::Vertical);
    Text1->setObjectName(QStringLiteral("Text1"));
    // Only a vertical scroll bar: long lines wrap at the pane's width.
    Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Twips::setGeometry(Text1, 2040, 600, 2895, 3495);
    // The pane's top edge overlaps the button's bottom row: the button is drawn whole above it.
    Command2->raise();

    QWidget* order[] = {Option1, Option2, Option3, Option4, Option5};
    for (int i = 0; i + 1 < 5; ++i)
        setTabOrder(order[i], order[i + 1]);
    setTabOrder(Option5, Command1[0]);
    for (int i = 0; i + 1 < kQuestButtons; ++i)
        setTabOrder(Command1[i], Command1[i + 1]);
    setTabOrder(Command1[kQuestButtons - 1], Command2);
    setTabOrder(Command2, Text1);
    setFindTargets({Text1}, false);

    const auto onChosen = [this](QRadioButton* option, void (Form5::*handler)()) {
        connect(option, &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on)
                (this->*handler)();
        });
    };
    onChosen(Option1, &Form5::Option1_Click);
    onChosen(Option2, &Form5::Option2_Click);
    onChosen(Option3, &Form5::Option3_Click);
    onChosen(Option4, &Form5::Option4_Click);
    onChosen(Option5, &Form5::Option5_Click);
    connect(Command2, &QPushButton::clicked, this, &Form5::Command2_Click);
}

void Form5::Form_Load() {
    Module1::PlaceWindowBottomRight(this);
    // The first tab stop takes the focus when the window appears, and an option that takes the focus
    // becomes the chosen one.
    Option1->setFocus();
    Option1->setChecked(true);
}

void Form5::Form_Resize() {
    Twips::setWidth(Text1, Twips::width(this) - Twips::left(Text1) - 30);
    Twips::setHeight(Text1, layoutHeightTw() - Twips::top(Text1) - 30);
}

void Form5::Option1_Click() {
    showBand(0);
}
void Form5::Option2_Click() {
    showBand(1);
}
void Form5::Option3_Click() {
    showBand(2);
}
void Form5::Option4_Click() {
    showBand(3);
}
void Form5::Option5_Click() {
    showBand(4);
}

void Form5::showBand(int band) {
    for (QPushButton* button : Command1)
        button->setText(kPlaceholder);
    int index = 0;
    for (const char16_t* quest : kBands[band].quests)
        Command1[index++]->setText(QString::fromUtf16(quest));
    chkunable();
}

void Form5::chkunable() {
    for (QPushButton* button : Command1)
        button->setEnabled(button->text() != kPlaceholder);
}

void Form5::Command1_Click(int Index) {
    showQuest(Command1[Index]->text(), Option5->isChecked());
}

void Form5::showQuest(const QString& quest, bool restricted) {
    Command2->hide();
    Label1->setText(QString());
    const QString file = quest + QStringLiteral(".txt");
    if (Module1::LoadTextFile(file, Text1, false))
        follow(Text1, file, [this, quest, restricted] { showQuest(quest, restricted); });
    const QuestText::Reading reading = QuestText::read(Text1->text(), restricted);
    if (restricted)
        Label1->setText(reading.restriction);
    if (!reading.picCode.isEmpty()) {
        piccode = reading.picCode;
        Command2->show();
    }
    if (reading.rest.size() != Text1->text().size())
        Text1->setText(reading.rest);
}

void Form5::Command2_Click() {
    const QString pattern = piccode + QStringLiteral("*.bmp;") + piccode + QStringLiteral("*.gif;") +
                            piccode + QStringLiteral("*.jpg");
    FormBase::instance<showpic>()->showPictureList(
        DataText::dataPath(Module1::programFolder(), QStringLiteral("相關圖片\\")), pattern, QImage());
}
