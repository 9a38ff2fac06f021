// Data-file decoding and line splitting on arbitrary bytes: read whole and read in two pieces cut
// anywhere must agree; a file name kept as bytes must give its bytes back.
#include "core/DataText.h"
#include "core/FileNames.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = DataText::decode(bytes);
    const QStringList lines = DataText::splitLines(text);
    qsizetype total = 0;
    for (const QString& line : lines) {
        const QString trimmed = DataText::trimSpaces(line);
        if (trimmed.size() > line.size())
            __builtin_trap();
        if (line.contains(u'\r') || line.contains(u'\n'))
            __builtin_trap();
        total += line.size();
    }
    if (total > text.size())
        __builtin_trap();

    // The first byte picks where the file is cut in two.
    const qsizetype cut = size == 0 ? 0 : data[0] % (bytes.size() + 1);
    DataText::EncodingSniffer sniffer;
    sniffer.feed(QByteArrayView(bytes).first(cut));
    sniffer.feed(QByteArrayView(bytes).sliced(cut));
    DataText::Decoder decoder(sniffer.result());
    DataText::LineSplitter splitter;
    QStringList pieces;
    splitter.feed(decoder.decode(QByteArrayView(bytes).first(cut)), pieces);
    splitter.feed(decoder.decode(QByteArrayView(bytes).sliced(cut)), pieces);
    splitter.feed(decoder.finish(), pieces);
    splitter.finish(pieces);
    if (pieces != lines)
        __builtin_trap();

    if (!bytes.contains('\0') && FileNames::toBytes(FileNames::fromBytes(bytes)) != bytes)
        __builtin_trap();
    return 0;
}
