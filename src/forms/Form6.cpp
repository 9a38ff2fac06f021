#include "forms/Form6.h"

#include "modules/Module1.h"
#include "widgets/TextBox.h"
#include "widgets/Twips.h"

namespace {

constexpr const char16_t* kUsageLines[] = {
    u"==========資料查詢器=========",
    u"請使用視窗模式在使用本程式",
    u"(Alt + Enter即可變換為視窗模式)",
    u"※注意※請將畫面的解析度調為256色",
    u"才能開啟視窗模式",
    u"對於本程式無法開啟者",
    u"可能的原因",
    u"",
    u"1.電腦缺少執行本程式所需的元件",
    u"2.資料壓縮不完全",
    u"3.Winzip的錯誤",
    u"(例:聖拉魯卡解壓宿後會變成聖拉震卡)",
    u"本程式不會危害伺服器",
    u"只是供資料查詢",
    u"請大家不用擔心會被砍帳號",
    u"資料夾裡面的文字檔",
    u"以及其他檔案請勿刪除",
    u"以免造成程式錯誤",
    u"如果資料有變",
    u"請開裡面的文字檔",
    u"修改即可 ^_^",
    u"如有BUG請來信",
    u"qmquery@example.org",
    u"http://qmquery.example.org/    (暫定)",
    u"發行",
    u"qmquery 製作小組 製作",
    u"資料來源：",
    u"冒險者資料站",
    u"http://data.example.org/",
    u"芙蕾雅旅人筆記",
    u"http://notes.example.org/",
    u"生產職業研究會",
    u"http://craft.example.org/",
    u"任務攻略討論區",
    u"http://forum.example.org/",
    u"以及熱心提供資料的玩家們",
    u"=============End=============",
    u"本程式的架構參考自早期的一套資料查詢小工具",
    u"在此向其作者致謝",
};
static_assert(std::size(kUsageLines) == 39);

} // namespace

QString Form6::usageText() {
    QString text;
    for (const char16_t* line : kUsageLines)
        text += QString::fromUtf16(line) + QStringLiteral("\r\n");
    return text;
}

Form6::Form6() {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("說明"));
    setClientSizeTw(4680, 3135);

    // One pixel wider than the window, as drawn; the window never fits it to its size.
    Text1 = Twips::place(new TextBox(this, TextBox::Both), "Text1", 0, 0, 4695, 3135);
    Text1->setText(usageText());
    // The box keeps its design size whatever the window's: the window grows for the find field.
    setFindTargets({Text1}, true);
}

void Form6::Form_Load() {
    Module1::PlaceWindowBottomRight(this);
}
