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

    QLabel* Label6;
    QLineEdit* Lv;
    QLabel* Label16;
    QLabel* Label7;
    QLineEdit* Pointi;
    QLabel* Label1;
    QLineEdit* a1;
    QLabel* Label2;
    QLineEdit* a2;
    QLabel* Label3;
    QLineEdit* a3;
    QLabel* Label4;
    QLineEdit* a4;
    QLabel* Label5;
    QLineEdit* a5;
    QGroupBox* Frame1;
    QLabel* Label8;
    QLineEdit* t1;
    QLabel* Label9;
    QLineEdit* t2;
    QLabel* Label10;
    QLineEdit* t3;
    QLabel* Label11;
    QLineEdit* t4;
    QLabel* Label12;
    QLineEdit* t5;
    QLabel* Label13;
    QLineEdit* t6;
    QLabel* Label14;
    QLineEdit* t7;
    QLabel* Label15;

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
