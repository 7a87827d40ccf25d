// The engine's one entry: every code it, the user-weight check and the significance check can
// give, in one table; then the run options one by one.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "bench/case_generator.h"
#include "bench/full_case.h"
#include "case_builder.h"
#include "engine/calibration.h"
#include "engine/discrepancy.h"
#include "engine/globals.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "scoring_reference.h"
#include "scoring_steps.h"

using namespace halvorine;

using namespace testcase;

namespace {

// The hand case with a third expert C, who answers as A does.
void ThreeExperts() {
    HandComputedCase();
    AddExpert("C", {{2.5f, 5.5f, 8.5f}, {8.5f, 12.5f, 16.5f}, {0.25f, 1.25f, 2.25f}, {10, 20, 50}});
}

void UserWeights(std::vector<float> weights) {
    WeightType = UserWeighting;
    OptimiseDM = false;
    for (int e = 1; e <= ExpertCount; ++e) ExpertTable[e]->Weight = weights[e - 1];
}

// ---- every code, from the cases the checks and the steps are made for ----

struct CodeCase {
    const char* what;
    std::function<void()> caseAndOptions;  // builds the case and sets the run options
    std::function<void()> beforeRun;       // after the data check, just before the run
    int code;
};

const float Missing = MissingValue;

std::vector<CodeCase> CodeCases() {
    auto none = [] {};
    return {
        {"a complete run", [] { HandComputedCase(); }, none, RunOk},
        {"item weights, an item nobody answered: its weights sum to 0",
         [] {
             HandComputedCase();
             AddItem("N5", "UNI");
             for (int e = 1; e <= 2; ++e) NewAssessment(ExpertTable[e].get(), 5)->Item = ItemTable[5].get();
             WeightType = ItemWeighting;
         },
         none, RunZeroWeights},
        {"global weights, an item only a cut expert answered: that item's number",
         [] {
             HandComputedCase();
             for (int k = 1; k <= 3; ++k) ExpertTable[1]->Assessments[4]->Values[k] = NoValue;
             OptimiseDM = false;
             UserSignificanceLevel = 0.5f;  // between B's 0.0207 and A's 0.808
         },
         none, 4},
        {"a significance level above the largest calibration",
         [] {
             HandComputedCase();
             OptimiseDM = false;
             UserSignificanceLevel = 0.9f;
         },
         none, RunSignificanceOutOfRange},
        {"no significance level entered",
         [] {
             HandComputedCase();
             OptimiseDM = false;
             WeightType = ItemWeighting;
         },
         none, RunSignificanceOutOfRange},
        {"a user weight of 1, the others missing", [] { HandComputedCase(); },
         [] {
             UserWeights({1.0f, Missing});
         },
         RunUserWeightIsOne},
        {"no user weight at all", [] { HandComputedCase(); },
         [] {
             UserWeights({Missing, Missing});
         },
         RunNoUserWeights},
        {"a user weight below 0", [] { HandComputedCase(); },
         [] {
             UserWeights({-0.1f, 0.5f});
         },
         RunUserWeightOutOfRange},
        {"user weights 0.6, 0.33, 0.07 (1.0000001 in 32 bits)", [] { ThreeExperts(); },
         [] {
             UserWeights({0.6f, 0.33f, 0.07f});
         },
         RunUserWeightSum},
        {"an expert without a valid seed answer",
         [] {
             HandComputedCase();
             for (int i = 1; i <= 3; ++i) ExpertTable[2]->Assessments[i]->Values[2] = NoValue;
         },
         none, RunNoSeedAnswers},
        {"a LOG item widened linearly below 0",
         [] {
             HandComputedCase();
             for (int k = 1; k <= 3; ++k) ExpertTable[1]->Assessments[4]->Values[k] = k == 3 ? 100.5f : k * 1.5f;
             LogIntrinsicRange = false;
         },
         none, RunLogBoundNotPositive},
        {"bounds beyond the 32-bit reals",
         [] {
             HandComputedCase();
             ExpertTable[1]->Assessments[4]->Values[3] = 3.2e38f;  // widened by a tenth: 3.52e38
             ItemTable[4]->Scale = "UNI";
         },
         none, RunBoundOutOfRange},
        {"a bin of no width that carries mass",
         [] {
             CollapsedRangeCase();
             WeightType = EqualWeighting;
             OptimiseDM = false;
         },
         none, RunDegenerateBin},
        {"levels with a bin of no mass", [] { HandComputedCase(); }, [] { BinProbabilities[2] = 0; }, RunBadLevels},
        {"quantiles so close that the pooled density passes the largest real",
         [] {
             HandComputedCase();

             AddItem("T5", "UNI");
             NewAssessment(ExpertTable[1].get(), 5)->Item = ItemTable[5].get();
             NewAssessment(ExpertTable[2].get(), 5)->Item = ItemTable[5].get();
             const float a[] = {1e-44f, 2e-44f, 3e-44f};
             const float b[] = {1.5f, 2.5f, 3.5f};
             for (int k = 1; k <= 3; ++k) {
                 ExpertTable[1]->Assessments[5]->Values[k] = a[k - 1];
                 ExpertTable[2]->Assessments[5]->Values[k] = b[k - 1];
             }
         },
         none, RunNotFinite},
    };
}

class RunCodeTable : public ScoringRunTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(RunCodeTable, CodeOfTheRun) {
    const CodeCase& c = GetParam();
    c.caseAndOptions();
    PrepareRun();
    c.beforeRun();
    EXPECT_EQ(Run(), c.code) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Codes, RunCodeTable, ::testing::ValuesIn(CodeCases()));

struct UserWeightCase {
    std::vector<float> given;
    bool accepted;
    int code;
    std::vector<float> after;  // the weights after the check
};

class UserWeightTable : public ScoringRunTest, public ::testing::WithParamInterface<UserWeightCase> {};

TEST_P(UserWeightTable, CheckAndFill) {
    const UserWeightCase& c = GetParam();
    for (std::size_t e = 1; e <= c.given.size(); ++e)
        NewExpert("E" + std::to_string(e), "", e)->Weight = c.given[e - 1];
    ExpertCount = static_cast<int>(c.given.size());
    int code = 0;
    EXPECT_EQ(CheckUserWeights(code), c.accepted);
    if (!c.accepted) {
        EXPECT_EQ(code, c.code);
    }
    for (std::size_t e = 1; e <= c.given.size(); ++e) {
        if (std::isnan(c.after[e - 1])) {
            EXPECT_TRUE(std::isnan(ExpertTable[e]->Weight)) << "expert " << e;
        } else {
            EXPECT_EQ(ExpertTable[e]->Weight, c.after[e - 1]) << "expert " << e;
        }
    }
}

const float NaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    SumsRangesAndMissingWeights, UserWeightTable,
    ::testing::Values(UserWeightCase{{0.5f, 0.5f}, true, 0, {0.5f, 0.5f}},
                      UserWeightCase{{0.5f, Missing}, true, 0, {0.5f, 0.5f}},
                      // (1 - 0.25) / 3, formed in extended precision
                      UserWeightCase{{Missing, 0.25f, Missing, Missing}, true, 0, {0.25f, 0.25f, 0.25f, 0.25f}},
                      UserWeightCase{{0.4f, 0.4f}, false, RunUserWeightSum, {0.4f, 0.4f}},
                      UserWeightCase{{0.6f, 0.6f}, false, RunUserWeightSum, {0.6f, 0.6f}},
                      UserWeightCase{{0.6f, 0.6f, Missing}, false, RunUserWeightSum, {0.6f, 0.6f, Missing}},
                      UserWeightCase{{Missing, 1.0f, Missing}, false, RunUserWeightIsOne, {Missing, 1.0f, Missing}},
                      UserWeightCase{{Missing, Missing}, false, RunNoUserWeights, {Missing, Missing}},
                      UserWeightCase{{-0.1f, Missing}, false, RunUserWeightOutOfRange, {-0.1f, Missing}},
                      UserWeightCase{{0.5f, 1.5f}, false, RunUserWeightOutOfRange, {0.5f, 1.5f}},
                      // Not a number passes none of the comparisons; it is no weight in 0..1.
                      UserWeightCase{{NaN, Missing}, false, RunUserWeightOutOfRange, {NaN, Missing}},
                      // 0.6 + 0.33 = 0.93000001, + 0.07 = 1.00000012 in 32 bits: within 1e-5 of 1
                      // but above it. In the other order 0.6 + 0.07 = 0.67000002, + 0.33 = 1 exactly.
                      UserWeightCase{{0.6f, 0.33f, 0.07f}, false, RunUserWeightSum, {0.6f, 0.33f, 0.07f}},
                      UserWeightCase{{0.6f, 0.07f, 0.33f}, true, 0, {0.6f, 0.07f, 0.33f}},
                      // Within 1e-5 of 1 and below it, none missing: accepted as it stands.
                      UserWeightCase{{0.5f, 0.499995f}, true, 0, {0.5f, 0.499995f}}));

TEST_F(ScoringRunTest, SignificanceLevelRangeAndCheck) {
    HandComputedCase();
    PrepareRun();

    struct Row {
        std::uint16_t weights;
        bool optimise;
        float level;
        bool accepted;
    };
    // The largest calibration is A's, 0.808027 (scoring_reference.py).
    const float a = static_cast<float>(ScoringReference("A.calibration"));
    const float above = std::nextafter(CalibrationOfEntropy(1, 0.162f), 1.0f);
    const Row rows[] = {
        {1, false, 0.0f, true},   {1, false, CalibrationOfEntropy(1, 0.162f), true},
        {1, false, above, false}, {1, false, -1.0f, false},
        {3, false, 0.5f, true},   {3, false, 0.9f, false},
        {1, true, 0.9f, true},    {2, false, 0.9f, true},
        {4, false, -1.0f, true},
    };
    for (const Row& r : rows) {
        WeightType = r.weights;
        OptimiseDM = r.optimise;
        UserSignificanceLevel = r.level;
        SignificanceLevel = 0.5f;
        EXPECT_EQ(CheckSignificanceLevel(true), r.accepted) << r.weights << " " << r.optimise << " " << r.level;
        if (!r.optimise && (r.weights == 1 || r.weights == 3)) {
            EXPECT_EQ(SignificanceLevel, 0.03f);
            EXPECT_EQ(MinSignificanceLevel, 0.0f);
            EXPECT_TRUE(RelativelyNear(MaxSignificanceLevel, a, 1e-6L));
        } else {
            EXPECT_EQ(SignificanceLevel, 0.5f) << "nothing changed";
        }
    }
    EXPECT_EQ(ExpertTable[1]->Calibration, 0.0f) << "the levels leave the experts' scores alone";
}

// ---- the calibration levels ----

// Table mode, 13 seed items: hits (0, 3, 9, 1) have the entropy
// 3/13 ln((3/13)/0.45) + 9/13 ln((9/13)/0.45) + 1/13 ln((1/13)/0.05) = 0.17726 -> 0.1773 and the
// statistic 2 x 13 x 0.1773 = 4.6098, between the fine table's 4.526 and 4.642: 0.20. Hits
// (0, 3, 7, 3): 0.29546 -> 0.2955, 7.683, between 7.407 and 7.815: 0.05.
TEST_F(ScoringRunTest, CalibrationLevelsAreTheDistinctScoresAscending) {
    ExactChiSquare = false;
    const std::vector<float> bins[] = {
        {}, {10.5f, 11.5f, 12.5f}, {9.5f, 10.5f, 11.5f}, {8.5f, 9.5f, 10.5f}, {7.5f, 8.5f, 9.5f}};
    auto answers = [&](std::vector<int> hits) {
        std::vector<std::vector<float>> rows;
        for (int b = 1; b <= 4; ++b)
            for (int n = 0; n < hits[b - 1]; ++n) rows.push_back(bins[b]);
        return rows;
    };
    for (int i = 1; i <= 13; ++i) AddItem("S" + std::to_string(i), "UNI", 10.25f);
    AddExpert("A", answers({0, 3, 9, 1}));
    AddExpert("B", answers({0, 3, 7, 3}));
    AddExpert("C", answers({0, 9, 3, 1}));
    PrepareRun();
    SortedCalibrationLevels(CalibrationLevels, CalibrationLevelCount);
    ASSERT_EQ(CalibrationLevelCount, 2);
    EXPECT_EQ(CalibrationLevels[1], 0.05f);
    EXPECT_EQ(CalibrationLevels[2], 0.2f);
    EXPECT_EQ(ExpertTable[1]->Calibration, 0.0f) << "the stored scores are not changed";

    // Without data experts there is no level, and none is read.
    ExpertCount = 0;
    SortedCalibrationLevels(CalibrationLevels, CalibrationLevelCount);
    EXPECT_EQ(CalibrationLevelCount, 0);
    OptimiseDM = false;
    UserSignificanceLevel = 0;
    EXPECT_TRUE(CheckSignificanceLevel(false));
    EXPECT_EQ(MaxSignificanceLevel, 0.0f);
}

// ---- the run options ----

TEST_F(ScoringRunTest, EqualWeightsAreOneOverTheExpertCountAtLevelZero) {
    ThreeExperts();
    PrepareRun();
    WeightType = EqualWeighting;
    OptimiseDM = false;
    SignificanceLevel = 0.5f;
    ASSERT_EQ(Run(), RunOk);
    for (int e = 1; e <= 3; ++e) EXPECT_EQ(ExpertTable[e]->Weight, static_cast<float>(1.0L / 3)) << e;
    EXPECT_EQ(SignificanceLevel, 0.0f);
    // With the optimisation box ticked the weights do not depend on a level: a plain run.
    ResetGlobals();
    ThreeExperts();
    PrepareRun();
    WeightType = EqualWeighting;
    BestDMScore = 7;
    ASSERT_EQ(Run(), RunOk);
    EXPECT_EQ(SignificanceLevel, 0.0f);
    EXPECT_EQ(BestDMScore, 7.0f);
}

TEST_F(ScoringRunTest, UserWeightsAreCompletedAndPooled) {
    ThreeExperts();
    PrepareRun();
    UserWeights({0.5f, Missing, Missing});
    ASSERT_EQ(Run(), RunOk);
    EXPECT_EQ(ExpertTable[2]->Weight, 0.25f);
    EXPECT_EQ(ExpertTable[3]->Weight, 0.25f);
    EXPECT_TRUE(AssessmentAt(4, 1)->Valid);
}

TEST_F(ScoringRunTest, WhatTheRunComputesAndWhatItTakesAsGiven) {
    HandComputedCase();
    PrepareRun();
    OptimiseDM = false;
    UserSignificanceLevel = 0;
    ASSERT_EQ(Run(), RunOk);
    EXPECT_TRUE(InformationComputed);
    EXPECT_TRUE(RelativelyNear(AssessmentAt(3, 1)->Values[1], ScoringReference("X1.global_dm.1"), 1e-6L));

    // After a Bayesian update the ranges stand; with the information computed it stands too.
    ResetGlobals();
    HandComputedCase();
    PrepareRun();
    OptimiseDM = false;
    UserSignificanceLevel = 0;
    ASSERT_EQ(Run(), RunOk);
    ItemTable[1]->IntrinsicLow = 1.5f;
    AssessmentAt(1, 2)->Information = 0.5f;
    BayesianUpdates = true;
    ASSERT_EQ(Run(), RunOk);
    EXPECT_EQ(ItemTable[1]->IntrinsicLow, 1.5f);
    EXPECT_EQ(AssessmentAt(1, 2)->Information, 0.5f);
    InformationComputed = false;
    ASSERT_EQ(Run(), RunOk);
    EXPECT_NE(AssessmentAt(1, 2)->Information, 0.5f);
    EXPECT_EQ(ItemTable[1]->IntrinsicLow, 1.5f);
}

TEST_F(ScoringRunTest, DiscrepanciesOnlyWhenAskedAndNotDuringARobustnessRun) {
    HandComputedCase();
    PrepareRun();
    ResetDiscrepancies();
    DiscrepancyOn = true;
    RobustnessRun = true;
    ASSERT_EQ(Run(), RunOk);
    EXPECT_EQ(ExpertTable[1]->MeanDiscrepancy, MissingValue);

    RobustnessRun = false;
    InformationComputed = false;
    ASSERT_EQ(Run(), RunOk);
    EXPECT_GT(ExpertTable[1]->MeanDiscrepancy, 0.0f);
    EXPECT_GT(ExpertTable[2]->MeanSeedDiscrepancy, 0.0f);
    EXPECT_EQ(ExpertTable[3]->MeanDiscrepancy, 0.0f) << "the decision maker itself";
}

TEST_F(ScoringRunTest, ANumberThatIsNotFiniteNeverPassesForSuccess) {
    // A quantile that is not a number passes the data check's comparisons.
    HandComputedCase();
    ExpertTable[2]->Assessments[4]->Values[2] = std::numeric_limits<float>::quiet_NaN();
    PrepareRun();
    EXPECT_NE(Run(), RunOk);
    // Not a number as a user weight.
    ResetGlobals();
    HandComputedCase();
    PrepareRun();
    UserWeights({std::numeric_limits<float>::quiet_NaN(), Missing});
    EXPECT_EQ(Run(), RunUserWeightOutOfRange);
}

// ---------------------------------------------------------------- left-out runs

// Runs that leave one expert out after another, each as the run dialog starts it; inside a
// FullRunReuse they keep the full run's information where an item's range stays. Their bits must
// be a plain run's on any number of threads, and the full run's information must be back once
// the reuse closes.
TEST(FullRunReuseTest, LeftOutRunsGiveThePlainRunsBitsAndTheFullRunsInformationComesBack) {
    const generated::CaseShape shape{
        .experts = 14, .items = 24, .seeds = 8, .quantiles = 3, .logShare = 0.5, .seed = 21};
    auto information = [] {
        std::vector<float> out;
        for (int e = 1; e <= ExpertCount; ++e)
            for (const auto& a : ExpertTable[e]->Assessments)
                if (a && a->Item) out.insert(out.end(), {a->Information, a->Values[0], a->Values[QuantileCount + 1]});
        return out;
    };
    auto leftOutRuns = [&](bool reuse, int threads) {
        ResetGlobals();
        generated::BuildCase(shape);
        RunThreadCount = threads;
        EXPECT_EQ(fullcase::StartRun(1, true), RunOk);
        const std::vector<float> full = information();
        std::vector<std::uint64_t> runs;
        int recomputed = 0;
        {
            std::optional<FullRunReuse> open;
            if (reuse) open.emplace();
            // The widest experts hold the items' ranges: without them, those ranges move.
            int lowest = 1, highest = 1;
            for (int e = 1; e <= shape.experts; ++e) {
                const float* v = ExpertTable[e]->Assessments[1]->Values;
                if (v[1] < ExpertTable[lowest]->Assessments[1]->Values[1]) lowest = e;
                if (v[QuantileCount] > ExpertTable[highest]->Assessments[1]->Values[QuantileCount]) highest = e;
            }
            for (const int e : {lowest, 3, highest}) {
                ExpertTable[e]->FilterFlag = true;
                ExpertTableType side;
                FilterExpertsOut(side);
                EXPECT_EQ(fullcase::StartRun(1, true), RunOk) << e;
                runs.push_back(fullcase::RunChecksum());
                if (open) recomputed += open->ItemsComputed();
                DeleteExperts(ExpertCount + 1, ExpertCount + 1, ExpertTable, nullptr);
                RestoreFilteredExperts(side);
                ExpertTable[e]->FilterFlag = false;
            }
        }
        EXPECT_EQ(FullRunReuse::Open(), nullptr);
        EXPECT_EQ(ExpertCount, shape.experts);
        if (reuse) {
            EXPECT_TRUE(information() == full) << "the full run's information is back";
            // Some items' ranges moved and were computed anew; most were not.
            EXPECT_GT(recomputed, 0);
            EXPECT_LT(recomputed, 3 * shape.items);
        }
        return runs;
    };
    const std::vector<std::uint64_t> plain = leftOutRuns(false, 1);
    for (const int threads : {1, 2, 8}) EXPECT_EQ(leftOutRuns(true, threads), plain) << threads << " threads";
    RunThreadCount = 0;
}

}  // namespace
