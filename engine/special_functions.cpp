#include "engine/special_functions.h"

#include <cfloat>
#include <cmath>

namespace halvorine {

namespace {

// Below this ln Gamma(x) = -ln(x) to working accuracy. The value is the one the program has
// always used, not 2^-52.
constexpr long double LnGammaEps = 2.2204e-16L;

// Relative stopping tolerance of the two incomplete gamma loops (ten times LnGammaEps).
constexpr long double GammaEps = 2.2204e-15L;

constexpr long double LnSqrtTwoPi = 0.9189385332046728L;

// Coefficients of W. J. Cody's ALGAMA (rational Chebyshev approximations of ln Gamma, as published
// with K. E. Hillstrom and distributed in the SPECFUN package on Netlib).
// Over (0.5, 1.5):
constexpr long double D1 = -5.772156649015328605195174e-1L;
constexpr long double P1[8] = {4.945235359296727046734888e0L, 2.018112620856775083915565e2L,
                               2.290838373831346393026739e3L, 1.131967205903380828685045e4L,
                               2.855724635671635335736389e4L, 3.848496228443793359990269e4L,
                               2.637748787624195437963534e4L, 7.225813979700288197698961e3L};
constexpr long double Q1[8] = {6.748212550303777196073036e1L, 1.113332393857199323513008e3L,
                               7.738757056935398733233834e3L, 2.763987074403340708898585e4L,
                               5.499310206226157329794414e4L, 6.161122180066002127833352e4L,
                               3.635127591501940507276287e4L, 8.785536302431013170870835e3L};
// Over (1.5, 4):
constexpr long double D2 = 4.227843350984671393993777e-1L;
constexpr long double P2[8] = {4.974607845568932035012064e0L, 5.424138599891070494101986e2L,
                               1.550693864978364947665077e4L, 1.847932904445632425417223e5L,
                               1.088204769468828767498470e6L, 3.338152967987029735917223e6L,
                               5.106661678927352456275255e6L, 3.074109054850539556250927e6L};
constexpr long double Q2[8] = {1.830328399370592604055942e2L, 7.765049321445005871323047e3L,
                               1.331903827966074194402448e5L, 1.136705821321969608938755e6L,
                               5.267964117437946917577538e6L, 1.346701454311101692290052e7L,
                               1.782736530353274213975932e7L, 9.533095591844353613395747e6L};
// Over (4, 12):
constexpr long double D4 = 1.791759469228055000094023e0L;
constexpr long double P4[8] = {1.474502166059939948905062e4L,  2.426813369486704502836312e6L,
                               1.214755574045093227939592e8L,  2.663432449630976949898078e9L,
                               2.940378956634553899906876e10L, 1.702665737765398868392998e11L,
                               4.926125793377430887588120e11L, 5.606251856223951465078242e11L};
constexpr long double Q4[8] = {2.690530175870899333379843e3L,  6.393885654300092398984238e5L,
                               4.135599930241388052042842e7L,  1.120872109616147941376570e9L,
                               1.488613728678813811542398e10L, 1.016803586272438228077304e11L,
                               3.417476345507377132798597e11L, 4.463158187419713286462081e11L};
// Stirling correction above 12; C[6] starts the recurrence.
constexpr long double C[7] = {-1.910444077728e-03L,     8.4171387781295e-04L,          -5.952379913043012e-04L,
                              7.93650793500350248e-04L, -2.777777777777681622553e-03L, 8.333333333333333331554247e-02L,
                              5.7083835261e-03L};

// xm * (d + xm * num(xm)/den(xm)), both polynomials by Horner's rule with den started at 1.
long double RationalTerm(long double xm, long double d, const long double (&p)[8], const long double (&q)[8]) {
    long double num = 0.0L;
    long double den = 1.0L;
    for (int i = 0; i < 8; ++i) {
        num = num * xm + p[i];
        den = den * xm + q[i];
    }
    return xm * (d + xm * (num / den));
}

long double Clamp01(long double v) {
    if (!std::isfinite(v) || v < 0.0L) return 0.0L;
    if (v > 1.0L) return 1.0L;
    return v;
}

void Report(bool* ok, bool value) {
    if (ok) *ok = value;
}

}  // namespace

long double LnGamma(long double x) {
    if (!std::isfinite(x) || x <= 0.0L) return 0.0L;
    long double result;
    if (x <= LnGammaEps) {
        result = -std::log(x);
    } else if (x <= 0.5L) {
        result = -std::log(x) + RationalTerm(x, D1, P1, Q1);
    } else if (x <= 0.6796875L) {
        result = -std::log(x) + RationalTerm((x - 0.5L) - 0.5L, D2, P2, Q2);
    } else if (x <= 1.5L) {
        result = RationalTerm((x - 0.5L) - 0.5L, D1, P1, Q1);
    } else if (x <= 4.0L) {
        result = RationalTerm(x - 2.0L, D2, P2, Q2);
    } else if (x <= 12.0L) {
        const long double xm = x - 4.0L;
        long double num = 0.0L;
        long double den = -1.0L;
        for (int i = 0; i < 8; ++i) {
            num = num * xm + P4[i];
            den = den * xm + Q4[i];
        }
        result = D4 + xm * (num / den);
    } else {
        const long double xsq = x * x;
        long double s = C[6];
        for (int i = 0; i < 6; ++i) s = s / xsq + C[i];
        const long double lnx = std::log(x);
        result = s / x + LnSqrtTwoPi - lnx / 2.0L;
        result = result + x * (lnx - 1.0L);
    }
    if (!std::isfinite(result)) return LDBL_MAX;
    return result;
}

long double IncompleteGamma(long double a, long double x, bool* ok) {
    Report(ok, true);
    if (!std::isfinite(a) || a <= 0.0L || std::isnan(x)) {
        Report(ok, false);
        return 0.0L;
    }
    const long double g = LnGamma(a);
    if (x <= 0.0L) return 0.0L;
    if (std::isinf(x)) return 1.0L;

    // The common factor x^a e^-x / Gamma(a); it underflows to 0 far in the tails, which is right.
    // For a huge shape the rounding of its exponent alone spoils the result: that is a failure,
    // unless the factor is negligible whatever the rounding.
    const long double exponent = a * std::log(x) - x - g;
    const long double front = std::exp(exponent);
    const long double exponentError = (std::fabs(a * std::log(x)) + x + std::fabs(g)) * LDBL_EPSILON;
    const bool trusted = exponentError <= MaxExponentError || exponent + exponentError < UnderflowExponent;

    if (x < a + 1.0L) {
        long double ap = a;
        long double del = 1.0L / a;
        long double sum = del;
        int rounds = 0;
        while (std::fabs(del) >= std::fabs(sum) * GammaEps) {
            if (++rounds > IncompleteGammaMaxRounds) {
                Report(ok, false);
                return Clamp01(sum * front);
            }
            ap = ap + 1.0L;
            del = del * x / ap;
            sum = sum + del;
            if (!std::isfinite(sum)) {
                Report(ok, false);
                return 0.0L;
            }
        }
        const long double result = sum * front;
        if (!std::isfinite(result)) {
            Report(ok, false);
            return 0.0L;
        }
        Report(ok, trusted);
        return trusted ? result : Clamp01(result);
    }

    // Continued fraction by the two-term recurrence of its continuants, renormalised by 1/a1.
    long double n = 1.0L;
    long double a0 = 1.0L, a1 = x, b0 = 0.0L, b1 = 1.0L, fac = 1.0L;
    long double G = 1.0L, Gold = 0.0L;
    long double result = 0.0L;
    bool haveResult = false;
    int rounds = 0;
    while (std::fabs(G - Gold) >= std::fabs(G) * GammaEps) {
        if (++rounds > IncompleteGammaMaxRounds) {
            Report(ok, false);
            return haveResult ? Clamp01(result) : 0.0L;
        }
        Gold = G;
        a0 = (a1 + a0 * (n - a)) * fac;
        b0 = (b1 + b0 * (n - a)) * fac;
        a1 = x * a0 + (n * fac) * a1;
        b1 = x * b0 + (n * fac) * b1;
        fac = 1.0L / a1;  // a1 = 0 makes fac infinite; caught just below
        G = b1 * fac;
        n = n + 1.0L;
        const long double next = 1.0L - front * G;
        if (!std::isfinite(next) || !std::isfinite(fac)) {
            Report(ok, false);
            return haveResult ? Clamp01(result) : 0.0L;
        }
        result = next;
        haveResult = true;
    }
    Report(ok, trusted);
    return trusted ? result : Clamp01(result);
}

long double ChiSquareCDF(int df, long double x, bool* ok) {
    return IncompleteGamma(static_cast<long double>(df) / 2.0L, x / 2.0L, ok);
}

}  // namespace halvorine
