#pragma once

#include "forms/FormBase.h"

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TextBox;

// Production experience calculator: the experience one use of a production skill earns at each level
// below the skill's current one.
class Form9 : public FormBase {
    Q_OBJECT
public:
    Form9();

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text3 = nullptr;
    QPushButton* Command2 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* Command1 = nullptr;
    // 0: result line, 1: header of the level lines, 2 to 10: one line per level.
    std::array<QLabel*, 11> Label5{};
    TextBox* Text4 = nullptr;

protected:
    void Form_Load() override;

private slots:
    void Text1_Change();
    void Text2_Change();
    void Text3_Change();
    void Check1_Click();
    void Command1_Click();
    void Command2_Click();
};
