#pragma once

#include <QByteArray>
#include <QString>

// File names as a folder listing gives them. On Linux a name is bytes, and an archive made on Windows
// leaves code page 950 names that are not UTF-8; Qt's own conversion would lose those bytes. These
// names travel as a QString that keeps every byte, so a listed name always opens the file it came from.
namespace FileNames {

// Valid UTF-8 decodes as usual; every byte of an invalid sequence becomes the lone surrogate
// U+DC00 + byte (0x80..0xFF), which no decoded name contains.
[[nodiscard]] QString fromBytes(QByteArrayView raw);

// The bytes `fromBytes` was given; other text is encoded as UTF-8.
[[nodiscard]] QByteArray toBytes(QStringView name);

// Whether the name carries bytes that are not UTF-8.
[[nodiscard]] bool hasRawBytes(QStringView name);

// What a list shows for a name: a name whose bytes are not UTF-8 is read as code page 950.
[[nodiscard]] QString display(QStringView name);

// What a message shows for a path: each name read as `display` reads it, so a folder named in UTF-8 and a
// file named in code page 950 both read right.
[[nodiscard]] QString displayPath(QStringView path);

} // namespace FileNames
