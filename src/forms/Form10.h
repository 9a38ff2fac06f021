#pragma once

#include "forms/FormBase.h"

#include <QStringList>

#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class TextBox;
namespace TextLoad {
struct DataFile;
}

// Article reader: players' articles six titles to a page.
class Form10 : public FormBase {
    Q_OBJECT
public:
    Form10();

    QGroupBox* Frame1 = nullptr;
    std::array<QRadioButton*, 6> Option1{};
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QLabel* Label1 = nullptr;
    TextBox* Text1 = nullptr;
    // The article folder's file names, read once when the window loads.
    QStringList File1;

    // The names of a folder's articles, in the order the window lists them.
    [[nodiscard]] static QStringList listArticles(const QString& folder);
    // Pages to the article of that listed name and presses its button, as the player would.
    void openArticle(const QString& name);

protected:
    void Form_Load() override;
    bool event(QEvent* event) override;

private slots:
    void Command1_Click();
    void Command2_Click();
    void Option1_Click(int Index);

private:
    void loadpage(const int& h);
    void loadArticle(const TextLoad::DataFile& article);
    void chooseFirstArticle();

    int curpage = 1;
};
