#pragma once

#include "forms/FormBase.h"

#include <QStringList>

#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TextBox;

// Quest guide: quests by level band on fourteen buttons, each quest's text, its restriction and its
// related pictures in the viewer.
class Form5 : public FormBase {
    Q_OBJECT
public:
    Form5();

    static constexpr int kQuestButtons = 14;
    static constexpr int kBandCount = 5;

    // The quests of band `band` (0..4) in button order.
    [[nodiscard]] static QStringList bandQuests(int band);

    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QRadioButton* Option4 = nullptr;
    QRadioButton* Option5 = nullptr;
    QGroupBox* Frame1 = nullptr;
    std::array<QPushButton*, kQuestButtons> Command1{};
    QLabel* Label1 = nullptr;
    QPushButton* Command2 = nullptr;
    TextBox* Text1 = nullptr;

    // The picture code of the last quest whose text carried a picture marker.
    QString piccode;

protected:
    void Form_Load() override;
    void Form_Resize() override;

private slots:
    void Option1_Click();
    void Option2_Click();
    void Option3_Click();
    void Option4_Click();
    void Option5_Click();
    void Command1_Click(int Index);
    // Shows one quest's text, read under the band of restrictions or not.
    void showQuest(const QString& quest, bool restricted);
    void Command2_Click();

private:
    void showBand(int band);
    void chkunable();
};
