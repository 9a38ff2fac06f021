#pragma once

#include "forms/FormBase.h"

// Player skills: four groups, the chosen group's file below.
class Form8 : public FormBase {
    Q_OBJECT
public:
    Form8();

protected:
    void Form_Load() override;
};
