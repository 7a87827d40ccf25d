// The two-expert case computed by hand (see HandComputedCase), scored step by step.
//
// By hand, with levels 5/50/95 and overshoot 0.1:
//   ranges: X1 1.9 .. 9.1, X2 7.7 .. 17.3, X3 0.05 .. 2.45 (A's span widened by a tenth);
//   hits: A (0, 2, 1, 0), B (2, 0, 1, 0) of 3 seeds;
//   entropy A = 2/3 ln((2/3)/0.45) + 1/3 ln((1/3)/0.45) = 0.161994 -> 0.1620, statistic 0.972;
//   entropy B = 2/3 ln((2/3)/0.05) + 1/3 ln((1/3)/0.45) = 1.626810 -> 1.6268, statistic 9.7608;
//   calibration A 0.808027, B 0.0207128 (chi-square(3) upper tails); in table mode 0.80
//   (0.964 < 0.972 <= 1.005, entry 24) and 0.02 (8.947 < 9.7608 <= 9.837, entry 102);
//   information of A on each seed item: ln 7.2 + 0.1 ln(0.05/0.6) + 0.9 ln(0.45/3) = 0.0181824
//   (the three items are scaled copies of each other);
//   global weights 0.288356 and 0.711644;
//   equal-weights decision maker on X1, densities per unit with half weight each:
//   1.9 .. 2.5: A 0.025/0.6 + B 0.025/4.35 = 0.047414, mass 0.028448;
//   2.5 .. 5.5: A 0.225/3 + B 0.005747 = 0.080747, so the 5 % level lies at
//   2.5 + (0.05 - 0.028448)/0.080747 = 2.76690; at 6.25 the mass is 0.331250, and on
//   6.25 .. 6.75 (A 0.075 + B 0.225/0.5 = 0.525) the median lies at
//   6.25 + (0.5 - 0.33125)/0.525 = 6.57143; likewise the 95 % level at 8.30916.
// scoring_reference.py computes the same and the LOG item L4, with the nudge of its whole values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

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

const char* const Items[] = {"X1", "X2", "X3", "L4"};

class ScoringCaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        HandComputedCase();
        PrepareRun();
    }
    void TearDown() override { ResetGlobals(); }

    static void ExpectDecisionMaker(const std::string& kind) {
        for (int i = 1; i <= 4; ++i)
            for (int k = 1; k <= 3; ++k)
                EXPECT_TRUE(RelativelyNear(
                    AssessmentAt(3, i)->Values[k],
                    ScoringReference(std::string(Items[i - 1]) + "." + kind + "_dm." + std::to_string(k)), 1e-6L))
                    << Items[i - 1] << " quantile " << k;
    }
};

TEST_F(ScoringCaseTest, GlobalWeights) {
    WeightType = GlobalWeighting;
    ASSERT_EQ(ScoreCase(), RunOk);
    const TExpert& a = *ExpertTable[1];
    const TExpert& b = *ExpertTable[2];
    EXPECT_EQ(a.SeedEntropy, 0.162f);
    EXPECT_EQ(b.SeedEntropy, 1.6268f);
    EXPECT_TRUE(RelativelyNear(a.Calibration, 0.808027L, 1e-6L));
    EXPECT_TRUE(RelativelyNear(b.Calibration, 0.0207128L, 1e-5L)) << "the hand figure has 6 digits";
    EXPECT_TRUE(RelativelyNear(a.Calibration, ScoringReference("A.calibration"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(b.Calibration, ScoringReference("B.calibration"), 1e-6L));

    for (int i = 1; i <= 4; ++i) {
        const std::string item = Items[i - 1];
        // A's information is a small difference of logarithms of the 32-bit bounds (7.7 is
        // stored as 7.69999981): 1e-7 of it absolute.
        EXPECT_NEAR(AssessmentAt(1, i)->Information, static_cast<double>(ScoringReference("A.information." + item)),
                    1e-7)
            << item;
        EXPECT_TRUE(RelativelyNear(AssessmentAt(2, i)->Information, ScoringReference("B.information." + item), 1e-6L))
            << item;
        EXPECT_TRUE(RelativelyNear(ItemTable[i]->IntrinsicLow, ScoringReference(item + ".intrinsic_low"), 1e-6L))
            << item;
        EXPECT_TRUE(RelativelyNear(ItemTable[i]->IntrinsicHigh, ScoringReference(item + ".intrinsic_high"), 1e-6L))
            << item;
    }
    EXPECT_NEAR(AssessmentAt(1, 1)->Information, 0.0181824, 1e-7);
    EXPECT_TRUE(RelativelyNear(a.MeanInformation, ScoringReference("A.mean_information"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(b.MeanInformation, ScoringReference("B.mean_information"), 1e-6L));

    // ScoreDecisionMaker keeps the data experts' normalised weights of the pooling.
    EXPECT_TRUE(RelativelyNear(a.Weight, 0.288356L, 1e-5L));
    EXPECT_TRUE(RelativelyNear(a.Weight, ScoringReference("A.global_weight"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(b.Weight, ScoringReference("B.global_weight"), 1e-6L));
    ExpectDecisionMaker("global");

    // The decision maker catches X1 and X2 in its second bin and X3 in its third, as A does.
    const TExpert& dm = *ExpertTable[3];
    EXPECT_EQ(dm.SeedEntropy, a.SeedEntropy);
    EXPECT_EQ(dm.Calibration, a.Calibration);
    EXPECT_EQ(dm.MinSeeds, 3);
    EXPECT_TRUE(IsMissing(dm.Weight));
    EXPECT_FLOAT_EQ(dm.RawWeight, dm.Calibration * dm.MeanSeedInformation);
    EXPECT_FLOAT_EQ(a.WeightWithDM + b.WeightWithDM + dm.WeightWithDM, 1.0f);
}

TEST_F(ScoringCaseTest, EqualWeights) {
    WeightType = EqualWeighting;
    ASSERT_EQ(ScoreCase(), RunOk);
    EXPECT_EQ(ExpertTable[1]->Weight, 0.5f);
    const TAssessment& x1 = *AssessmentAt(3, 1);
    EXPECT_TRUE(RelativelyNear(x1.Values[1], 2.76690L, 1e-5L));
    EXPECT_TRUE(RelativelyNear(x1.Values[2], 6.57143L, 1e-5L));
    EXPECT_TRUE(RelativelyNear(x1.Values[3], 8.30916L, 1e-5L));
    ExpectDecisionMaker("equal");
    // Calibration is shown for every kind, uncut (the significance level is 0).
    EXPECT_TRUE(RelativelyNear(ExpertTable[2]->Calibration, ScoringReference("B.calibration"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(ExpertTable[2]->RawWeight,
                               ScoringReference("B.calibration") * ScoringReference("B.mean_seed_information"), 1e-6L));
}

TEST_F(ScoringCaseTest, TableModeCalibration) {
    ExactChiSquare = false;
    ASSERT_EQ(ScoreCase(), RunOk);
    EXPECT_EQ(ExpertTable[1]->Calibration, 0.80f);
    EXPECT_EQ(ExpertTable[2]->Calibration, 0.02f);
}

TEST_F(ScoringCaseTest, ACheckDecisionMakerUsesTheWholeValuesAsEntered) {
    // Only L4 has whole values. Unnudged, its span is 10 .. 50 and the range starts at
    // exp(ln 10 - 0.1 x ln 5) = 10 / 5^0.1.
    ResetGlobals();
    HandComputedCase();
    PrepareRun("check1");
    WeightType = EqualWeighting;
    ASSERT_EQ(ScoreCase(), RunOk);
    EXPECT_TRUE(RelativelyNear(ItemTable[4]->IntrinsicLow, 10.0L / std::pow(5.0L, 0.1L), 1e-6L));
    EXPECT_FALSE(RelativelyNear(ItemTable[4]->IntrinsicLow, ScoringReference("L4.intrinsic_low"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(AssessmentAt(3, 1)->Values[2], ScoringReference("X1.equal_dm.2"), 1e-6L))
        << "the other items have no whole values";
}

}  // namespace
