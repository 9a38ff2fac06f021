#pragma once

#include "forms/FormBase.h"

// Character stat calculator.
class frmcalc : public FormBase {
    Q_OBJECT
public:
    frmcalc();

protected:
    void Form_Load() override;
};
