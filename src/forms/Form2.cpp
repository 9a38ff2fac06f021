#include "forms/Form2.h"

#include "modules/Module1.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QPushButton>

namespace {

struct Region {
    const char16_t* caption;
    const char16_t* file;
    bool trimLines;
};

constexpr Region kRegions[] = {
    {u"芙蕾雅岛", u"芙蕾雅島.txt", false},
    {u"圣拉鲁卡村", u"聖拉_卡村.txt", false},
    {u"伊尔村", u"芙蕾雅島－伊爾村.txt", true},
};

} // namespace

QString Form2::regionCaption(int number) {
    return number >= 1 && number <= 3 ? QString::fromUtf16(kRegions[number - 1].caption) : QString();
}

QString Form2::regionFile(int number) {
    return number >= 1 && number <= 3 ? QString::fromUtf16(kRegions[number - 1].file) : QString();
}

bool Form2::regionTrimmed(int number) {
    return number >= 1 && number <= 3 && kRegions[number - 1].trimLines;
}

Form2::Form2() {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("坐标查询"));
    setClientSizeTw(5070, 4095);

    Frame1 = Twips::place(new QGroupBox(QStringLiteral("地点"), this), "Frame1", 0, 0, 1695, 4095);

    const auto regionButton = [this](const char* name, const QString& caption, int top) {
        auto* b = new QPushButton(caption, Frame1);
        b->setObjectName(QLatin1String(name));
        Twips::setGeometry(b, 120, top, 1455, 255);
        return b;
    };
    Command1 = regionButton("Command1", regionCaption(1), 240);
    Command2 = regionButton("Command2", regionCaption(2), 600);
    Command3 = regionButton("Command3", regionCaption(3), 960);

    Frame2 = Twips::place(new QGroupBox(QStringLiteral("列表"), this), "Frame2", 1800, 0, 3255, 4095);

    Text1 = Twips::place(new TextBox(Frame2, TextBox::Horizontal), "Text1", 120, 240, 3015, 615);

    List1 = Twips::place(new ListBox(Frame2), "List1", 120, 840, 3015, 3120);

    setTabOrder(Text1, List1);
    setTabOrder(List1, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);

    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(List1, &ListBox::itemPicked, this, &Form2::List1_Click);
    // The design's controls keep their places whatever the size: the window grows for the find field.
    setFindTargets({List1}, true);
}

void Form2::Form_Load() {
    Module1::PlaceWindowBottomRight(this);
}

void Form2::showRegion(int number) {
    if (Module1::LoadListFile(regionFile(number), List1, regionTrimmed(number)))
        follow(List1, regionFile(number), [this, number] { showRegion(number); });
}

void Form2::Command1_Click() {
    showRegion(1);
}

void Form2::Command2_Click() {
    showRegion(2);
}

void Form2::Command3_Click() {
    showRegion(3);
}

void Form2::List1_Click() {
    Text1->setText(List1->text());
}
