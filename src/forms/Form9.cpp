#include "forms/Form9.h"

#include "core/Numbers.h"
#include "core/StatFormulas.h"
#include "forms/Form1.h"
#include "modules/Module1.h"
#include "widgets/DigitFilter.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using Numbers::displayForm;
using Numbers::leadingNumber;

namespace {

// Highest experience per use of each production skill, shown by "?".
constexpr const char16_t* kSkillTable[] = {
    u"各技最高經驗(得意技時,非則減半)",
    u"",
    u"狩獵:2",
    u"挖掘:2",
    u"伐木:2",
    u"鑑定:30",
    u"修理:30?",
    u"製作:120",
    u"料理:20",
    u"製藥:20",
};

QString levelLine(double current, double used, double gain) {
    return QStringLiteral("當你LV") + displayForm(current) + QStringLiteral("使用LV") + displayForm(used) +
           QStringLiteral("時,技能EXP會增加") + displayForm(gain) + QStringLiteral("點");
}

} // namespace

Form9::Form9() {
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("生產經驗值"));
    setClientSizeTw(4005, 3285);

    const auto label = [this](const char* name, const QString& caption, int l, int t, int w, int h) {
        auto* lbl = new QLabel(caption, this);
        lbl->setObjectName(QLatin1String(name));
        Twips::setGeometry(lbl, l, t, w, h);
        // A face whose lines are taller than the design's 12 pixels (the Ming face under Windows' own
        // rasterizer is 14) would lose a pixel row at the top and bottom: the label grows downward.
        lbl->resize(lbl->width(), qMax(lbl->height(), lbl->fontMetrics().height()));
        return lbl;
    };
    // The key filters of Text1..Text3: only digits and Backspace are typed.
    auto* digits = new DigitFilter(this);
    const auto box = [this, digits](const char* name, int maxLength, int l, int t, int w, int h) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setMaxLength(maxLength);
        Twips::setGeometry(e, l, t, w, h);
        digits->guard(e);
        return e;
    };

    Label1 = label("Label1", QStringLiteral("使用技能LV:"), 0, 0, 990, 180);
    Text1 = box("Text1", 1, 1080, 0, 495, 270);
    Label2 = label("Label2", QStringLiteral("目前技能LV:"), 1680, 0, 990, 180);
    Text2 = box("Text2", 1, 2760, 0, 495, 270);
    Label4 = label("Label4", QString(), 3360, 0, 495, 255);
    Label3 = label("Label3", QStringLiteral("使用後最高的EXP:"), 0, 360, 1440, 180);
    Text3 = box("Text3", 3, 1460, 360, 615, 270);

    Command2 = Twips::place(new QPushButton(QStringLiteral("?"), this), "Command2", 2100, 360, 255, 255);
    Check1 = Twips::place(new QCheckBox(QStringLiteral("打卡?"), this), "Check1", 2400, 360, 735, 255);
    Command1 = Twips::place(new QPushButton(QStringLiteral("OK!"), this), "Command1", 3360, 360, 495, 255);

    for (int i = 0; i < static_cast<int>(Label5.size()); ++i) {
        const int top = i == 0 ? 720 : 960 + (i - 1) * 240;
        Label5[i] = label("Label5", QString(), 120, top, 3735, 255);
        Label5[i]->setProperty("Index", i);
    }
    Label5[1]->setText(QStringLiteral("**********其他資料**********"));
    Label5[1]->hide();

    Text4 = Twips::place(new TextBox(this), "Text4", 1440, 1080, 1215, 495);
    QString table;
    for (const char16_t* line : kSkillTable)
        table += QString::fromUtf16(line) + QStringLiteral("\r\n");
    Text4->setText(table);
    Text4->hide();
    Text4->setFocusPolicy(Qt::NoFocus);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Check1);
    setTabOrder(Check1, Command1);
    setTabOrder(Command1, Command2);

    connect(Text1, &QLineEdit::textChanged, this, &Form9::Text1_Change);
    connect(Text2, &QLineEdit::textChanged, this, &Form9::Text2_Change);
    connect(Text3, &QLineEdit::textChanged, this, &Form9::Text3_Change);
    connect(Check1, &QCheckBox::toggled, this, &Form9::Check1_Click);
    connect(Command1, &QPushButton::clicked, this, &Form9::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form9::Command2_Click);
}

void Form9::Form_Load() {
    const Form1* menu = FormBase::existing<Form1>();
    setWindowIcon(menu ? menu->windowIcon() : QApplication::windowIcon());
}

void Form9::Text1_Change() {
    // Writing the same text raises no change, so the nested run happens at most once.
    if (leadingNumber(Text1->text()) == 0)
        Text1->setText(QStringLiteral("1"));
    Command1_Click();
}

void Form9::Text2_Change() {
    if (leadingNumber(Text2->text()) == 0)
        Text2->setText(QStringLiteral("0"));
    Command1_Click();
}

void Form9::Text3_Change() {
    const double factor = Check1->isChecked() ? 2 : 1;
    Label4->setText(displayForm(factor * leadingNumber(Text3->text())));
    Command1_Click();
}

void Form9::Check1_Click() {
    Text3_Change();
    Command1_Click();
}

void Form9::Command1_Click() {
    const double used = leadingNumber(Text1->text());
    const double current = leadingNumber(Text2->text());
    const double highest = leadingNumber(Label4->text());

    for (int i = 2; i <= 10; ++i)
        Label5[i]->clear();
    if (current < used)
        return;

    // With both levels 0 the ratio is not a number; the gain rule reads that as no gain.
    Label5[0]->setText(
        levelLine(current, used, StatFormulas::expGain(StatFormulas::expRatio(used, current, highest))));
    for (int i = 1; i <= current && i + 1 < static_cast<int>(Label5.size()); ++i)
        Label5[i + 1]->setText(
            levelLine(current, i, StatFormulas::expGain(StatFormulas::expRatio(i, current, highest))));
    Label5[1]->show();
}

void Form9::Command2_Click() {
    Module1::MsgBox(Text4->text(), Module1::MsgButtons::Ok, Module1::MsgIcon::None, this);
}
