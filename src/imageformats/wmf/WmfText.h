#pragma once

#include <QByteArrayView>
#include <QList>
#include <QString>

#include <utility>

// Text in a font's character set; decodeText itself is declared in WmfReader.h.
namespace Wmf {

// Splits the bytes into characters (one or two bytes each) with the byte count of each, so per-byte
// advances can be summed per character.
[[nodiscard]] QList<std::pair<QString, int>> splitCharacters(QByteArrayView bytes, int charset);

} // namespace Wmf
