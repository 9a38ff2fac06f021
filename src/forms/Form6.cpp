#include "forms/Form6.h"

#include "modules/Module1.h"

Form6::Form6() {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("說明"));
    setClientSizeTw(4680, 3135);
}

void Form6::Form_Load() { Module1::PlaceWindowBottomRight(this); }
