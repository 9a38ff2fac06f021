#pragma once

#include "forms/FormBase.h"

// Synthesis table: the data file as a list, the picked line in full above it.
class Form3 : public FormBase {
    Q_OBJECT
public:
    Form3();

protected:
    void Form_Load() override;
};
