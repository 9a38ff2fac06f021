#include "core/ThumbnailNames.h"

#include "core/FileNames.h"
#include "core/Version.h"

#include <QCryptographicHash>
#include <QDir>

#include <algorithm>
#include <array>

namespace ThumbnailNames {

namespace {

bool keptAsIs(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    static constexpr QByteArrayView kMarks = "-._~!$&'()*+,=:@/";
    return c != 0 && kMarks.contains(char(c));
}

quint32 crc32(QByteArrayView bytes) {
    static const auto kTable = [] {
        std::array<quint32, 256> table{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        return table;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (const char b : bytes)
        c = kTable[(c ^ static_cast<unsigned char>(b)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void appendBigEndian(QByteArray& out, quint32 v) {
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

} // namespace

QByteArray fileUri(QStringView absolutePath) {
    QByteArray bytes = FileNames::toBytes(absolutePath);
    // A drive letter starts the path on Windows; the URI's path always starts with a slash.
    if (!bytes.startsWith('/'))
        bytes.prepend('/');
    QByteArray uri = "file://";
    uri.reserve(uri.size() + bytes.size() * 3);
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const char ch : std::as_const(bytes)) {
        const auto c = static_cast<unsigned char>(ch);
        if (keptAsIs(c)) {
            uri.append(ch);
        } else {
            uri.append('%');
            uri.append(kHex[c >> 4]);
            uri.append(kHex[c & 15]);
        }
    }
    return uri;
}

QString entryName(const QByteArray& uri) {
    return QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) +
           QStringLiteral(".png");
}

QString cacheFolder(const QString& xdgCacheHome, const QString& home) {
    if (!xdgCacheHome.isEmpty() && QDir::isAbsolutePath(xdgCacheHome))
        return QDir::cleanPath(xdgCacheHome) + QStringLiteral("/thumbnails");
    if (!home.isEmpty() && QDir::isAbsolutePath(home))
        return QDir::cleanPath(home) + QStringLiteral("/.cache/thumbnails");
    return {};
}

QString normalPath(const QString& cacheFolder, const QByteArray& uri) {
    return cacheFolder + QStringLiteral("/normal/") + entryName(uri);
}

QString largePath(const QString& cacheFolder, const QByteArray& uri) {
    return cacheFolder + QStringLiteral("/large/") + entryName(uri);
}

QString failPath(const QString& cacheFolder, const QByteArray& uri) {
    return cacheFolder + QStringLiteral("/fail/qmquery-") + Version::text() + u'/' + entryName(uri);
}

bool matches(const QString& uriKey, const QString& mtimeKey, const QByteArray& uri, qint64 mtimeSeconds) {
    bool ok = false;
    const qint64 mtime = mtimeKey.trimmed().toLongLong(&ok);
    return ok && mtime == mtimeSeconds && uriKey.toUtf8() == uri;
}

QByteArray withTextChunks(const QByteArray& png, const QList<std::pair<QByteArray, QByteArray>>& keys) {
    // The signature, then IHDR: 4 bytes of length, 4 of type, 13 of data, 4 of checksum.
    static constexpr QByteArrayView kSignature = "\x89PNG\r\n\x1a\n";
    constexpr qsizetype kHeaderEnd = 8 + 4 + 4 + 13 + 4;
    if (png.size() < kHeaderEnd || !png.startsWith(kSignature) || png.mid(12, 4) != "IHDR")
        return png;
    QByteArray chunks;
    for (const auto& [key, value] : keys) {
        const QByteArray data = "tEXt" + key + '\0' + value;
        appendBigEndian(chunks, quint32(data.size() - 4));
        chunks.append(data);
        appendBigEndian(chunks, crc32(data));
    }
    QByteArray out = png.left(kHeaderEnd);
    out.append(chunks).append(png.mid(kHeaderEnd));
    return out;
}

QSize fitted(QSize size, int side) {
    if (!size.isValid() || size.isEmpty() || side <= 0)
        return {};
    if (size.width() <= side && size.height() <= side)
        return size;
    const qint64 w = size.width();
    const qint64 h = size.height();
    if (w >= h)
        return {side, int(std::max<qint64>(1, (h * side + w / 2) / w))};
    return {int(std::max<qint64>(1, (w * side + h / 2) / h)), side};
}

} // namespace ThumbnailNames
