#include "forms/Form4.h"

#include "modules/Module1.h"

Form4::Form4() {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("职业"));
    setClientSizeTw(4470, 5310);
}

void Form4::Form_Load() { Module1::PlaceWindowBottomRight(this); }
