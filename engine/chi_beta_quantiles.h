// The two iterative inverse distribution functions behind the Gamma and Beta families, with the
// incomplete beta function they invert. All in 80-bit extended precision.
//
// Failure reporting: the functions that iterate take an optional `ok`. When it is given it is set
// to true on success and to false when an iteration hit its round limit, met a value that is not
// finite, or got arguments outside the domain. The returned value is always a finite number;
// what it is on failure is said with each function.
#pragma once

namespace halvorine {

// Percentage point of the chi-square distribution with v degrees of freedom (v need not be an
// integer): the x with P(chi-square <= x) = p. Algorithm AS 91 of Best and Roberts, stopping at a
// relative change of 5e-6.
// Defined results, not failures: 0 for v <= 0 and outside 2e-6 < p < 0.999998 (so a Gamma
// quantile there is its location).
// Failure (ok = false, result 0): p or v NaN, v infinite, a starting value that is not a positive
// finite number, an incomplete gamma function that fails, or no convergence within
// ChiSquareMaxRefinements rounds.
long double ChiSquareQuantile(long double p, long double v, bool* ok = nullptr);

// The x in [0, 1] with IncompleteBeta(x, alpha, beta) = p, by Newton steps from
// BetaQuantileStart (alpha > 1 and beta > 1) or from the mean. A step that would leave [0, 1]
// goes a tenth of the way to the bound. The points evaluated bracket the quantile; where the
// density is 0 (underflow, or x on a bound) or a step would leave that bracket, the step bisects
// the bracket instead (with p in 1e-6..1 - 5e-7 and parameters in 1e-3..1e5 no step leaves it).
// The iteration stops when the Newton step is at most sqrt(2.2204e-16) = 1.49e-8, relative to x
// or absolute, so a quantile closer than about 1e-3 to 0 or 1 may be only that accurate
// (absolute); farther in, the last Newton step leaves it accurate to a few 1e-12 relative.
// p = 0 gives 0 and p = 1 gives 1 at once.
// Failure (ok = false): alpha or beta not positive or not finite, or p NaN (result 0); p outside
// [0, 1] (result the nearer bound); the incomplete beta function failing, or no convergence in
// BetaQuantileMaxSteps steps (result the last x, always in [0, 1]).
long double BetaQuantile(long double p, long double alpha, long double beta, bool* ok = nullptr);

// Regularised incomplete beta function I_x(a, b). x <= 0 gives 0 and x >= 1 gives 1.
// Failure (ok = false): a or b not positive or not finite, or x NaN (result 0); the continued
// fraction failing, a non-finite result, or an exponent of the common factor whose rounding alone
// could cost 1e-9 of the result (parameters beyond about 1e8 outside the far tails); the result
// is then clamped to [0, 1] (0 when not a number).
long double IncompleteBeta(long double x, long double a, long double b, bool* ok = nullptr);

// The continued fraction of IncompleteBeta (even and odd convergents, renormalised every round).
// Failure (ok = false): no convergence within BetaFractionMaxRounds rounds or a non-finite
// convergent; the result is then the last finite convergent.
long double BetaContinuedFraction(long double x, long double a, long double b, bool* ok = nullptr);

// x^(a-1) (1-x)^(b-1) / B(a, b). Gives 0 outside 0 < x < 1, for a or b not positive, and
// where the value is not a finite number.
long double BetaDensity(long double x, long double a, long double b);

// Starting value of the Newton iteration of BetaQuantile, meant for alpha > 1 and beta > 1;
// always in [0, 1] (0 where the approximation gives no finite number).
long double BetaQuantileStart(long double p, long double alpha, long double beta);

// Round limits. AS 91 converges in a handful of rounds and its start loop likewise; the beta
// continued fraction needs of the order of sqrt(max(a, b)) rounds, so parameters up to about
// 1e8 converge and beyond that the function fails within a fixed time.
constexpr int ChiSquareMaxRefinements = 100;
constexpr int ChiSquareMaxStartRounds = 100;
constexpr int BetaQuantileMaxSteps = 100;
constexpr int BetaFractionMaxRounds = 100000;

}  // namespace halvorine
