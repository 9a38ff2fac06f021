#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
// Windows code pages from the system's own tables: ICU's on Linux, the system's conversion on Windows,
// whose Qt has no ICU. Code page 950 (Big5 with the Microsoft additions) is the data files' encoding;
// metafiles name others (932, 936, 949, 1252, 28591).
namespace Platform {
// Bytes that are not whole characters of the code page become U+FFFD; the caller passes bytes that end
// on a whole character. A code page the system does not have decodes as ISO-8859-1.
[[nodiscard]] QString decodeCodePage(int codePage, QByteArrayView bytes);
[[nodiscard]] inline QString decodeCodePage950(QByteArrayView bytes) {
    return decodeCodePage(950, bytes);
}
// The code page 950 bytes of one character or a text; a character outside the code page becomes '?'.
[[nodiscard]] QByteArray encodeCodePage950(QStringView text);
} // namespace Platform
