#pragma once

#include "forms/FormBase.h"

class QGroupBox;
class QPushButton;
class ListBox;
class TextBox;

// Coordinate lookup: one region file at a time as a list, the picked entry in full above it.
class Form2 : public FormBase {
    Q_OBJECT
public:
    Form2();

    // Region button `number` (1..3): its caption, its data file, and whether its lines are trimmed.
    [[nodiscard]] static QString regionCaption(int number);
    [[nodiscard]] static QString regionFile(int number);
    [[nodiscard]] static bool regionTrimmed(int number);

    QGroupBox* Frame1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QGroupBox* Frame2 = nullptr;
    TextBox* Text1 = nullptr;
    ListBox* List1 = nullptr;

protected:
    void Form_Load() override;

private:
    void showRegion(int number);

private slots:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void List1_Click();
};
