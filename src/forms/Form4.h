#pragma once

#include "forms/FormBase.h"

#include <QString>

#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class TextBox;

// Profession details: 28 profession buttons, the chosen profession's file below.
class Form4 : public FormBase {
    Q_OBJECT
public:
    Form4();

    // The data file of button `number` (1..28), relative to the program folder.
    [[nodiscard]] static QString professionFile(int number);
    [[nodiscard]] static QString professionCaption(int number);
    // Shows profession `number` as its button does, pressed or (greyed) not.
    void showProfessionOf(int number) { showProfession(number); }

    QGroupBox* Frame1 = nullptr;
    // Command1..Command28 at indexes 1..28; index 0 is unused.
    std::array<QPushButton*, 29> Command{};
    QLabel* Label1 = nullptr;
    TextBox* Text1 = nullptr;

protected:
    void Form_Load() override;
    void Form_Resize() override;

private:
    void showProfession(int number);

private slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Command14_Click();
    void Command15_Click();
    void Command16_Click();
    void Command17_Click();
    void Command18_Click();
    void Command19_Click();
    void Command20_Click();
    void Command21_Click();
    void Command22_Click();
    void Command23_Click();
    void Command24_Click();
    void Command25_Click();
    void Command26_Click();
    void Command27_Click();
    void Command28_Click();
};
