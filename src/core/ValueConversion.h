#pragma once

#include <QString>

#include <optional>

// Conversions the stored texts go through when they are loaded.
namespace conversion {

// Cut to `width` characters or pad on the right with blanks.
QString fitFixed(const QString& text, int width);

// First character of the text, or a blank for an empty text.
QString fitOneChar(const QString& text);

// A decimal text as a 16-bit signed integer: surrounding blanks allowed, a
// fraction rounded to the nearest integer with halves going to the even
// neighbour. Empty, non-numeric or out-of-range texts give nothing.
std::optional<qint16> toInt16(const QString& text);

// The numeric prefix of a text (leading blanks skipped), 0 when there is none:
// "7abc" gives 7, "abc" gives 0.
double leadingNumber(const QString& text);

} // namespace conversion
