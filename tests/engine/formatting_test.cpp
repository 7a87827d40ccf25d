#include <gtest/gtest.h>

#include <clocale>

#include "common/core/pascal_str.h"
#include "engine/formatting.h"
#include "engine/globals.h"

namespace {

// The display format follows the engine's settings and separator, never the C library's locale.
TEST(FormattingTest, FollowsTheDisplaySettingsNotTheLocale) {
    ResetGlobals();
    const char* locales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"};
    const char* chosen = nullptr;
    for (const char* l : locales)
        if ((chosen = std::setlocale(LC_ALL, l))) break;

    struct Case {
        float x;
        int width, places;
        char format;
        const char* point;
        const char* comma;
    } cases[] = {
        {12345.6f, 10, 4, 'g', " 1.235E004", " 1,235E004"},
        {123.456f, 10, 4, 'g', "     123.5", "     123,5"},
        {1.03125f, 10, 4, 'f', "    1.0313", "    1,0313"},
        {12345.6f, 10, 4, 'e', "1.235E+004", "1,235E+004"},
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

} // namespace
