#include "forms/Form3.h"

#include "modules/Module1.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

Form3::Form3() {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("合成资料"));
    setClientSizeTw(5295, 3735);

    Text1 = new TextBox(this, TextBox::Horizontal);
    Text1->setObjectName(QStringLiteral("Text1"));
    Twips::setGeometry(Text1, 0, 0, 5295, 615);

    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    // Fixed pitch keeps the recipe columns of the data file lined up.
    QFont listFont(QStringLiteral("細明體"));
    listFont.setPointSizeF(9.75);
    List1->setFont(listFont);
    Twips::setGeometry(List1, 0, 600, 5295, 2985);

    setTabOrder(Text1, List1);
    connect(List1, &ListBox::itemPicked, this, &Form3::List1_Click);
}

void Form3::Form_Load() {
    Module1::PlaceWindowBottomRight(this);
    Module1::LoadListFile(QStringLiteral("合成表.txt"), List1, false);
}

void Form3::Form_Resize() {
    // Each step stands alone: a refused (negative) size keeps the last one and the next step still runs.
    Twips::setWidth(Text1, Twips::tw(width()));
    Twips::setWidth(List1, Twips::width(Text1));
    Twips::setHeight(List1, Twips::tw(height()) - Twips::top(List1) - 30);
}

void Form3::List1_Click() {
    Text1->setText(List1->text());
}
