#pragma once

#include "forms/FormBase.h"

#include <array>

class QGroupBox;
class QPushButton;

// The main menu: two pages of buttons, each opening one window of the tool.
class Form1 : public FormBase {
    Q_OBJECT
public:
    Form1();

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    // Command1..Command20 at indexes 1..20; index 0 is unused.
    std::array<QPushButton*, 21> Command{};

protected:
    void Form_Load() override;
    void Form_Unload() override;

private slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Command14_Click();
    void Command20_Click();
};
