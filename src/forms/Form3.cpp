#include "forms/Form3.h"

#include "modules/Module1.h"

Form3::Form3() {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("合成资料"));
    setClientSizeTw(5295, 3735);
}

void Form3::Form_Load() { Module1::PlaceWindowBottomRight(this); }
