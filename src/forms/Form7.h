#pragma once

#include "forms/ListDetailForm.h"

// Cooking and medicine: its file is read with lines trimmed, then the window is placed.
class Form7 : public ListDetailForm {
    Q_OBJECT
public:
    Form7();

    [[nodiscard]] static const Design& design();
};
