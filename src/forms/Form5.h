#pragma once

#include "forms/FormBase.h"

// Quest guide: quests by level band, each quest's text and related pictures.
class Form5 : public FormBase {
    Q_OBJECT
public:
    Form5();

protected:
    void Form_Load() override;
};
