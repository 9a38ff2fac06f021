#include "forms/Form4.h"

#include "modules/Module1.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

struct Profession {
    int number;
    int left;
    int top;
    const char16_t* caption;
    bool enabled;
    const char16_t* file;
};

// In keyboard order (the separator line, which takes no focus, stands before Command20). A few files are
// named after the full title, not the short caption.
constexpr Profession kProfessions[] = {
    {1, 120, 240, u"劍士", true, u"職業\\劍士.txt"},
    {2, 120, 470, u"士兵", true, u"職業\\士兵.txt"},
    {3, 120, 690, u"封印師", true, u"職業\\封印師.txt"},
    {4, 120, 910, u"格鬥士", false, u"職業\\格鬥士.txt"},
    {5, 120, 1140, u"騎士", true, u"職業\\騎士.txt"},
    {6, 120, 1360, u"魔法師", true, u"職業\\魔法師.txt"},
    {7, 120, 1590, u"巫師", false, u"職業\\巫師.txt"},
    {8, 120, 1820, u"馴獸師", true, u"職業\\馴獸師.txt"},
    {9, 1080, 240, u"弓箭手", true, u"職業\\弓箭手.txt"},
    {10, 1080, 465, u"咒術師", false, u"職業\\咒術師.txt"},
    {11, 1080, 690, u"盜賊", false, u"職業\\盜賊.txt"},
    {12, 1080, 915, u"道士", false, u"職業\\道士.txt"},
    {13, 1080, 1140, u"戰斧鬥士", true, u"職業\\戰斧鬥士.txt"},
    {14, 1080, 1365, u"僧侶", true, u"職業\\僧侶.txt"},
    {15, 1080, 1590, u"飼養師", true, u"職業\\飼養師.txt"},
    {16, 1080, 1815, u"忍者", false, u"職業\\忍者.txt"},
    {17, 2280, 240, u"護士", true, u"職業\\護士.txt"},
    {18, 2280, 465, u"醫生", true, u"職業\\醫師.txt"},
    {19, 2280, 690, u"藥師", true, u"職業\\藥劑師.txt"},
    {23, 2280, 1200, u"武器生產", true, u"職業\\武器生產.txt"},
    {24, 2280, 1425, u"防具生產", true, u"職業\\防具生產.txt"},
    {25, 2280, 1650, u"武器修理", true, u"職業\\武器修理師.txt"},
    {26, 3360, 1200, u"防具修理", true, u"職業\\防具修理師.txt"},
    {27, 3360, 1425, u"鑑定師", true, u"職業\\鑑定師.txt"},
    {28, 3360, 1650, u"刻印師", false, u"職業\\刻印師.txt"},
    {20, 3360, 240, u"樵夫", true, u"職業\\樵夫.txt"},
    {21, 3360, 465, u"獵人", true, u"職業\\獵人.txt"},
    {22, 3360, 690, u"礦工", true, u"職業\\礦工.txt"},
};
static_assert(std::size(kProfessions) == 28);

} // namespace

QString Form4::professionFile(int number) {
    for (const Profession& p : kProfessions) {
        if (p.number == number)
            return QString::fromUtf16(p.file);
    }
    return {};
}

QString Form4::professionCaption(int number) {
    for (const Profession& p : kProfessions) {
        if (p.number == number)
            return QString::fromUtf16(p.caption);
    }
    return {};
}

Form4::Form4() {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("职业"));
    setClientSizeTw(4470, 5310);

    Frame1 = Twips::place(new QGroupBox(QStringLiteral("选项"), this), "Frame1", 0, 0, 4455, 2175);

    using Handler = void (Form4::*)();
    static constexpr Handler handlers[] = {
        nullptr,
        &Form4::Command1_Click,
        &Form4::Command2_Click,
        &Form4::Command3_Click,
        &Form4::Command4_Click,
        &Form4::Command5_Click,
        &Form4::Command6_Click,
        &Form4::Command7_Click,
        &Form4::Command8_Click,
        &Form4::Command9_Click,
        &Form4::Command10_Click,
        &Form4::Command11_Click,
        &Form4::Command12_Click,
        &Form4::Command13_Click,
        &Form4::Command14_Click,
        &Form4::Command15_Click,
        &Form4::Command16_Click,
        &Form4::Command17_Click,
        &Form4::Command18_Click,
        &Form4::Command19_Click,
        &Form4::Command20_Click,
        &Form4::Command21_Click,
        &Form4::Command22_Click,
        &Form4::Command23_Click,
        &Form4::Command24_Click,
        &Form4::Command25_Click,
        &Form4::Command26_Click,
        &Form4::Command27_Click,
        &Form4::Command28_Click,
    };

    QFont buttonFont(QStringLiteral("新細明體"));
    buttonFont.setPointSizeF(8.25);

    // The separator is a label filled with the menu-text colour, a line between columns two and three.
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAutoFillBackground(true);
    QPalette linePalette = Label1->palette();
    linePalette.setColor(QPalette::Window, linePalette.color(QPalette::WindowText));
    Label1->setPalette(linePalette);
    Twips::setGeometry(Label1, 2160, 120, 15, 2055);

    QWidget* previous = nullptr;
    for (const Profession& p : kProfessions) {
        auto* b = new QPushButton(QString::fromUtf16(p.caption), this);
        b->setObjectName(QStringLiteral("Command%1").arg(p.number));
        b->setFont(buttonFont);
        b->setEnabled(p.enabled);
        Twips::setGeometry(b, p.left, p.top, 975, 240);
        connect(b, &QPushButton::clicked, this, handlers[p.number]);
        Command[p.number] = b;
        if (previous)
            setTabOrder(previous, b);
        previous = b;
    }

    Text1 = Twips::place(new TextBox(this, TextBox::Both), "Text1", 0, 2280, 4455, 3015);
    setTabOrder(previous, Text1);
    setFindTargets({Text1}, false);
}

void Form4::Form_Load() {
    Module1::PlaceWindowBottomRight(this);
}

void Form4::Form_Resize() {
    // The width snaps back to the design's; only the height follows the user. A maximised or
    // minimised window refuses a width, so the step is skipped there.
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)))
        Module1::setOuterWidthTw(this, 4695);
    Twips::setHeight(Text1, layoutHeightTw() - Twips::top(Text1) - 30);
}

void Form4::showProfession(int number) {
    if (Module1::LoadTextFile(professionFile(number), Text1, false))
        follow(Text1, professionFile(number), [this, number] { showProfession(number); });
}

void Form4::Command1_Click() {
    showProfession(1);
}
void Form4::Command2_Click() {
    showProfession(2);
}
void Form4::Command3_Click() {
    showProfession(3);
}
void Form4::Command4_Click() {
    showProfession(4);
}
void Form4::Command5_Click() {
    showProfession(5);
}
void Form4::Command6_Click() {
    showProfession(6);
}
void Form4::Command7_Click() {
    showProfession(7);
}
void Form4::Command8_Click() {
    showProfession(8);
}
void Form4::Command9_Click() {
    showProfession(9);
}
void Form4::Command10_Click() {
    showProfession(10);
}
void Form4::Command11_Click() {
    showProfession(11);
}
void Form4::Command12_Click() {
    showProfession(12);
}
void Form4::Command13_Click() {
    showProfession(13);
}
void Form4::Command14_Click() {
    showProfession(14);
}
void Form4::Command15_Click() {
    showProfession(15);
}
void Form4::Command16_Click() {
    showProfession(16);
}
void Form4::Command17_Click() {
    showProfession(17);
}
void Form4::Command18_Click() {
    showProfession(18);
}
void Form4::Command19_Click() {
    showProfession(19);
}
void Form4::Command20_Click() {
    showProfession(20);
}
void Form4::Command21_Click() {
    showProfession(21);
}
void Form4::Command22_Click() {
    showProfession(22);
}
void Form4::Command23_Click() {
    showProfession(23);
}
void Form4::Command24_Click() {
    showProfession(24);
}
void Form4::Command25_Click() {
    showProfession(25);
}
void Form4::Command26_Click() {
    showProfession(26);
}
void Form4::Command27_Click() {
    showProfession(27);
}
void Form4::Command28_Click() {
    showProfession(28);
}
