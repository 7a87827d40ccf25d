#include "pairwise/model/checked_math.h"

#include <cmath>

#include "common/core/calc_error.h"

long double CheckedDivide(long double a, long double b) {
    if (std::isnan(a) || std::isnan(b)) throw CalcError(CalcErrorKind::InvalidOperation);
    if (b == 0) throw CalcError(a == 0 ? CalcErrorKind::InvalidOperation : CalcErrorKind::ZeroDivide);
    return a / b;
}

long double CheckedLn(long double x) {
    if (std::isnan(x) || x < 0) throw CalcError(CalcErrorKind::InvalidOperation);
    if (x == 0) throw CalcError(CalcErrorKind::ZeroDivide);
    return std::log(x);
}

long double CheckedSqrt(long double x) {
    if (std::isnan(x) || x < 0) throw CalcError(CalcErrorKind::InvalidOperation);
    return std::sqrt(x + 0.0L);  // + 0 turns -0 into 0
}
