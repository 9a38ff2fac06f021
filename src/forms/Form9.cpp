#include "forms/Form9.h"


Form9::Form9() {
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("生產經驗值"));
    setClientSizeTw(4005, 3285);
}

void Form9::Form_Load() {  }
