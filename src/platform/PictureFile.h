#pragma once

#include "core/PictureBudget.h"
#include "platform/Files.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <optional>

class QFile;

// Loading a picture file at its natural size through Qt's image readers, so that any registered image
// plugin is used too. Safe to run on any thread; it touches no widget.
namespace Platform {

enum class PictureError {
    None,
    Invalid,  // not a picture the viewer offers, a broken or lying one, or not a regular file
    NotFound, // gone, or a folder on its way is
    Other,    // there but unreadable: no permission, a loop of links, an input/output error
    TooLarge, // an intact picture whose decoded size exceeds the budget
};

struct PictureLoad {
    QImage image;
    PictureError error = PictureError::None;
    QString reason;
    QSize size;      // the picture's size in pixels, when its header told it
    FileStamp stamp; // the file as it was opened, or what the path named when it could not be
};

// The outcome for a path that is not a regular file one can open.
[[nodiscard]] PictureError errorFor(OpenResult kind);

// Sets what Qt's readers may allocate to the budget; once, and best first from the interface thread,
// before any picture is decoded elsewhere (the setting is shared by every thread).
void prepareReaders();

// Opens only a regular file; refuses a picture whose decoded size exceeds `budgetBytes`, a header that
// claims more pixels than its file can hold, and a JPEG with far more scans than encoders write.
// `cancelled`, when set meanwhile, stops the work before the decode starts.
[[nodiscard]] PictureLoad loadPicture(const QString& path, qint64 budgetBytes = PictureBudget::kBytes,
                                      const std::atomic_bool* cancelled = nullptr);

// As loadPicture after the same checks, but decoded scaled down to fit a square of `side` pixels (never
// enlarged). A metafile is refused as Invalid: what its drawing costs is not bounded by its size.
[[nodiscard]] PictureLoad loadScaledPicture(const QString& path, int side,
                                            qint64 budgetBytes = PictureBudget::kBytes,
                                            const std::atomic_bool* cancelled = nullptr);

// A picture this small decodes in a few milliseconds, even a JPEG of the most scans allowed: less than
// handing it to another thread and back would add. Two megapixels take in a full-HD screenshot.
inline constexpr qint64 kSmallPixels = 1920 * 1088;

// As loadPicture for a picture whose header tells at most kSmallPixels (a metafile is never small); for
// any other, nothing once the header is read. A failure found on the way is the outcome.
[[nodiscard]] std::optional<PictureLoad> loadSmallPicture(const QString& path,
                                                          qint64 budgetBytes = PictureBudget::kBytes);

} // namespace Platform
