#pragma once

#include "forms/FormBase.h"

class QImage;

// Picture viewer for the game's screenshots.
class showpic : public FormBase {
    Q_OBJECT
public:
    showpic();

    // Lists only the pictures of `folder` that match `pattern`, without the navigation controls.
    void showPictureList(const QString& folder, const QString& pattern, const QImage& picture);

protected:
    void Form_Load() override;
};
