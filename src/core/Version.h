#pragma once

#include <QString>

// The program's version, written major.minor.revision in plain decimal in window titles.
namespace Version {

// From the build's project version, the one place it is written.
inline constexpr int kMajor = QMQUERY_VERSION_MAJOR;
inline constexpr int kMinor = QMQUERY_VERSION_MINOR;
inline constexpr int kRevision = QMQUERY_VERSION_PATCH;

[[nodiscard]] inline QString text() {
    return QString::number(kMajor) + u'.' + QString::number(kMinor) + u'.' + QString::number(kRevision);
}

} // namespace Version
