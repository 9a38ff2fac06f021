#pragma once

#include "forms/ListDetailForm.h"

// Synthesis table: placed first, then its file is read as it stands.
class Form3 : public ListDetailForm {
    Q_OBJECT
public:
    Form3();

    [[nodiscard]] static const Design& design();
};
