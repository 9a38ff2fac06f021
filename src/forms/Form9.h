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

    QLabel* Label1;
    QLineEdit* Text1;
    QLabel* Label2;
    QLineEdit* Text2;
    QLabel* Label4;
    QLabel* Label3;
    QLineEdit* Text3;
    QPushButton* Command2;
    QCheckBox* Check1;
    QPushButton* Command1;
    // 0: result line, 1: header of the level lines, 2 to 10: one line per level.
    std::array<QLabel*, 11> Label5{};
    TextBox* Text4;

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
