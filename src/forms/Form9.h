#pragma once

#include "forms/FormBase.h"

// Production experience calculator.
class Form9 : public FormBase {
    Q_OBJECT
public:
    Form9();

protected:
    void Form_Load() override;
};
