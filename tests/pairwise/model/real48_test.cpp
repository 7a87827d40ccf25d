#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "common/core/calc_error.h"
#include "common/core/line_io.h"
#include "common/core/real48.h"

namespace {

std::array<std::uint8_t, 6> Bytes(const std::string& hex) {
    std::array<std::uint8_t, 6> b{};
    for (int i = 0; i < 6; ++i) b[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    return b;
}

double DoubleOf(const std::string& hex) {
    return std::bit_cast<double>(static_cast<std::uint64_t>(std::stoull(hex, nullptr, 16)));
}

CalcErrorKind KindOfStore(long double x) {
    try {
        Real48 r = x;
        (void)r;
    } catch (const CalcError& e) {
        return e.Kind();
    }
    ADD_FAILURE() << "no error for " << static_cast<double>(x);
    return CalcErrorKind::ZeroDivide;
}

TEST(Real48, EncodesAndDecodesTheKnownVectors) {
    struct Case {
        double value;
        const char* bytes;
    } cases[] = {{1.0, "810000000000"},  {-1.0, "810000000080"},   {0.5, "800000000000"},
                 {10.0, "840000000020"}, {1234.5, "8b000000501a"}, {0.0, "000000000000"}};
    for (const Case& c : cases) {
        EXPECT_EQ(Real48(c.value).Encode(), Bytes(c.bytes)) << c.value;
        EXPECT_EQ(static_cast<long double>(Real48::Decode(Bytes(c.bytes))), c.value) << c.bytes;
    }
    // Exponent byte 0 is zero whatever the other bytes hold.
    EXPECT_EQ(static_cast<long double>(Real48::Decode(Bytes("00ffffffffff"))), 0.0L);
}

// Rows computed exactly (fractions) by tests/fixtures/reference/real48_reference.py.
TEST(Real48, MatchesTheExactRoundingOfTheReferenceScript) {
    const auto lines = ReadTextLines(std::string(FIXTURES_DIR) + "/reference/real48_reference.txt");
    int rows = 0;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] == '#') continue;
        ++rows;
        const std::size_t close = line.find('|', 1);
        const double input = DoubleOf(line.substr(1, close - 1));
        const std::string rest = line.substr(close + 2);
        if (rest == "OVF") {
            EXPECT_EQ(KindOfStore(input), CalcErrorKind::Overflow) << line;
            continue;
        }
        const Real48 r = input;
        EXPECT_EQ(r.Encode(), Bytes(rest.substr(0, 12))) << line;
        EXPECT_EQ(static_cast<double>(r.Value()), DoubleOf(rest.substr(13))) << line;
        EXPECT_EQ(Real48::Decode(r.Encode()).Value(), r.Value()) << line;
    }
    EXPECT_GE(rows, 70);
}

TEST(Real48, RelativeErrorOfAStoreIsAtMostTwoToTheMinus40) {
    // Values with full 64-bit significands over the whole range, from a fixed generator.
    std::uint64_t state = 0x2545F4914F6CDD1Dull;
    const long double bound = std::ldexp(1.0L, -40);
    long double worst = 0;
    for (int i = 0; i < 20000; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const long double m = static_cast<long double>(state | (1ull << 63)) * std::ldexp(1.0L, -64);  // [0.5, 1)
        const int e = static_cast<int>(state % 250) - 125;
        const long double x = std::ldexp(m, e) * ((state >> 8) & 1 ? -1 : 1);
        const long double r = Real48(x);
        const long double rel = std::fabs(r - x) / std::fabs(x);
        worst = std::max(worst, rel);
        ASSERT_LE(rel, bound) << static_cast<double>(x);
    }
    EXPECT_GT(worst, bound / 2) << "the sweep should come near the bound";
}

TEST(Real48, RangeEndsOverflowUnderflowAndInvalidValues) {
    const long double largest = Real48::Largest();
    EXPECT_EQ(largest, std::ldexp(2.0L - std::ldexp(1.0L, -39), 126));
    EXPECT_NEAR(static_cast<double>(largest), 1.7014118346e38, 1e28);
    EXPECT_EQ(Real48(largest).Encode(), Bytes("ffffffffff7f"));
    EXPECT_EQ(Real48::SmallestNormal(), std::ldexp(1.0L, -128));
    EXPECT_EQ(Real48(Real48::SmallestNormal()).Encode(), Bytes("010000000000"));

    EXPECT_EQ(KindOfStore(1.8e38L), CalcErrorKind::Overflow);
    EXPECT_EQ(KindOfStore(-1e39L), CalcErrorKind::Overflow);
    EXPECT_EQ(KindOfStore(std::numeric_limits<long double>::infinity()), CalcErrorKind::Overflow);
    EXPECT_EQ(KindOfStore(std::numeric_limits<long double>::quiet_NaN()), CalcErrorKind::InvalidOperation);
    Real48 big = 1e38L;
    EXPECT_THROW(big *= 2, CalcError) << "a compound store rounds and checks too";

    // Below 2^-128 a value is stored as 0, without sign; within half a unit it rounds up instead.
    EXPECT_EQ(Real48(std::ldexp(1.0L, -129)).Value(), 0.0L);
    EXPECT_EQ(Real48(-1e-39L).Encode(), Bytes("000000000000"));
    EXPECT_FALSE(std::signbit(Real48(-0.0L).Value()));
    EXPECT_EQ(Real48(std::ldexp(1.0L - std::ldexp(1.0L, -41), -128)).Value(), std::ldexp(1.0L, -128));
}

TEST(Real48, ArithmeticIsWideAndEveryStoreRounds) {
    // At 1 the unit of the 40-bit significand is 2^-39. Adding 2^-41 (a quarter unit) to a
    // stored 1 rounds back to 1 at every store; the same three additions made wide and stored
    // once give 1 + 0.75 unit, which rounds up to 1 + 2^-39.
    const long double quarter = std::ldexp(1.0L, -41);
    Real48 stepwise = 1;
    for (int i = 0; i < 3; ++i) stepwise += quarter;
    EXPECT_EQ(stepwise.Value(), 1.0L);
    const Real48 once = 1.0L + quarter + quarter + quarter;
    EXPECT_EQ(once.Value(), 1.0L + std::ldexp(1.0L, -39));
    // Reading widens exactly: a product of two stored values is the long double product.
    const Real48 third = 1.0L / 3.0L;
    const long double wide = third * third;
    EXPECT_EQ(wide, third.Value() * third.Value());
}

TEST(CalcError, CarriesTheNamesTheRunDialogShows) {
    EXPECT_STREQ(CalcError(CalcErrorKind::ZeroDivide).what(), "Zero divide");
    EXPECT_STREQ(CalcError(CalcErrorKind::Overflow).what(), "Floating point overflow");
    EXPECT_STREQ(CalcError(CalcErrorKind::InvalidOperation).what(), "Invalid floating point operation");
}

}  // namespace
