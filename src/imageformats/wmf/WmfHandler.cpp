#include "WmfHandler.h"

#include "WmfReader.h"

#include <QImage>
#include <QVariant>

#include <algorithm>

bool WmfHandler::canRead() const {
    if (loaded ? loadedOk && Wmf::looksLikeWmf(bytes) : canRead(device())) {
        setFormat("wmf");
        return true;
    }
    return false;
}

bool WmfHandler::canRead(QIODevice* device) {
    return device && Wmf::looksLikeWmf(device->peek(22));
}

bool WmfHandler::load() const {
    if (loaded)
        return loadedOk;
    loaded = true;
    QIODevice* dev = device();
    if (!dev)
        return false;
    // Read in pieces rather than reserving the limit up front; one byte past the limit means too large.
    while (bytes.size() <= Wmf::maxFileBytes) {
        const QByteArray piece = dev->read(std::min<qint64>(1 << 20, Wmf::maxFileBytes + 1 - bytes.size()));
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    loadedOk = bytes.size() <= Wmf::maxFileBytes;
    if (!loadedOk)
        bytes.clear();
    return loadedOk;
}

bool WmfHandler::read(QImage* image) {
    if (!image || !load())
        return false;
    QImage result = Wmf::render(bytes);
    if (result.isNull())
        return false;
    *image = result;
    return true;
}

bool WmfHandler::supportsOption(ImageOption option) const {
    return option == Size;
}

QVariant WmfHandler::option(ImageOption option) const {
    if (option != Size || !load())
        return {};
    const QSize size = Wmf::naturalSize(bytes);
    return size.isEmpty() ? QVariant() : QVariant(size);
}
