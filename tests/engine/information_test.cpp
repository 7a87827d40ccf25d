#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "case_builder.h"
#include "engine/exact_sum.h"
#include "engine/globals.h"
#include "engine/information.h"
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "scoring_reference.h"
#include "scoring_steps.h"

using namespace halvorine;

using namespace testcase;

namespace {

class InformationTest : public ScoringTest {
protected:
    // One seed item and one other item of the given scale, both on the range 0.5 .. 50.5, and
    // one expert answering (2.5, 5.5, 12.5) on both.
    void TwoItems(const char* scale) {
        AddItem("S1", scale, 3)->IntrinsicLow = 0.5f;
        AddItem("S2", scale, 4)->IntrinsicLow = 0.5f;
        AddItem("N3", scale)->IntrinsicLow = 0.5f;
        for (int i = 1; i <= 3; ++i) ItemTable[i]->IntrinsicHigh = 50.5f;
        AddExpert("E1", {{2.5f, 5.5f, 12.5f}, {2.5f, 5.5f, 12.5f}, {2.5f, 5.5f, 12.5f}});
        ASSERT_EQ(CheckCaseData(), 1);
        BuildItemIndexMap();
    }
};

TEST_F(InformationTest, BinWidthOnEachScaleWithNudgeAndFloor) {
    TItem* uni = AddItem("U", "UNI");
    TItem* log = AddItem("L", "log");
    TAssessment a;
    a.Values[0] = 1, a.Values[1] = 2.5f, a.Values[2] = 2.5f, a.Values[3] = 10, a.Values[4] = 2;
    a.Item = uni;
    EXPECT_FLOAT_EQ(BinWidth(a, 1, 0), 1.49999f) << "the whole bound 1 is read as 1.00001";
    EXPECT_EQ(BinWidth(a, 2, 1), 1e-5f) << "equal neighbours";
    EXPECT_EQ(BinWidth(a, 4, 3), 1e-5f) << "reversed neighbours";
    EXPECT_FLOAT_EQ(BinWidth(a, 3, 2), 7.5001f);
    a.Item = log;
    EXPECT_FLOAT_EQ(BinWidth(a, 3, 1), static_cast<float>(std::log(10.0001L / 2.5L)));
    EXPECT_EQ(BinWidth(a, 2, 1), 1e-5f);
}

// UNI: ln 50 + 0.05 ln(0.05/2) + 0.45 ln(0.45/3) + 0.45 ln(0.45/7) + 0.05 ln(0.05/38) = 1.3072211.
// LOG: the same on ln-values: ln ln 101 + 0.05 ln(0.05/ln 5) + 0.45 ln(0.45/ln 2.2)
//      + 0.45 ln(0.45/ln 2.272727) + 0.05 ln(0.05/ln 4.04) = 0.66634403.
TEST_F(InformationTest, ItemInformationAgainstTheUniformBackground) {
    TwoItems("UNI");
    EXPECT_TRUE(RelativelyNear(ItemInformation(1, 1), 1.3072210874868953L, 1e-6L));
    const TAssessment& a = *AssessmentAt(1, 1);
    EXPECT_EQ(a.Values[0], 0.5f) << "the bound slots take the intrinsic range";
    EXPECT_EQ(a.Values[4], 50.5f);

    ResetGlobals();
    SetLevels({5, 50, 95});
    TwoItems("LOG");
    EXPECT_TRUE(RelativelyNear(ItemInformation(1, 1), 0.6663440285496576L, 1e-6L));
}

TEST_F(InformationTest, InvalidAssessmentsCarryNoInformation) {
    TwoItems("UNI");
    TAssessment& a = *AssessmentAt(1, 2);
    a.Valid = false;
    a.Values[0] = 7;
    EXPECT_EQ(ItemInformation(1, 2), 0.0f);
    EXPECT_EQ(a.Values[0], 7.0f) << "and their bound slots are left alone";
    EXPECT_EQ(ItemInformation(1, 9), 0.0f) << "no assessment at all";
}

TEST_F(InformationTest, MeansOverAssessedAndSeedItems) {
    TwoItems("UNI");
    ItemTable[3]->IntrinsicHigh = 100.5f;  // the same answer on a wider background says more
    ASSERT_EQ(ComputeAllInformation(), RunOk);
    const float seed = AssessmentAt(1, 1)->Information;
    const float other = AssessmentAt(1, 3)->Information;
    EXPECT_GT(other, seed);
    EXPECT_EQ(GetItemInformation(1, 3), other);

    const float meanSeed = ComputeMeanInformation(1);
    const TExpert& x = *ExpertTable[1];
    EXPECT_EQ(meanSeed, x.MeanSeedInformation);
    EXPECT_FLOAT_EQ(x.MeanSeedInformation, seed);
    EXPECT_FLOAT_EQ(x.MeanInformation, (2.0f * seed + other) / 3);

    // An expert without any assessed item has no information to average.
    ExpertTable[1]->AssessedCount = 0;
    ExpertTable[1]->SeedCount = 0;
    EXPECT_EQ(ComputeMeanInformation(1), 0.0f);
    EXPECT_EQ(x.MeanInformation, 0.0f);
    EXPECT_EQ(x.MeanSeedInformation, 0.0f);
}

TEST_F(InformationTest, DecisionMakersAreMeasuredAnew) {
    TwoItems("UNI");
    ASSERT_EQ(ComputeAllInformation(), RunOk);
    ASSERT_TRUE(AddDecisionMaker(""));
    TAssessment& d = *AssessmentAt(2, 1);
    d.Values[1] = 2.5f, d.Values[2] = 5.5f, d.Values[3] = 12.5f;
    d.Information = 99;
    EXPECT_EQ(GetItemInformation(2, 1), AssessmentAt(1, 1)->Information);
    AssessmentAt(1, 1)->Information = 42;
    EXPECT_EQ(GetItemInformation(1, 1), 42.0f) << "a data expert's is read as stored";
}

TEST_F(InformationTest, RefusesLevelsWithoutMassAndBoundsNotComputed) {
    TwoItems("LOG");
    QuantileLevels[2] = 0.05f;  // levels 5, 5, 95
    ComputeBinProbabilities();
    EXPECT_EQ(ComputeAllInformation(), RunBadLevels);

    SetLevels({5, 50, 95});
    // A LOG item whose range was never computed would take the logarithm of a negative bound.
    ItemTable[2]->IntrinsicLow = NoValue;
    AssessmentAt(1, 2)->Information = 5;
    EXPECT_EQ(ComputeAllInformation(), RunNotFinite);
    EXPECT_EQ(CheckedExpert, 1);
    EXPECT_EQ(ItemCount, 2);
    EXPECT_EQ(AssessmentAt(1, 2)->Information, 5.0f) << "nothing that is not finite is stored";
}

// The means of the left-out runs take terms out of the full run's sums. That gives the plain sum of
// the rest only while no addition rounds: each row's sum is checked against summing the terms left
// in backwards, bit for bit, wherever it says it is exact.
TEST(ExactSumTest, TakingATermOutGivesTheSumOfTheRestWhileExact) {
    struct Row {
        const char* name;
        std::vector<float> terms;
        int taken;  // the term taken out again
        bool exact;
    };
    const Row rows[] = {
        {"information-sized terms", {0.1f, 3.5f, 1e-3f, 250.25f, 7.0f, 0.0f}, 2, true},
        // 1e20 + 1 needs 67 bits: the sum of 1e20, 1 and -1e20 is 0 in extended precision.
        {"a term lost beside a large one", {1e20f, 1.0f, -1e20f}, 2, false},
        {"a term the smallest unit of which is far below the sum", {1e-30f, 3.0f, 5.0f}, 1, false},
        {"a term that is not finite", {1.0f, INFINITY, 2.0f}, 0, false},
        {"zeros only", {0.0f, -0.0f}, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ExactSum sum;
        for (float v : row.terms) sum.Add(v);
        EXPECT_EQ(sum.Exact(), row.exact);
        if (!row.exact) continue;
        sum.Remove(row.terms[static_cast<std::size_t>(row.taken)]);
        long double rest = 0;
        for (int t = static_cast<int>(row.terms.size()) - 1; t >= 0; --t)
            if (t != row.taken) rest += row.terms[static_cast<std::size_t>(t)];
        const long double got = sum.Total();
        EXPECT_EQ(std::memcmp(&got, &rest, 10), 0) << static_cast<double>(got) << " against " << static_cast<double>(rest);
    }
    // A term counted but not added bounds the sum as well.
    ExactSum sum;
    sum.Add(3.0f);
    EXPECT_TRUE(sum.Exact());
    sum.Count(1e-30f);
    EXPECT_FALSE(sum.Exact());
}

}  // namespace
