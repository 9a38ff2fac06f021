#pragma once

#include "forms/FormBase.h"

// Cooking and medicine: the data file as a list, the picked line in full above it.
class Form7 : public FormBase {
    Q_OBJECT
public:
    Form7();

protected:
    void Form_Load() override;
};
