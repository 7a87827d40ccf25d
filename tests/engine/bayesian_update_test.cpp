#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "case_builder.h"
#include "engine/bayesian_update.h"
#include "engine/globals.h"
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "scoring_steps.h"

using namespace halvorine;

using namespace testcase;

namespace {

class BayesianUpdateTest : public ScoringTest {
protected:
    // Seed items S1.. with realisation 5.25; an expert's row per bin puts 5.25 in that bin.
    static std::vector<float> RowForBin(int bin, bool onTheQuantile = false) {
        switch (bin) {
        case 1: return {5.5f, 6.25f, 7.25f};
        case 2: return {4.75f, onTheQuantile ? 5.25f : 5.5f, 6.25f};
        case 3: return {3.75f, 4.75f, onTheQuantile ? 5.25f : 5.5f};
        default: return {2.75f, 3.75f, 4.75f};
        }
    }

    static void Seeds(int count) {
        for (int i = 1; i <= count; ++i) AddItem("S" + std::to_string(i), "UNI", 5.25f);
    }

    static std::vector<float> Values(int e, int i) {
        const TAssessment& a = *AssessmentAt(e, i);
        return std::vector<float>(a.Values + 1, a.Values + 1 + QuantileCount);
    }
};

// Ten seeds, hits (0, 5, 5, 0): masses (0 + 1)/(10 + 1/0.05) = 1/30 and (5 + 1)/(10 + 1/0.45) =
// 6/12.2222 = 54/110, summing to 2 (1/30 + 54/110) = 346/330; normalised 11/346 = 0.0317919 and
// 162/346 = 0.4682081 (the first two add up to 0.5). On Y, answered (2.5, 5.5, 8.5) by E and G,
// the range is 1.9 .. 9.1: X = (1.9, 2.5, 5.5, 8.5, 9.1).
//   5 %: bin 1 holds 0.0318, bins 1 and 2 hold 0.5 > 0.05, so in bin 2 (density 0.4682081/3):
//        5.5 - (0.5 - 0.05) x 3 / 0.4682081 = 5.5 - 2.8833333 = 2.6166667, inside the second bin;
//   50 %: 0.5 reached at the end of bin 2 (up to rounding): 5.5;
//   95 %: bins 1..3 hold 0.9682081: 8.5 - (0.9682081 - 0.95) x 3 / 0.4682081 = 8.3833333.
// G catches every realisation on a quantile, which counts in that quantile's bin: the same hits.
// F has no seed answers (n = 0): masses p_k, so its quantiles stay.
TEST_F(BayesianUpdateTest, HandComputedCase) {
    Seeds(10);
    AddItem("Y", "UNI");
    std::vector<std::vector<float>> e, g;
    std::vector<std::vector<float>> f(10);
    for (int i = 0; i < 10; ++i) {
        e.push_back(RowForBin(i < 5 ? 2 : 3));
        g.push_back(RowForBin(i < 5 ? 2 : 3, true));
    }
    e.push_back({2.5f, 5.5f, 8.5f});
    g.push_back({2.5f, 5.5f, 8.5f});
    f.push_back({3.25f, 5.75f, 7.75f});
    AddExpert("E", e);
    AddExpert("F", f);
    AddExpert("G", g);
    ASSERT_EQ(CheckCaseData(), 3);
    BuildItemIndexMap();
    ASSERT_EQ(BayesianUpdate(), RunOk);

    const std::vector<float> y = Values(1, 11);
    EXPECT_NEAR(y[0], 2.6166667f, 2e-6);
    EXPECT_GT(y[0], 2.5f) << "the 5 % quantile moved into the second bin";
    EXPECT_NEAR(y[1], 5.5f, 2e-6);
    EXPECT_NEAR(y[2], 8.3833333f, 2e-6);
    EXPECT_EQ(Values(3, 11), y);
    const std::vector<float> stay = {3.25f, 5.75f, 7.75f};
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(Values(2, 11)[k], stay[k], 1e-6 * stay[k]) << k;
    EXPECT_EQ(ItemTable[11]->IntrinsicLow, 1.9f) << "the ranges of the values as entered";
    EXPECT_EQ(CheckCaseData(), 3) << "the updated values pass the data check";
}

// Half the mass on either side of the median, so the level 50 % is reached exactly at the end of
// bin 1 and found in bin 2: q = X2 - (1 - 0.5) / (0.5 / (X2 - X1)). On a LOG item whose range
// reaches 7.6e20 the division leaves X2 - X1 = X2 in extended precision, and q comes out 0 rather
// than X1 = 1.5; the quantile then takes the start of its bin, so the next data check finds no
// value at or below 0 that the user never typed.
TEST_F(BayesianUpdateTest, ALogQuantileNeverFallsToZero) {
    SetLevels({50});
    AddItem("S1", "UNI", 10.25f);
    AddItem("S2", "UNI", 10.25f);
    AddItem("T", "LOG");
    AddExpert("A", {{20.5f}, {5.5f}, {1.5f}});
    AddExpert("B", {{9.5f}, {12.5f}, {1e19f}});
    ASSERT_EQ(CheckCaseData(), 2);
    BuildItemIndexMap();
    ASSERT_EQ(BayesianUpdate(), RunOk);
    EXPECT_GT(ItemTable[3]->IntrinsicHigh, 7e20f);
    EXPECT_EQ(AssessmentAt(1, 3)->Values[1], 1.5f);
    EXPECT_EQ(CheckCaseData(), 2);
}

// Levels 50 % and the largest float below 1: with hits (0, 1, 1) the normalised masses add up to
// exactly that level in 32 bits, so no bin takes the cumulative mass past it. The search ends in
// the last bin, at the upper bound.
TEST_F(BayesianUpdateTest, TheLevelSearchEndsInTheLastBin) {
    QuantileCount = 2;
    QuantileLevels[1] = 0.5f;
    QuantileLevels[2] = std::nextafter(1.0f, 0.0f);
    ComputeBinProbabilities();
    AddItem("S1", "UNI", 5.25f);
    AddItem("S2", "UNI", 5.25f);
    AddItem("Y", "UNI");
    AddExpert("E", {{4.75f, 5.5f}, {3.75f, 4.75f}, {2.5f, 8.5f}});
    ASSERT_EQ(CheckCaseData(), 1);
    BuildItemIndexMap();
    ASSERT_EQ(BayesianUpdate(), RunOk);
    EXPECT_EQ(AssessmentAt(1, 3)->Values[2], ItemTable[3]->IntrinsicHigh);
    EXPECT_TRUE(std::isfinite(AssessmentAt(1, 3)->Values[1]));
}

// Z's range is its own answers (1000000.5 .. 1000000.625, widened by a tenth: less than half the
// spacing of the reals there), so its outer bins have no width. A level found in such a bin
// takes the bin's end, without dividing by the width.
TEST_F(BayesianUpdateTest, BinsWithoutWidthTakeTheirEnd) {
    SetLevels({5, 95});
    AddItem("S1", "UNI", 5.25f);
    AddItem("S2", "UNI", 5.25f);
    AddItem("Z", "UNI");
    AddExpert("E", {{5.5f, 6.5f}, {5.75f, 6.75f}, {1000000.5f, 1000000.625f}});
    ASSERT_EQ(CheckCaseData(), 1);
    BuildItemIndexMap();
    ASSERT_EQ(BayesianUpdate(), RunOk);
    ASSERT_EQ(ItemTable[3]->IntrinsicLow, 1000000.5f);
    ASSERT_EQ(ItemTable[3]->IntrinsicHigh, 1000000.625f);
    EXPECT_EQ(AssessmentAt(1, 3)->Values[1], 1000000.5f);
    EXPECT_EQ(AssessmentAt(1, 3)->Values[2], 1000000.625f);
}

TEST_F(BayesianUpdateTest, ARangeThatCannotBeFormedUpdatesNothing) {
    HandComputedCase();
    LogIntrinsicRange = false;
    for (int k = 1; k <= 3; ++k) ExpertTable[1]->Assessments[4]->Values[k] = k == 3 ? 100.5f : k * 1.5f;
    ASSERT_EQ(CheckCaseData(), 2);
    BuildItemIndexMap();
    EXPECT_EQ(BayesianUpdate(), RunLogBoundNotPositive);
    EXPECT_EQ(ItemCount, 4);
    EXPECT_EQ(AssessmentAt(1, 1)->Values[1], 2.5f);
}

// A flagged seed item is left out of the hits, as the data check leaves it out of the seed count.
TEST_F(BayesianUpdateTest, AFlaggedSeedItemIsNoHit) {
    Seeds(3);
    AddItem("Y", "UNI");
    AddExpert("E", {RowForBin(2), RowForBin(2), RowForBin(1), {2.5f, 5.5f, 8.5f}});
    AddExpert("F", {RowForBin(2), RowForBin(2), RowForBin(2), {2.5f, 5.5f, 8.5f}});
    ItemTable[3]->FilterFlag = true;
    ASSERT_EQ(CheckCaseData(), 2);
    BuildItemIndexMap();
    ASSERT_EQ(ExpertTable[1]->SeedCount, 2);
    ASSERT_EQ(BayesianUpdate(), RunOk);
    EXPECT_EQ(Values(1, 4), Values(2, 4)) << "both have hits (0, 2, 0, 0) on the counted seeds";
}

}  // namespace
