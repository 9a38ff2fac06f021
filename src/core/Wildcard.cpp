#include "core/Wildcard.h"

namespace Wildcard {

QStringList splitPatterns(const QString& joined) {
    QStringList out;
    for (const QStringView part : QStringView(joined).split(u';')) {
        const QStringView p = part.trimmed();
        if (!p.isEmpty())
            out.append(p.toString());
    }
    return out;
}

namespace {

bool sameLetter(QChar a, QChar b) {
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

bool matches(QStringView name, QStringView pattern) {
    // Greedy match with one backtrack point: linear in practice, never exponential.
    qsizetype n = 0;
    qsizetype p = 0;
    qsizetype starP = -1;
    qsizetype starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = ++p;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || sameLetter(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

bool matchesAny(QStringView name, const QStringList& patterns) {
    for (const QString& p : patterns) {
        if (matches(name, p))
            return true;
    }
    return false;
}

QString datePattern(const QString& year, const QString& month, const QString& day) {
    return QStringLiteral("qm") + year + month + day + QStringLiteral("_???.bmp");
}

namespace {

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value % 100, 2, 10, QLatin1Char('0'));
}

} // namespace

std::array<QString, 3> dateFields(QDate date) {
    return {twoDigits(date.year()), twoDigits(date.month()), twoDigits(date.day())};
}

} // namespace Wildcard
