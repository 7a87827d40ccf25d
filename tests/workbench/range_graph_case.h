// A small calculated case for the range-graph tests, with its graph lines worked out by hand.
#pragma once

#include <string>
#include <vector>

#include "engine/case_builder.h"
#include "engine/globals.h"
#include "engine/intrinsic_range.h"
#include "engine/tables.h"

using namespace halvorine;

namespace rangegraph_test {

inline std::string Blanks(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}
inline std::string Dashes(int n, char c = '-') {
    return std::string(static_cast<std::size_t>(n), c);
}
inline std::string Dm(int n) {
    return Dashes(n, '=');
}

// Levels 5, 50, 95 %. Items: 1 "Flow" UNI realisation 50, 2 "Depth" LOG realisation 100,
// 3 "Cost" UNI without realisation. Experts E1, E2, E3 (E3 answered only item 1), then the
// decision maker "DMaker 1" in slot 4, as a run leaves them: data checked, ranges computed
// with the default overshoot.
inline void BuildSmallCase() {
    testcase::SetLevels({5, 50, 95});
    testcase::AddItem("Flow", "UNI", 50);
    testcase::AddItem("Depth", "LOG", 100);
    testcase::AddItem("Cost", "UNI");
    testcase::AddExpert("E1", {{10, 20, 40}, {1.5f, 10, 50}, {100.5f, 200, 299.5f}});
    testcase::AddExpert("E2", {{2.5f, 30, 47.5f}, {5, 20, 400.5f}, {150.1f, 150.2f, 150.3f}});
    testcase::AddExpert("E3", {{20.5f, 25.5f, 30.5f}});
    BuildItemIndexMap();
    CheckCaseData();
    ComputeIntrinsicRanges();
    AddDecisionMaker("");
    const float dm[3][3] = {{5.5f, 25.5f, 45.5f}, {3.5f, 15.5f, 150.5f}, {120.5f, 180.5f, 250.5f}};
    for (int i = 1; i <= 3; ++i)
        for (int k = 1; k <= 3; ++k) AssessmentAt(4, i)->Values[k] = dm[i - 1][k - 1];
}

// The items-wise graph of BuildSmallCase. Ranges without overshoot: Flow 2.5..50 (the
// realisation is the top), Depth 1.5..400.5 on the log scale, Cost 100.5..299.5 (whole values
// inside, whose nudge does not matter). Column of v: round(75 (S(v) - S(lo)) / (S(hi) - S(lo))
// + 0.50001), clamped to 1..75, e.g. Flow 10: 75 x 7.5 / 47.5 + 0.50001 = 12.342 -> 12;
// Depth 10: 75 x ln(10/1.5) / ln(400.5/1.5) + 0.50001 = 25.966 -> 26; Cost 200:
// 75 x 99.5 / 199 + 0.50001 = 38.00001 -> 38.
inline std::vector<std::string> SmallCaseItemsWise() {
    return {
        "                          Range graph of input data",
        "Item no.:   1 Item name: Flow Scale: UNI",
        "Experts",
        "  1 " + Blanks(11) + "[" + Dashes(15) + "*" + Dashes(31) + "]" + Blanks(15),  // 12 28 60
        "  2 " + std::string("[") + Dashes(42) + "*" + Dashes(27) + "]" + Blanks(3),   // 1 44 72
        "  3 " + Blanks(28) + "[" + Dashes(7) + "*" + Dashes(7) + "]" + Blanks(30),    // 29 37 45
        "DMaker" + Blanks(2) + "[" + Dm(31) + "*" + Dm(30) + "]" + Blanks(7),          // 5 37 68
        "Real" + Dashes(74, ':') + "#",                                                // 50 -> 75
        Blanks(76) + "50",                                                             // offset 75 - 2 - 1
        "    2.5" + Blanks(69) + "50",
        "",
        "Item no.:   2 Item name: Depth Scale: LOG",
        "Experts",
        "  1 " + std::string("[") + Dashes(24) + "*" + Dashes(21) + "]" + Blanks(27),  // 1 26 48
        "  2 " + Blanks(16) + "[" + Dashes(17) + "*" + Dashes(39) + "]",               // 17 35 75
        "  3 " + Blanks(75),                                                           // no valid answer
        "DMaker" + Blanks(9) + "[" + Dm(19) + "*" + Dm(29) + "]" + Blanks(13),         // 12 32 62
        "Real" + Dashes(56, ':') + "#" + Dashes(18, ':'),                              // 100 -> 57
        Blanks(60) + "100",                                                            // offset 57 - 1
        "    1.5" + Blanks(66) + "400.5",
        "",
        "Item no.:   3 Item name: Cost Scale: UNI",
        "Experts",
        "  1 " + std::string("[") + Dashes(36) + "*" + Dashes(36) + "]",  // 1 38 75
        "  2 " + Blanks(18) + "|" + Blanks(56),                           // 150.1..150.3 all in 19
        "  3 " + Blanks(75),
        "DMaker" + Blanks(5) + "[" + Dm(22) + "*" + Dm(25) + "]" + Blanks(18),  // 8 31 57
        "    " + Dashes(75, '~'),
        "    100.5" + Blanks(64) + "299.5",
        "",
    };
}

// The experts-wise graph of BuildSmallCase: seed items only, 72 columns, e.g. Flow 10:
// 72 x 7.5 / 47.5 + 0.50001 = 11.868 -> 12; Depth 100: 72 x ln(100/1.5) / ln(400.5/1.5) +
// 0.50001 = 54.619 -> 55.
inline std::vector<std::string> SmallCaseExpertsWise() {
    const std::string real1 = "Real   " + Dashes(71, ':') + "#";
    const std::string real2 = "Real   " + Dashes(54, ':') + "#" + Dashes(17, ':');
    return {
        "                          Range graph of input data",
        "Expert no. :    1     Expert name:  E1        ",
        "Items",
        "  1(U) " + Blanks(11) + "[" + Dashes(14) + "*" + Dashes(29) + "]" + Blanks(15),  // 12 27 57
        real1,
        "",
        "  2(L) " + std::string("[") + Dashes(23) + "*" + Dashes(20) + "]" + Blanks(26),  // 1 25 46
        real2,
        "",
        "Expert no. :    2     Expert name:  E2        ",
        "Items",
        "  1(U) " + std::string("[") + Dashes(40) + "*" + Dashes(26) + "]" + Blanks(3),  // 1 42 69
        real1,
        "",
        "  2(L) " + Blanks(15) + "[" + Dashes(17) + "*" + Dashes(37) + "]",  // 16 34 72
        real2,
        "",
        "Expert no. :    3     Expert name:  E3        ",
        "Items",
        "  1(U) " + Blanks(27) + "[" + Dashes(6) + "*" + Dashes(7) + "]" + Blanks(29),  // 28 35 43
        real1,
        "",
        "  2(L) " + Blanks(72),
        real2,
        "",
        "Expert no. :  DM      Expert name:  DMaker 1        ",
        "Items",
        "  1(U) " + Blanks(4) + "[" + Dm(29) + "*" + Dm(30) + "]" + Blanks(6),  // 5 35 66
        real1,
        "",
        "  2(L) " + Blanks(10) + "[" + Dm(19) + "*" + Dm(28) + "]" + Blanks(12),  // 11 31 60
        real2,
        "",
    };
}

}  // namespace rangegraph_test
