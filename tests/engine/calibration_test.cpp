#include <gtest/gtest.h>

#include "case_builder.h"
#include "engine/calibration.h"
#include "engine/globals.h"
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "scoring_reference.h"
#include "scoring_steps.h"

using namespace halvorine;

using namespace testcase;

namespace {

class CalibrationTest : public ScoringTest {
protected:
    // Ten seed items; expert E1 answers (10, 20, 30) on each, and the realisations put
    // 1, 4, 4 and 1 of them into its four bins.
    void WorkedCase() {
        const float realisations[] = {5, 15, 15, 15, 15, 25, 25, 25, 25, 35};
        std::vector<std::vector<float>> rows;
        for (int i = 0; i < 10; ++i) {
            AddItem("S" + std::to_string(i + 1), "UNI", realisations[i]);
            rows.push_back({10, 20, 30});
        }
        AddExpert("E1", rows);
        ASSERT_EQ(CheckCaseData(), 1);
        BuildItemIndexMap();
    }
};

// I = 2 x 0.1 x ln(0.1/0.05) + 2 x 0.4 x ln(0.4/0.45) = 0.044403..., stored as 0.0444; the
// statistic 2 x 10 x 0.0444 = 0.888 has the chi-square(3) upper tail 0.82832 (scipy).
TEST_F(CalibrationTest, WorkedCaseGivesEntropyStatisticAndExactCalibration) {
    WorkedCase();
    float I = -1;
    RelativeEntropyOfSeeds(1, I);
    EXPECT_EQ(I, 0.0444f);
    EXPECT_TRUE(RelativelyNear(ScoringReference("worked.entropy"), 0.044403L, 1e-5L));

    EXPECT_EQ(MinSeedCount, 10);
    const float calibration = CalibrationScore(1);
    const TExpert& x = *ExpertTable[1];
    EXPECT_EQ(x.SeedEntropy, 0.0444f);
    EXPECT_TRUE(RelativelyNear(x.Calibration, ScoringReference("worked.calibration"), 1e-6L));
    EXPECT_EQ(x.CalibrationCut, x.Calibration);
    EXPECT_EQ(calibration, x.CalibrationCut);

    // The statistic is passed on in 32 bits: exactly the table's value for float 0.888.
    EXPECT_EQ(x.Calibration, CalibrationFromStatistic(3, 0.888f));
}

TEST_F(CalibrationTest, StatisticUsesTheSmallestSeedCountAndThePower) {
    WorkedCase();
    MinSeedCount = 5;
    CalibrationPower = 0.5f;
    CalibrationScore(1);
    // 2 x 0.5 x 5 x 0.0444 = 0.222
    EXPECT_EQ(ExpertTable[1]->Calibration, CalibrationFromStatistic(3, 0.222f));
    UseMinSeedCount = false;  // then the expert's own ten seeds count
    CalibrationScore(1);
    EXPECT_EQ(ExpertTable[1]->Calibration, CalibrationFromStatistic(3, 0.444f));
}

TEST_F(CalibrationTest, SignificanceLevelCutsDataExpertsOnly) {
    WorkedCase();
    SignificanceLevel = 0.9f;
    EXPECT_EQ(CalibrationScore(1), 0.0f);
    EXPECT_GT(ExpertTable[1]->Calibration, 0.8f);
    EXPECT_EQ(ExpertTable[1]->CalibrationCut, 0.0f);

    ASSERT_TRUE(AddDecisionMaker(""));
    for (int i = 1; i <= 10; ++i) {
        TAssessment* d = AssessmentAt(2, i);
        d->Values[1] = 10, d->Values[2] = 20, d->Values[3] = 30;
    }
    ExpertTable[2]->SeedCount = 10;
    EXPECT_EQ(CalibrationScore(2), ExpertTable[2]->Calibration) << "a decision maker is never cut";
    EXPECT_EQ(ExpertTable[2]->CalibrationCut, 0.0f);
    EXPECT_EQ(CalibrationScore(3), 0.0f) << "an empty slot";
}

TEST_F(CalibrationTest, RealisationBinsUseTheNudgedQuantilesAndTheSignedTolerance) {
    TItem* item = AddItem("X", "UNI", 1);
    TAssessment a;
    a.Item = item;
    a.Values[1] = -10.5f, a.Values[2] = 2.5f, a.Values[3] = 20;
    struct Case {
        float realisation;
        int bin;
    } cases[] = {
        {-11, 1},
        // Below zero the tolerance is negative: a realisation equal to the quantile is not in
        // its bin.
        {-10.5f, 2},
        {2.5f, 2},  // equal to a quantile: that quantile's (the lower) bin
        {2.5000002f, 3},
        {20.0001f, 3},  // 20 is read as 20.0002
        {20.0003f, 4},
    };
    for (const auto& c : cases) EXPECT_EQ(RealisationBin(a, c.realisation), c.bin) << c.realisation;
}

TEST_F(CalibrationTest, EntropyCountsOnlyValidSeedAssessments) {
    AddItem("S1", "UNI", 5);
    AddItem("S2", "UNI", 15);
    AddItem("N3", "UNI");
    AddExpert("E1", {{10, 20, 30}, {10, 20, 30}, {1, 2, 3}});
    ASSERT_EQ(CheckCaseData(), 1);
    BuildItemIndexMap();
    float I = -1;
    RelativeEntropyOfSeeds(1, I);
    // Hits (1, 1, 0, 0) of 2: 0.5 ln(0.5/0.05) + 0.5 ln(0.5/0.45) = 1.1512925 + 0.0526803
    EXPECT_EQ(I, 1.204f);

    AssessmentAt(1, 2)->Valid = false;
    ExpertTable[1]->SeedCount = 1;
    RelativeEntropyOfSeeds(1, I);
    EXPECT_EQ(I, 2.9957f) << "ln(1/0.05) from the one valid seed";

    AssessmentAt(1, 1)->Valid = false;
    ExpertTable[1]->SeedCount = 0;
    RelativeEntropyOfSeeds(1, I);
    EXPECT_EQ(I, 0.0f);
    EXPECT_EQ(CalibrationFromStatistic(3, 0.0f), 1.0f) << "no surprise at all: calibration 1";
}

TEST_F(CalibrationTest, StepTablesAsStored) {
    ExactChiSquare = false;
    const auto minus = [](float level) { return static_cast<float>(1.0L - level); };
    struct Case {
        int df;
        float stat;
        float expected;
    } cases[] = {
        // df 3, the fine table: the first entry at or above the statistic decides.
        {3, 0.1f, 0.99f},  // entry 5, 0.114832
        {3, 21.2f, 0.0001f},
        {3, 0.0f, 0.9999f},
        {3, 0.0242976f, 0.999f},  // entry 3 exactly
        {3, 0.0242977f, 0.995f},
        {3, 0.888f, 0.82f},    // 0.881 < 0.888 <= 0.922, entry 22: (104 - 22)/100
        {3, 11.3449f, 0.01f},  // entry 103
        {3, 11.345f, 0.005f},  // entry 104, 12.8382
        {3, 21.1075f, 0.0001f},
        // df 1, 2, 4, 5: the first entry the statistic does not exceed, 1 - its level.
        {2, 5.0f, minus(0.95f)},  // 4.60517 < 5 <= 5.99146 (entry 17)
        {2, 0.0f, minus(0.0001f)},
        {1, 12.2f, minus(0.9999f)},  // above entry 22: the 23rd entry is never compared
        {1, 1000.0f, minus(0.9999f)},
        {4, 7.77944f, minus(0.9f)},  // equal to entry 16
        {5, 2.34253f, minus(0.2f)},
        {5, 2.34254f, minus(0.3f)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CalibrationFromStatistic(c.df, c.stat), c.expected) << "df " << c.df << " stat " << c.stat;
}

// The upper tail is 1 - P in extended precision: a tail as poor as 4e-43 (chi-square(3) at 200)
// is 0, although a 32-bit real could hold it.
TEST_F(CalibrationTest, AVeryPoorCalibrationIsZero) {
    EXPECT_EQ(CalibrationFromStatistic(3, 200.0f), 0.0f);
    EXPECT_GT(CalibrationFromStatistic(3, 60.0f), 0.0f);  // 3e-13
}

TEST_F(CalibrationTest, MoreThanFiveQuantilesInTableModeTakeTheExactValue) {
    ExactChiSquare = true;
    const float exact = CalibrationFromStatistic(6, 4.0f);
    ExactChiSquare = false;
    EXPECT_EQ(CalibrationFromStatistic(6, 4.0f), exact);
    EXPECT_EQ(CalibrationFromStatistic(25, 4.0f), [] {
        ExactChiSquare = true;
        return CalibrationFromStatistic(25, 4.0f);
    }());
}

TEST_F(CalibrationTest, BinProbabilitiesMustAllCarryMass) {
    EXPECT_EQ(CheckBinProbabilities(), RunOk);
    SetLevels({50, 50, 95});  // the header reader lets equal levels through
    EXPECT_EQ(CheckBinProbabilities(), RunBadLevels);
    SetLevels({5, 50, 100});
    EXPECT_EQ(CheckBinProbabilities(), RunBadLevels);
    QuantileCount = 0;
    EXPECT_EQ(CheckBinProbabilities(), RunBadLevels);
}

}  // namespace
