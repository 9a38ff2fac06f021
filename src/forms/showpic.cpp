#include "forms/showpic.h"


showpic::showpic() {
    setObjectName(QStringLiteral("showpic"));
    setWindowTitle(QStringLiteral("看圖程式"));
    setClientSizeTw(7500, 6435);
}

void showpic::Form_Load() {  }

void showpic::showPictureList(const QString&, const QString&, const QImage&) { Show(); }
