#pragma once

#include <QString>

// How the quest guide reads the start of a quest's text: an optional restriction code (band "其他限制"
// only), then an optional picture marker, then the description.
namespace QuestText {

struct Reading {
    // Text for the restriction label; empty when no code was read.
    QString restriction;
    // The picture code when the text carried a marker, else empty.
    QString picCode;
    // The text left for the pane.
    QString rest;
};

// Label text for a restriction code digit: 0..6 have their own, any other gives the error text.
[[nodiscard]] QString restrictionText(int code);

// Reads `text` as the window does. With `restricted`, the first character is the code and the first two
// characters go; a text that does not start with a digit shows the error text and keeps all its
// characters, and an empty text gives no label. Then, for every band, a "," as third character makes
// the first two characters the picture code and removes the first three.
[[nodiscard]] Reading read(const QString& text, bool restricted);

} // namespace QuestText
