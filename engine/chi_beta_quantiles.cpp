#include "engine/chi_beta_quantiles.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "engine/distribution_quantiles.h"
#include "engine/special_functions.h"

namespace halvorine {

namespace {

void Report(bool* ok, bool value) {
    if (ok) *ok = value;
}

bool Finite(long double v) {
    return std::isfinite(v);
}

// Machine epsilon as the program has always stored it, and its square root, the Newton tolerance.
constexpr long double BetaEps = 2.2204e-16L;

constexpr long double BetaFractionTolerance = 8.8816e-16L;

}  // namespace

long double ChiSquareQuantile(long double p, long double v, bool* ok) {
    Report(ok, true);
    if (std::isnan(p) || std::isnan(v) || std::isinf(v)) {
        Report(ok, false);
        return 0.0L;
    }
    // Ten times the tolerance of the published algorithm.
    constexpr long double E = 5e-6L;
    constexpr long double aa = 0.6931471805L;
    if (v <= 0.0L || p <= 2e-6L || p >= 0.999998L) return 0.0L;

    const long double xx = v / 2.0L;
    const long double g = LnGamma(xx);
    const long double c = xx - 1.0L;
    long double ch;

    if (v < -1.24L * std::log(p)) {
        // Small chi-square: the first term of the series inverted.
        bool powOk = true;
        ch = PowerX(p * xx * std::exp(g + xx * aa), 1.0L / xx, &powOk);
        if (!powOk) {
            Report(ok, false);
            return 0.0L;
        }
        if (ch < E) return ch;
    } else if (v <= 0.32L) {
        ch = 0.4L;
        const long double a = std::log(1.0L - p);
        long double q;
        int rounds = 0;
        do {
            q = ch;
            const long double p1 = 1.0L + ch * (4.67L + ch);
            const long double p2 = ch * (6.73L + ch * (6.66L + ch));
            const long double t = -0.5L + (4.67L + 2.0L * ch) / p1 - (6.73L + ch * (13.32L + 3.0L * ch)) / p2;
            ch = ch - (1.0L - std::exp(a + g + 0.5L * ch + c * aa) * p2 / p1) / t;
            if (!Finite(ch) || ch <= 0.0L) {
                Report(ok, false);
                return 0.0L;
            }
            // A start loop that has not settled to 1 % hands the refinement what it has.
        } while (std::fabs(q / ch - 1.0L) > 0.01L && ++rounds < ChiSquareMaxStartRounds);
    } else {
        // Wilson and Hilferty.
        const long double x = NormalQuantile(p);
        const long double p1 = 0.222222L / v;
        ch = v * PowerX(x * std::sqrt(p1) + 1.0L - p1, 3.0L);
        if (ch > 2.2L * v + 6.0L) {
            ch = -2.0L * (std::log(1.0L - p) - c * std::log(0.5L * ch) + g);
        }
    }
    if (!Finite(ch) || ch <= 0.0L) {
        Report(ok, false);
        return 0.0L;
    }

    // Seven-term Taylor refinement.
    for (int round = 0; round < ChiSquareMaxRefinements; ++round) {
        const long double q = ch;
        const long double p1 = 0.5L * ch;
        bool gammaOk = true;
        const long double p2 = p - IncompleteGamma(xx, p1, &gammaOk);
        if (!gammaOk) break;
        const long double t = p2 * std::exp(xx * aa + g + p1 - c * std::log(ch));
        const long double b = t / ch;
        const long double a = 0.5L * t - b * c;
        const long double s1 = (210.0L + a * (140.0L + a * (105.0L + a * (84.0L + a * (70.0L + 60.0L * a))))) / 420.0L;
        const long double s2 = (420.0L + a * (735.0L + a * (966.0L + a * (1141.0L + 1278.0L * a)))) / 2520.0L;
        const long double s3 = (210.0L + a * (462.0L + a * (707.0L + 932.0L * a))) / 2520.0L;
        const long double s4 = (252.0L + a * (672.0L + 1182.0L * a) + c * (294.0L + a * (889.0L + 1740.0L * a))) /
                               5040.0L;
        const long double s5 = (84.0L + 264.0L * a + c * (175.0L + 606.0L * a)) / 2520.0L;
        const long double s6 = (120.0L + c * (346.0L + 127.0L * c)) / 5040.0L;
        ch = ch + t * (1.0L + 0.5L * t * s1 - b * c * (s1 - b * (s2 - b * (s3 - b * (s4 - b * (s5 - b * s6))))));
        // A step to or below 0 would take the logarithm of a non-positive number next round.
        if (!Finite(ch) || ch <= 0.0L) break;
        if (std::fabs(q / ch - 1.0L) <= E) return ch;
    }
    Report(ok, false);
    return 0.0L;
}

long double BetaContinuedFraction(long double x, long double a, long double b, bool* ok) {
    Report(ok, true);
    long double am = 1.0L, bm = 1.0L, az = 1.0L, aold = 0.0L;
    long double bz = 1.0L - (a + b) * x / (a + 1.0L);
    long double m = 1.0L;
    int rounds = 0;
    while (std::fabs(az - aold) > BetaFractionTolerance * std::fabs(az)) {
        if (++rounds > BetaFractionMaxRounds) {
            Report(ok, false);
            return az;
        }
        const long double d = m * (b - m) * x / ((a + 2.0L * m - 1.0L) * (a + 2.0L * m));
        const long double ap = az + d * am;
        const long double bp = bz + d * bm;
        const long double d2 = -(a + m) * (a + b + m) * x / ((a + 2.0L * m) * (a + 2.0L * m + 1.0L));
        const long double bpp = bp + d2 * bz;
        const long double nextAm = ap / bpp;
        const long double nextBm = bp / bpp;
        const long double nextAz = (ap + d2 * az) / bpp;
        if (!Finite(nextAm) || !Finite(nextBm) || !Finite(nextAz)) {
            Report(ok, false);
            return az;
        }
        aold = az;
        am = nextAm;
        bm = nextBm;
        az = nextAz;
        bz = 1.0L;
        m = m + 1.0L;
    }
    return az;
}

long double IncompleteBeta(long double x, long double a, long double b, bool* ok) {
    Report(ok, true);
    if (!Finite(a) || !Finite(b) || a <= 0.0L || b <= 0.0L || std::isnan(x)) {
        Report(ok, false);
        return 0.0L;
    }
    if (x <= 0.0L) return 0.0L;
    if (x >= 1.0L) return 1.0L;
    const long double lnAB = LnGamma(a + b), lnA = LnGamma(a), lnB = LnGamma(b);
    const long double aLnX = a * std::log(x), bLn1X = b * std::log(1.0L - x);
    const long double exponent = lnAB + aLnX + bLn1X - lnA - lnB;
    const long double front = std::exp(exponent);
    // As for the incomplete gamma function: a rounding of the exponent that alone could cost
    // 1e-9 of the result is a failure, unless the factor is negligible anyway.
    const long double exponentError = (std::fabs(lnAB) + std::fabs(aLnX) + std::fabs(bLn1X) + std::fabs(lnA) +
                                       std::fabs(lnB)) *
                                      LDBL_EPSILON;
    const bool trusted = exponentError <= MaxExponentError || exponent + exponentError < UnderflowExponent;
    bool fractionOk = true;
    long double result;
    if (x < (a + 1.0L) / (a + b + 2.0L)) {
        result = front * BetaContinuedFraction(x, a, b, &fractionOk) / a;
    } else {
        result = 1.0L - front * BetaContinuedFraction(1.0L - x, b, a, &fractionOk) / b;
    }
    if (!fractionOk || !Finite(result) || !trusted) {
        Report(ok, false);
        if (std::isnan(result) || result < 0.0L) return 0.0L;
        if (result > 1.0L) return 1.0L;
    }
    return result;
}

long double BetaDensity(long double x, long double a, long double b) {
    if (!(x > 0.0L && x < 1.0L) || !(a > 0.0L) || !(b > 0.0L) || !Finite(a) || !Finite(b)) {
        return 0.0L;
    }
    const long double d = std::exp(LnGamma(a + b) + (a - 1.0L) * std::log(x) + (b - 1.0L) * std::log(1.0L - x) -
                                   LnGamma(a) - LnGamma(b));
    return Finite(d) ? d : 0.0L;
}

long double BetaQuantileStart(long double p, long double alpha, long double beta) {
    if (std::isnan(p)) return 0.0L;
    if (p <= 1e-10L) return 0.0L;
    if (p >= 0.9999999999L) return 1.0L;
    const long double y = -NormalQuantile(p);
    const long double r = (y * y - 3.0L) / 6.0L;
    const long double s = 1.0L / (2.0L * alpha - 1.0L);
    const long double t = 1.0L / (2.0L * beta - 1.0L);
    if (s + t == 0.0L) return 0.0L;
    const long double h = 2.0L / (s + t);
    if (h + r < 0.0L) return 0.0L;
    const long double w = y * std::sqrt(h + r) / h - (t - s) * (r + 0.83333333L - 0.66666666L / h);
    const long double start = alpha / (alpha + beta * std::exp(2.0L * w));
    if (!Finite(start) || start < 0.0L) return 0.0L;
    if (start > 1.0L) return 1.0L;
    return start;
}

long double BetaQuantile(long double p, long double alpha, long double beta, bool* ok) {
    Report(ok, true);
    if (!Finite(alpha) || !Finite(beta) || alpha <= 0.0L || beta <= 0.0L || std::isnan(p)) {
        Report(ok, false);
        return 0.0L;
    }
    if (p <= 0.0L) {
        if (p < 0.0L) Report(ok, false);
        return 0.0L;
    }
    if (p >= 1.0L) {
        if (p > 1.0L) Report(ok, false);
        return 1.0L;
    }

    const long double r = std::sqrt(BetaEps);
    long double x = (alpha <= 1.0L || beta <= 1.0L) ? alpha / (alpha + beta) : BetaQuantileStart(p, alpha, beta);
    if (x == 0.0L) x = r;
    if (x == 1.0L) x = 1.0L - r;

    // The quantile lies in [lo, hi]; the evaluated points narrow it for the bisection fallback.
    long double lo = 0.0L, hi = 1.0L;
    long double dx = 1.0L;
    int steps = 0;
    while (!(std::fabs(dx) <= r * std::fabs(x) || std::fabs(dx) <= r)) {
        if (steps == BetaQuantileMaxSteps) {
            Report(ok, false);
            return x;
        }
        ++steps;
        bool betaOk = true;
        const long double f = IncompleteBeta(x, alpha, beta, &betaOk) - p;
        if (!betaOk) {
            Report(ok, false);
            return x;
        }
        if (f == 0.0L) {
            dx = 0.0L;
            continue;
        }
        if (f < 0.0L) {
            lo = std::max(lo, x);
        } else {
            hi = std::min(hi, x);
        }
        const long double density = BetaDensity(x, alpha, beta);
        long double next = x;
        dx = f / density;
        const bool slope = density > 0.0L && Finite(dx);
        if (slope) {
            next = x - dx;
            if (next < 0.0L) next = x / 10.0L;
            if (next > 1.0L) next = 1.0L - (1.0L - x) / 10.0L;
        }
        // Where the density underflows there is no slope, and far out in the tails the tenth-way
        // steps can bounce between the two bounds for ever; both cases halve the bracket instead.
        if (!slope || next < lo || next > hi) {
            next = (lo + hi) / 2.0L;
            dx = x - next;
        }
        x = next;
    }
    return x;
}

}  // namespace halvorine
