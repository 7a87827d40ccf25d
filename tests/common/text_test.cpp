#include <gtest/gtest.h>

#include <cmath>

#include "common/core/text.h"

namespace {

TEST(Text, NextWordWalksTheLine) {
    const std::string line = "  12  ab";
    int pos = 1;
    EXPECT_EQ(NextWord(line, pos), "12");
    EXPECT_EQ(pos, 5);
    EXPECT_EQ(NextWord(line, pos), "ab");
    EXPECT_EQ(pos, 9);
    EXPECT_EQ(NextWord(line, pos), "");
    EXPECT_EQ(pos, 9);

    pos = 1;
    EXPECT_EQ(NextWord("", pos), "");
    EXPECT_EQ(pos, 1);
    pos = 3;
    EXPECT_EQ(NextWord("abcdef", pos), "cdef");  // starts inside a word
    EXPECT_EQ(pos, 7);
}

TEST(Text, CarriageReturnIsNeverPartOfAWord) {
    int pos = 1;
    EXPECT_EQ(NextWord("1.5\r", pos), "1.5");
    EXPECT_EQ(pos, 4);
    EXPECT_EQ(NextWord("1.5\r", pos), "");
    EXPECT_EQ(pos, 5);
    pos = 1;
    EXPECT_EQ(NextWord("\r\r x\ry", pos), "x");
    EXPECT_EQ(pos, 5);
}

TEST(Text, NextWordAsciiStopsAboveTilde) {
    const std::string line = " ab\xC3\xA9 cd";
    int pos = 1;
    EXPECT_EQ(NextWordAscii(line, pos), "ab");
    EXPECT_EQ(pos, 4);  // on the first byte above 126
    EXPECT_EQ(NextWordAscii(line, pos), "");
    EXPECT_EQ(pos, 4);
    pos = 1;
    EXPECT_EQ(NextWord(line, pos), "ab\xC3\xA9");
    EXPECT_TRUE(IsPrintableText(""));
    EXPECT_TRUE(IsPrintableText(" ~az"));
    EXPECT_FALSE(IsPrintableText("a\x7F"));
    EXPECT_FALSE(IsPrintableText("a\tb"));
    EXPECT_FALSE(IsPrintableText("\xC3\xA9"));
}

TEST(Text, IdentifiersAndScales) {
    EXPECT_TRUE(SameTextNoCase("abc", "ABC"));
    EXPECT_TRUE(SameTextNoCase("a_1Z", "A_1z"));
    EXPECT_FALSE(SameTextNoCase("", ""));
    EXPECT_FALSE(SameTextNoCase("ab", "abc"));
    EXPECT_FALSE(SameTextNoCase("\xE9", "\xC9"));  // ASCII letters only
    EXPECT_EQ(UpperCaseAscii("aZ\xE9-q"), "AZ\xE9-Q");

    EXPECT_TRUE(IsLogScale("log"));
    EXPECT_TRUE(IsLogScale("LoG"));
    EXPECT_FALSE(IsLogScale(" log"));
    EXPECT_FALSE(IsLogScale("LOG "));
    EXPECT_FALSE(IsLogScale("UNI"));

    struct Case {
        const char* word;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"uni", "LOG", "uni"}, {"Log", "UNI", "Log"}, {"lin", "UNI", "LOG"}, {"", "uni", "uni"}, {"LOGS", "UNI", "LOG"},
    };
    for (const auto& c : cases) {
        std::string scale = c.before;
        NormaliseScale(c.word, scale);
        EXPECT_EQ(scale, c.after) << c.word;
    }
}

TEST(Text, FitToWidth) {
    struct Case {
        const char* text;
        int width;
        const char* expected;
    };
    const Case cases[] = {
        {"   abcdef", 4, "abcd"},
        {"ab", 4, "ab  "},
        {"abcd", 4, "abcd"},
        {"   ab", 4, "ab  "},  // longer, but only blanks go
        {"", 3, "   "},
        // Numbers lose blanks, never digits.
        {"   -1.234E-005", 10, "-1.234E-005"},
        {"   -1.234E-005", 12, " -1.234E-005"},
        {"    1,5", 4, " 1,5"},
        {"1.235E004", 5, "1.235E004"},
        {"  12  ", 3, "12 "},
        {"123456", 4, "123456"},
        {" +7e3", 2, "+7e3"},
        // Not numbers: cut as text.
        {"12ab34", 4, "12ab"},
        {"1.2.3", 3, "1.2"},
        {"1E", 1, "1"},
        {"-", 0, ""},
    };
    for (const auto& c : cases) {
        std::string text = c.text;
        FitToWidth(text, c.width);
        EXPECT_EQ(text, c.expected) << '"' << c.text << "\" to " << c.width;
    }
}

TEST(Text, TrimAndCut) {
    EXPECT_EQ(Trim(" \t a b\r\n"), "a b");
    EXPECT_EQ(TrimLeft("\x01 x "), "x ");
    EXPECT_EQ(TrimRight(" x \x1F"), " x");
    EXPECT_EQ(Trim("  \r "), "");
    EXPECT_EQ(Trim("\xE9 "), "\xE9");  // bytes above 127 are not blanks
    EXPECT_EQ(CutTo("abcdef", 3), "abc");
    EXPECT_EQ(CutTo("ab", 3), "ab");
    EXPECT_EQ(CutTo("ab", 0), "");
}

TEST(Text, TolerantComparisons) {
    EXPECT_TRUE(NearlyEqual(1, 1 + 1e-10f));
    EXPECT_TRUE(NearlyEqual(1e-17f, 0));   // absolute tolerance when b is 0
    EXPECT_FALSE(NearlyEqual(0, 1e-17f));  // relative to b otherwise
    EXPECT_FALSE(NearlyEqual(1e-15f, 0));
    EXPECT_FALSE(NearlyEqual(1, std::nextafter(1.0f, 2.0f)));  // one float step is 1.2e-7 > 1e-9
    EXPECT_TRUE(NearlyEqual(-3, -3));

    EXPECT_TRUE(DefinitelyLess(-2, -2));  // negative tolerance
    EXPECT_FALSE(DefinitelyLess(2, 2));
    EXPECT_TRUE(DefinitelyLess(1, std::nextafter(1.0f, 2.0f)));
    EXPECT_FALSE(DefinitelyLess(0, 0));
    EXPECT_TRUE(DefinitelyLess(-1e-15f, 0));
    EXPECT_FALSE(DefinitelyLess(-1e-17f, 0));  // within 1e-16 of zero
    // 1e-16 is the 32-bit constant: -1e-16f + 1e-16f is exactly 0, not below 0.
    EXPECT_FALSE(DefinitelyLess(-1e-16f, 0));
    EXPECT_TRUE(DefinitelyLess(std::nextafter(-1e-16f, -1.0f), 0));

    // The extended form compares values no 32-bit rounding has touched: two logarithms that
    // round to the same float differ here by more than the tolerance.
    const long double a = std::log(1e6L);
    const long double b = std::log(1e6L + 0.0625L);
    ASSERT_EQ(static_cast<float>(a), static_cast<float>(b));
    EXPECT_FALSE(NearlyEqualExtended(a, b));
    EXPECT_TRUE(NearlyEqualExtended(a, a * (1 + 1e-12L)));
    EXPECT_TRUE(NearlyEqualExtended(1e-17L, 0));
    EXPECT_FALSE(NearlyEqualExtended(0, 1e-17L));
}

}  // namespace
