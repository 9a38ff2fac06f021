#include "platform/CodePages.h"

#include <qt_windows.h>

namespace Platform {

namespace {

// A code page and which bytes start a two-byte character in it, looked up once per text.
struct CodePage {
    explicit CodePage(int id) : id(id) {
        CPINFO info;
        if (!GetCPInfo(id, &info) || info.MaxCharSize != 2)
            return;
        for (int r = 0; r + 1 < MAX_LEADBYTES && info.LeadByte[r] != 0; r += 2)
            for (int c = info.LeadByte[r]; c <= info.LeadByte[r + 1]; ++c)
                leads[c] = true;
    }
    [[nodiscard]] qsizetype length(QByteArrayView bytes, qsizetype i) const {
        return leads[static_cast<unsigned char>(bytes[i])] && i + 1 < bytes.size() ? 2 : 1;
    }
    int id;
    bool leads[256] = {};
};

// Appends `bytes` converted strictly; false (and nothing appended) when some byte is not part of a
// character of the code page.
bool appendStrict(const CodePage& codePage, QByteArrayView bytes, QString& out) {
    if (bytes.isEmpty())
        return true;
    const int size = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage.id, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (needed <= 0)
        return false;
    const qsizetype at = out.size();
    out.resize(at + needed);
    MultiByteToWideChar(codePage.id, MB_ERR_INVALID_CHARS, bytes.data(), size,
                        reinterpret_cast<wchar_t*>(out.data() + at), needed);
    return true;
}

// A character at a time, each one that is no character becoming U+FFFD; a lead byte followed by a byte
// that cannot trail (ASCII below '@') loses only itself, as ICU's decoders do.
void appendLenient(const CodePage& codePage, QByteArrayView bytes, QString& out) {
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length = codePage.length(bytes, i);
        if (appendStrict(codePage, bytes.sliced(i, length), out)) {
            i += length;
            continue;
        }
        out += QChar::ReplacementCharacter;
        const bool trailUsable = length == 2 && static_cast<unsigned char>(bytes[i + 1]) >= 0x40;
        i += trailUsable ? 2 : 1;
    }
}

} // namespace

QString decodeCodePage(int id, QByteArrayView bytes) {
    if (!IsValidCodePage(id))
        return QString::fromLatin1(bytes);
    const CodePage codePage(id);
    QString out;
    out.reserve(bytes.size());
    // Whole blocks at a time, each ending on a character; only a block holding a bad byte goes one
    // character at a time.
    constexpr qsizetype kBlock = 64 * 1024;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && end - start < kBlock)
            end += codePage.length(bytes, end);
        const QByteArrayView block = bytes.sliced(start, end - start);
        if (!appendStrict(codePage, block, out))
            appendLenient(codePage, block, out);
        start = end;
    }
    return out;
}

QByteArray encodeCodePage950(QStringView text) {
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int size = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(950, 0, wide, size, nullptr, 0, nullptr, nullptr);
    QByteArray bytes(qMax(needed, 0), Qt::Uninitialized);
    WideCharToMultiByte(950, 0, wide, size, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

} // namespace Platform
