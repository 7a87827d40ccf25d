#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>

#include "common/core/pascal_str.h"
#include "reference_file.h"

namespace {

TEST(PascalStr, StrInt) {
    EXPECT_EQ(StrInt(7, 3), "  7");
    EXPECT_EQ(StrInt(-42, 2), "-42");  // never cut
    EXPECT_EQ(StrInt(0), "0");
    EXPECT_EQ(StrInt(1234, 6), "  1234");
    EXPECT_EQ(StrInt(LLONG_MIN), "-9223372036854775808");
    EXPECT_EQ(StrInt(LLONG_MAX, 0), "9223372036854775807");
}

struct ExpCase {
    long double x;
    int width;
    const char* expected;
};

TEST(PascalStr, StrExpForms) {
    const ExpCase cases[] = {
        {10.0f, 14, " 1.00000E+0001"},
        {7.5f, 12, " 7.500E+0000"},
        {1.0f, 5, " 1.0E+0000"},
        {1.0f, 7, " 1.0E+0000"},
        {0.0f, 14, " 0.00000E+0000"},
        {0.0f, 5, " 0.0E+0000"},
        {-0.0f, 14, " 0.00000E+0000"},
        {-999.6f, 14, "-9.99600E+0002"},
        {123.4567f, 14, " 1.23457E+0002"},
        // 1.04f is 1.0399999618530273...: at two digits it is 1.0, not a tie
        {1.04f, 5, " 1.0E+0000"},
        {1.04f, 12, " 1.040E+0000"},
        {1.05f, 5, " 1.0E+0000"},    // 1.05f is 1.0499999523...: below the tie
        {-0.125f, 7, "-1.3E-0001"},  // exact tie, away from zero for negatives too
        {0.125f, 7, " 1.3E-0001"},
        {9.999996f, 14, " 1.00000E+0001"},  // carry moves the exponent
        {0.05f, 5, " 5.0E-0002"},
        {1e-40f, 14, " 9.99995E-0041"},  // a float subnormal
    };
    for (const auto& c : cases)
        EXPECT_EQ(StrExp(c.x, c.width), c.expected) << static_cast<double>(c.x) << ':' << c.width;
}

TEST(PascalStr, StrFixedForms) {
    EXPECT_EQ(StrFixed(0.125f, 0, 2), "0.13");
    EXPECT_EQ(StrFixed(-0.125f, 6, 2), " -0.13");
    EXPECT_EQ(StrFixed(2.5f, 3, 0), "  3");
    EXPECT_EQ(StrFixed(-2.5f, 0, 0), "-3");
    EXPECT_EQ(StrFixed(-0.001f, 6, 2), "  0.00");
    EXPECT_EQ(StrFixed(0.1234567890123L, 14, 10), "  0.1234567890");
    EXPECT_EQ(StrFixed(123456.5f, 4, 1), "123456.5");  // never cut
    EXPECT_EQ(StrFixed(1.5f, 8, -3), "       2");      // negative decimals as none
}

// Positions follow Val: the first bad character, or length + 1 when the text ends early.
TEST(PascalStr, ValIntCodes) {
    struct Case {
        const char* text;
        int code;
        long long value;
    };
    const Case cases[] = {
        {"12", 0, 12},
        {"  -7", 0, -7},
        {"+0", 0, 0},
        {"12 ", 3, 0},
        {"", 1, 0},
        {"   ", 4, 0},
        {"-", 2, 0},
        {"$1A", 1, 0},
        {"0x1A", 2, 0},
        {"1.5", 2, 0},
        {"1e3", 2, 0},
        {"\t5", 1, 0},
        {"5\r", 2, 0},
        {"9223372036854775807", 0, LLONG_MAX},
        {"-9223372036854775808", 0, LLONG_MIN},
        {"9223372036854775808", 19, 0},
        {"-9223372036854775809", 20, 0},
        {"123456789012345678901", 20, 0},
    };
    for (const auto& c : cases) {
        long long out = 4242;
        EXPECT_EQ(ValInt(c.text, out), c.code) << '"' << c.text << '"';
        EXPECT_EQ(out, c.code == 0 ? c.value : 4242) << '"' << c.text << '"';
    }
}

TEST(PascalStr, ValRealCodes) {
    struct Case {
        const char* text;
        int code;
    };
    const Case cases[] = {
        {"", 1},        {" ", 2},    {"-", 2},    {".", 2},     {"+.", 3},   {"1e", 3},  {"1e+", 4},
        {"1ex", 3},     {"1.5 ", 4}, {"1.5x", 4}, {"inf", 1},   {"-inf", 2}, {"nan", 1}, {"NaN", 1},
        {"0x1A", 2},    {"$1A", 1},  {"1,5", 2},  {"1.2.3", 4}, {"e5", 1},   {"--1", 2}, {"1e5000", 7},
        {"-1e5000", 8}, {"1 2", 2},  {"\t1", 1},  {"1.5\r", 4},
    };
    for (const auto& c : cases) {
        long double out = 42;
        EXPECT_EQ(ValReal(c.text, out), c.code) << '"' << c.text << '"';
        EXPECT_EQ(out, 42) << '"' << c.text << '"';
    }
    long double out = 0;
    EXPECT_EQ(ValReal(" 1e-99999", out), 0);  // underflow is zero, not an error
    EXPECT_EQ(out, 0);
    EXPECT_EQ(ValReal("0e999999999999999999", out), 0);
    EXPECT_EQ(out, 0);
    float f = 0;
    EXPECT_FALSE(ParseReal32("3.5e38", f));
    EXPECT_FALSE(ParseReal32("1.5 ", f));
    EXPECT_TRUE(ParseReal32("-999.6", f));
    EXPECT_EQ(f, -999.6f);
}

std::uint32_t FloatBits(float f) {
    std::uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// Every text of the reference table (exact rational rounding), to extended and to float.
TEST(PascalStr, ValMatchesExactRounding) {
    const auto lines = ReferenceLines("val_reference.txt");
    ASSERT_GT(lines.size(), 50u);
    for (const std::string& line : lines) {
        const std::string text = BarredText(line);
        std::istringstream in(line.substr(line.rfind('|') + 1));
        std::string mantissa;
        in >> mantissa;
        long double value = 0;
        const int code = ValReal(text, value);
        if (mantissa == "OVF") {
            EXPECT_EQ(code, static_cast<int>(text.size()) + 1) << text;
        } else {
            int exponent = 0;
            in >> exponent;
            long double expected = std::ldexp(static_cast<long double>(std::stoull(mantissa, nullptr, 16)), exponent);
            if (text.find('-') != std::string::npos && text.find('-') < text.find_first_of("0123456789"))
                expected = -expected;
            EXPECT_EQ(code, 0) << text;
            EXPECT_EQ(value, expected) << text;
            EXPECT_EQ(std::signbit(value), std::signbit(expected)) << text;
        }
        std::string single;
        in >> single;
        float f = 0;
        const bool ok = ParseReal32(text, f);
        if (single == "OVF") {
            EXPECT_FALSE(ok) << text;
        } else {
            EXPECT_TRUE(ok) << text;
            EXPECT_EQ(FloatBits(f), std::stoul(single, nullptr, 16)) << text;
        }
    }
}

// Texts far longer than any halfway point between two extended values: the digits beyond
// those kept still decide between a tie and "just above".
TEST(PascalStr, ValRealVeryLongTexts) {
    const std::string tie = "1.0000000000000000000542101086242752217003726400434970855712890625";  // 1 + 2^-64
    const long double one = 1;
    const long double above = 1 + std::ldexp(1.0L, -63);
    long double out = 0;
    ASSERT_EQ(ValReal(tie + std::string(30000, '0'), out), 0);
    EXPECT_EQ(out, one);  // still a tie: to even
    ASSERT_EQ(ValReal(tie + std::string(30000, '0') + "1", out), 0);
    EXPECT_EQ(out, above);
    ASSERT_EQ(ValReal(std::string(25000, '0') + "1.5", out), 0);
    EXPECT_EQ(out, 1.5L);
    ASSERT_EQ(ValReal("0." + std::string(25000, '9'), out), 0);
    EXPECT_EQ(out, one);
}

// What Str writes, Val reads back to the same 14-character text.
TEST(PascalStr, StrExpRoundTrips) {
    for (const float x : {123.4567f, -999.6f, 1e-30f, 3.4e38f, 0.1f, -1.04f, 7.0f}) {
        const std::string text = StrExp(x, 14);
        float back = 0;
        ASSERT_TRUE(ParseReal32(text, back)) << text;
        EXPECT_EQ(StrExp(back, 14), text);
    }
}

// Near the largest float, rounding to a field's digits can go above it; what is written must
// still read back, as the nearest text toward zero.
TEST(PascalStr, StrExpReal32AlwaysReadsBack) {
    // 3.4026e38 to 4 digits is 3.403e38, above the largest float 3.40282e38: 3.402e38 instead.
    EXPECT_EQ(StrExpReal32(3.4026e38f, 12), " 3.402E+0038");
    EXPECT_EQ(StrExpReal32(-3.4026e38f, 12), "-3.402E+0038");
    EXPECT_EQ(StrExpReal32(3.4026e38f, 10), " 3.4E+0038");  // 3.4e38 lies below: kept
    EXPECT_EQ(StrExpReal32(3.4026e38f, 14), " 3.40260E+0038");
    EXPECT_EQ(StrExpReal32(1.5f, 12), StrExp(1.5f, 12));
    const float values[] = {FLT_MAX, -FLT_MAX, 3.4025e38f, 3.40255e38f, std::nextafter(FLT_MAX, 0.0f),
                            3.4e38f, 1e38f,    FLT_MIN,    -0.0f};
    for (int width = 8; width <= 26; ++width) {
        for (const float x : values) {
            const std::string text = StrExpReal32(x, width);
            float back = 0;
            ASSERT_TRUE(ParseReal32(text, back)) << text << " width " << width;
            // Within one unit of the last digit written.
            const int digits = std::min(18, std::max(2, width - 8));
            EXPECT_LE(std::fabs(static_cast<double>(back) - x),
                      std::fabs(static_cast<double>(x)) * std::pow(10.0, 1 - digits))
                << text;
        }
    }
    EXPECT_EQ(StrExpReal32(std::nanf(""), 14), StrExp(std::nanl(""), 14));
}

}  // namespace
