#pragma once

#include <QImageIOHandler>

// Lets QImageReader read Windows metafiles like any other picture.
class WmfHandler : public QImageIOHandler {
public:
    bool canRead() const override;
    bool read(QImage* image) override;
    bool supportsOption(ImageOption option) const override;
    QVariant option(ImageOption option) const override;

    static bool canRead(QIODevice* device);

private:
    // Reads the whole file once; false when it is larger than any metafile the viewer accepts.
    bool load() const;

    mutable QByteArray bytes;
    mutable bool loaded = false;
    mutable bool loadedOk = false;
};
