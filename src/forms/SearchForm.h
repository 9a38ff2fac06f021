#pragma once

#include "forms/FormBase.h"

class QLabel;
class QLineEdit;
class QListView;
class QTimer;
class SearchIndex;
class SearchResults;

// Search everything: one field over every data file the windows show, each result one keystroke from
// its window. Finds as the player types, with the find field's folding; every word must occur in a line.
class SearchForm : public FormBase {
    Q_OBJECT
public:
    SearchForm();

    QLineEdit* Text1 = nullptr;
    QLabel* Label1 = nullptr;
    QListView* List1 = nullptr;

    [[nodiscard]] SearchIndex* index() const { return index_; }
    [[nodiscard]] SearchResults* results() const { return results_; }

protected:
    void Form_Load() override;
    void Form_Resize() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Opens the window of result `row`, with its line picked or its text selected.
    void openResult(int row);
    void showState();

    static constexpr int kStateMs = 100;

    SearchIndex* index_ = nullptr;
    QTimer* stateTimer_ = nullptr;
    SearchResults* results_ = nullptr;
};
