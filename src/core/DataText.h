#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Reading of the players' data files: decoding, line splitting, trimming, path forming.
namespace DataText {

// Decodes a data file's bytes. A UTF-8 or UTF-16 byte-order mark selects that encoding; text that is
// valid UTF-8 with at least one multi-byte sequence is UTF-8; everything else is code page 950.
// Undecodable bytes become U+FFFD.
[[nodiscard]] QString decode(const QByteArray& bytes);

// Code page 950 as Windows defines it (Big5 with the Microsoft additions).
[[nodiscard]] QString decodeCp950(QByteArrayView bytes);

// CR LF, a lone CR and a lone LF each end a line. The last line counts without a line end; a line end
// after it adds no empty line; an empty text has no lines.
[[nodiscard]] QStringList splitLines(QStringView text);

// Removes leading and trailing ASCII spaces only: tabs and the ideographic space U+3000 stay.
[[nodiscard]] QString trimSpaces(QStringView line);

// Program folder + "/" (unless the folder already ends in a separator) + the relative name, whose
// backslashes become the platform's separator.
[[nodiscard]] QString dataPath(const QString& folder, const QString& relativeName);

} // namespace DataText
