#pragma once

#include <string>

// The display conversion of every grid, export and text graph.
//
// format 'f': fixed point with `places` digits after the point.
// format 'e': `places` significant digits (one before the point), 'E', the
//             exponent's sign and at least three exponent digits ("1.235E+004").
// format 'g': rounded to `places` significant digits, trailing zeros and an
//             unneeded point removed; fixed point when the rounded value has at
//             most `places` digits before the point and is at least 0.0001 in
//             magnitude, else one digit, the remaining digits if any, 'E', '-'
//             only for a negative exponent and at least three exponent digits
//             ("1.235E004", "1E-005").
// Any other letter is treated as 'g'.
//
// The digits are the exact decimal digits of the binary value, rounded half
// away from zero. A value that rounds to zero is shown without a minus sign.
// The text is right-aligned with blanks to at least `width` and never cut.
// `decimalSeparator` replaces the point (the user's regional setting).
// Non-finite input never occurs in the program; it gives "INF", "-INF" or
// "NAN", right-aligned the same way.
std::string FormatReal(long double x, int width, int places, char format, char decimalSeparator = '.');
