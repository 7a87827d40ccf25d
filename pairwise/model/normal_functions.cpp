#include "pairwise/model/normal_functions.h"

#include <cmath>
#include <unordered_map>

#include "pairwise/model/checked_math.h"

namespace trindel {

namespace {

constexpr long double Pi = 3.141592653589793238462643383279502884L;

// sqrt(2 pi) and the densities at 1 and 2, as the expansions use them.
struct NormalConstants {
    long double S;
    long double Phi1;
    long double Phi2;
};

const NormalConstants& Constants() {
    static const NormalConstants c = [] {
        NormalConstants k{};
        k.S = std::sqrt(2 * Pi);
        k.Phi1 = (1 / k.S) / std::sqrt(std::exp(1.0L));
        k.Phi2 = (1 / k.S) / std::sqrt(std::exp(4.0L));
        return k;
    }();
    return c;
}

struct Range {
    long double Start;      // start value of z
    long double Expansion;  // the point c the series is taken about
};

// F(z) of the range, u = z - c. The last divisor of the central series is 43725, formed as
// u^11 / 165 / 265; the anchors 0.8413 and 0.9772 are four-digit values of Phi(1), Phi(2).
long double Expansion(int range, long double u, const NormalConstants& k) {
    const long double u2 = u * u;
    const long double u3 = u2 * u;
    const long double u4 = u3 * u;
    const long double u5 = u4 * u;
    const long double u6 = u5 * u;
    const long double u7 = u6 * u;
    switch (range) {
    case 1: {
        const long double u9 = u7 * u2;
        const long double u11 = u9 * u2;
        return 0.5L + (1 / k.S) * (u - u3 / 6 + u5 / 40 - u7 / 336 + u9 / 3456 - u11 / 165 / 265);
    }
    case 2: return 0.8413L + k.Phi1 * (u - u2 / 2 + u4 / 12 - u5 / 60 - u6 / 120 + u7 / 315);
    default: return 0.9772L + k.Phi2 * (u - u2 + u3 / 2 - u4 / 12 - u5 / 24 - u6 / 40 + 11 * u7 / 5040);
    }
}

Range RangeStart(int range) {
    switch (range) {
    case 1: return {0.6L, 0};
    case 2: return {1.2L, 1};
    case 3: return {1.7L, 2};
    default: return {3.0L, 0};
    }
}

}  // namespace

Real48 NormalDistribution(Real48 x) {
    // The coefficients are six-byte reals; 0.3326 and 2 pi are extended.
    static const Real48 a1 = 0.4361836L;
    static const Real48 a2 = 0.1201676L;
    static const Real48 a3 = 0.9372980L;
    long double v = x;
    const bool negative = v < 0;
    if (negative) v = -v;
    const long double d = std::exp(-v * v / 2) / std::sqrt(2 * Pi);
    const long double t = CheckedDivide(1, 1 + 0.3326L * v);
    const long double f = 1 - d * (a1 * t - a2 * t * t + a3 * t * t * t);
    return negative ? 1 - f : f;
}

int InverseNormalRange(Real48 x) {
    if (x <= 0.8L) return 1;
    if (x <= 0.94L) return 2;
    if (x <= 0.994L) return 3;
    return 4;
}

Real48 DeviateTolerance() {
    return 1e-8L;
}

Real48 InverseNormalDeviate(Real48 p, Real48 tolerance, int* steps) {
    const NormalConstants& k = Constants();
    Real48 residual = 10.0L;
    bool mirrored = false;
    Real48 x = p;
    if (x < 0.5L) {
        x = 1 - x;
        mirrored = true;
    }
    const int range = InverseNormalRange(x);
    const Range r = RangeStart(range);
    Real48 z = r.Start;
    int count = 0;
    if (range != 4) {
        // The residual tested is the previous step's: the start value 10 forces one step.
        while (residual * residual > tolerance) {
            const long double u = z - r.Expansion;
            residual = Expansion(range, u, k) - x;
            // The density at u = z - c, not at z.
            const long double slope = std::exp(-u * u / 2) / k.S;
            z = z - CheckedDivide(residual, slope);
            ++count;
        }
    }
    if (steps) *steps = count;
    return mirrored ? Real48(-z) : z;
}

void InverseNormalMatrix(MatrixCells& z, const MatrixCells& p, Real48 tolerance) {
    const int n = RunItemCount;
    // Proportions are counts over pair counts, so most of them recur: each distinct one is
    // worked out once (the deviate depends on nothing else).
    static std::unordered_map<long double, Real48> known;
    known.clear();
    for (int i = 1; i <= n; ++i) {
        z[i][i] = 0;
        for (int j = i + 1; j <= n; ++j) {
            const long double proportion = p[i][j];
            auto [at, fresh] = known.try_emplace(proportion);
            if (fresh) at->second = InverseNormalDeviate(p[i][j], tolerance);
            const Real48 deviate = at->second;
            z[i][j] = deviate;
            z[j][i] = -deviate;
        }
    }
}

}  // namespace trindel
