#pragma once

#include <QClipboard>
#include <QObject>

class QLineEdit;

// Keeps everything but digits out of a number box on every way in: keys, whatever modifier is held with
// them; text committed by an input method; pasted text (keys, the context menu, the middle button);
// dropped text. What arrives as text keeps its digits, full-width ones made plain.
class DigitFilter : public QObject {
    Q_OBJECT
public:
    explicit DigitFilter(QObject* parent);

    // Filters the box and asks input methods for digits.
    void guard(QLineEdit* box);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    static void pasteDigits(QLineEdit* box, QClipboard::Mode mode);
    static void showMenu(QLineEdit* box, const QPoint& globalPos);
};
