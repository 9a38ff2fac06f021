#pragma once

#include "forms/FormBase.h"

// Usage notes: a fixed text.
class Form6 : public FormBase {
    Q_OBJECT
public:
    Form6();

protected:
    void Form_Load() override;
};
