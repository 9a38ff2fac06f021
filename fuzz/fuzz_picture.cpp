// The viewer's picture loading: the BMP length check, the size budget and the JPEG scan count, then Qt's
// readers for BMP, GIF, ICO and JPEG, on arbitrary bytes saved under each picture extension in turn.
#include "platform/PictureFile.h"

#include <QFile>
#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

namespace {
QGuiApplication* app() {
    static int argc = 1;
    static char name[] = "fuzz_picture";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* instance = new QGuiApplication(argc, argv);
    return instance;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    app();
    static const char* const kExtensions[] = {"bmp", "gif", "ico", "jpg"};
    const char* ext = kExtensions[size > 0 ? data[0] % 4 : 0];
    const QString path = QStringLiteral("/dev/shm/qmquery_fuzz_picture.") + QLatin1String(ext);
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const Platform::PictureLoad load = Platform::loadPicture(path);
    if (load.error == Platform::PictureError::None && load.image.isNull())
        __builtin_trap();
    if (!load.image.isNull() &&
        !PictureBudget::fits(load.image.width(), load.image.height(), PictureBudget::kBytes))
        __builtin_trap();
    if (load.error == Platform::PictureError::TooLarge &&
        PictureBudget::fits(load.size.width(), load.size.height(), PictureBudget::kBytes))
        __builtin_trap();
    return 0;
}
