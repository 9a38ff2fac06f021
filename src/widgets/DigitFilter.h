#pragma once

#include <QObject>

class QLineEdit;

// Keeps everything but digits out of a number box on every way in: keys, whatever modifier is held with
// them; text committed by an input method; dropped text. Paste stays: the calculators read pasted text
// by its leading number.
class DigitFilter : public QObject {
    Q_OBJECT
public:
    explicit DigitFilter(QObject* parent);

    // Filters the box and asks input methods for digits.
    void guard(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
