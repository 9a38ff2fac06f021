#include "core/StatFormulas.h"

#include <cmath>

// A fused multiply-add would skip the rounding of each product and change the last bits.
#if defined(__clang__)
#pragma clang fp contract(off)
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif

namespace StatFormulas {

double pointTotal(double level) {
    return (level - 1) * 4 + 30;
}

double availablePoints(double level, const Stats& s) {
    return pointTotal(level) - s[0] - s[1] - s[2] - s[3] - s[4];
}

Abilities abilities(const Stats& s) {
    // Every "x * 2" is written x + x: doubling that way is exact and keeps the results bit-identical.
    const double s1 = s[0], s2 = s[1], s3 = s[2], s4 = s[3], s5 = s[4];
    Abilities a{};
    a[0] = s1 * 8 + 20 + (s2 + s2) + s3 * 3 + s4 * 3 + s5;
    a[1] = s1 + 20 + (s2 + s2) + (s3 + s3) + (s4 + s4) + s5 * 10;
    a[2] = s1 * 0.1 + 20 + (s2 + s2) + s3 * 0.2 + s4 * 0.2 + s5 * 0.1;
    a[3] = s1 * 0.1 + 20 + s2 * 0.2 + (s3 + s3) + s4 * 0.2 + s5 * 0.1;
    a[4] = s1 * 0.2 + 20 + s2 * 0.2 + s3 * 0.2 + (s4 + s4) + s5 * 0.1;
    a[5] = 100 - s1 * 0.3 - s2 * 0.1 + s3 * 0.2 - s4 * 0.1 + s5 * 0.8;
    a[6] = s1 * 0.8 + 100 - s2 * 0.1 - s3 * 0.1 + s4 * 0.2 - s5 * 0.3;
    return a;
}

QString messageLine(double level, const Stats& s) {
    struct Check {
        int box;
        const char16_t* warning;
    };
    // Not the box order: a later failing check replaces an earlier one on the single line.
    static constexpr Check kChecks[] = {
        {0, u"不是合法的點數分配～（體）"}, {3, u"不是合法的點數分配～（速）"},
        {1, u"不是合法的點數分配～（力）"}, {2, u"不是合法的點數分配～（強）"},
        {4, u"不是合法的點數分配～（魔）"},
    };
    QString line;
    if (level > 100)
        line = QStringLiteral("等級有那麼高嗎～？");
    const double half = pointTotal(level) / 2;
    for (const Check& c : kChecks) {
        if (s[c.box] > half)
            line = QString::fromUtf16(c.warning);
    }
    return line;
}

double expGain(double t) {
    if (t >= 1)
        return std::floor(t);
    if (t >= 0.5)
        return 1;
    return 0;
}

double expRatio(double used, double current, double highest) {
    return used / current * highest;
}

} // namespace StatFormulas
