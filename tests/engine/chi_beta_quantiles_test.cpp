// Chi-square quantile, incomplete beta function and beta quantile against
// tests/fixtures/reference/chi_beta_quantiles.txt (scipy).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/chi_beta_quantiles.h"
#include "engine/special_functions.h"
#include "reference_table.h"

using namespace halvorine;

namespace {

const long double NaN = std::numeric_limits<long double>::quiet_NaN();
const long double Inf = std::numeric_limits<long double>::infinity();

// Tolerance of ChiSquareQuantile:
// - a value below 5e-6 is the small-chi-square start returned as it is: the first term of the
//   series inverted, short by a relative ch/(2(v/2 + 1)) to first order (allowed: 0.6 ch), with
//   6e-11 more from the rounded ln 2 (0.6931471805) of the algorithm;
// - anything else has been through the Taylor refinement: 1e-11 relative.
long double ChiSquareTolerance(long double got, long double expected) {
    if (expected < 1e-300L) return 1e-300L;  // the reference underflowed a double
    const long double relative = got < 5e-6L ? 1e-10L + 0.6L * got : 1e-11L;
    return relative * expected;
}

// Tolerance of BetaQuantile. The iteration stops once a Newton step is at most r = 1.49e-8,
// absolute or relative to x. Next to 0 and 1 that leaves the quantile only within r. At least
// 1e-3 away from both the last step was a true Newton step of at most r, which leaves the
// quadratic remainder r^2 |f''/2f'| = r^2 |(a-1)/x - (b-1)/(1-x)| / 2, and the incomplete beta
// function's own 1e-13.
long double BetaTolerance(long double expected, long double a, long double b) {
    const long double distance = std::min(expected, 1.0L - expected);
    if (distance < 1e-3L) return 1.49e-8L;
    const long double r2 = 2.2204e-16L;
    const long double curvature = std::fabs((a - 1.0L) / expected - (b - 1.0L) / (1.0L - expected));
    return r2 * curvature / 2.0L + 1e-13L * distance;
}

TEST(ChiSquareQuantile, MatchesTheReference) {
    // v = 0.01 .. 2e6 over 2.5e-6 .. 0.999997: every start of the algorithm and Gamma shapes up
    // to 1e6.
    const auto rows = RowsTagged(ReadReferenceTable("chi_beta_quantiles.txt"), "chi2ppf", 3);
    ASSERT_GE(rows.size(), 250u);
    for (const auto& row : rows) {
        const long double p = row.values[0], v = row.values[1], expected = row.values[2];
        bool ok = false;
        const long double got = ChiSquareQuantile(p, v, &ok);
        EXPECT_TRUE(ok) << "p = " << row.values[0] << ", v = " << row.values[1];
        EXPECT_NEAR(got, expected, ChiSquareTolerance(got, expected))
            << "p = " << row.values[0] << ", v = " << row.values[1] << " (line " << row.line << ")";
    }
}

TEST(ChiSquareQuantile, KnownPointsOnEachStart) {
    struct Case {
        long double p, v, expected, tolerance;
    };
    const Case cases[] = {
        {0.5L, 2.0L, 2.0L * std::log(2.0L), 1e-12L},  // Wilson-Hilferty, refined
        {0.95L, 20.0L, 31.410432844230918L, 1e-9L},   // Wilson-Hilferty
        {1e-5L, 2.0L, 2.00001e-5L, 1e-10L},           // small chi-square start, then refined
        {0.5L, 0.3L, 0.0124696115L, 1e-9L},           // small chi-square start (0.3 < 0.8595)
        {0.9L, 0.3L, 0.8895970626L, 1e-9L},           // iterated start for v <= 0.32
    };
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_NEAR(ChiSquareQuantile(c.p, c.v, &ok), c.expected, c.tolerance)
            << "p = " << static_cast<double>(c.p) << ", v = " << static_cast<double>(c.v);
        EXPECT_TRUE(ok);
    }
}

TEST(ChiSquareQuantile, ZeroOutsideItsRangeWithoutFailing) {
    // These are results, not failures: a Gamma quantile there is its location.
    for (long double p : {1e-6L, 2e-6L, 0.999998L, 1.0L - 5e-7L, 0.0L, 1.0L, -1.0L, 2.0L}) {
        bool ok = false;
        EXPECT_EQ(ChiSquareQuantile(p, 20.0L, &ok), 0.0L) << "p = " << static_cast<double>(p);
        EXPECT_TRUE(ok) << "p = " << static_cast<double>(p);
    }
    for (long double v : {0.0L, -3.0L}) {
        bool ok = false;
        EXPECT_EQ(ChiSquareQuantile(0.5L, v, &ok), 0.0L);
        EXPECT_TRUE(ok);
    }
    // Just inside the range the quantile is computed.
    EXPECT_GT(ChiSquareQuantile(2.1e-6L, 20.0L), 0.0L);
    EXPECT_GT(ChiSquareQuantile(0.999997L, 20.0L), 0.0L);
}

TEST(ChiSquareQuantile, FailuresReturnZero) {
    struct Case {
        long double p, v;
    };
    // NaN arguments, an infinite v, and v = 2e15, where the incomplete gamma function cannot
    // converge at the centre.
    const Case cases[] = {{NaN, 2.0L}, {0.5L, NaN}, {0.5L, Inf}, {0.5L, 2e15L}, {0.05L, 2e15L}};
    for (const auto& c : cases) {
        bool ok = true;
        EXPECT_EQ(ChiSquareQuantile(c.p, c.v, &ok), 0.0L)
            << "p = " << static_cast<double>(c.p) << ", v = " << static_cast<double>(c.v);
        EXPECT_FALSE(ok) << "p = " << static_cast<double>(c.p) << ", v = " << static_cast<double>(c.v);
    }
}

TEST(IncompleteBeta, MatchesTheReference) {
    // Shapes below and above 1, skewed and up to 1e4, on both sides of (a + 1)/(a + b + 2),
    // where the function switches to the mirrored continued fraction.
    const auto rows = RowsTagged(ReadReferenceTable("chi_beta_quantiles.txt"), "betainc", 4);
    ASSERT_GE(rows.size(), 100u);
    for (const auto& row : rows) {
        const long double x = row.values[0], a = row.values[1], b = row.values[2];
        const long double expected = row.values[3];
        bool ok = false;
        const long double got = IncompleteBeta(x, a, b, &ok);
        EXPECT_TRUE(ok);
        // 1e-13 relative for the continued fraction, plus the rounding of the exponent of the
        // common factor, which grows with its terms (a ln x, b ln(1 - x), the log-gammas).
        const long double terms = std::fabs(LnGamma(a + b)) + std::fabs(a * std::log(x)) +
                                  std::fabs(b * std::log(1.0L - x)) + std::fabs(LnGamma(a)) + std::fabs(LnGamma(b));
        EXPECT_NEAR(got, expected, (1e-13L + 2e-19L * terms) * expected + 1e-300L)
            << "x = " << row.values[0] << ", a = " << row.values[1] << ", b = " << row.values[2] << " (line "
            << row.line << ")";
    }
}

TEST(IncompleteBeta, BoundsSymmetryAndFailures) {
    EXPECT_EQ(IncompleteBeta(0.0L, 2.0L, 3.0L), 0.0L);
    EXPECT_EQ(IncompleteBeta(-0.5L, 2.0L, 3.0L), 0.0L);
    EXPECT_EQ(IncompleteBeta(1.0L, 2.0L, 3.0L), 1.0L);
    EXPECT_EQ(IncompleteBeta(1.5L, 2.0L, 3.0L), 1.0L);
    // I_x(a, b) = 1 - I_(1-x)(b, a), and I_x(1, 1) = x.
    for (long double x : {0.01L, 0.3L, 0.5L, 0.77L, 0.999L}) {
        EXPECT_NEAR(IncompleteBeta(x, 2.5L, 7.0L), 1.0L - IncompleteBeta(1.0L - x, 7.0L, 2.5L), 1e-16L);
        EXPECT_NEAR(IncompleteBeta(x, 1.0L, 1.0L), x, 1e-17L);
    }
    struct Case {
        long double x, a, b;
    };
    const Case failing[] = {{0.5L, 0.0L, 1.0L}, {0.5L, 1.0L, -2.0L}, {0.5L, NaN, 1.0L},
                            {0.5L, 1.0L, Inf},  {NaN, 1.0L, 1.0L},   {0.5L, 1e15L, 1e15L}};
    for (const auto& c : failing) {
        bool ok = true;
        const long double got = IncompleteBeta(c.x, c.a, c.b, &ok);
        EXPECT_FALSE(ok) << "x = " << static_cast<double>(c.x) << ", a = " << static_cast<double>(c.a)
                         << ", b = " << static_cast<double>(c.b);
        EXPECT_TRUE(got >= 0.0L && got <= 1.0L);
    }
}

TEST(BetaContinuedFraction, StopsAtItsRoundLimitForHugeParameters) {
    // At the centre of Beta(1e15, 1e15) the fraction would need about 1e8 rounds.
    bool ok = true;
    const long double value = BetaContinuedFraction(0.5L, 1e15L, 1e15L, &ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(std::isfinite(value));
    // A moderate case converges: I_x(2, 3) = front * fraction / a,
    // with front = x^2 (1 - x)^3 / B(2, 3).
    ok = false;
    const long double x = 0.25L;
    const long double front = 12.0L * x * x * std::pow(1.0L - x, 3.0L);
    const long double exact = 1.0L - std::pow(1.0L - x, 3.0L) * (1.0L + 3.0L * x);  // 0.26171875
    EXPECT_NEAR(front * BetaContinuedFraction(x, 2.0L, 3.0L, &ok) / 2.0L, exact, 1e-17L);
    EXPECT_TRUE(ok);
}

TEST(BetaDensity, ValuesAndZeroWhereItIsNoNumber) {
    for (long double x : {0.1L, 0.5L, 0.9L}) {
        EXPECT_NEAR(BetaDensity(x, 2.0L, 2.0L), 6.0L * x * (1.0L - x), 1e-17L);
        EXPECT_NEAR(BetaDensity(x, 1.0L, 3.0L), 3.0L * (1.0L - x) * (1.0L - x), 1e-17L);
    }
    for (long double x : {0.0L, 1.0L, -0.1L, 1.1L, NaN}) {
        EXPECT_EQ(BetaDensity(x, 0.5L, 0.5L), 0.0L) << "x = " << static_cast<double>(x);
    }
    EXPECT_EQ(BetaDensity(0.5L, 0.0L, 2.0L), 0.0L);
    EXPECT_EQ(BetaDensity(0.5L, 2.0L, -1.0L), 0.0L);
    // Far from the centre of a large Beta the density underflows to 0.
    EXPECT_EQ(BetaDensity(0.01L, 1e5L, 1e5L), 0.0L);
}

TEST(BetaQuantileStart, CutOffsAndRange) {
    EXPECT_EQ(BetaQuantileStart(1e-10L, 2.0L, 3.0L), 0.0L);
    EXPECT_EQ(BetaQuantileStart(0.9999999999L, 2.0L, 3.0L), 1.0L);
    // Symmetric parameters at the median: y = 0, w = 0, start alpha/(alpha + beta).
    EXPECT_EQ(BetaQuantileStart(0.5L, 2.0L, 2.0L), 0.5L);
    // A start close to the quantile of Beta(5, 10) at 5 %, 50 % and 95 %.
    const long double quantiles[][2] = {{0.05L, 0.15272L}, {0.5L, 0.32575L}, {0.95L, 0.54001L}};
    for (const auto& q : quantiles) {
        const long double start = BetaQuantileStart(q[0], 5.0L, 10.0L);
        EXPECT_NEAR(start, q[1], 0.01L) << "p = " << static_cast<double>(q[0]);
    }
    for (long double p : {1e-9L, 0.001L, 0.3L, 0.999L}) {
        for (long double a : {1.01L, 3.0L, 1e6L}) {
            const long double start = BetaQuantileStart(p, a, 1.5L);
            EXPECT_TRUE(start >= 0.0L && start <= 1.0L);
        }
    }
}

TEST(BetaQuantile, MatchesTheReference) {
    // Shapes below and above 1, skewed and up to 1e4, at 1e-6 .. 1 - 5e-7.
    const auto rows = RowsTagged(ReadReferenceTable("chi_beta_quantiles.txt"), "betappf", 4);
    ASSERT_GE(rows.size(), 100u);
    for (const auto& row : rows) {
        const long double p = row.values[0], a = row.values[1], b = row.values[2];
        const long double expected = row.values[3];
        bool ok = false;
        const long double got = BetaQuantile(p, a, b, &ok);
        EXPECT_TRUE(ok);
        EXPECT_NEAR(got, expected, BetaTolerance(expected, a, b))
            << "p = " << row.values[0] << ", a = " << row.values[1] << ", b = " << row.values[2] << " (line "
            << row.line << ")";
    }
}

TEST(BetaQuantile, FarTailsBisectWhereNewtonHasNoSlopeOrWouldBounce) {
    // Below 1e-10 and above 1 - 1e-10 the iteration starts at a bound; for these parameters the
    // density there underflows, and the tenth-way steps alone would swing between the bounds
    // for all 100 steps. The result is within 1e-8 of its distance to the nearer bound: next to
    // 1 the incomplete beta function is only resolved to about 1e-19 absolute.
    const auto rows = RowsTagged(ReadReferenceTable("chi_beta_quantiles.txt"), "betappf_tail", 4);
    ASSERT_GE(rows.size(), 4u);
    for (const auto& row : rows) {
        const long double p = row.values[0], a = row.values[1], b = row.values[2];
        const long double expected = row.values[3];
        bool ok = false;
        const long double got = BetaQuantile(p, a, b, &ok);
        EXPECT_TRUE(ok) << "p = " << row.values[0] << ", a = " << row.values[1];
        EXPECT_NEAR(got, expected, 1e-8L * std::min(expected, 1.0L - expected))
            << "p = " << row.values[0] << ", a = " << row.values[1] << ", b = " << row.values[2];
    }
}

TEST(BetaQuantile, KnownValues) {
    bool ok = false;
    EXPECT_NEAR(BetaQuantile(0.5L, 2.0L, 2.0L, &ok), 0.5L, 1e-18L);
    EXPECT_TRUE(ok);
    // With alpha = 1 the start is the mean and the quantile 1 - (1 - p)^(1/beta).
    for (long double beta : {0.5L, 1.0L, 3.0L, 40.0L}) {
        for (long double p : {1e-3L, 0.05L, 0.5L, 0.95L}) {
            ok = false;
            const long double exact = 1.0L - std::pow(1.0L - p, 1.0L / beta);
            EXPECT_NEAR(BetaQuantile(p, 1.0L, beta, &ok), exact, BetaTolerance(exact, 1.0L, beta))
                << "beta = " << static_cast<double>(beta) << ", p = " << static_cast<double>(p);
            EXPECT_TRUE(ok);
        }
    }
}

TEST(BetaQuantile, ProbabilitiesZeroAndOneNeedNoIteration) {
    // Parameters that no iteration could handle still give the bounds at once.
    bool ok = false;
    EXPECT_EQ(BetaQuantile(0.0L, 1e300L, 1e300L, &ok), 0.0L);
    EXPECT_TRUE(ok);
    ok = false;
    EXPECT_EQ(BetaQuantile(1.0L, 1e300L, 1e300L, &ok), 1.0L);
    EXPECT_TRUE(ok);
    ok = true;
    BetaQuantile(0.5L, 1e300L, 1e300L, &ok);
    EXPECT_FALSE(ok);
}

TEST(BetaQuantile, FailuresStayInTheUnitInterval) {
    struct Case {
        long double p, alpha, beta, result;
    };
    const Case cases[] = {
        {0.5L, 0.0L, 2.0L, 0.0L}, {0.5L, 2.0L, -1.0L, 0.0L},  {0.5L, NaN, 2.0L, 0.0L},   {0.5L, 2.0L, Inf, 0.0L},
        {NaN, 2.0L, 2.0L, 0.0L},  {-0.25L, 2.0L, 2.0L, 0.0L}, {1.25L, 2.0L, 2.0L, 1.0L},
    };
    for (const auto& c : cases) {
        bool ok = true;
        EXPECT_EQ(BetaQuantile(c.p, c.alpha, c.beta, &ok), c.result)
            << "p = " << static_cast<double>(c.p) << ", alpha = " << static_cast<double>(c.alpha)
            << ", beta = " << static_cast<double>(c.beta);
        EXPECT_FALSE(ok);
    }
    // Parameters so large that the incomplete beta function cannot be trusted.
    for (long double huge : {1e12L, 1e15L, 1e300L}) {
        bool ok = true;
        const long double x = BetaQuantile(0.05L, huge, huge, &ok);
        EXPECT_FALSE(ok) << "alpha = beta = " << static_cast<double>(huge);
        EXPECT_TRUE(x >= 0.0L && x <= 1.0L);
    }
}

}  // namespace
