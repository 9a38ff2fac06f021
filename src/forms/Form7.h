#pragma once

#include "forms/FormBase.h"

class ListBox;
class TextBox;

// Cooking and medicine: the data file as a list, the picked line in full above it.
class Form7 : public FormBase {
    Q_OBJECT
public:
    Form7();

    TextBox* Text1;
    ListBox* List1;

protected:
    void Form_Load() override;
    void Form_Resize() override;

private slots:
    void List1_Click();
};
