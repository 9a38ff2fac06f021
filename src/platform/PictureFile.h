#pragma once

#include <QImage>
#include <QString>

// Loading a picture file at its natural size through Qt's image readers, so that any registered
// image plugin is used too.
namespace Platform {

enum class PictureError { None, Invalid, NotFound, Other };

struct PictureLoad {
    QImage image;
    PictureError error = PictureError::None;
    QString reason;
};

// Largest decoded picture accepted, in megabytes: a header claiming more is an invalid picture.
inline constexpr int kPictureAllocationLimitMb = 64;

[[nodiscard]] PictureLoad loadPicture(const QString& path);

} // namespace Platform
