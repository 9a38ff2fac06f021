#pragma once

#include "forms/FormBase.h"

// Picture viewer for the game's screenshots.
class showpic : public FormBase {
    Q_OBJECT
public:
    showpic();

protected:
    void Form_Load() override;
};
