// Relative information between two assessments, the experts' discrepancies from the decision
// maker, and the robustness measure with one item or one expert left out.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "bench/case_generator.h"
#include "case_builder.h"
#include "case_snapshot.h"
#include "engine/discrepancy.h"
#include "engine/globals.h"
#include "engine/intrinsic_range.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "scoring_steps.h"

using namespace halvorine;

using namespace testcase;

namespace {

const float Half[] = {0, 0.5f, 0.5f};

float Relative(std::vector<float> a, std::vector<float> b, float lower, float upper, bool isLog = false,
               const float* p = Half) {
    a.insert(a.begin(), 0.0f);
    b.insert(b.begin(), 0.0f);
    return RelativeInformation(static_cast<int>(a.size()) - 1, p, a.data(), isLog, upper, lower, b.data());
}

// One quantile at 50 % on 0 .. 4. A = (1): densities 0.5 on 0..1 and 1/6 on 1..4; B = (2): 0.25 and
// 0.25. A with respect to B: 1 x 0.5 ln(0.5/0.25) + 3 x 1/6 ln((1/6)/0.25) = 0.5 ln(4/3) = 0.143841;
// B with respect to A: 1 x 0.25 ln(0.25/0.5) + 1 x 0.25 ln 1.5 + 2 x 0.25 ln 1.5 = 0.75 ln 1.5 -
// 0.25 ln 2 = 0.130812.
TEST(RelativeInformation, HandComputedAndNotSymmetric) {
    EXPECT_NEAR(Relative({1}, {2}, 0, 4), 0.5 * std::log(4.0 / 3), 1e-7);
    EXPECT_NEAR(Relative({2}, {1}, 0, 4), 0.75 * std::log(1.5) - 0.25 * std::log(2.0), 1e-7);
    EXPECT_EQ(Relative({1}, {1}, 0, 4), 0.0f);
    // On a LOG item the same on the logarithms: e^0 .. e^4 with quantiles e^1 and e^2.
    EXPECT_NEAR(Relative({std::exp(1.0f)}, {std::exp(2.0f)}, 1, std::exp(4.0f), true), 0.5 * std::log(4.0 / 3), 1e-6);
    // The values are used as stored: no nudge of the whole numbers.
    EXPECT_EQ(Relative({1}, {2}, 0, 4), Relative({1.0f}, {2.0f}, 0.0f, 4.0f));
}

TEST(RelativeInformation, IdenticalAndCoincidingBreakpoints) {
    const float p[] = {0, 0.05f, 0.45f, 0.45f, 0.05f};
    EXPECT_EQ(Relative({1, 2, 3}, {1, 2, 3}, 0.5f, 3.5f, false, p), 0.0f);
    const float shared = Relative({1, 2, 3}, {1, 2.5f, 3}, 0.5f, 3.5f, false, p);
    EXPECT_TRUE(std::isfinite(shared));
    EXPECT_GT(shared, 0.0f);
}

// An earlier decision maker may have been made on a narrower range: its values are taken into the
// current range and a bin squeezed to nothing counts as 1e-5 wide, as in the information. A = (5)
// on 0 .. 4 is A = (4): density 0.125 on 0..4 against 0.25, 2 x 0.125 ln 0.5 twice = 0.5 ln 0.5.
TEST(RelativeInformation, ValuesOutsideTheRangeAreTakenIntoIt) {
    const float outside = Relative({5}, {2}, 0, 4);
    EXPECT_TRUE(std::isfinite(outside));
    EXPECT_EQ(outside, Relative({4}, {2}, 0, 4));
    EXPECT_NEAR(outside, 0.5 * std::log(0.5), 1e-7);
    EXPECT_TRUE(std::isfinite(Relative({2}, {-1}, 0, 4)));
    EXPECT_EQ(Relative({2}, {-1}, 0, 4), Relative({2}, {0}, 0, 4));
    // No range at all is no number, which the callers refuse.
    EXPECT_TRUE(std::isnan(Relative({2}, {1}, NoValue, NoValue - 1)));
}

using DiscrepancyTest = ScoringRunTest;

TEST_F(DiscrepancyTest, EveryExpertAgainstTheDecisionMaker) {
    HandComputedCase();
    // B gives nothing on X2; A nothing on the seeds but X1 (equal weights need no seed answers).
    for (int k = 1; k <= 3; ++k) ExpertTable[2]->Assessments[2]->Values[k] = NoValue;
    AddExpert("C", {{}, {}, {}, {12, 22, 44}});
    PrepareRun();
    WeightType = EqualWeighting;
    DiscrepancyOn = true;
    ResetDiscrepancies();
    ASSERT_EQ(Run(), RunOk);
    const int dm = 4;
    for (int e = 1; e <= 3; ++e)
        for (int i = 1; i <= 4; ++i) {
            const TAssessment& a = *AssessmentAt(e, i);
            const TAssessment& d = *AssessmentAt(dm, i);
            const float expected = a.Valid ? RelativeInformation(3, BinProbabilities, a.Values, i == 4,
                                                                 ItemTable[i]->IntrinsicHigh,
                                                                 ItemTable[i]->IntrinsicLow, d.Values)
                                           : 0.0f;
            EXPECT_EQ(a.Discrepancy, expected) << "expert " << e << " item " << i;
        }
    EXPECT_EQ(AssessmentAt(2, 2)->Discrepancy, 0.0f) << "not valid";
    const TExpert& b = *ExpertTable[2];
    EXPECT_FLOAT_EQ(
        b.MeanDiscrepancy,
        (AssessmentAt(2, 1)->Discrepancy + AssessmentAt(2, 3)->Discrepancy + AssessmentAt(2, 4)->Discrepancy) / 3);
    EXPECT_FLOAT_EQ(b.MeanSeedDiscrepancy, (AssessmentAt(2, 1)->Discrepancy + AssessmentAt(2, 3)->Discrepancy) / 2);
    EXPECT_EQ(ExpertTable[3]->MeanSeedDiscrepancy, 0.0f) << "no valid seed answer";
    EXPECT_GT(ExpertTable[3]->MeanDiscrepancy, 0.0f);
    EXPECT_EQ(ExpertTable[dm]->MeanDiscrepancy, 0.0f);

    // A second run: the earlier decision maker, now after the new one, is measured too.
    ASSERT_TRUE(AddDecisionMaker(""));
    InformationComputed = false;
    ASSERT_EQ(Run(), RunOk);
    EXPECT_EQ(ExpertTable[5]->Id.str(), "DMaker 1");
    EXPECT_EQ(AssessmentAt(5, 1)->Discrepancy, 0.0f) << "the same pool both times";
    EXPECT_EQ(ExpertTable[5]->MeanDiscrepancy, 0.0f);

    ResetDiscrepancies();
    for (int e = 1; e <= 5; ++e) {
        EXPECT_EQ(ExpertTable[e]->MeanDiscrepancy, MissingValue);
        EXPECT_EQ(ExpertTable[e]->MeanSeedDiscrepancy, MissingValue);
    }
}

// ---- robustness: one item or one expert left out, as the robustness runs do it ----

class RobustnessTest : public ScoringRunTest {
protected:
    static void Case(int leaveItem, int leaveExpert) {
        generated::BuildCase({.experts = 10, .items = 12, .seeds = 6, .seed = 99});
        if (leaveItem) DeleteItems(false, leaveItem, leaveItem, nullptr, ItemTable);
        if (leaveExpert) DeleteExperts(leaveExpert, leaveExpert, ExpertTable, nullptr);
    }

    // The full run, whose decision maker the left-out runs are compared with.
    static void FullRun() {
        Case(0, 0);
        PrepareRun("None");
        RobustnessRun = true;
        ASSERT_EQ(Run(), RunOk);
        BuildItemIndexMap();
        ASSERT_TRUE(AddDecisionMaker(""));
        --DecisionMakerCount;
    }

    // An ordinary run on a copy of the case without the item or the expert.
    static CaseSnapshot OrdinaryRun(int leaveItem, int leaveExpert) {
        ResetGlobals();
        Case(leaveItem, leaveExpert);
        PrepareRun("None");
        RobustnessRun = true;
        EXPECT_EQ(Run(), RunOk);
        return TakeSnapshot(ExpertCount + 1, ExpertCount + 1);
    }
};

TEST_F(RobustnessTest, LeavingAnItemOutIsARunWithoutIt) {
    const int left = 2;  // a seed item
    FullRun();
    const int n = ExpertCount;
    TItem* item = ItemTable[left].get();
    item->FilterFlag = true;
    ItemTableType side;
    FilterItemsOut(side);
    InformationComputed = false;
    ASSERT_GT(CheckCaseData(), 0);
    // The data check maps the items that are left; the left-out run reads the decision maker there.
    RobustItemColumnMap = ItemColumnMap;
    ItemIndexMap = &RobustItemColumnMap;
    ASSERT_EQ(Run(), RunOk);
    const CaseSnapshot leftOut = TakeSnapshot(ExpertCount + 1, ExpertCount + 1);
    const float information = ExpertTable[n + 1]->MeanInformation;
    ItemIndexMap = &ItemColumnMap;
    RestoreFilteredItems(side);
    BuildItemIndexMap();
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    int code = 1;
    TRobustness r;
    RobustnessDiscrepancy(code, left, r);
    EXPECT_EQ(code, RunOk);
    EXPECT_EQ(ItemIndexMap, &ItemColumnMap);

    // The measure by hand: the left-out run's item k is the full run's item k, or k + 1 past it.
    long double sum = 0;
    long double seedSum = 0;
    int count = 0;
    int seeds = 0;
    for (int i = 1; ItemTable[i]; ++i) {
        if (i == left) continue;
        const int k = i < left ? i : i - 1;
        ItemIndexMap = &RobustItemColumnMap;
        const TAssessment* a = AssessmentAt(n + 1, k);
        ItemIndexMap = &ItemColumnMap;
        const TAssessment* b = AssessmentAt(n + 2, i);
        const float d = RelativeInformation(QuantileCount, BinProbabilities, a->Values, IsLogItem(ItemTable[i].get()),
                                            ItemTable[i]->IntrinsicHigh, ItemTable[i]->IntrinsicLow, b->Values);
        sum += d;
        ++count;
        if (IsSeedItem(ItemTable[i].get())) {
            seedSum += d;
            ++seeds;
        }
    }
    EXPECT_EQ(r.DMDiscrepancy, static_cast<float>(sum / count));
    EXPECT_EQ(r.DMSeedDiscrepancy, static_cast<float>(seedSum / seeds));
    EXPECT_GT(r.DMDiscrepancy, 0.0f);

    const CaseSnapshot ordinary = OrdinaryRun(left, 0);
    ExpectSameSnapshot(ordinary, leftOut, "without item 2");
    EXPECT_EQ(ExpertTable[ExpertCount + 1]->MeanInformation, information);
}

TEST_F(RobustnessTest, LeavingAnExpertOutIsARunWithoutThem) {
    const int left = 3;
    FullRun();
    const int n = ExpertCount;
    RobustItemColumnMap = ItemColumnMap;
    ExpertTable[left]->FilterFlag = true;
    ExpertTableType side;
    FilterExpertsOut(side);
    ASSERT_EQ(ExpertCount, n - 1);
    InformationComputed = false;
    ASSERT_GT(CheckCaseData(), 0);
    ASSERT_EQ(Run(), RunOk);
    const CaseSnapshot leftOut = TakeSnapshot(ExpertCount + 1, ExpertCount + 1, true);
    RestoreFilteredExperts(side);
    ASSERT_EQ(ExpertCount, n);
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    int code = 1;
    TRobustness r;
    RobustnessDiscrepancy(code, 0, r);
    EXPECT_EQ(code, RunOk);
    long double sum = 0;
    int count = 0;
    for (int i = 1; ItemTable[i]; ++i, ++count)
        sum += RelativeInformation(QuantileCount, BinProbabilities, AssessmentAt(n + 1, i)->Values,
                                   IsLogItem(ItemTable[i].get()), ItemTable[i]->IntrinsicHigh,
                                   ItemTable[i]->IntrinsicLow, AssessmentAt(n + 2, i)->Values);
    EXPECT_EQ(r.DMDiscrepancy, static_cast<float>(sum / count));

    ExpectSameSnapshot(OrdinaryRun(0, left), leftOut, "without expert 3");
}

TEST_F(RobustnessTest, TheItemMapIsRestoredOnEveryWayOut) {
    FullRun();
    RobustItemColumnMap = ItemColumnMap;
    TRobustness r;
    int code = 1;
    RobustnessDiscrepancy(code, 0, r);
    EXPECT_EQ(code, RunOk);
    EXPECT_EQ(ItemIndexMap, &ItemColumnMap);
    // An item without a range to measure on stops the measure.
    std::swap(ItemTable[3]->IntrinsicLow, ItemTable[3]->IntrinsicHigh);
    RobustnessDiscrepancy(code, 0, r);
    EXPECT_EQ(code, RunNotFinite);
    EXPECT_EQ(ItemCount, 3);
    EXPECT_EQ(ItemIndexMap, &ItemColumnMap);
    ItemIndexMap = &RobustItemColumnMap;
    RobustnessDiscrepancy(code, 0, r);
    EXPECT_EQ(ItemIndexMap, &RobustItemColumnMap) << "whichever map was current";
}

}  // namespace
