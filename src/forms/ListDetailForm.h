#pragma once

#include "forms/FormBase.h"

class ListBox;
class TextBox;

// One data file as a list of lines, the picked line in full in a detail box above it; the list follows
// the window's size. The synthesis table and the cooking and medicine windows are two of these.
class ListDetailForm : public FormBase {
    Q_OBJECT
public:
    TextBox* Text1 = nullptr;
    ListBox* List1 = nullptr;

    struct Design {
        const char* objectName;
        const char16_t* title;
        int clientWidth;
        int clientHeight;
        int text1Width;  // Text1 sits at 0, 0 and is 615 high
        int list1Height; // List1 sits at 0, 600 with Text1's width
        const char16_t* dataFile;
        bool trimLines;
        bool loadBeforePlacing;
    };

protected:
    explicit ListDetailForm(const Design& design);

    void Form_Load() override;
    void Form_Resize() override;

private slots:
    void List1_Click();

private:
    void loadList();

    const Design& design_;
};
