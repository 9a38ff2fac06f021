// Data-file decoding and line splitting on arbitrary bytes.
#include "core/DataText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = DataText::decode(bytes);
    const QStringList lines = DataText::splitLines(text);
    qsizetype total = 0;
    for (const QString& line : lines) {
        const QString trimmed = DataText::trimSpaces(line);
        if (trimmed.size() > line.size())
            __builtin_trap();
        if (line.contains(u'\r') || line.contains(u'\n'))
            __builtin_trap();
        total += line.size();
    }
    if (total > text.size())
        __builtin_trap();
    return 0;
}
