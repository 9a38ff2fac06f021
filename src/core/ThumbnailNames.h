#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>
#include <QString>

#include <utility>

// Where the desktop's shared thumbnail cache keeps a file's thumbnail, and when a thumbnail found there
// still belongs to the file. File managers and the viewer read and write the same entries, so each one's
// thumbnails serve the other.
namespace ThumbnailNames {

// Longest side of the two sizes the cache holds, in pixels.
inline constexpr int kNormal = 128;
inline constexpr int kLarge = 256;

// The file URI of an absolute path as the cache names it: each byte of the name (core/FileNames keeps
// bytes that are not UTF-8) percent-encoded unless it is a letter, a digit or one of -._~!$&'()*+,=:@/.
// The path's separators are to be slashes; a Windows path ("C:/a b") becomes file:///C:/a%20b.
[[nodiscard]] QByteArray fileUri(QStringView absolutePath);

// The entry's file name: the MD5 of the URI in lower-case hex, then ".png".
[[nodiscard]] QString entryName(const QByteArray& uri);

// The cache's folder from $XDG_CACHE_HOME and the home folder; a value that is not absolute is ignored,
// as the base directory rules say. Empty when neither is usable.
[[nodiscard]] QString cacheFolder(const QString& xdgCacheHome, const QString& home);

// The normal-size entry, the large one, and the record of a failure to make one (kept per program and
// version, so a later version tries again).
[[nodiscard]] QString normalPath(const QString& cacheFolder, const QByteArray& uri);
[[nodiscard]] QString largePath(const QString& cacheFolder, const QByteArray& uri);
[[nodiscard]] QString failPath(const QString& cacheFolder, const QByteArray& uri);

// Whether an entry's Thumb::URI and Thumb::MTime keys name this file as it is now (its modification
// time in whole seconds, as the keys write it).
[[nodiscard]] bool matches(const QString& uriKey, const QString& mtimeKey, const QByteArray& uri,
                           qint64 mtimeSeconds);

// A PNG file with tEXt chunks holding `keys` (Latin-1 names and values, as the cache's keys are) put
// right after its header, where readers look for them before the picture; the PNG unchanged when it is
// not one.
[[nodiscard]] QByteArray withTextChunks(const QByteArray& png,
                                        const QList<std::pair<QByteArray, QByteArray>>& keys);

// A picture of `size` fitted within a square of `side`, keeping its shape, never enlarged, at least a
// pixel each way; invalid for an invalid size.
[[nodiscard]] QSize fitted(QSize size, int side);

} // namespace ThumbnailNames
