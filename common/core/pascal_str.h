#pragma once

#include <string>

// Locale-independent counterparts of the Pascal runtime's Str and Val.
// Every Str form gives the exact decimal digits of the binary value, rounded
// half away from zero, right-aligned to at least `width` and never cut.

// Write(s:width): s right-aligned with blanks to at least `width`, never cut.
std::string PadLeft(std::string s, int width);

// Str(n:width).
std::string StrInt(long long n, int width = 0);

// Str(x:width:decimals): fixed point; decimals <= 0 gives no point. A value
// that rounds to zero has no minus sign.
std::string StrFixed(long double x, int width, int decimals);

// Str(x:width) with no decimals: '-' or a blank, one digit, '.', f digits,
// 'E', the exponent's sign and four exponent digits, with
// f = max(1, width - 9) capped at 17 (18 significant digits, the precision
// of the extended type). Width 14 gives " 1.00000E+0001"; widths below 11
// give the 10-character form " 1.0E+0000". Zero is " 0.00000E+0000" (width 14).
std::string StrExp(long double x, int width);

// StrExp of a float in a form ParseReal32 reads back: where rounding to the
// field's digits would go above the largest float (3.4025e38 in width 12
// gives 3.403E+0038), the digits are rounded toward zero instead. NaN and
// infinities give StrExp's text, which reads as no number.
std::string StrExpReal32(float x, int width);

// The text of x for a number field of `width` characters that reads back
// (ParseReal32) as x itself: StrExpReal32(x, width) wherever that does, so
// that the files of values it holds are written as they always were; else
// the fewest significant digits that give x again, in the first form that
// fits: exponent form with as many exponent digits as fit (at most four),
// fixed point, whole digits with an exponent; a positive value that fits no
// form otherwise loses its leading blank (the field is read by its columns).
// Only where no form of those digits fits does it give the nearest value of
// as many digits as fit.
// Right-aligned to width. NaN and infinities give StrExpReal32's text.
std::string StrExactReal32(float x, int width);

// Val: 0 on success, else the 1-based position of the first bad character
// (length + 1 when the text ends too early, e.g. "", "-", "1e").
// Accepted: leading blanks, optional sign, digits; for reals also one '.',
// and an exponent 'E'/'e' with optional sign and digits (".5" and "5." are
// accepted, "." is not). Trailing blanks, hex ("$1A", "0x1A"), "inf" and
// "nan" are rejected. On failure `out` is left unchanged.
// ValInt: a value outside long long fails at the digit that overflows.
// ValReal: correctly rounded (to nearest, ties to even) from the decimal text;
// a value too large for long double fails with length + 1; underflow gives 0
// or a subnormal and succeeds.
int ValInt(const std::string& s, long long& out);
int ValReal(const std::string& s, long double& out);

// ValReal's syntax, rounded once, directly from the decimal text to float
// (no double rounding through long double). False when the text does not
// parse or the value is too large for float.
bool ParseReal32(const std::string& s, float& out);
