// The quest guide's reading of a quest text's start: restriction code and picture marker.
#include "core/QuestText.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const QuestText::Reading r = QuestText::read(text, (data[0] & 1) != 0);
    // Reading only ever removes characters from the front.
    if (!text.endsWith(r.rest))
        __builtin_trap();
    if (!r.picCode.isEmpty() && r.picCode.size() != 2)
        __builtin_trap();
    return 0;
}
