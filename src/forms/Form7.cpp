#include "forms/Form7.h"

#include "modules/Module1.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

Form7::Form7() {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("料理~藥品"));
    setClientSizeTw(4680, 3195);

    // Drawn a little wider than the window; the first resize brings both controls to its width.
    Text1 = new TextBox(this, TextBox::Horizontal);
    Text1->setObjectName(QStringLiteral("Text1"));
    Twips::setGeometry(Text1, 0, 0, 4695, 615);

    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    QFont listFont(QStringLiteral("細明體"));
    listFont.setPointSizeF(9.75);
    List1->setFont(listFont);
    Twips::setGeometry(List1, 0, 600, 4695, 2205);

    setTabOrder(Text1, List1);
    connect(List1, &ListBox::itemPicked, this, &Form7::List1_Click);
}

void Form7::Form_Load() {
    Module1::LoadListFile(QStringLiteral("料理藥品.txt"), List1, true);
    Module1::PlaceWindowBottomRight(this);
}

void Form7::Form_Resize() {
    // Each step stands alone: a refused (negative) size keeps the last one and the next step still runs.
    Twips::setWidth(Text1, Twips::tw(width()));
    Twips::setWidth(List1, Twips::width(Text1));
    Twips::setHeight(List1, Twips::tw(height()) - Twips::top(List1) - 30);
}

void Form7::List1_Click() {
    Text1->setText(List1->text());
}
