#include "forms/Form7.h"

#include "modules/Module1.h"

Form7::Form7() {
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("料理~藥品"));
    setClientSizeTw(4680, 3195);
}

void Form7::Form_Load() { Module1::PlaceWindowBottomRight(this); }
