#pragma once

#include "forms/FormBase.h"

// Profession details: 28 profession buttons, the chosen profession's file below.
class Form4 : public FormBase {
    Q_OBJECT
public:
    Form4();

protected:
    void Form_Load() override;
};
