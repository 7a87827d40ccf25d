#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include "common/core/pascal_str.h"
#include "engine/formatting.h"
#include "engine/globals.h"

using namespace halvorine;

namespace {

// The display format follows the engine's settings and separator, never the C library's locale.
TEST(FormattingTest, FollowsTheDisplaySettingsNotTheLocale) {
    ResetGlobals();
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale on this machine";
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 1.5);
    ASSERT_STREQ(printed, "1,5") << "the C library now writes decimal commas";

    struct Case {
        float x;
        int width, places;
        char format;
        const char* point;
        const char* comma;
    } cases[] = {
        {12345.6f, 10, 4, 'g', " 1.235E004", " 1,235E004"}, {123.456f, 10, 4, 'g', "     123.5", "     123,5"},
        {1.03125f, 10, 4, 'f', "    1.0313", "    1,0313"}, {12345.6f, 10, 4, 'e', "1.235E+004", "1,235E+004"},
        {0.00001f, 5, 2, 'g', "1E-005", "1E-005"},
    };
    for (const auto& c : cases) {
        FieldWidth = c.width;
        DecimalPlaces = c.places;
        FloatFormat = c.format;
        DecimalSeparator = '.';
        EXPECT_EQ(FormatNumber(c.x), c.point);
        DecimalSeparator = ',';
        EXPECT_EQ(FormatNumber(c.x), c.comma);
    }
    // Case files always use the point.
    long double v = 0;
    EXPECT_EQ(ValReal("1.5", v), 0);
    EXPECT_EQ(v, 1.5L);
    std::setlocale(LC_ALL, "C");
    ResetGlobals();
}

}  // namespace
