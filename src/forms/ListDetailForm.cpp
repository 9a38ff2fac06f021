#include "forms/ListDetailForm.h"

#include "modules/Module1.h"
#include "widgets/ListBox.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

ListDetailForm::ListDetailForm(const Design& design) : design_(design) {
    setObjectName(QLatin1String(design.objectName));
    setWindowTitle(QString::fromUtf16(design.title));
    setClientSizeTw(design.clientWidth, design.clientHeight);

    Text1 = Twips::place(new TextBox(this, TextBox::Horizontal), "Text1", 0, 0, design.text1Width, 615);

    List1 = new ListBox(this);
    List1->setObjectName(QStringLiteral("List1"));
    // Fixed pitch keeps the columns of the data files lined up.
    QFont listFont(QStringLiteral("細明體"));
    listFont.setPointSizeF(9.75);
    List1->setFont(listFont);
    Twips::setGeometry(List1, 0, 600, design.text1Width, design.list1Height);

    setTabOrder(Text1, List1);
    connect(List1, &ListBox::itemPicked, this, &ListDetailForm::List1_Click);
    setFindTargets({List1}, false);
}

void ListDetailForm::Form_Load() {
    if (design_.loadBeforePlacing)
        loadList();
    Module1::PlaceWindowBottomRight(this);
    if (!design_.loadBeforePlacing)
        loadList();
}

void ListDetailForm::Form_Resize() {
    // Each step stands alone: a refused (negative) size keeps the last one and the next step still runs.
    Twips::setWidth(Text1, Twips::tw(width()));
    Twips::setWidth(List1, Twips::width(Text1));
    Twips::setHeight(List1, layoutHeightTw() - Twips::top(List1) - 30);
}

void ListDetailForm::loadList() {
    const QString file = QString::fromUtf16(design_.dataFile);
    if (Module1::LoadListFile(file, List1, design_.trimLines))
        follow(List1, file, [this] { loadList(); });
}

void ListDetailForm::List1_Click() {
    Text1->setText(List1->text());
}
