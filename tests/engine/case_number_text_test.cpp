// The quick forms of the case files' numbers give exactly what the general conversions give:
// on ties, carries, the ends of the ranges they take, and on many random values and texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "common/core/pascal_str.h"
#include "engine/case_number_text.h"

using namespace halvorine;

namespace {

std::string Written(float x) {
    std::string s;
    AppendCaseNumber(s, x);
    return s;
}

void ExpectWrittenAsStrExp(float x) {
    ASSERT_EQ(Written(x), StrExp(static_cast<long double>(x), 14)) << std::hexfloat << x;
}

TEST(CaseNumberTextTest, WritesWhatStrExpWrites) {
    // Exact ties round up (1234565 is a float), carries into a new digit, the ends of the quick
    // range and beyond it, zero of both signs, subnormals and the largest values.
    for (float x : {1234565.0f,
                    -1234565.0f,
                    2.5f,
                    0.5f,
                    9999995.0f,
                    9999999.0f,
                    0.999999f,
                    1e-7f,
                    5e-7f,
                    6e-7f,
                    3e-6f,
                    1.0f,
                    -999.6f,
                    1e30f,
                    3.4e38f,
                    -3.4e38f,
                    std::numeric_limits<float>::max(),
                    std::numeric_limits<float>::min(),
                    std::numeric_limits<float>::denorm_min(),
                    0.0f,
                    -0.0f,
                    std::ldexp(1.0f, -21),
                    std::ldexp(1.0f, -20),
                    std::ldexp(16777215.0f, -44),
                    std::ldexp(16777215.0f, -45),
                    std::ldexp(16777215.0f, 104)})
        ExpectWrittenAsStrExp(x);
    for (float x : {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()})
        ExpectWrittenAsStrExp(x);

    std::mt19937 rng(20261210);
    for (int t = 0; t < 200000; ++t) {
        const std::uint32_t bits = rng();
        float x;
        std::memcpy(&x, &bits, sizeof x);
        ExpectWrittenAsStrExp(x);
    }
    // The values of real studies: a few significant digits around the usual magnitudes.
    std::uniform_real_distribution<double> mantissa(1, 10);
    std::uniform_int_distribution<int> power(-8, 12);
    for (int t = 0; t < 100000; ++t) {
        const double v = std::round(mantissa(rng) * 1000) / 1000 * std::pow(10.0, power(rng));
        ExpectWrittenAsStrExp(static_cast<float>(t % 2 ? -v : v));
    }
}

void ExpectReadAsParseReal32(const std::string& text) {
    float general = 12345;
    const bool generalOk = ParseReal32(text, general);
    float quick = 12345;
    if (ParseCommonCaseNumber(text, quick)) {
        ASSERT_TRUE(generalOk) << text;
        ASSERT_EQ(std::signbit(quick), std::signbit(general)) << text;
        ASSERT_EQ(quick, general) << text;
    } else {
        ASSERT_EQ(quick, 12345) << text;  // untouched
    }
}

TEST(CaseNumberTextTest, ReadsWhatParseReal32Reads) {
    for (const char* text : {"1.23456E+0002",
                             "-1.23456E+0002",
                             "-0.00000E+0000",
                             "0",
                             "-0",
                             "7",
                             "12.5",
                             "1.5e3",
                             "1.5E-0003",
                             "1.5E+10",
                             "1.5E+11",
                             "1.5E-10",
                             "1.5E-11",
                             "99999999999999999999E+10",
                             "0.00000000000000000001E-10",
                             "3.4028235E+38",
                             "1e39",
                             "1e-46",
                             ".5",
                             "5.",
                             "+5",
                             " 5",
                             "5 ",
                             "1.5E",
                             "1.5E+",
                             "-",
                             "",
                             "1..5",
                             "1.5.5",
                             "1,5",
                             "0x10",
                             "inf",
                             "nan",
                             "-999.6",
                             "1.000000000000000000005",
                             "16777217",
                             "16777219",
                             "0.100000001490116119384765625",
                             "1.00000005960464477539062500001"})
        ExpectReadAsParseReal32(text);

    // Texts as the writer writes them, and as people write them, many near halfway between floats.
    std::mt19937 rng(7);
    for (int t = 0; t < 100000; ++t) {
        const std::uint32_t bits = rng();
        float x;
        std::memcpy(&x, &bits, sizeof x);
        if (!std::isfinite(x)) continue;
        std::string s;
        AppendCaseNumber(s, x);
        ExpectReadAsParseReal32(s.substr(s.find_first_not_of(' ')));
    }
    std::uniform_int_distribution<int> digit(0, 9), length(1, 22), exponent(-14, 14), choice(0, 3);
    for (int t = 0; t < 100000; ++t) {
        std::string s = choice(rng) == 0 ? "-" : "";
        const int before = length(rng), after = choice(rng) == 0 ? 0 : length(rng);
        for (int k = 0; k < before; ++k) s += static_cast<char>('0' + digit(rng));
        if (after > 0) {
            s += '.';
            for (int k = 0; k < after; ++k) s += static_cast<char>('0' + digit(rng));
        }
        if (choice(rng) != 0) s += (choice(rng) ? "E" : "e") + std::to_string(exponent(rng));
        ExpectReadAsParseReal32(s);
    }
}

}  // namespace
