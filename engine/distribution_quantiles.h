// Quantile functions of the ten distribution families an assessment can be described by, and the
// two small numeric functions they share. All arithmetic in 80-bit extended precision.
//
// Failure reporting: every function takes an optional `ok`, set to true on success and to false
// on failure when it is given. The quantile functions return NoValue when they fail, which is
// exactly when ok is set to false:
//   - p not strictly between 0 and 1 (the quantile would be infinite or undefined);
//   - an iteration of the Gamma or Beta family that did not converge (see chi_beta_quantiles.h);
//   - parameters for which the formula gives no finite number (a logarithm of a non-positive
//     bound or error factor, a rate or scale of 0, a parameter that is not finite, ...);
//   - a result that a 32-bit real cannot hold (|x| > FLT_MAX), since the quantiles are stored so.
// Parameters outside a family's domain that still give a finite number (a negative deviation,
// a Gamma shape <= 0, which gives the location, a triangle's mode outside its range) are
// returned as computed; the distribution dialog's rules refuse them.
#pragma once

#include "engine/distribution_record.h"

namespace halvorine {

// Quantile of the distribution D at the cumulative probability p. Slots by family:
//   0 Constant     P1 value
//   1 Uniform      P1 lower bound, P2 upper bound
//   2 Log Uniform  P1 lower bound, P2 upper bound
//   3 Normal       P1 mean, P2 deviation
//   4 Log Normal   P1 median, P2 error factor (ratio of the 95 % quantile to the median)
//   5 Exponential  P1 failure rate, P4 location
//   6 Gamma        P1 shape, P2 scale (it divides: the mean is P1/P2 + P4), P4 location
//   7 Weibull      P2 shape (0 counts as 1), P3 scale, P4 location
//   8 Beta         P1 alpha, P2 beta, P3 lower bound, P4 upper bound
//   9 Triangular   P3 minimum a, P2 mode m, P4 maximum b
// A family code above 9 (11 = no distribution) gives 0 for any p in (0, 1).
long double DistributionQuantile(long double p, const TDistribution& D, bool* ok = nullptr);

long double ConstantQuantile(long double p, long double value, bool* ok = nullptr);
long double UniformQuantile(long double p, long double lower, long double upper, bool* ok = nullptr);
long double LogUniformQuantile(long double p, long double lower, long double upper, bool* ok = nullptr);
long double NormalFamilyQuantile(long double p, long double mean, long double deviation, bool* ok = nullptr);
long double LogNormalQuantile(long double p, long double median, long double errorFactor, bool* ok = nullptr);
long double ExponentialQuantile(long double p, long double rate, long double location, bool* ok = nullptr);
long double WeibullQuantile(long double p, long double shape, long double scale, long double location,
                            bool* ok = nullptr);

// x raised to the power y: exp(y ln x) for x > 0; 0 for x = 0 (whatever y is); for x < 0 the
// same power of -x when y is integral to within 1e-9 (its fraction, as truncation leaves it),
// negated for odd y, and 0 otherwise.
// Failure (ok = false, result 0): x or y NaN, or a power too large for long double.
long double PowerX(long double x, long double y, bool* ok = nullptr);

// Inverse of the standard normal distribution function (rational approximation of algorithm
// AS 70, Odeh and Evans; absolute error below 1.5e-8).
// Failure (ok = false, result 0): p not strictly between 0 and 1.
long double NormalQuantile(long double p, bool* ok = nullptr);

}  // namespace halvorine
