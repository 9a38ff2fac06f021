#include "core/DataText.h"

#include "platform/CodePages.h"

#include <QDir>
#include <QStringDecoder>

namespace DataText {

namespace {

// The length of `bytes` without a lead byte cut off at its end.
qsizetype wholeCp950(QByteArrayView bytes) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x81 && c <= 0xFE) {
            if (i + 1 == bytes.size())
                return i;
            ++i;
        }
    }
    return bytes.size();
}

} // namespace

QString decodeCp950(QByteArrayView bytes) {
    // A lead byte cut off by the end of the file would be dropped silently; show it as U+FFFD.
    const qsizetype whole = wholeCp950(bytes);
    QString text = Platform::decodeCodePage950(bytes.first(whole));
    if (whole < bytes.size())
        text += QChar::ReplacementCharacter;
    return text;
}

void EncodingSniffer::feed(QByteArrayView piece) {
    if (head_.size() < 3)
        head_ += piece.first(qMin<qsizetype>(3 - head_.size(), piece.size()));
    for (const char ch : piece) {
        if (!valid_)
            return;
        const auto c = static_cast<unsigned char>(ch);
        if (pending_ > 0) {
            if ((c & 0xC0) != 0x80) {
                valid_ = false;
                return;
            }
            cp_ = (cp_ << 6) | (c & 0x3F);
            if (--pending_ == 0) {
                if (cp_ < minimum_ || cp_ > 0x10FFFF || (cp_ >= 0xD800 && cp_ <= 0xDFFF))
                    valid_ = false;
                multiByte_ = true;
            }
            continue;
        }
        if (c < 0x80)
            continue;
        if ((c & 0xE0) == 0xC0)
            pending_ = 1, cp_ = c & 0x1F, minimum_ = 0x80;
        else if ((c & 0xF0) == 0xE0)
            pending_ = 2, cp_ = c & 0x0F, minimum_ = 0x800;
        else if ((c & 0xF8) == 0xF0)
            pending_ = 3, cp_ = c & 0x07, minimum_ = 0x10000;
        else
            valid_ = false;
    }
}

Encoding EncodingSniffer::result() const {
    if (head_.startsWith("\xEF\xBB\xBF"))
        return Encoding::Utf8Bom;
    if (head_.startsWith("\xFF\xFE"))
        return Encoding::Utf16LE;
    if (head_.startsWith("\xFE\xFF"))
        return Encoding::Utf16BE;
    return valid_ && pending_ == 0 && multiByte_ ? Encoding::Utf8 : Encoding::Cp950;
}

namespace {

QStringDecoder unicodeDecoder(Encoding e) {
    switch (e) {
    case Encoding::Utf16LE:
        return QStringDecoder(QStringConverter::Utf16LE);
    case Encoding::Utf16BE:
        return QStringDecoder(QStringConverter::Utf16BE);
    default:
        return QStringDecoder(QStringConverter::Utf8);
    }
}

} // namespace

Decoder::Decoder(Encoding encoding) : encoding_(encoding), unicode_(unicodeDecoder(encoding)) {
    markLeft_ = encoding == Encoding::Utf8Bom                                      ? 3
                : (encoding == Encoding::Utf16LE || encoding == Encoding::Utf16BE) ? 2
                                                                                   : 0;
}

QString Decoder::decode(QByteArrayView piece) {
    if (markLeft_ > 0) {
        const qsizetype skip = qMin(markLeft_, piece.size());
        piece = piece.sliced(skip);
        markLeft_ -= skip;
    }
    if (encoding_ != Encoding::Cp950)
        return unicode_.decode(piece);
    // A lead byte at the end of the piece waits for its trail byte.
    QByteArray joined;
    if (!carry_.isEmpty()) {
        joined = carry_;
        piece = joined.append(piece);
    }
    const qsizetype whole = wholeCp950(piece);
    carry_ = piece.sliced(whole).toByteArray();
    return Platform::decodeCodePage950(piece.first(whole));
}

QString Decoder::finish() {
    if (encoding_ != Encoding::Cp950 || carry_.isEmpty())
        return {};
    const QString rest = decodeCp950(carry_);
    carry_.clear();
    return rest;
}

void LineSplitter::feed(QStringView piece, QStringList& lines) {
    qsizetype start = 0;
    const qsizetype n = piece.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = piece[i];
        if (c != u'\r' && c != u'\n') {
            afterCr_ = false;
            continue;
        }
        // The LF of a CR LF split by a piece's end belongs to the line already ended.
        if (c == u'\n' && afterCr_ && i == start) {
            afterCr_ = false;
            start = i + 1;
            continue;
        }
        partial_ += piece.sliced(start, i - start);
        lines.append(std::move(partial_));
        partial_ = QString();
        const bool crLf = c == u'\r' && i + 1 < n && piece[i + 1] == u'\n';
        if (crLf)
            ++i;
        afterCr_ = c == u'\r' && !crLf && i + 1 == n;
        start = i + 1;
    }
    partial_ += piece.sliced(start);
}

void LineSplitter::finish(QStringList& lines) {
    if (!partial_.isEmpty())
        lines.append(std::move(partial_));
    partial_ = QString();
    afterCr_ = false;
}

QString decode(const QByteArray& bytes) {
    EncodingSniffer sniffer;
    sniffer.feed(bytes);
    Decoder decoder(sniffer.result());
    QString text = decoder.decode(bytes);
    text += decoder.finish();
    return text;
}

QStringList splitLines(QStringView text) {
    QStringList lines;
    LineSplitter splitter;
    splitter.feed(text, lines);
    splitter.finish(lines);
    return lines;
}

QString trimSpaces(QStringView line) {
    qsizetype b = 0;
    qsizetype e = line.size();
    while (b < e && line[b] == u' ')
        ++b;
    while (e > b && line[e - 1] == u' ')
        --e;
    return line.sliced(b, e - b).toString();
}

QString dataPath(const QString& folder, const QString& relativeName) {
    QString rel = relativeName;
    rel.replace(u'\\', QDir::separator());
    if (folder.endsWith(u'/') || folder.endsWith(u'\\') || folder.isEmpty())
        return folder + rel;
    return folder + QDir::separator() + rel;
}

} // namespace DataText
