#pragma once

#include "forms/FormBase.h"

class QGroupBox;
class QLabel;
class QLineEdit;

// Character stat calculator: a level and five distributed stats give the points left and seven
// derived abilities, recomputed by `re` on every change.
class frmcalc : public FormBase {
    Q_OBJECT
public:
    frmcalc();

    QLabel* Label6 = nullptr;
    QLineEdit* Lv = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* Pointi = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* a1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* a2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* a3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* a4 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* a5 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* t1 = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* t2 = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* t3 = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* t4 = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* t5 = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* t6 = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* t7 = nullptr;
    QLabel* Label15 = nullptr;

    // The stat box (1 for a1 to 5 for a5) that last had the focus; 0 before any has.
    [[nodiscard]] qint16 lastFocus() const { return lastfocus; }

    // Where the credit line leads.
    static const QString kCreditUrl;

protected:
    void Form_Load() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private slots:
    void Lv_Change();
    void a1_Change() { re(); }
    void a2_Change() { re(); }
    void a3_Change() { re(); }
    void a4_Change() { re(); }
    void a5_Change() { re(); }

private:
    void a1_GotFocus() { statGotFocus(1); }
    void a2_GotFocus() { statGotFocus(2); }
    void a3_GotFocus() { statGotFocus(3); }
    void a4_GotFocus() { statGotFocus(4); }
    void a5_GotFocus() { statGotFocus(5); }
    void statGotFocus(int number);
    void Form_MouseMove();
    void Frame1_MouseMove();
    void Label15_MouseMove();
    void Label15_Click();

    void re();
    [[nodiscard]] QLineEdit* statBox(int number) const;
    void fitCaption(QLabel* label);

    qint16 lastfocus = 0;
    int reDepth_ = 0;
    QLineEdit* clickFocused_ = nullptr;
};
