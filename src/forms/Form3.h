#pragma once

#include "forms/FormBase.h"

class ListBox;
class TextBox;

// Synthesis table: the data file as a list, the picked line in full above it.
class Form3 : public FormBase {
    Q_OBJECT
public:
    Form3();

    TextBox* Text1;
    ListBox* List1;

protected:
    void Form_Load() override;
    void Form_Resize() override;

private slots:
    void List1_Click();
};
