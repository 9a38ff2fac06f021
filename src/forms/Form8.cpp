#include "forms/Form8.h"

#include "modules/Module1.h"

Form8::Form8() {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("技能"));
    setClientSizeTw(4365, 3195);
}

void Form8::Form_Load() { Module1::PlaceWindowBottomRight(this); }
