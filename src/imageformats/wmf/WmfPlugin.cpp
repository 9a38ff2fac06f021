#include "WmfPlugin.h"

#include "WmfHandler.h"

QImageIOPlugin::Capabilities WmfPlugin::capabilities(QIODevice* device, const QByteArray& format) const {
    if (format == "wmf")
        return CanRead;
    if (!format.isEmpty() || !device || !device->isOpen())
        return {};
    return WmfHandler::canRead(device) ? Capabilities(CanRead) : Capabilities();
}

QImageIOHandler* WmfPlugin::create(QIODevice* device, const QByteArray& format) const {
    auto* handler = new WmfHandler;
    handler->setDevice(device);
    handler->setFormat(format.isEmpty() ? QByteArrayLiteral("wmf") : format);
    return handler;
}
