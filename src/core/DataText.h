#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>
#include <QStringList>

// Reading of the players' data files: decoding, line splitting, trimming, path forming.
namespace DataText {

enum class Encoding { Cp950, Utf8, Utf8Bom, Utf16LE, Utf16BE };

// Tells a data file's encoding from its bytes, fed in pieces: a UTF-8 or UTF-16 byte-order mark selects
// that encoding; text that is valid UTF-8 with at least one multi-byte sequence is UTF-8; everything
// else is code page 950.
class EncodingSniffer {
public:
    void feed(QByteArrayView piece);
    [[nodiscard]] Encoding result() const;

private:
    QByteArray head_;
    int pending_ = 0; // continuation bytes still expected
    char32_t cp_ = 0;
    char32_t minimum_ = 0;
    bool valid_ = true;
    bool multiByte_ = false;
};

// Decodes a file piece by piece; a character cut by a piece's end waits for the next piece.
class Decoder {
public:
    explicit Decoder(Encoding encoding);
    [[nodiscard]] QString decode(QByteArrayView piece);
    // What is left at the end: a cut-off character shows as U+FFFD.
    [[nodiscard]] QString finish();

private:
    Encoding encoding_;
    qsizetype markLeft_ = 0; // bytes of the byte-order mark still to skip
    QStringDecoder unicode_;
    QByteArray carry_;
};

// Splits text fed in pieces into lines, as splitLines does.
class LineSplitter {
public:
    void feed(QStringView piece, QStringList& lines);
    void finish(QStringList& lines);
    // Characters of the line not ended yet.
    [[nodiscard]] qsizetype pending() const { return partial_.size(); }

private:
    QString partial_;
    bool afterCr_ = false;
};

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
