#include "engine/distribution_quantiles.h"

#include <cfloat>
#include <cmath>

#include "engine/chi_beta_quantiles.h"
#include "engine/constants.h"

namespace halvorine {

namespace {

void Report(bool* ok, bool value) {
    if (ok) *ok = value;
}

long double Fail(bool* ok) {
    Report(ok, false);
    return static_cast<long double>(NoValue);
}

bool IsLevel(long double p) {
    return p > 0.0L && p < 1.0L;
}

// Every quantile leaves through here: a value that is not finite, or that a 32-bit real cannot
// hold, is no quantile the dialog could store.
long double Finish(long double x, bool* ok) {
    if (!std::isfinite(x) || std::fabs(x) > static_cast<long double>(FLT_MAX)) return Fail(ok);
    Report(ok, true);
    return x;
}

long double GammaFamilyQuantile(long double p, long double shape, long double scale, long double location, bool* ok) {
    bool chiOk = true;
    const long double ch = ChiSquareQuantile(p, 2.0L * shape, &chiOk);
    if (!chiOk) return Fail(ok);
    return Finish(ch / (2.0L * scale) + location, ok);
}

long double BetaFamilyQuantile(long double p, long double alpha, long double beta, long double lower, long double upper,
                               bool* ok) {
    bool betaOk = true;
    const long double x = BetaQuantile(p, alpha, beta, &betaOk);
    if (!betaOk) return Fail(ok);
    return Finish(lower + x * (upper - lower), ok);
}

long double TriangularQuantile(long double p, long double a, long double m, long double b, bool* ok) {
    // For a = b the ratio is infinite or not a number, and either branch gives a = b.
    if (p >= 0.0L && p <= (m - a) / (b - a)) return Finish(a + std::sqrt(p * (m - a) * (b - a)), ok);
    return Finish(b - std::sqrt((1.0L - p) * (b - m) * (b - a)), ok);
}

}  // namespace

long double PowerX(long double x, long double y, bool* ok) {
    Report(ok, true);
    if (std::isnan(x) || std::isnan(y)) {
        Report(ok, false);
        return 0.0L;
    }
    long double result;
    if (x > 0.0L) {
        result = std::exp(y * std::log(x));
    } else if (x == 0.0L) {
        return 0.0L;
    } else {
        const long double frac = y - std::trunc(y);
        if (!(std::fabs(frac) < static_cast<long double>(FloatTolerance))) return 0.0L;
        result = std::exp(y * std::log(-x));
        // Parity from the rounded value itself: any integer width would wrap for large y.
        if (std::fmod(std::nearbyint(y), 2.0L) != 0.0L) result = -result;
    }
    if (!std::isfinite(result)) {
        Report(ok, false);
        return 0.0L;
    }
    return result;
}

long double NormalQuantile(long double p, bool* ok) {
    Report(ok, true);
    if (!IsLevel(p)) {
        Report(ok, false);
        return 0.0L;
    }
    if (p == 0.5L) return 0.0L;
    constexpr long double p0 = -0.322232431088L, p1 = -1.0L, p2 = -0.342242088547L, p3 = -0.0204231210245L,
                          p4 = -0.453642210148e-4L;
    constexpr long double q0 = 0.099348462606L, q1 = 0.588581570495L, q2 = 0.531103462366L, q3 = 0.10353775285L,
                          q4 = 0.38560700634e-2L;
    long double q = p;
    if (p > 0.5L) q = 1.0L - p;
    const long double t = std::sqrt(-std::log(q * q));
    const long double x = t + (p0 + t * (p1 + t * (p2 + t * (p3 + t * p4)))) /
                                  (q0 + t * (q1 + t * (q2 + t * (q3 + t * q4))));
    // q * q underflows only for p within about 1e-2466 of a bound.
    if (!std::isfinite(x)) {
        Report(ok, false);
        return 0.0L;
    }
    return p < 0.5L ? -x : x;
}

long double ConstantQuantile(long double p, long double value, bool* ok) {
    if (!IsLevel(p)) return Fail(ok);
    return Finish(value, ok);
}

long double UniformQuantile(long double p, long double lower, long double upper, bool* ok) {
    if (!IsLevel(p)) return Fail(ok);
    return Finish(lower + p * (upper - lower), ok);
}

long double LogUniformQuantile(long double p, long double lower, long double upper, bool* ok) {
    if (!IsLevel(p)) return Fail(ok);
    if (!(lower > 0.0L) || !(upper > 0.0L)) return Fail(ok);
    const long double lnLower = std::log(lower);
    return Finish(std::exp(lnLower + p * (std::log(upper) - lnLower)), ok);
}

long double NormalFamilyQuantile(long double p, long double mean, long double deviation, bool* ok) {
    if (!IsLevel(p)) return Fail(ok);
    return Finish(mean + deviation * NormalQuantile(p), ok);
}

long double LogNormalQuantile(long double p, long double median, long double errorFactor, bool* ok) {
    if (!IsLevel(p)) return Fail(ok);
    if (!(errorFactor > 0.0L)) return Fail(ok);
    return Finish(median * std::exp(std::log(errorFactor) * NormalQuantile(p) / NormalQuantile(0.95L)), ok);
}

long double ExponentialQuantile(long double p, long double rate, long double location, bool* ok) {
    if (!IsLevel(p)) return Fail(ok);
    return Finish(location - std::log(1.0L - p) / rate, ok);
}

long double WeibullQuantile(long double p, long double shape, long double scale, long double location, bool* ok) {
    if (!IsLevel(p)) return Fail(ok);
    if (shape == 0.0L) shape = 1.0L;
    bool powOk = true;
    const long double power = PowerX(-std::log(1.0L - p), 1.0L / shape, &powOk);
    if (!powOk) return Fail(ok);
    return Finish(location + scale * power, ok);
}

long double DistributionQuantile(long double p, const TDistribution& D, bool* ok) {
    if (!IsLevel(p)) return Fail(ok);
    const long double P1 = D.P1, P2 = D.P2, P3 = D.P3, P4 = D.P4;
    switch (D.Family) {
    case FamilyConstant: return ConstantQuantile(p, P1, ok);
    case FamilyUniform: return UniformQuantile(p, P1, P2, ok);
    case FamilyLogUniform: return LogUniformQuantile(p, P1, P2, ok);
    case FamilyNormal: return NormalFamilyQuantile(p, P1, P2, ok);
    case FamilyLogNormal: return LogNormalQuantile(p, P1, P2, ok);
    case FamilyExponential: return ExponentialQuantile(p, P1, P4, ok);
    case FamilyGamma: return GammaFamilyQuantile(p, P1, P2, P4, ok);
    case FamilyWeibull: return WeibullQuantile(p, P2, P3, P4, ok);
    case FamilyBeta: return BetaFamilyQuantile(p, P1, P2, P3, P4, ok);
    case FamilyTriangular: return TriangularQuantile(p, P3, P2, P4, ok);
    default: Report(ok, true); return 0.0L;
    }
}

}  // namespace halvorine
