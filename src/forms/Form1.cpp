#include "forms/Form1.h"

#include "core/Version.h"
#include "forms/Form10.h"
#include "forms/Form2.h"
#include "forms/Form3.h"
#include "forms/Form4.h"
#include "forms/Form5.h"
#include "forms/Form6.h"
#include "forms/Form7.h"
#include "forms/Form8.h"
#include "forms/Form9.h"
#include "forms/SearchForm.h"
#include "forms/frmcalc.h"
#include "forms/showpic.h"
#include "modules/Module1.h"
#include "widgets/Twips.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QShortcut>

namespace {

const QString kCredit = QStringLiteral("QM小組 qm.example.org");

struct MenuButton {
    int number;
    int page; // 1 or 2
    int left;
    int top;
    const char16_t* caption;
    bool enabled;
    bool pageSwitch;
};

// The design's buttons in tab order: page 1, then page 2.
constexpr MenuButton kButtons[] = {
    {1, 1, 120, 240, u"坐标查询", true, false},   {2, 1, 1080, 240, u"合成资料", true, false},
    {3, 1, 2040, 240, u"职业详解", true, false},  {4, 1, 120, 600, u"任务详解", true, false},
    {5, 1, 1080, 600, u"使用说明", true, false},  {6, 1, 2040, 600, u"料理药品", true, false},
    {7, 1, 120, 960, u"玩家技能", true, false},   {8, 1, 1080, 960, u"使魔技能", false, false},
    {9, 1, 2040, 960, u"一般選項", false, false}, {10, 1, 3120, 240, u"》下一页》", true, true},
    {11, 2, 120, 240, u"《下一页《", true, true}, {20, 2, 480, 240, u"看图程序", true, false},
    {12, 2, 1440, 240, u"人物计算", true, false}, {13, 2, 2400, 240, u"经验计算", true, false},
    {14, 2, 480, 600, u"心得文章", true, false},  {15, 2, 1440, 600, u"", true, false},
    {16, 2, 2400, 600, u"", true, false},         {17, 2, 480, 960, u"", true, false},
    {18, 2, 1440, 960, u"", true, false},         {19, 2, 2400, 960, u"", true, false},
};

} // namespace

Form1::Form1() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("资料查询器"));
    setClientSizeTw(3555, 1470);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    Frame1 =
        Twips::place(new QGroupBox(kCredit + QStringLiteral("  第1頁"), this), "Frame1", 0, 0, 3495, 1455);
    Frame2 =
        Twips::place(new QGroupBox(kCredit + QStringLiteral("  第2頁"), this), "Frame2", 0, 0, 3495, 1455);
    Frame2->hide();

    QWidget* previous = nullptr;
    for (const MenuButton& b : kButtons) {
        auto* button = new QPushButton(QString::fromUtf16(b.caption), b.page == 1 ? Frame1 : Frame2);
        button->setObjectName(QStringLiteral("Command%1").arg(b.number));
        Twips::setGeometry(button, b.left, b.top, b.pageSwitch ? 255 : 975, b.pageSwitch ? 1095 : 375);
        button->setEnabled(b.enabled);
        if (b.pageSwitch) {
            // A tall strip: one character per line, for looks only; screen readers get the caption.
            button->setAccessibleName(button->text());
            QString vertical;
            for (QChar c : button->text())
                vertical += QString(c) + u'\n';
            vertical.chop(1);
            button->setText(vertical);
        }
        Command[b.number] = button;
        if (previous)
            setTabOrder(previous, button);
        previous = button;
    }

    connect(Command[1], &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(Command[2], &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Command[3], &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command[4], &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(Command[5], &QPushButton::clicked, this, &Form1::Command5_Click);
    connect(Command[6], &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command[7], &QPushButton::clicked, this, &Form1::Command7_Click);
    connect(Command[10], &QPushButton::clicked, this, &Form1::Command10_Click);
    connect(Command[11], &QPushButton::clicked, this, &Form1::Command11_Click);
    connect(Command[12], &QPushButton::clicked, this, &Form1::Command12_Click);
    connect(Command[13], &QPushButton::clicked, this, &Form1::Command13_Click);
    connect(Command[14], &QPushButton::clicked, this, &Form1::Command14_Click);
    connect(Command[20], &QPushButton::clicked, this, &Form1::Command20_Click);

    // Ctrl+F on either page: one search over every window's files.
    auto* search = new QShortcut(QKeySequence::Find, this);
    search->setContext(Qt::WindowShortcut);
    connect(search, &QShortcut::activated, this, [] { FormBase::open<SearchForm>(); });
}

void Form1::Form_Load() {
    Module1::PlaceWindowBottomRight(this);
    setWindowTitle(windowTitle() + QStringLiteral("    版本:") + Version::text());
}

void Form1::Form_Unload() {
    // Closing the menu ends the program: the other windows go without their own closing handlers.
    FormBase::unloadAll();
    QCoreApplication::quit();
}

void Form1::Command1_Click() {
    FormBase::open<Form2>();
}
void Form1::Command2_Click() {
    FormBase::open<Form3>();
}
void Form1::Command3_Click() {
    FormBase::open<Form4>();
}
void Form1::Command4_Click() {
    FormBase::open<Form5>();
}
void Form1::Command5_Click() {
    FormBase::open<Form6>();
}
void Form1::Command6_Click() {
    FormBase::open<Form7>();
}
void Form1::Command7_Click() {
    FormBase::open<Form8>();
}
void Form1::Command12_Click() {
    FormBase::open<frmcalc>();
}
void Form1::Command13_Click() {
    FormBase::open<Form9>();
}
void Form1::Command14_Click() {
    FormBase::open<Form10>();
}
void Form1::Command20_Click() {
    FormBase::open<showpic>();
}

void Form1::Command10_Click() {
    Frame1->hide();
    Frame2->show();
}

void Form1::Command11_Click() {
    Frame2->hide();
    Frame1->show();
}
