#include "core/FileNames.h"

#include "core/DataText.h"

#include <QStringList>

namespace FileNames {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isEscape(QStringView s, qsizetype i) {
    const char16_t c = s[i].unicode();
    if (c < 0xDC80 || c > 0xDCFF)
        return false;
    // The low half of a proper surrogate pair is a character, not an escaped byte.
    return i == 0 || !s[i - 1].isHighSurrogate();
}

// The well-formed UTF-8 sequence at `i`: its length (0 when there is none) and its code point. Decoded
// here rather than by Qt, which would drop a byte-order mark at the start of a name.
int sequenceAt(QByteArrayView b, qsizetype i, char32_t& cp) {
    const auto c = static_cast<unsigned char>(b[i]);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    int extra = 0;
    char32_t minimum = 0;
    if ((c & 0xE0) == 0xC0) {
        extra = 1, cp = c & 0x1F, minimum = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        extra = 2, cp = c & 0x0F, minimum = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        extra = 3, cp = c & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + extra >= b.size())
        return 0;
    for (int k = 1; k <= extra; ++k) {
        const auto cc = static_cast<unsigned char>(b[i + k]);
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return extra + 1;
}

} // namespace

QString fromBytes(QByteArrayView raw) {
    QString name;
    name.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size();) {
        char32_t cp = 0;
        const int n = sequenceAt(raw, i, cp);
        if (n == 0) {
            name += QChar(char16_t(kEscapeBase + static_cast<unsigned char>(raw[i])));
            ++i;
        } else {
            name += QStringView(QChar::fromUcs4(cp));
            i += n;
        }
    }
    return name;
}

QByteArray toBytes(QStringView name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!isEscape(name, i))
            continue;
        bytes += name.sliced(start, i - start).toUtf8();
        bytes += char(name[i].unicode() - kEscapeBase);
        start = i + 1;
    }
    bytes += name.sliced(start).toUtf8();
    return bytes;
}

bool hasRawBytes(QStringView name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isEscape(name, i))
            return true;
    }
    return false;
}

QString display(QStringView name) {
    if (!hasRawBytes(name))
        return name.toString();
    return DataText::decodeCp950(toBytes(name));
}

QString displayPath(QStringView path) {
    if (!hasRawBytes(path))
        return path.toString();
    QStringList parts;
    for (const QStringView part : path.split(u'/'))
        parts.append(display(part));
    return parts.join(u'/');
}

} // namespace FileNames
