#include "forms/Form5.h"

#include "modules/Module1.h"

Form5::Form5() {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("任务详解"));
    setClientSizeTw(4950, 4140);
}

void Form5::Form_Load() { Module1::PlaceWindowBottomRight(this); }
