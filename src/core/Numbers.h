#pragma once

#include <QString>
#include <QStringView>

// How the calculators read numbers from box texts and write computed numbers back.
namespace Numbers {

// The number at the start of the text: leading blanks skipped, an optional sign, digits with an
// optional decimal point and fraction. Reading stops at the first character that does not fit; a text
// that does not begin with a number reads as 0. Exponents are not part of a number ("1e5" reads as 1).
[[nodiscard]] double leadingNumber(QStringView text);

// Plain decimal text of a value rounded to 15 significant digits: "." as the point, "-" for negatives,
// "0" before the point below 1, no trailing zeros or point, never an exponent. A magnitude below 1e-9
// is the rounding noise of an exact 0 and reads "0"; so do values that are not finite.
[[nodiscard]] QString displayForm(double value);

// The key filter of the editable number boxes: digits and Backspace are typed, every other character
// is discarded, whatever modifier is held with it (Alt+A types an "a" on many desktops). Keys that type
// nothing (arrows, Delete, Home/End, Tab) and Ctrl shortcuts (copy, paste, select all) pass, so the box
// can still be edited and navigated.
[[nodiscard]] bool keyPassesDigitFilter(int key, QStringView text, Qt::KeyboardModifiers modifiers);

// What an input method's committed text may type into a number box: its digits, full-width digits as
// ASCII ones (a Chinese input method in full-width mode commits those); everything else is dropped.
[[nodiscard]] QString digitsOnly(QStringView text);

} // namespace Numbers
