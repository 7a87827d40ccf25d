// Quantiles of the ten distribution families against
// tests/fixtures/reference/distribution_quantiles.txt (scipy.stats), PowerX and NormalQuantile.
//
// Accuracy per family, as the algorithms reach it (ref = the exact quantile):
//   0 Constant      exact
//   1 Uniform       1e-15 of |ref| + range
//   2 Log Uniform   1e-14 relative
//   3 Normal        1.6e-8 x deviation absolute (AS 70's rational approximation of z is good to
//                   1.5e-8)
//   4 Log Normal    sigma x 1.6e-8 x (1 + |z|/z95) relative, sigma = ln(error factor)/z95: the
//                   same error of z at p and at 0.95, scaled; 5e-8 at an error factor of 10
//   5 Exponential   1e-13 of |ref - location|
//   6 Gamma         1e-11 of |ref - location| after AS 91's refinement; where the chi-square
//                   quantile ch is below 5e-6 it comes from the small-chi-square start unrefined,
//                   good to 1e-10 + 0.6 ch relative; exactly the location for p <= 2e-6 and
//                   p >= 0.999998
//   7 Weibull       1e-13 of |ref - location|
//   8 Beta          the beta quantile's: r = 1.49e-8 of the range next to its bounds (closer than
//                   1e-3 of the range), else the last Newton step's r^2 remainder (about 1e-15 of
//                   the range)
//   9 Triangular    1e-14 relative plus 4e-16 of the range (scipy's double-precision 1 - sqrt(..))
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>
#include <string>

#include "engine/constants.h"
#include "engine/distribution_quantiles.h"
#include "reference_table.h"

using namespace halvorine;

namespace {

const long double NaN = std::numeric_limits<long double>::quiet_NaN();
const long double Inf = std::numeric_limits<long double>::infinity();
const long double NoValueL = static_cast<long double>(NoValue);

TDistribution Record(int family, double p1, double p2, double p3, double p4) {
    TDistribution d;
    d.Family = static_cast<std::uint8_t>(family);
    d.P1 = p1;
    d.P2 = p2;
    d.P3 = p3;
    d.P4 = p4;
    return d;
}

TDistribution RecordOf(const ReferenceRow& row) {
    return Record(static_cast<int>(row.values[0]), row.values[1], row.values[2], row.values[3], row.values[4]);
}

std::string Describe(const ReferenceRow& row) {
    std::string s = "family " + std::to_string(static_cast<int>(row.values[0])) + " (";
    for (int i = 1; i <= 4; ++i) s += (i > 1 ? ", " : "") + std::to_string(row.values[i]);
    char p[40];
    std::snprintf(p, sizeof p, "%.17g", row.values[5]);
    return s + ") at p = " + p + " (line " + std::to_string(row.line) + ")";
}

bool GammaAtLocation(long double p) {
    return p <= 2e-6L || p >= 0.999998L;
}

long double Tolerance(const TDistribution& d, long double p, long double ref) {
    const long double P1 = d.P1, P2 = d.P2, P3 = d.P3, P4 = d.P4;
    switch (d.Family) {
    case FamilyConstant: return 0.0L;
    case FamilyUniform: return 1e-15L * (std::fabs(ref) + std::fabs(P2 - P1));
    case FamilyLogUniform: return 1e-14L * std::fabs(ref);
    case FamilyNormal: return 1.6e-8L * std::fabs(P2) + 1e-15L * std::fabs(ref);
    case FamilyLogNormal: {
        const long double z95 = 1.6448536269514722L;
        const long double sigma = std::log(P2) / z95;
        const long double z = std::fabs(NormalQuantile(p));
        return (sigma * 1.6e-8L * (1.0L + z / z95) + 1e-14L) * std::fabs(ref);
    }
    case FamilyExponential:
    case FamilyWeibull: return 1e-13L * std::fabs(ref - P4) + 1e-15L * std::fabs(ref);
    case FamilyGamma: {
        const long double above = std::fabs(ref - P4);
        const long double ch = 2.0L * P2 * above;
        const long double relative = ch < 5e-6L ? 1e-10L + 0.6L * ch : 1e-11L;
        return relative * above + 2.0L * DBL_EPSILON * std::fabs(ref);
    }
    case FamilyBeta: {
        const long double range = P4 - P3;
        const long double x = (ref - P3) / range;
        const long double distance = std::min(x, 1.0L - x);
        long double unit = 1.49e-8L;
        if (distance >= 1e-3L) {
            const long double curvature = std::fabs((P1 - 1.0L) / x - (P2 - 1.0L) / (1.0L - x));
            unit = 2.2204e-16L * curvature / 2.0L + 1e-13L * distance;
        }
        return unit * range + 1e-15L * std::fabs(ref);
    }
    case FamilyTriangular: return 1e-14L * std::fabs(ref) + 4e-16L * (P4 - P3);
    default: return 0.0L;
    }
}

void ExpectMatches(const ReferenceRow& row) {
    const TDistribution d = RecordOf(row);
    const long double p = row.values[5], expected = row.values[6];
    bool ok = false;
    const long double got = DistributionQuantile(p, d, &ok);
    EXPECT_TRUE(ok) << Describe(row);
    if (d.Family == FamilyGamma && GammaAtLocation(p)) {
        // The chi-square quantile is 0 outside 2e-6 < p < 0.999998 by design.
        EXPECT_EQ(got, static_cast<long double>(d.P4)) << Describe(row);
        return;
    }
    EXPECT_NEAR(got, expected, Tolerance(d, p, expected)) << Describe(row);
}

TEST(DistributionQuantile, EveryFamilyMatchesTheReferenceOnTheGrid) {
    // Each family with several parameter sets at 1e-6, 1e-5, 1e-3, 0.05, 0.25, 0.5, 0.75, 0.95,
    // 0.999 and 1 - 5e-7.
    const auto rows = RowsTagged(ReadReferenceTable("distribution_quantiles.txt"), "quantile", 7);
    int perFamily[10] = {};
    for (const auto& row : rows) {
        ++perFamily[static_cast<int>(row.values[0])];
        ExpectMatches(row);
    }
    for (int family = 0; family < 10; ++family) {
        EXPECT_GE(perFamily[family], 20) << "family " << family;
    }
}

TEST(DistributionQuantile, DefaultParametersAtTheUsualLevels) {
    // Each family's dialog defaults at 5, 50 and 95 % as 32-bit levels: Uniform 0.05, 0.5, 0.95;
    // Log Normal 0.5, 1, 2; Exponential 5.12933e-4, 6.93147e-3, 0.0299573; Gamma 5425.406,
    // 9668.715, 15705.22; Weibull 0.0512933, 0.693147, 2.995732; Beta 0.135350, 0.5, 0.864650;
    // Triangular 0.158114, 0.5, 0.841886 (the script checks scipy's values against these).
    const auto rows = RowsTagged(ReadReferenceTable("distribution_quantiles.txt"), "default", 7);
    ASSERT_EQ(rows.size(), 30u);
    for (const auto& row : rows) ExpectMatches(row);
}

TEST(DistributionQuantile, KnownValues) {
    struct Case {
        TDistribution d;
        long double p, expected, tolerance;
    };
    const long double ln2 = std::log(2.0L);
    const Case cases[] = {
        {Record(FamilyUniform, 0, 1, 0, 0), 0.05L, 0.05L, 1e-18L},
        {Record(FamilyUniform, 0, 1, 0, 0), 0.5L, 0.5L, 0.0L},
        {Record(FamilyUniform, 0, 1, 0, 0), 0.95L, 0.95L, 1e-18L},
        {Record(FamilyLogUniform, 0.0001, 1, 0, 0), 0.5L, 0.01L, 1e-17L},
        {Record(FamilyNormal, 0, 1, 0, 0), 0.5L, 0.0L, 0.0L},
        {Record(FamilyLogNormal, 1, 2, 0, 0), 0.95L, 2.0L, 1e-17L},
        {Record(FamilyLogNormal, 1, 2, 0, 0), 0.5L, 1.0L, 0.0L},
        {Record(FamilyExponential, 100, 0, 0, 0), 0.5L, ln2 / 100.0L, 1e-19L},
        {Record(FamilyExponential, 100, 0, 0, 7), 0.5L, 7.0L + ln2 / 100.0L, 1e-17L},
        // The lower branch of the triangle up to (m - a)/(b - a), the upper one after it.
        {Record(FamilyTriangular, 0, 0.5, 0, 1), 0.5L, 0.5L, 1e-18L},
        {Record(FamilyTriangular, 0, 0.5, 0, 1), 0.75L, 1.0L - std::sqrt(0.125L), 1e-18L},
        {Record(FamilyTriangular, 0, 0.5, 0, 1), 0.05L, std::sqrt(0.025L), 1e-18L},
        {Record(FamilyTriangular, 0, 0, 0, 1), 0.75L, 0.5L, 1e-18L},
        {Record(FamilyTriangular, 0, 1, 0, 1), 0.25L, 0.5L, 1e-18L},
        // A degenerate triangle a = m = b has its point as every quantile.
        {Record(FamilyTriangular, 0, 2, 2, 2), 0.3L, 2.0L, 0.0L},
        {Record(FamilyBeta, 2, 2, 0, 1), 0.5L, 0.5L, 1e-18L},
        {Record(FamilyBeta, 2, 2, 10, 20), 0.5L, 15.0L, 1e-16L},
        {Record(FamilyGamma, 1, 0.5, 0, 3), 0.5L, 3.0L + 2.0L * ln2, 1e-11L},
    };
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_NEAR(DistributionQuantile(c.p, c.d, &ok), c.expected, c.tolerance)
            << "family " << int(c.d.Family) << " at p = " << static_cast<double>(c.p);
        EXPECT_TRUE(ok);
    }
    // The normal quantiles at 5 % and 95 % are of equal size and opposite sign, and the log normal
    // ones with an error factor of 2 halve and double the median.
    const TDistribution normal = Record(FamilyNormal, 0, 1, 0, 0);
    const long double low = DistributionQuantile(0.05L, normal), high = DistributionQuantile(0.95L, normal);
    EXPECT_NEAR(low, -1.6449L, 1e-4L);
    EXPECT_NEAR(low + high, 0.0L, 1e-16L);
    const TDistribution logNormal = Record(FamilyLogNormal, 1, 2, 0, 0);
    EXPECT_NEAR(DistributionQuantile(0.05L, logNormal), 0.5L, 1e-16L);
}

TEST(DistributionQuantile, ConstantAndNoDistribution) {
    for (long double p : {1e-6L, 0.05L, 0.5L, 0.95L, 1.0L - 5e-7L}) {
        EXPECT_EQ(DistributionQuantile(p, Record(FamilyConstant, 3.25, 9, 9, 9)), 3.25L);
        for (int family : {10, int(FamilyNone), 12, 255}) {
            bool ok = false;
            EXPECT_EQ(DistributionQuantile(p, Record(family, 1, 2, 3, 4), &ok), 0.0L) << family;
            EXPECT_TRUE(ok);
        }
    }
}

TEST(DistributionQuantile, WeibullShapeZeroActsAsShapeOne) {
    for (long double p : {1e-6L, 0.05L, 0.5L, 0.95L}) {
        const long double zero = DistributionQuantile(p, Record(FamilyWeibull, 0, 0, 3, 2));
        const long double one = DistributionQuantile(p, Record(FamilyWeibull, 0, 1, 3, 2));
        const long double exponential = DistributionQuantile(p, Record(FamilyExponential, 1.0 / 3.0, 0, 0, 2));
        EXPECT_EQ(zero, one);
        EXPECT_NEAR(zero, exponential, 1e-15L);
        EXPECT_NEAR(zero, 2.0L - 3.0L * std::log(1.0L - p), 1e-16L);
    }
}

TEST(DistributionQuantile, GammaEqualsItsLocationWhereTheChiSquareQuantileIsZero) {
    const TDistribution gamma = Record(FamilyGamma, 10, 0.001, 0, 4.5);
    for (long double p : {1e-6L, 2e-6L, 0.999998L, 1.0L - 5e-7L}) {
        bool ok = false;
        EXPECT_EQ(DistributionQuantile(p, gamma, &ok), 4.5L) << "p = " << static_cast<double>(p);
        EXPECT_TRUE(ok);
    }
    EXPECT_GT(DistributionQuantile(2.1e-6L, gamma), 4.5L);
    EXPECT_GT(DistributionQuantile(0.999997L, gamma), DistributionQuantile(0.5L, gamma));
}

TEST(DistributionQuantile, LevelsOutsideTheOpenUnitIntervalGiveNoValue) {
    const TDistribution records[] = {
        Record(FamilyConstant, 1, 0, 0, 0),      Record(FamilyUniform, 0, 1, 0, 0),
        Record(FamilyLogUniform, 1e-4, 1, 0, 0), Record(FamilyNormal, 0, 1, 0, 0),
        Record(FamilyLogNormal, 1, 2, 0, 0),     Record(FamilyExponential, 100, 0, 0, 0),
        Record(FamilyGamma, 10, 0.001, 0, 0),    Record(FamilyWeibull, 0, 1, 1, 0),
        Record(FamilyBeta, 2, 2, 0, 1),          Record(FamilyTriangular, 0, 0.5, 0, 1),
        Record(FamilyNone, 0, 0, 0, 0),
    };
    for (const auto& d : records) {
        for (long double p : {0.0L, 1.0L, -0.1L, 1.1L, -0.0L, NaN, Inf, -Inf}) {
            bool ok = true;
            EXPECT_EQ(DistributionQuantile(p, d, &ok), NoValueL)
                << "family " << int(d.Family) << " at p = " << static_cast<double>(p);
            EXPECT_FALSE(ok);
        }
    }
    // The family functions follow the same rule.
    EXPECT_EQ(NormalFamilyQuantile(0.0L, 0.0L, 1.0L), NoValueL);
    EXPECT_EQ(ExponentialQuantile(1.0L, 1.0L, 0.0L), NoValueL);
    EXPECT_EQ(WeibullQuantile(1.0L, 1.0L, 1.0L, 0.0L), NoValueL);
    EXPECT_EQ(LogNormalQuantile(0.0L, 1.0L, 2.0L), NoValueL);
    EXPECT_EQ(UniformQuantile(1.0L, 0.0L, 1.0L), NoValueL);
    EXPECT_EQ(ConstantQuantile(-1.0L, 5.0L), NoValueL);
}

TEST(DistributionQuantile, ParametersWithoutAStorableQuantileGiveNoValue) {
    // Logarithms of non-positive bounds, zero rates and scales, non-finite parameters and powers,
    // and quantiles beyond what a 32-bit real can hold.
    const double big = 1e300;
    const TDistribution everywhere[] = {
        Record(FamilyConstant, Inf, 0, 0, 0),  Record(FamilyConstant, 1e39, 0, 0, 0),
        Record(FamilyUniform, 0, big, 0, 0),   Record(FamilyUniform, NaN, 1, 0, 0),
        Record(FamilyLogUniform, 0, 1, 0, 0),  Record(FamilyLogUniform, -1, 1, 0, 0),
        Record(FamilyLogUniform, 1, -1, 0, 0), Record(FamilyNormal, big, 1, 0, 0),
        Record(FamilyNormal, 0, Inf, 0, 0),    Record(FamilyLogNormal, 1, 0, 0, 0),
        Record(FamilyLogNormal, 1, -2, 0, 0),  Record(FamilyLogNormal, big, 2, 0, 0),
        Record(FamilyExponential, 0, 0, 0, 0), Record(FamilyGamma, 10, 0, 0, 0),
        Record(FamilyGamma, 10, 1e-300, 0, 0), Record(FamilyGamma, NaN, 1, 0, 0),
        Record(FamilyWeibull, 0, 1, Inf, 0),   Record(FamilyBeta, 0, 2, 0, 1),
        Record(FamilyBeta, 2, -1, 0, 1),       Record(FamilyBeta, NaN, 2, 0, 1),
        Record(FamilyBeta, 2, 2, 0, big),      Record(FamilyTriangular, 0, NaN, 0, 1),
    };
    for (const auto& d : everywhere) {
        for (long double p : {0.05L, 0.5L, 0.95L}) {
            bool ok = true;
            EXPECT_EQ(DistributionQuantile(p, d, &ok), NoValueL)
                << "family " << int(d.Family) << " (" << d.P1 << ", " << d.P2 << ", " << d.P3 << ", " << d.P4
                << ") at p = " << static_cast<double>(p);
            EXPECT_FALSE(ok);
        }
    }
    // A Weibull shape of 1e-5 raises -ln(1 - p) to the power 1e5: 3^1e5 at 95 % overflows, while
    // 0.69^1e5 at the median is simply 0 above the location.
    bool ok = true;
    EXPECT_EQ(DistributionQuantile(0.95L, Record(FamilyWeibull, 0, 1e-5, 1, 0), &ok), NoValueL);
    EXPECT_FALSE(ok);
    EXPECT_EQ(DistributionQuantile(0.5L, Record(FamilyWeibull, 0, 1e-5, 1, 0), &ok), 0.0L);
    EXPECT_TRUE(ok);
}

TEST(DistributionQuantile, OtherParametersOutsideTheDialogRulesAreComputedAsGiven) {
    // The dialog refuses these; the quantile functions still give their formulas' values.
    struct Case {
        TDistribution d;
        long double p, expected;
    };
    const Case cases[] = {
        {Record(FamilyNormal, 1, -2, 0, 0), 0.5L, 1.0L},
        {Record(FamilyUniform, 5, 1, 0, 0), 0.25L, 4.0L},
        {Record(FamilyGamma, 0, 1, 0, 2.5), 0.5L, 2.5L},  // shape 0: chi-square quantile 0
        {Record(FamilyGamma, -3, 1, 0, 2.5), 0.5L, 2.5L},
        {Record(FamilyExponential, -1, 0, 0, 0), 0.5L, -std::log(2.0L)},
        {Record(FamilyLogNormal, -4, 2, 0, 0), 0.5L, -4.0L},
        {Record(FamilyBeta, 2, 2, 1, 0), 0.5L, 0.5L},        // reversed bounds
        {Record(FamilyTriangular, 0, 2, 0, 1), 0.5L, 1.0L},  // mode above the maximum
    };
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_NEAR(DistributionQuantile(c.p, c.d, &ok), c.expected, 1e-15L) << "family " << int(c.d.Family);
        EXPECT_TRUE(ok);
    }
}

TEST(DistributionQuantile, HugeShapesEndWithNoValueInBoundedTime) {
    const TDistribution records[] = {
        Record(FamilyGamma, 1e15, 1, 0, 0),
        Record(FamilyGamma, 1e300, 1, 0, 0),
        Record(FamilyBeta, 1e15, 1e15, 0, 1),
        Record(FamilyBeta, 1e300, 1e300, 0, 1),
    };
    for (const auto& d : records) {
        for (long double p : {0.05L, 0.5L}) {
            bool ok = true;
            EXPECT_EQ(DistributionQuantile(p, d, &ok), NoValueL)
                << "family " << int(d.Family) << " (" << d.P1 << ", " << d.P2 << ") at p = " << static_cast<double>(p);
            EXPECT_FALSE(ok);
        }
    }
    // Huge parameters fail only where the result cannot be trusted: Beta(1e300, 3) lies within
    // 1e-299 of its upper bound and is found to the iteration's 1.49e-8 there.
    bool ok = false;
    EXPECT_NEAR(DistributionQuantile(0.5L, Record(FamilyBeta, 1e300, 3, 0, 1), &ok), 1.0L, 1.49e-8L);
    EXPECT_TRUE(ok);
    // Large but sensible shapes still work.
    ok = false;
    EXPECT_NEAR(DistributionQuantile(0.5L, Record(FamilyGamma, 1e6, 1, 0, 0), &ok), 1e6L - 1.0L / 3.0L, 1e-4L);
    EXPECT_TRUE(ok);
    ok = false;
    EXPECT_NEAR(DistributionQuantile(0.5L, Record(FamilyBeta, 1e6, 1e6, 0, 1), &ok), 0.5L, 1e-15L);
    EXPECT_TRUE(ok);
}

TEST(PowerX, SignsAndSpecialBases) {
    struct Case {
        long double x, y, expected;
    };
    const Case cases[] = {
        {-2.0L, 3.0L, -8.0L},
        {-2.0L, 2.0L, 4.0L},
        {-2.0L, -3.0L, -0.125L},
        {-2.0L, 0.5L, 0.0L},  // a negative base with a fractional exponent
        {-2.0L, -2.5L, 0.0L},
        {0.0L, 2.0L, 0.0L},
        {0.0L, 0.0L, 0.0L},  // 0 for any exponent, including 0 and negatives
        {0.0L, -1.0L, 0.0L},
        {4.0L, 0.5L, 2.0L},
        {8.0L, 1.0L / 3.0L, 2.0L},
        // Integral to within 1e-9 counts as integral (the power itself is not rounded) ...
        {-8.0L, 3.0L + 5e-10L, -std::exp((3.0L + 5e-10L) * std::log(8.0L))},
        {-2.0L, -3.0L - 5e-10L, -std::exp((-3.0L - 5e-10L) * std::log(2.0L))},
        // ... but the fraction is taken by truncation, so just below an integer it is 0.99...
        {-2.0L, 3.0L - 5e-10L, 0.0L},
    };
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_NEAR(PowerX(c.x, c.y, &ok), c.expected, 1e-15L * std::fabs(c.expected) + 1e-18L)
            << "x = " << static_cast<double>(c.x) << ", y = " << static_cast<double>(c.y);
        EXPECT_TRUE(ok);
    }
}

TEST(PowerX, ParityOfLargeExponentsNeedsNoIntegerConversion) {
    // Exponents far beyond 16 (or 64) bits keep their parity.
    struct Case {
        long double y, expected;
    };
    const Case cases[] = {
        {32767.0L, -1.0L},      {32768.0L, 1.0L},
        {32769.0L, -1.0L},      {65537.0L, -1.0L},
        {-70001.0L, -1.0L},     {1e6L + 1.0L, -1.0L},
        {4294967297.0L, -1.0L}, {9007199254740993.0L, -1.0L},  // 2^53 + 1, exact in extended precision
        {1e20L, 1.0L},          {1e30L, 1.0L},
        {-1e300L, 1.0L},
    };
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_EQ(PowerX(-1.0L, c.y, &ok), c.expected) << "y = " << static_cast<double>(c.y);
        EXPECT_TRUE(ok);
    }
    EXPECT_NEAR(PowerX(-1.0000001L, 65537.0L), -std::exp(65537.0L * std::log(1.0000001L)), 1e-15L);
}

TEST(PowerX, OverflowAndNaNFail) {
    struct Case {
        long double x, y;
    };
    const Case cases[] = {{10.0L, 1e6L}, {-10.0L, 1e6L + 1.0L}, {NaN, 2.0L}, {2.0L, NaN}, {Inf, 2.0L}};
    for (const auto& c : cases) {
        bool ok = true;
        EXPECT_EQ(PowerX(c.x, c.y, &ok), 0.0L)
            << "x = " << static_cast<double>(c.x) << ", y = " << static_cast<double>(c.y);
        EXPECT_FALSE(ok);
    }
    // Underflow is a plain 0, not a failure.
    bool ok = false;
    EXPECT_EQ(PowerX(1e-10L, 1e6L, &ok), 0.0L);
    EXPECT_TRUE(ok);
}

TEST(NormalQuantile, SymmetryAccuracyAndFailures) {
    EXPECT_EQ(NormalQuantile(0.5L), 0.0L);
    for (long double p : {1e-6L, 0.001L, 0.05L, 0.3L}) {
        // 1 - (1 - p) differs from p in the last bits of extended precision.
        EXPECT_NEAR(NormalQuantile(p), -NormalQuantile(1.0L - p), 1e-13L) << static_cast<double>(p);
    }
    // AS 70 at its known points, to its 1.5e-8.
    EXPECT_NEAR(NormalQuantile(0.975L), 1.959963984540054L, 1.5e-8L);
    EXPECT_NEAR(NormalQuantile(0.95L), 1.6448536269514722L, 1.5e-8L);
    EXPECT_NEAR(NormalQuantile(1e-6L), -4.753424308822899L, 1.5e-8L);
    for (long double p : {0.0L, 1.0L, -0.5L, 1.5L, NaN, Inf}) {
        bool ok = true;
        EXPECT_EQ(NormalQuantile(p, &ok), 0.0L) << static_cast<double>(p);
        EXPECT_FALSE(ok);
    }
}

}  // namespace
