#include "forms/frmcalc.h"


frmcalc::frmcalc() {
    setObjectName(QStringLiteral("frmcalc"));
    setWindowTitle(QStringLiteral("QM- 人物能力計算程式"));
    setClientSizeTw(4980, 1935);
}

void frmcalc::Form_Load() {  }
