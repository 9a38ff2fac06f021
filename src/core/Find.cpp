#include "core/Find.h"

#include <QRegularExpression>

namespace Find {

QChar foldChar(QChar c) {
    char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E)
        u = char16_t(u - 0xFF01 + 0x21);
    else if (u == 0x3000)
        u = u' ';
    if (u >= u'A' && u <= u'Z')
        u = char16_t(u - u'A' + u'a');
    return QChar(u);
}

QString fold(QStringView text) {
    QString folded(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        folded[i] = foldChar(text[i]);
    return folded;
}

int findItem(const QStringList& items, const QString& query, int start, bool forward) {
    return findItem(RowTable::fromList(items), query, start, forward);
}

int findItem(const RowTable& items, const QString& query, int start, bool forward) {
    const int n = int(items.size());
    if (query.isEmpty() || n == 0)
        return -1;
    const QString wanted = fold(query);
    start = qBound(0, start, n - 1);
    for (int k = 0; k < n; ++k) {
        const int i = forward ? (start + k) % n : (start - k + n) % n;
        if (fold(items.at(i)).contains(wanted))
            return i;
    }
    return -1;
}

QString pattern(QStringView query) {
    QString p;
    for (qsizetype i = 0; i < query.size(); ++i) {
        const QChar c = query[i];
        const QChar f = foldChar(c);
        const char16_t u = f.unicode();
        if (u < 0x21 || u > 0x7E) {
            // The space matches the ideographic space too; anything else only itself, a character
            // outside the Basic Multilingual Plane (a surrogate pair) as the one character it is.
            const bool pair = c.isHighSurrogate() && i + 1 < query.size() && query[i + 1].isLowSurrogate();
            p += u == u' ' ? QStringLiteral("[ \\x{3000}]")
                           : QRegularExpression::escape(query.sliced(i, pair ? 2 : 1));
            i += pair ? 1 : 0;
            continue;
        }
        QString forms =
            QRegularExpression::escape(QString(f)) + QStringLiteral("\\x{%1}").arg(u - 0x21 + 0xFF01, 0, 16);
        if (u >= u'a' && u <= u'z') {
            const char16_t upper = char16_t(u - u'a' + u'A');
            forms += QString(QChar(upper)) + QStringLiteral("\\x{%1}").arg(upper - 0x21 + 0xFF01, 0, 16);
        }
        p += u'[' + forms + u']';
    }
    return p;
}

} // namespace Find
