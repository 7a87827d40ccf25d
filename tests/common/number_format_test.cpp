#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "common/core/number_format.h"
#include "common/core/pascal_str.h"
#include "reference_file.h"

namespace {

// Every row of the reference table (decimal module on the exact binary values).
TEST(NumberFormat, MatchesDecimalReference) {
    const auto lines = ReferenceLines("format_reference.txt");
    int checked = 0;
    for (const std::string& line : lines) {
        std::istringstream in(line);
        std::string tag, kind, hex;
        in >> tag >> kind >> hex;
        const long double x = ValueFromBits(kind[0], hex);
        const std::string expected = BarredText(line);
        if (tag == "F") {
            int width = 0, places = 0;
            char format = 0;
            in >> width >> places >> format;
            EXPECT_EQ(FormatReal(x, width, places, format), expected) << line;
        } else if (tag == "E") {
            int width = 0;
            in >> width;
            EXPECT_EQ(StrExp(x, width), expected) << line;
        } else if (tag == "X") {
            int width = 0, decimals = 0;
            in >> width >> decimals;
            EXPECT_EQ(StrFixed(x, width, decimals), expected) << line;
        } else {
            ADD_FAILURE() << "unknown row " << line;
        }
        ++checked;
    }
    EXPECT_GT(checked, 2000);
}

struct FormatCase {
    float x;
    int width;
    int places;
    char format;
    const char* expected;
};

TEST(NumberFormat, DisplayCases) {
    const FormatCase cases[] = {
        {12345.6f, 10, 4, 'g', " 1.235E004"},
        {0.0001f, 10, 4, 'g', "    0.0001"},
        {0.00001f, 10, 4, 'g', "    1E-005"},
        {123.456f, 10, 4, 'g', "     123.5"},
        {12.125f, 10, 4, 'g', "     12.13"},  // exact tie, away from zero
        {-12.125f, 10, 4, 'g', "    -12.13"},
        {1.03125f, 10, 4, 'f', "    1.0313"},
        {12345.6f, 10, 4, 'e', "1.235E+004"},
        {-0.5f, 10, 4, 'g', "      -0.5"},
        {0.0f, 10, 4, 'g', "         0"},
        {-0.0f, 10, 4, 'g', "         0"},
        {0.0f, 10, 4, 'e', "0.000E+000"},
        {0.0f, 10, 4, 'f', "    0.0000"},
        {-0.00001f, 10, 4, 'f', "    0.0000"},  // rounds to zero: no minus sign
        {9.99996f, 10, 4, 'g', "        10"},   // carry into a new digit
        {9999.6f, 10, 4, 'g', "     1E004"},    // the carry makes five integer digits
        {9999.4f, 10, 4, 'g', "      9999"},
        {0.000099999f, 10, 4, 'g', "    0.0001"},  // rounds up into the fixed range
        {-123456.0f, 5, 2, 'g', "-1.2E005"},       // longer than the width: never cut
        {1e38f, 10, 4, 'f', "99999996802856924650656260769173209088.0000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatReal(c.x, c.width, c.places, c.format), c.expected) << c.x << ' ' << c.format;
}

TEST(NumberFormat, SeparatorChangesOnlyThePoint) {
    for (const char format : {'f', 'e', 'g'}) {
        for (const float x : {12345.6f, -0.00001f, 1.03125f, 7.0f, 0.125f}) {
            std::string withPoint = FormatReal(x, 12, 4, format);
            for (char& c : withPoint)
                if (c == '.') c = ',';
            EXPECT_EQ(FormatReal(x, 12, 4, format, ','), withPoint) << x << ' ' << format;
        }
    }
}

TEST(NumberFormat, NonFiniteIsNamed) {
    EXPECT_EQ(FormatReal(std::numeric_limits<float>::infinity(), 10, 4, 'g'), "       INF");
    EXPECT_EQ(FormatReal(-std::numeric_limits<float>::infinity(), 5, 4, 'f'), " -INF");
    EXPECT_EQ(FormatReal(std::numeric_limits<float>::quiet_NaN(), 5, 4, 'e'), "  NAN");
}

TEST(NumberFormat, WideValuesKeepTheirExactDigits) {
    // 0.1 as a double is 0.1000000000000000055511151231257827...
    EXPECT_EQ(FormatReal(0.1, 20, 8, 'f'), "          0.10000000");
    EXPECT_EQ(FormatReal(0.1, 0, 20, 'f'), "0.10000000000000000555");
    // The largest long double: 4933 integer digits, exponent of four digits.
    EXPECT_EQ(FormatReal(std::numeric_limits<long double>::max(), 0, 4, 'e'), "1.190E+4932");
    EXPECT_EQ(FormatReal(std::numeric_limits<long double>::denorm_min(), 0, 4, 'g'), "3.645E-4951");
}

}  // namespace
