#include "core/Numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Numbers {

namespace {

bool isDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

} // namespace

double leadingNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0.0;
    // strtod gives the double nearest to the decimal text; the matched part is plain ASCII.
    const QByteArray ascii = text.mid(start, i - start).toLatin1();
    return std::strtod(ascii.constData(), nullptr);
}

QString displayForm(double value) {
    if (!std::isfinite(value) || std::fabs(value) < 1e-9)
        return QStringLiteral("0");

    // Fifteen significant digits in scientific form, then the point is moved into place.
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
    const QByteArray sci(buffer);
    const qsizetype ePos = sci.indexOf('e');
    QByteArray digits = sci.left(ePos);
    digits.remove(1, 1); // the point after the first digit
    const int exponent = std::atoi(sci.constData() + ePos + 1);
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);

    QByteArray out;
    if (value < 0)
        out += '-';
    if (exponent < 0) {
        out += "0.";
        out += QByteArray(-exponent - 1, '0');
        out += digits;
    } else if (digits.size() <= exponent + 1) {
        out += digits;
        out += QByteArray(exponent + 1 - digits.size(), '0');
    } else {
        out += digits.left(exponent + 1);
        out += '.';
        out += digits.mid(exponent + 1);
    }
    return QString::fromLatin1(out);
}

bool keyPassesDigitFilter(int key, QStringView text, Qt::KeyboardModifiers modifiers) {
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return false;
    default:
        break;
    }
    // Ctrl alone is a shortcut; Ctrl with Alt is AltGr on Windows keyboards, which types characters.
    if ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier))
        return true;
    const bool types = std::any_of(text.begin(), text.end(), [](QChar c) { return c.isPrint(); });
    if (!types)
        return true;
    return std::all_of(text.begin(), text.end(), isDigit);
}

QString digitsOnly(QStringView text) {
    QString digits;
    for (QChar c : text) {
        if (isDigit(c))
            digits += c;
        else if (c >= u'\uFF10' && c <= u'\uFF19')
            digits += QChar(u'0' + (c.unicode() - 0xFF10));
    }
    return digits;
}

} // namespace Numbers
