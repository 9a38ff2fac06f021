#include "core/QuestText.h"

namespace QuestText {

QString restrictionText(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("礦工限定");
    case 1:
        return QStringLiteral("獵人限定");
    case 2:
        return QStringLiteral("樵夫限定");
    case 3:
        return QStringLiteral("採集系限定");
    case 4:
        return QStringLiteral("生產採集系限定");
    case 5:
        return QStringLiteral("獵人及樵夫限定");
    case 6:
        return QStringLiteral("戰鬥系限定");
    default:
        return QStringLiteral("限制編碼錯誤");
    }
}

Reading read(const QString& text, bool restricted) {
    Reading r;
    r.rest = text;
    if (restricted && !r.rest.isEmpty()) {
        const QChar first = r.rest.front();
        if (first >= u'0' && first <= u'9') {
            r.restriction = restrictionText(first.unicode() - u'0');
            r.rest.remove(0, 2);
        } else {
            // Not a code at all: say so, but keep every character of the quest text.
            r.restriction = restrictionText(-1);
        }
    }
    if (r.rest.size() >= 3 && r.rest[2] == u',') {
        r.picCode = r.rest.left(2);
        r.rest.remove(0, 3);
    }
    return r;
}

} // namespace QuestText
