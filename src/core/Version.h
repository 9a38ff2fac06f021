#pragma once

#include <QString>

// The program's version, written major.minor.revision in plain decimal in window titles.
namespace Version {

inline constexpr int kMajor = 1;
inline constexpr int kMinor = 0;
inline constexpr int kRevision = 116;

[[nodiscard]] inline QString text() {
    return QString::number(kMajor) + u'.' + QString::number(kMinor) + u'.' + QString::number(kRevision);
}

} // namespace Version
