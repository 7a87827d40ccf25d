// Log-gamma, the regularised lower incomplete gamma function and the chi-square distribution
// function, all in 80-bit extended precision.
//
// Failure reporting: the functions that iterate take an optional `ok`. When it is given it is set
// to true on success and to false when the iteration did not converge within its round limit,
// met a value that is not finite, or got arguments outside the domain. Whatever happens, the
// returned value is a finite number (never NaN or infinity); what it is on failure is said below.
#pragma once

namespace halvorine {

// ln Gamma(x) for x > 0 (Cody's rational approximations, Stirling above 12); relative error
// below 1e-16 (about 1e-20 absolute next to the zeros at 1 and 2).
// x <= 0 and non-finite x lie outside the domain and give 0; a result too large for
// long double (x beyond about 1e4928) saturates at LDBL_MAX.
long double LnGamma(long double x);

// P(a, x) = (1/Gamma(a)) * integral from 0 to x of t^(a-1) e^(-t) dt, by series below a + 1 and
// by continued fraction from a + 1 on. Accurate to about 1e-13 relative, plus the rounding of the
// exponent a ln x - x - ln Gamma(a), about 1e-19 times the size of its terms (2e-12 at a = 1e6).
// Where 1 - P is below about 1e-19 the result is exactly 1, so a chi-square tail that poor gives
// a p-value of exactly 0.
// Defined results without failure: x <= 0 gives 0, x = +infinity gives 1.
// Failure (ok = false): a not positive or not finite, x NaN, no convergence within
// IncompleteGammaMaxRounds rounds (a huge shape near its centre), a non-finite intermediate, or
// an exponent whose rounding alone could cost 1e-9 of the result (terms above about 1e10, so
// shapes beyond about 3e8 outside the far tails).
// The result is then the last finite estimate clamped to [0, 1], or 0 when there is none.
long double IncompleteGamma(long double a, long double x, bool* ok = nullptr);

// P(chi-square with df degrees of freedom <= x) = IncompleteGamma(df/2, x/2); fails as that does
// (df <= 0 fails with result 0).
long double ChiSquareCDF(int df, long double x, bool* ok = nullptr);

// Round limit of each of the two loops of IncompleteGamma. Both need of the order of
// 10 sqrt(a) rounds near x = a, so shapes up to about 1e8 converge; beyond that the function
// reports failure instead of running for minutes.
constexpr int IncompleteGammaMaxRounds = 100000;

// The incomplete gamma and beta functions share a factor exp(e) whose exponent e is a sum of
// large terms for large parameters. When the rounding of e alone could cost more than
// MaxExponentError of the result, the result counts as failed, unless e lies below
// UnderflowExponent even with that error, where the factor is too small for a double to notice.
constexpr long double MaxExponentError = 1e-9L;
constexpr long double UnderflowExponent = -745.0L;

}  // namespace halvorine
