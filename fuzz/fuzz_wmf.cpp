// libFuzzer entry for the metafile reader, driven through its image handler as QImageReader would.

#include "imageformats/wmf/WmfHandler.h"
#include "imageformats/wmf/WmfReader.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QVariant>

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Fonts need a GUI application; no display is needed to draw into images.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_wmf";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    WmfHandler handler;
    handler.setDevice(&buffer);
    const bool claimed = handler.canRead();
    const QVariant size2 = handler.option(QImageIOHandler::Size);
    QImage image;
    const bool read = handler.read(&image);
    // A picture the handler delivers must have the size it announced and never exceed the limits.
    if (read && (!claimed || image.size() != size2.toSize() ||
                 qint64(image.width()) * image.height() * 4 > Wmf::maxImageBytes))
        __builtin_trap();
    return 0;
}
