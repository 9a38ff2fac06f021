#pragma once

#include "forms/FormBase.h"

// Article reader: players' articles six titles to a page.
class Form10 : public FormBase {
    Q_OBJECT
public:
    Form10();

protected:
    void Form_Load() override;
};
