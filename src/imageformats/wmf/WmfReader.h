#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>
#include <QString>

// Reading and playing Windows metafiles. Needs QtGui for QPainter, never QtWidgets.
namespace Wmf {

// The viewer's allocation limit applies to the rendered picture and to every bitmap inside it.
inline constexpr int maxSide = 16384;
inline constexpr qint64 maxImageBytes = 64 * 1024 * 1024;
inline constexpr qint64 maxFileBytes = 64 * 1024 * 1024;
inline constexpr int maxRecords = 1'000'000;
inline constexpr int maxSaveDepth = 256;

// True when the first bytes start a metafile, placeable or not; needs at most 22 bytes.
[[nodiscard]] bool looksLikeWmf(QByteArrayView head);

// Decodes text drawn with a font of the given character set (136 Big5, 0 ANSI, ...).
[[nodiscard]] QString decodeText(QByteArrayView bytes, int charset);

// The picture's natural size in pixels at 96 dots per inch, or an empty size with the reason in *error.
[[nodiscard]] QSize naturalSize(QByteArrayView data, QString* error = nullptr);

// Plays the whole metafile into a transparent picture of its natural size. A null image means the file
// is malformed or beyond the limits, with the reason in *error.
[[nodiscard]] QImage render(QByteArrayView data, QString* error = nullptr);

} // namespace Wmf
