#include "forms/Form8.h"

#include "modules/Module1.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

#include <QPushButton>

namespace {

struct Group {
    int left;
    const char16_t* caption;
};

// The caption doubles as the group file's base name.
constexpr Group kGroups[] = {
    {0, u"攻击技能"},
    {1080, u"采集技能"},
    {2160, u"制作技能"},
    {3240, u"其他技能"},
};

} // namespace

QString Form8::groupCaption(int index) {
    return index >= 0 && index < int(std::size(kGroups)) ? QString::fromUtf16(kGroups[index].caption)
                                                         : QString();
}

Form8::Form8() {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("技能"));
    setClientSizeTw(4365, 3195);

    for (int i = 0; i < int(Command1.size()); ++i) {
        auto* b = new QPushButton(QString::fromUtf16(kGroups[i].caption), this);
        b->setObjectName(QStringLiteral("Command1"));
        b->setProperty("Index", i);
        Twips::setGeometry(b, kGroups[i].left, 0, 1095, 255);
        connect(b, &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        Command1[i] = b;
    }

    Text1 = Twips::place(new TextBox(this, TextBox::Both), "Text1", 0, 240, 4335, 2895);
    // The pane's top edge overlaps the buttons' bottom row: the buttons are drawn whole above it.
    for (QPushButton* b : Command1)
        b->raise();

    setTabOrder(Command1[0], Command1[1]);
    setTabOrder(Command1[1], Command1[2]);
    setTabOrder(Command1[2], Command1[3]);
    setTabOrder(Command1[3], Text1);
    setFindTargets({Text1}, false);
}

void Form8::Form_Load() {
    Module1::PlaceWindowBottomRight(this);
}

void Form8::Form_Resize() {
    Twips::setWidth(Text1, Twips::tw(width()));
    // Too low a window keeps the box's last height; the width above still follows.
    Twips::setHeight(Text1, layoutHeightTw() - Twips::top(Text1) - 30);
}

void Form8::Command1_Click(int Index) {
    if (Index < 0 || Index >= int(Command1.size()))
        return;
    const QString file = QStringLiteral("技能\\") + Command1[Index]->text() + QStringLiteral(".txt");
    if (Module1::LoadTextFile(file, Text1, true))
        follow(Text1, file, [this, Index] { Command1_Click(Index); });
}
