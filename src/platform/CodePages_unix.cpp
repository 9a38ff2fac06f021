#include "platform/CodePages.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Platform {

namespace {

// ICU's names for the tables Windows uses. "cp950" under ICU is IBM's table (F9F9..F9FE become
// private-use); "windows-950" is the one Windows editors write.
const char* icuName(int codePage) {
    switch (codePage) {
    case 950:
        return "windows-950";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 1252:
        return "windows-1252";
    default:
        return "ISO-8859-1";
    }
}

} // namespace

QString decodeCodePage(int codePage, QByteArrayView bytes) {
    QStringDecoder decoder(icuName(codePage), QStringConverter::Flag::Stateless);
    return decoder.isValid() ? decoder.decode(bytes) : QString::fromLatin1(bytes);
}

QByteArray encodeCodePage950(QStringView text) {
    // Sorting encodes a character at a time: keep one encoder per thread.
    thread_local QStringEncoder encoder(icuName(950), QStringConverter::Flag::Stateless);
    encoder.resetState();
    return encoder.isValid() ? QByteArray(encoder.encode(text)) : QByteArray(text.size(), '?');
}

} // namespace Platform
