// The calculators' number reading and display form on arbitrary text and doubles.
#include "core/Numbers.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const double read = Numbers::leadingNumber(text);
    const QString shown = Numbers::displayForm(read);
    if (shown.isEmpty() || shown.contains(u'e') || shown.contains(u'E'))
        __builtin_trap();
    // Writing then reading a finite value gives it back to display precision.
    const double again = Numbers::leadingNumber(shown);
    if (std::isfinite(read) && std::fabs(read) >= 1e-9 && std::fabs(again - read) > std::fabs(read) * 1e-14)
        __builtin_trap();
    if (size >= sizeof(double)) {
        double raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        const QString form = Numbers::displayForm(raw);
        if (form.isEmpty() || form.contains(u'e'))
            __builtin_trap();
    }
    return 0;
}
