// ln Gamma, the incomplete gamma function and the chi-square distribution function against
// tests/fixtures/reference/special_functions.txt (scipy, checked against 50-digit values).
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "engine/special_functions.h"
#include "reference_table.h"

using namespace halvorine;

namespace {

const long double NaN = std::numeric_limits<long double>::quiet_NaN();
const long double Inf = std::numeric_limits<long double>::infinity();

// Accuracy of IncompleteGamma: 2e-13 relative for the series and continued fraction as they
// stop, plus the rounding of the exponent a ln x - x - ln Gamma(a), which grows with its terms.
// The reference values themselves are good to about 1e-16.
long double GammaTolerance(long double a, long double x, long double reference) {
    if (x <= 0.0L) return 1e-300L;
    const long double terms = std::fabs(a * std::log(x)) + x + std::fabs(LnGamma(a));
    return (2e-13L + 2e-19L * terms) * std::fabs(reference) + 1e-300L;
}

TEST(LnGamma, MatchesTheReferenceOverEveryRangeOfTheApproximation) {
    // Arguments from eps through the rational ranges to 1e300; 2e-15 relative covers the
    // reference's own rounding, the function itself is good to 1e-16.
    const auto rows = RowsTagged(ReadReferenceTable("special_functions.txt"), "lngamma", 2);
    ASSERT_GE(rows.size(), 50u);
    for (const auto& row : rows) {
        const long double x = row.values[0], expected = row.values[1];
        EXPECT_NEAR(LnGamma(x), expected, 2e-15L * std::fabs(expected) + 1e-19L)
            << "x = " << row.values[0] << " (line " << row.line << ")";
    }
}

TEST(LnGamma, KnownValues) {
    EXPECT_NEAR(LnGamma(1.0L), 0.0L, 1e-19L);
    EXPECT_NEAR(LnGamma(2.0L), 0.0L, 1e-19L);
    const long double lnSqrtPi = 0.5L * std::log(3.14159265358979323846264338327950288L);
    EXPECT_NEAR(LnGamma(0.5L), lnSqrtPi, 1e-18L);
    EXPECT_NEAR(LnGamma(0.5L), 0.5723649429247001L, 1e-16L);
    // ln 11! just at the top of the last rational range and ln 12! just inside Stirling's.
    EXPECT_NEAR(LnGamma(12.0L), std::log(39916800.0L), 1e-17L);
    EXPECT_NEAR(LnGamma(13.0L), std::log(479001600.0L), 1e-17L);
    // Below eps only -ln x remains.
    EXPECT_EQ(LnGamma(1e-20L), -std::log(1e-20L));
}

TEST(LnGamma, ArgumentsOutsideTheDomainGiveFiniteValues) {
    // Non-positive and non-finite arguments are not computed; a result beyond long double
    // saturates instead of becoming infinite.
    for (long double x : {-1.0L, -0.5L, -1e300L, 0.0L, NaN, Inf, -Inf}) {
        EXPECT_EQ(LnGamma(x), 0.0L) << "x = " << static_cast<double>(x);
    }
    EXPECT_EQ(LnGamma(LDBL_MAX / 2), LDBL_MAX);
    EXPECT_NEAR(LnGamma(1e-4000L), 4000.0L * std::log(10.0L), 1e-12L);
}

TEST(IncompleteGamma, MatchesTheReference) {
    // Shapes 1e-3 .. 1e6, each at x from the far lower tail through the centre and x = a + 1
    // (with the double just below it, taken by the series) to the upper tail.
    const auto rows = RowsTagged(ReadReferenceTable("special_functions.txt"), "gammainc", 3);
    ASSERT_GE(rows.size(), 200u);
    for (const auto& row : rows) {
        const long double a = row.values[0], x = row.values[1], expected = row.values[2];
        bool ok = false;
        const long double got = IncompleteGamma(a, x, &ok);
        EXPECT_TRUE(ok) << "a = " << row.values[0] << ", x = " << row.values[1];
        EXPECT_NEAR(got, expected, GammaTolerance(a, x, expected))
            << "a = " << row.values[0] << ", x = " << row.values[1] << " (line " << row.line << ")";
    }
}

TEST(ChiSquareCDF, MatchesTheReference) {
    // Degrees of freedom 1..100 (the calibration uses the number of quantiles, at most 25).
    const auto rows = RowsTagged(ReadReferenceTable("special_functions.txt"), "chi2cdf", 3);
    ASSERT_GE(rows.size(), 150u);
    for (const auto& row : rows) {
        const int df = static_cast<int>(row.values[0]);
        const long double x = row.values[1], expected = row.values[2];
        bool ok = false;
        const long double got = ChiSquareCDF(df, x, &ok);
        EXPECT_TRUE(ok) << "df = " << df << ", x = " << row.values[1];
        EXPECT_NEAR(got, expected, GammaTolerance(df / 2.0L, x / 2.0L, expected))
            << "df = " << df << ", x = " << row.values[1] << " (line " << row.line << ")";
    }
}

TEST(ChiSquareCDF, CalibrationEdgeCases) {
    // No surprise at all: statistic 0, calibration exactly 1.
    EXPECT_EQ(ChiSquareCDF(3, 0.0L), 0.0L);
    EXPECT_EQ(1.0L - ChiSquareCDF(3, 0.0L), 1.0L);
    // The 95 % points as tabulated to six digits.
    EXPECT_NEAR(ChiSquareCDF(3, 7.81473L), 0.95L, 1e-6L);
    EXPECT_NEAR(ChiSquareCDF(1, 3.84146L), 0.95L, 1e-6L);
    // A statistic so poor that the upper tail is below the resolution of extended precision
    // gives a p-value of exactly 0, not some rounding residue.
    EXPECT_EQ(1.0L - ChiSquareCDF(3, 100.0L), 0.0L);
    EXPECT_EQ(1.0L - ChiSquareCDF(25, 1e6L), 0.0L);
    EXPECT_GT(1.0L - ChiSquareCDF(3, 60.0L), 0.0L);
}

TEST(IncompleteGamma, SeriesAndContinuedFractionMeetAtAPlusOne) {
    // x = a + 1 is taken by the continued fraction and the next double down by the series;
    // the two agree to the accuracy of either.
    for (long double a : {0.5L, 1.5L, 2.5L, 10.0L, 100.0L, 1e4L}) {
        const long double x = a + 1.0L;
        const long double below = std::nextafter(static_cast<double>(x), 0.0);
        bool okAt = false, okBelow = false;
        const long double at = IncompleteGamma(a, x, &okAt);
        const long double justBelow = IncompleteGamma(a, below, &okBelow);
        EXPECT_TRUE(okAt);
        EXPECT_TRUE(okBelow);
        // The density times the step between the two arguments, plus both errors.
        const long double density = std::exp((a - 1.0L) * std::log(x) - x - LnGamma(a));
        EXPECT_NEAR(at, justBelow, density * (x - below) + 2.0L * GammaTolerance(a, x, at))
            << "a = " << static_cast<double>(a);
    }
}

TEST(IncompleteGamma, DefinedResultsAndFailuresAtTheEdges) {
    struct Case {
        long double a, x, result;
        bool ok;
    };
    const Case cases[] = {
        {2.0L, 0.0L, 0.0L, true},   // the lower end
        {2.0L, -3.0L, 0.0L, true},  // below it: no probability
        {2.0L, Inf, 1.0L, true},    // the upper end
        {0.0L, 1.0L, 0.0L, false},  // no distribution with shape 0 or less
        {-1.5L, 1.0L, 0.0L, false}, {NaN, 1.0L, 0.0L, false}, {Inf, 1.0L, 0.0L, false}, {2.0L, NaN, 0.0L, false},
    };
    for (const auto& c : cases) {
        bool ok = !c.ok;
        EXPECT_EQ(IncompleteGamma(c.a, c.x, &ok), c.result)
            << "a = " << static_cast<double>(c.a) << ", x = " << static_cast<double>(c.x);
        EXPECT_EQ(ok, c.ok) << "a = " << static_cast<double>(c.a) << ", x = " << static_cast<double>(c.x);
    }
    bool ok = true;
    EXPECT_EQ(ChiSquareCDF(0, 1.0L, &ok), 0.0L);
    EXPECT_FALSE(ok);
    ok = true;
    EXPECT_EQ(ChiSquareCDF(-4, 1.0L, &ok), 0.0L);
    EXPECT_FALSE(ok);
    // Without an ok the functions are still callable.
    EXPECT_EQ(IncompleteGamma(-1.0L, 1.0L), 0.0L);
}

TEST(IncompleteGamma, HugeShapeFailsInsteadOfRunningOnOrGuessing) {
    // Near the centre of a shape of 1e15 either loop would need about 1e8 rounds and stops at its
    // limit; a little further out the continued fraction converges, but the exponent's terms are
    // so large that their rounding alone costs about 1e-3 of the result.
    for (long double x : {1e15L, 1e15L + 1.0L, 1e15L - 3e7L, 1e15L + 3e7L, 1e15L + 1e8L}) {
        bool ok = true;
        const long double p = IncompleteGamma(1e15L, x, &ok);
        EXPECT_FALSE(ok) << "x = " << static_cast<double>(x);
        EXPECT_TRUE(p >= 0.0L && p <= 1.0L) << "x = " << static_cast<double>(x);
    }
    // Far out in the tails the common factor is 0 whatever its rounding, and the result exact.
    bool ok = false;
    EXPECT_EQ(IncompleteGamma(1e15L, 2e15L, &ok), 1.0L);
    EXPECT_TRUE(ok);
    ok = false;
    EXPECT_EQ(IncompleteGamma(1e15L, 5e14L, &ok), 0.0L);
    EXPECT_TRUE(ok);
    // A shape of 1e6 still works to about 1e-12 (checked against the reference above).
    ok = false;
    IncompleteGamma(1e6L, 1e6L, &ok);
    EXPECT_TRUE(ok);
}

}  // namespace
