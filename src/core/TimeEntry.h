#pragma once

#include <QString>

// Editing rules of a masked time cell "HH:MM": digits overwrite one position
// each, the colon stays, unfilled digits show "_". Positions 0..4, caret 0..5.
namespace timeentry {

struct Edit {
    QString text;
    int caret = 0;
};

// Delete: blank the character at the caret or the selection; caret stays.
Edit deleteKey(const QString& text, int selStart, int selLength);
// Backspace: blank the digit before the caret, or the selection.
Edit backspaceKey(const QString& text, int selStart, int selLength);
// A typed digit at the caret, blanking the rest of the selection.
Edit digitKey(const QString& text, int selStart, int selLength, QChar digit);

// The focus moves on after the last digit, except in the last cell of a table.
bool movesFocusOn(int cell, int selStart);

} // namespace timeentry
