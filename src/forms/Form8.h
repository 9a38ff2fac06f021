#pragma once

#include "forms/FormBase.h"

#include <array>

class QPushButton;
class TextBox;

// Player skills: four groups, the chosen group's file below.
class Form8 : public FormBase {
    Q_OBJECT
public:
    Form8();

    // Group button `index` (0..3): its caption, which names its file too.
    [[nodiscard]] static QString groupCaption(int index);

    // A control array: one click handler for the four group buttons.
    std::array<QPushButton*, 4> Command1{};
    TextBox* Text1 = nullptr;

protected:
    void Form_Load() override;
    void Form_Resize() override;

private slots:
    void Command1_Click(int Index);
};
