#include "forms/Form10.h"


Form10::Form10() {
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("心得文章 "));
    setClientSizeTw(4980, 3645);
}

void Form10::Form_Load() {  }
