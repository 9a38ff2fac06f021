#pragma once

#include "forms/FormBase.h"

class TextBox;

// Usage notes: a fixed text, editable for the moment but shown afresh at every opening.
class Form6 : public FormBase {
    Q_OBJECT
public:
    Form6();

    // The notes as the window shows them, every line ended by CR LF.
    [[nodiscard]] static QString usageText();

    TextBox* Text1 = nullptr;

protected:
    void Form_Load() override;
};
