#include "core/DataText.h"

#include <QDir>
#include <QStringDecoder>

namespace DataText {

namespace {

// True when the bytes are well-formed UTF-8 and at least one sequence is multi-byte.
bool isMultiByteUtf8(QByteArrayView bytes) {
    bool sawMultiByte = false;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            cp = c & 0x1F;
            minimum = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            cp = c & 0x0F;
            minimum = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            cp = c & 0x07;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(bytes[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        sawMultiByte = true;
        i += extra + 1;
    }
    return sawMultiByte;
}

} // namespace

QString decodeCp950(QByteArrayView bytes) {
    // "cp950" under ICU is IBM's table (F9F9..F9FE become private-use); "windows-950" is the one
    // Windows editors write.
    // A lead byte cut off by the end of the file would be dropped silently; show it as U+FFFD.
    bool danglingLead = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x81 && c <= 0xFE) {
            if (i + 1 == bytes.size())
                danglingLead = true;
            ++i;
        }
    }
    if (danglingLead)
        bytes.chop(1);
    QStringDecoder decoder("windows-950", QStringConverter::Flag::Stateless);
    // Without ICU, the system's conversion is the best remaining guess.
    QStringDecoder system(QStringConverter::System, QStringConverter::Flag::Stateless);
    QString text = decoder.isValid() ? decoder.decode(bytes) : system.decode(bytes);
    if (danglingLead)
        text += QChar::ReplacementCharacter;
    return text;
}

QString decode(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder d(QStringConverter::Utf8);
        return d.decode(QByteArrayView(bytes).sliced(3));
    }
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder d(QStringConverter::Utf16LE);
        return d.decode(QByteArrayView(bytes).sliced(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder d(QStringConverter::Utf16BE);
        return d.decode(QByteArrayView(bytes).sliced(2));
    }
    if (isMultiByteUtf8(bytes))
        return QString::fromUtf8(bytes);
    return decodeCp950(bytes);
}

QStringList splitLines(QStringView text) {
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.sliced(start, i - start).toString());
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.sliced(start).toString());
    return lines;
}

QString trimSpaces(QStringView line) {
    qsizetype b = 0;
    qsizetype e = line.size();
    while (b < e && line[b] == u' ')
        ++b;
    while (e > b && line[e - 1] == u' ')
        --e;
    return line.sliced(b, e - b).toString();
}

QString dataPath(const QString& folder, const QString& relativeName) {
    QString rel = relativeName;
    rel.replace(u'\\', QDir::separator());
    if (folder.endsWith(u'/') || folder.endsWith(u'\\') || folder.isEmpty())
        return folder + rel;
    return folder + QDir::separator() + rel;
}

} // namespace DataText
