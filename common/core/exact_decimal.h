#pragma once

// Exact decimal digits of a binary floating-point value, and rounding of
// those digits half away from zero. Shared by the display format and the
// Str conversions so that both round the same way.

#include <string>

struct ExactDecimal {
    bool negative = false;
    std::string digits;  // the integer D without leading zeros; "0" for zero
    int scale = 0;       // value = D x 10^-scale, scale >= 0
};

// x must be finite.
ExactDecimal ToExactDecimal(long double x);

// x rounded to `count` (>= 1) significant digits: value = d0.d1d2... x 10^exponent,
// digits.size() == count. For zero: all '0' and exponent 0.
struct SignificantDigits {
    std::string digits;
    int exponent = 0;
    bool zero = true;
};
SignificantDigits RoundSignificant(const ExactDecimal& x, int count);

// x rounded to `places` (>= 0) digits after the point: value = R x 10^-places,
// R without leading zeros ("0" when the rounded value is zero).
std::string RoundFixed(const ExactDecimal& x, int places);
