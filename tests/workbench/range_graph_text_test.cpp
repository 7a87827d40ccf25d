// The range graphs' text: scales, markers, labels and both layouts, without windows.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/formatting.h"
#include "engine/nudge.h"
#include "range_graph_case.h"
#include "workbench/range_graph.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

using namespace rangegraph_test;

class RangeGraphText : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        ResetWindowState();
    }
    void TearDown() override {
        ResetGlobals();
        ResetWindowState();
    }
};

// Every assessment that has all its values counts as valid, as the data check leaves it.
void MarkComplete() {
    for (int e = 1; e <= ExpertSlotCount; ++e)
        for (int i = 1; ExpertTable[e] && i <= MaxItemCount && ItemTable[i]; ++i)
            if (TAssessment* a = AssessmentAt(e, i)) {
                a->Valid = true;
                for (int k = 1; k <= QuantileCount; ++k)
                    if (IsMissing(a->Values[k])) a->Valid = false;
            }
}

// A case of one item: the levels in percent, the item, one data expert ("A", "B", ...) per row
// of values, every complete assessment valid.
void OneItemCase(const std::vector<float>& levels, const std::string& id, const std::string& scale, float realisation,
                 const std::vector<std::vector<float>>& experts) {
    ResetGlobals();
    ResetWindowState();
    QuantileCount = 0;
    for (float level : levels) QuantileLevels[++QuantileCount] = level / 100.0f;
    ComputeBinProbabilities();
    testcase::AddItem(id, scale, realisation);
    for (std::size_t n = 0; n < experts.size(); ++n)
        testcase::AddExpert(std::string(1, static_cast<char>('A' + n)), {experts[n]});
    BuildItemIndexMap();
    MarkComplete();
}

// The lines under "Experts" of the first item, up to its realisation line.
std::vector<std::string> FirstItemExpertLines(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (std::size_t n = 3; n < lines.size() && lines[n].rfind("Real", 0) != 0 && lines[n].rfind("    ", 0) != 0; ++n)
        out.push_back(lines[n]);
    return out;
}

TEST_F(RangeGraphText, BothLayoutsOfASmallCase) {
    BuildSmallCase();
    const std::pair<int, std::vector<std::string>> layouts[] = {{ItemsWiseGraph, SmallCaseItemsWise()},
                                                                {ExpertsWiseGraph, SmallCaseExpertsWise()}};
    for (const auto& [kind, expected] : layouts) {
        SCOPED_TRACE(kind);
        RangeGraphKind = kind;
        const std::vector<std::string> lines = BuildRangeGraphText();
        ASSERT_EQ(lines.size(), expected.size());
        for (std::size_t n = 0; n < lines.size(); ++n) {
            EXPECT_EQ(lines[n], expected[n]) << "line " << n;
            EXPECT_LE(lines[n].size(), 79u) << "line " << n;
        }
    }
}

TEST_F(RangeGraphText, TheGraphLeavesTheRunsRangesAndTheNumberFormatAsTheyWere) {
    BuildSmallCase();
    struct Range {
        float L, U, lo, hi;
    };
    std::vector<Range> before;
    for (int i = 1; i <= 3; ++i)
        before.push_back({ItemTable[i]->IntrinsicLow, ItemTable[i]->IntrinsicHigh, ItemTable[i]->AssessedLow,
                          ItemTable[i]->AssessedHigh});
    ASSERT_FLOAT_EQ(before[0].L, 2.5f - 4.75f) << "the run's range has the 10 % overshoot";
    FieldWidth = 12;
    BuildRangeGraphText(ItemsWiseGraph);
    BuildRangeGraphText(ExpertsWiseGraph);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(ItemTable[i]->IntrinsicLow, before[i - 1].L) << i;
        EXPECT_EQ(ItemTable[i]->IntrinsicHigh, before[i - 1].U) << i;
        EXPECT_EQ(ItemTable[i]->AssessedLow, before[i - 1].lo) << i;
        EXPECT_EQ(ItemTable[i]->AssessedHigh, before[i - 1].hi) << i;
    }
    EXPECT_EQ(FieldWidth, 12);
    EXPECT_FLOAT_EQ(IntrinsicRangeOvershoot, 0.1f);
}

TEST_F(RangeGraphText, TheScaleRunsOverTheValuesAsEnteredAndTheMarkersSitOnIt) {
    // 10, 20, 40 on a UNI item whose range is 0..50 (the other expert's 0 and 50), width 75:
    // round(75 v / 50 + 0.50001) gives the columns 16, 31 and 61.
    OneItemCase({5, 50, 95}, "X", "UNI", 25, {{10, 20, 40}, {0, 30, 50}});
    const GraphScale scale = ItemGraphScale(1);
    ASSERT_TRUE(scale.HasBounds);
    EXPECT_FALSE(scale.Log);
    EXPECT_EQ(scale.Low, 0.0f);
    EXPECT_EQ(scale.High, 50.0f);
    const std::vector<std::string> lines = BuildRangeGraphText(ItemsWiseGraph);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[3], "  1 " + Blanks(15) + "[" + Dashes(14) + "*" + Dashes(29) + "]" + Blanks(14));
    // The second expert: 0 -> 1 (0.50001 rounds to 1), 30 -> 46, 50 -> 75.
    EXPECT_EQ(lines[4], "  2 [" + Dashes(44) + "*" + Dashes(28) + "]");
    // The ends of the scale as entered, the upper one ending in column 78.
    EXPECT_EQ(lines[7], "     0" + Blanks(70) + "50");
}

struct MarkerCase {
    const char* What;
    std::vector<float> Levels;
    std::vector<float> Values;
    std::string Area;
};

TEST_F(RangeGraphText, QuantileMarkersByCount) {
    // One UNI item on 0.5..50.5 (the other expert's 0.5, the realisation 50.5); the column of v
    // is round(1.5 (v - 0.5) + 0.50001): 4.5 -> 7, 10.5 -> 16, 15.5 -> 23, 20.5 -> 31,
    // 25.5 -> 38, 30.5 -> 46, 35.5 -> 53, 40.5 -> 61, 45.5 -> 68.
    const std::vector<MarkerCase> cases = {
        {"one quantile", {50}, {20.5f}, Blanks(30) + "|" + Blanks(44)},
        {"two", {5, 95}, {10.5f, 40.5f}, Blanks(15) + "[" + Dashes(44) + "]" + Blanks(14)},
        {"three",
         {5, 50, 95},
         {10.5f, 20.5f, 40.5f},
         Blanks(15) + "[" + Dashes(14) + "*" + Dashes(29) + "]" + Blanks(14)},
        {"four",
         {5, 25, 75, 95},
         {10.5f, 20.5f, 30.5f, 40.5f},
         Blanks(15) + "[" + Dashes(14) + "<" + Dashes(14) + ">" + Dashes(14) + "]" + Blanks(14)},
        {"five",
         {5, 25, 50, 75, 95},
         {10.5f, 15.5f, 25.5f, 35.5f, 45.5f},
         Blanks(15) + "[" + Dashes(6) + "<" + Dashes(14) + "*" + Dashes(14) + ">" + Dashes(14) + "]" + Blanks(7)},
        {"seven: the middle ones keep the run",
         {5, 20, 35, 50, 65, 80, 95},
         {4.5f, 10.5f, 15.5f, 20.5f, 25.5f, 30.5f, 40.5f},
         Blanks(6) + "[" + Dashes(53) + "]" + Blanks(14)},
        // 20.5, 20.6, 20.7 -> 30.65, 30.8, 30.95: all in column 31.
        {"three on one column", {5, 50, 95}, {20.5f, 20.6f, 20.7f}, Blanks(30) + "|" + Blanks(44)},
        // 10.6 -> 15.65: column 16 like the first, and the later marker wins.
        {"two on one column",
         {5, 25, 50, 75, 95},
         {10.5f, 10.6f, 25.5f, 35.5f, 45.5f},
         Blanks(15) + "<" + Dashes(21) + "*" + Dashes(14) + ">" + Dashes(14) + "]" + Blanks(7)},
    };
    for (const MarkerCase& c : cases) {
        SCOPED_TRACE(c.What);
        std::vector<float> other;
        for (std::size_t k = 0; k < c.Values.size(); ++k) other.push_back(0.5f + static_cast<float>(k));
        OneItemCase(c.Levels, "X", "UNI", 50.5f, {c.Values, other});
        const std::vector<std::string> lines = BuildRangeGraphText(ItemsWiseGraph);
        ASSERT_GE(lines.size(), 4u);
        EXPECT_EQ(lines[3], "  1 " + c.Area);
    }
}

TEST_F(RangeGraphText, PositionsStayOnTheLine) {
    GraphScale log;
    log.HasBounds = true;
    log.Log = true;
    log.Low = 1;
    log.High = 100;
    log.ScaledLow = 0;
    log.Range = std::log(100.0L);
    EXPECT_EQ(log.Position(10, 75), 38);  // 75 x 0.5 + 0.50001
    EXPECT_EQ(log.Position(0, 75), 1) << "no logarithm of 0";
    EXPECT_EQ(log.Position(-3, 75), 1);
    EXPECT_EQ(log.Position(0.5f, 75), 1) << "below the range";
    EXPECT_EQ(log.Position(3e38f, 75), 75) << "far above it";
    EXPECT_EQ(log.Position(std::nanf(""), 75), 1);

    GraphScale flat = log;
    flat.Log = false;
    flat.High = flat.Low;
    flat.Range = 0;
    EXPECT_EQ(flat.Position(1, 75), 38) << "a range of no width: the middle";
    EXPECT_EQ(flat.Position(1, 72), 36);

    EXPECT_EQ(GraphScale{}.Position(5, 75), 0) << "nothing to place on";
}

TEST_F(RangeGraphText, AnItemWhoseValuesAllCoincideIsDrawnInTheMiddle) {
    OneItemCase({50}, "Same", "UNI", 5.5f, {{5.5f}, {5.5f}});
    const std::vector<std::string> lines = BuildRangeGraphText(ItemsWiseGraph);
    const std::vector<std::string> expected = {
        "                          Range graph of input data",
        "Item no.:   1 Item name: Same Scale: UNI",
        "Experts",
        "  1 " + Blanks(37) + "|" + Blanks(37),
        "  2 " + Blanks(37) + "|" + Blanks(37),
        "Real" + Dashes(37, ':') + "#" + Dashes(37, ':'),
        Blanks(41) + "5.5",  // h = 1, offset 38 - 1
        "    5.5" + Blanks(68) + "5.5",
        "",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(RangeGraphText, ALogItemWithANonPositiveRealisationIsDrawnOnTheLinearScale) {
    // The log scale cannot take -5; the linear one runs from -5 to 400.5: column of v =
    // round(75 (v + 5) / 405.5 + 0.50001): 1.5 -> 1.70 -> 2, 10 -> 3.27 -> 3, 50 -> 10.67 -> 11.
    OneItemCase({5, 50, 95}, "Temp", "LOG", -5, {{1.5f, 10, 50}, {5, 20, 400.5f}});
    const std::vector<std::string> lines = BuildRangeGraphText(ItemsWiseGraph);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[3], "  1 " + Blanks(1) + "[*" + Dashes(7) + "]" + Blanks(64));
    EXPECT_EQ(lines[5], "Real#" + Dashes(74, ':'));
    EXPECT_EQ(lines[6], Blanks(5) + "-5");  // h = 1 >= column 1: offset 1
    EXPECT_EQ(lines[7], "    -5" + Blanks(67) + "400.5");
}

TEST_F(RangeGraphText, AnItemWithoutAnyValidAnswerHasNoMarkersAndNoEnds) {
    OneItemCase({5, 50, 95}, "Open", "UNI", NoValue, {{}});
    const std::vector<std::string> lines = BuildRangeGraphText(ItemsWiseGraph);
    const std::vector<std::string> expected = {
        "                          Range graph of input data",
        "Item no.:   1 Item name: Open Scale: UNI",
        "Experts",
        "  1 " + Blanks(75),
        "    " + Dashes(75, '~'),
        "    ",
        "",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(BuildRangeGraphText(ExpertsWiseGraph),
              (std::vector<std::string>{"                          Range graph of input data",
                                        "Expert no. :    1     Expert name:  A        ", "Items"}))
        << "not a seed item";
}

TEST_F(RangeGraphText, TheRealisationValueIsCentredUnderItsMark) {
    // The other expert fixes the range at 0.5..50.5; column of r = round(1.5 (r - 0.5) + 0.50001).
    struct Case {
        float Realisation;
        std::string Line;
    };
    const std::vector<Case> cases = {
        {0.5f, Blanks(5) + "0.5"},     // column 1 <= h = 1: offset 1
        {20.5f, Blanks(33) + "20.5"},  // column 31, h = 2: offset 29
        {47.5f, Blanks(73) + "47.5"},  // column 71 < 75 - 2: offset 69
        {48.5f, Blanks(74) + "48.5"},  // column 73, not below 73: offset 75 - 4 - 1
        {50.5f, Blanks(74) + "50.5"},  // column 75
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Realisation);
        OneItemCase({5, 50, 95}, "X", "UNI", c.Realisation, {{0.5f, 25.5f, 50.5f}});
        const std::vector<std::string> lines = BuildRangeGraphText(ItemsWiseGraph);
        ASSERT_EQ(lines.size(), 8u);
        EXPECT_EQ(lines[5], c.Line);
    }
}

TEST_F(RangeGraphText, DecisionMakerIdsOverTheStartOfTheirLines) {
    struct Case {
        const char* Id;
        std::string Start;
    };
    // The decision maker's '|' is in column 68 (45.5); the first eight characters show the id.
    const std::vector<Case> cases = {
        {"DMaker 1", "DMaker  "},                         // up to the blank that a non-blank follows
        {"Pool A", "Pool    "},   {"AB CD", "AB CD   "},  // a blank before the fourth character does not end it
        {"Pooled12", "Pooled12"}, {"XY", "XY      "},     // fewer than three: the third becomes a blank
        {"X", "X       "},                                // only one: the second too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Id);
        OneItemCase({50}, "X", "UNI", 50.5f, {{0.5f}});
        ASSERT_TRUE(AddDecisionMaker(c.Id));
        AssessmentAt(2, 1)->Values[1] = 45.5f;
        const std::vector<std::string> lines = BuildRangeGraphText(ItemsWiseGraph);
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(lines[4], c.Start + Blanks(63) + "|" + Blanks(7));
    }
}

TEST_F(RangeGraphText, ItemsWiseShowsEveryDecisionMakerExpertsWiseOnlyTheNewest) {
    BuildSmallCase();
    ASSERT_TRUE(AddDecisionMaker("Second"));
    for (int i = 1; i <= 3; ++i)
        for (int k = 1; k <= 3; ++k) AssessmentAt(4, i)->Values[k] = AssessmentAt(5, i)->Values[k];
    const std::vector<std::string> items = FirstItemExpertLines(BuildRangeGraphText(ItemsWiseGraph));
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[3].substr(0, 8), "Second  ");
    EXPECT_EQ(items[4], SmallCaseItemsWise()[6]) << "the older one follows";

    std::vector<std::string> headers;
    for (const std::string& line : BuildRangeGraphText(ExpertsWiseGraph))
        if (line.rfind("Expert no.", 0) == 0) headers.push_back(line);
    ASSERT_EQ(headers.size(), 4u);
    EXPECT_EQ(headers[3], "Expert no. :  DM      Expert name:  Second        ");
}

}  // namespace
