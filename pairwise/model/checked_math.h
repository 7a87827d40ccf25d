// The divisions, logarithms and roots of the paired-comparison models that bad data can
// reach. Each raises the calculation error the run reports instead of leaving an infinity or
// a NaN in the results (the six-byte store then catches overflow). Inline: the fits call them
// in their innermost loops.
#pragma once

#include <cmath>

#include "common/core/calc_error.h"

namespace trindel {

[[noreturn]] void RaiseCalcError(CalcErrorKind kind);

// b = 0: "Zero divide", or "Invalid floating point operation" for 0/0; a NaN operand is
// an invalid operation.
inline long double CheckedDivide(long double a, long double b) {
    if (std::isnan(a) || std::isnan(b)) RaiseCalcError(CalcErrorKind::InvalidOperation);
    if (b == 0) RaiseCalcError(a == 0 ? CalcErrorKind::InvalidOperation : CalcErrorKind::ZeroDivide);
    return a / b;
}

// x = 0: "Zero divide"; x < 0 or NaN: "Invalid floating point operation".
inline long double CheckedLn(long double x) {
    if (std::isnan(x) || x < 0) RaiseCalcError(CalcErrorKind::InvalidOperation);
    if (x == 0) RaiseCalcError(CalcErrorKind::ZeroDivide);
    return std::log(x);
}

// x < 0 or NaN: "Invalid floating point operation". The root of -0 is 0.
inline long double CheckedSqrt(long double x) {
    if (std::isnan(x) || x < 0) RaiseCalcError(CalcErrorKind::InvalidOperation);
    return std::sqrt(x + 0.0L);  // + 0 turns -0 into 0
}

}  // namespace trindel
