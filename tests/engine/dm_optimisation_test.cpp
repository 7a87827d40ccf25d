// The search for the best significance level: on the hand case against the reference scores, on
// generated cases against separate runs at every candidate level and against passes made of the
// public weights and pooling steps, bit for bit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/case_generator.h"
#include "case_builder.h"
#include "case_snapshot.h"
#include "engine/calibration.h"
#include "engine/decision_maker.h"
#include "engine/dm_optimisation.h"
#include "engine/globals.h"
#include "engine/information.h"
#include "engine/intrinsic_range.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "engine/weights.h"
#include "scoring_reference.h"
#include "scoring_steps.h"

using namespace halvorine;

using namespace testcase;

namespace {

class OptimisationTest : public ScoringRunTest {
protected:
    // A run at one level, without the optimisation: the decision maker's score is its raw weight.
    static float ScoreAtLevel(float level) {
        OptimiseDM = false;
        UserSignificanceLevel = level;
        InformationComputed = false;
        EXPECT_EQ(Run(), RunOk) << "level " << level;
        OptimiseDM = true;
        return ExpertTable[ExpertCount + 1]->RawWeight;
    }

    static std::string WeightsFile() {
        std::ifstream in("weightsw.dat", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

// Pass 1 at level 0 pools A and B (0.288 and 0.712): the decision maker catches the seeds as A does
// (calibration 0.808027) with mean seed information 0.229733, so it scores 0.185631. Pass 2 at A's
// calibration cuts B; the decision maker is A, 0.808027 x 0.0181824 = 0.0146918. Level 0 wins.
TEST_F(OptimisationTest, HandCaseKeepsLevelZero) {
    HandComputedCase();
    PrepareRun();
    ASSERT_EQ(Run(), RunOk);
    ASSERT_EQ(CalibrationLevelCount, 2);
    EXPECT_TRUE(RelativelyNear(CalibrationLevels[1], ScoringReference("B.calibration"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(CalibrationLevels[2], ScoringReference("A.calibration"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(BestDMScore, ScoringReference("DM.global.score"), 1e-5L));
    EXPECT_TRUE(RelativelyNear(BestDMScore, 0.185631L, 1e-5L));
    EXPECT_EQ(SignificanceLevel, 0.0f);
    const float best = BestDMScore;
    const char* items[] = {"X1", "X2", "X3", "L4"};
    for (int i = 1; i <= 4; ++i)
        for (int k = 1; k <= 3; ++k)
            EXPECT_TRUE(RelativelyNear(AssessmentAt(3, i)->Values[k],
                                       ScoringReference(std::string(items[i - 1]) + ".global_dm." + std::to_string(k)),
                                       1e-6L))
                << items[i - 1] << " " << k;
    EXPECT_TRUE(RelativelyNear(AssessmentAt(3, 1)->Values[1], 3.09639L, 1e-5L));
    EXPECT_TRUE(RelativelyNear(AssessmentAt(3, 1)->Values[2], 6.67092L, 1e-5L));
    EXPECT_TRUE(RelativelyNear(AssessmentAt(3, 1)->Values[3], 8.11525L, 1e-5L));

    // The two passes as separate runs.
    const float second = ScoreAtLevel(CalibrationLevels[2]);
    EXPECT_TRUE(RelativelyNear(second,
                               ScoringReference("A.calibration") * ScoringReference("A.mean_seed_information"), 1e-5L));
    EXPECT_TRUE(RelativelyNear(second, 0.0146918L, 1e-5L));
    EXPECT_EQ(ScoreAtLevel(0), best);
}

// B catches the seeds in A's bins (0, 2, 1, 0) with other answers: one calibration, K = 1, so one
// scoring pass at level 0 and the final pass at level 0.
TEST_F(OptimisationTest, OneCalibrationForAllGivesOneLevel) {
    SetLevels({5, 50, 95});
    AddItem("X1", "UNI", 5.25f);
    AddItem("X2", "UNI", 12.75f);
    AddItem("X3", "UNI", 0.7f);
    AddExpert("A", {{2.5f, 5.5f, 8.5f}, {8.5f, 12.5f, 16.5f}, {0.25f, 1.25f, 2.25f}});
    AddExpert("B", {{4.75f, 5.5f, 6.25f}, {12.25f, 12.5f, 12.875f}, {0.5f, 0.75f, 0.875f}});
    PrepareRun();
    SignificanceLevel = 0.5f;
    ASSERT_EQ(Run(), RunOk);
    EXPECT_EQ(CalibrationLevelCount, 1);
    EXPECT_EQ(ExpertTable[1]->Calibration, ExpertTable[2]->Calibration);
    EXPECT_EQ(SignificanceLevel, 0.0f);
    EXPECT_EQ(ScoreAtLevel(0), BestDMScore);
}

TEST_F(OptimisationTest, ATieKeepsTheEarlierLowerLevel) {
    // The scores of the passes (0.30, 0.45, 0.45): the second pass wins.
    const float scores[] = {0.30f, 0.45f, 0.45f};
    int bestPass = 0;
    float best = 0;
    for (int k = 1; k <= 3; ++k)
        if (BecomesBest(k, scores[k - 1], best)) {
            best = scores[k - 1];
            bestPass = k;
        }
    EXPECT_EQ(bestPass, 2);
    EXPECT_TRUE(BecomesBest(1, 0.0f, 0.9f)) << "the first pass always";
    EXPECT_FALSE(BecomesBest(2, 0.3f, 0.3f));
    EXPECT_TRUE(BecomesBest(2, std::nextafter(0.3f, 1.0f), 0.3f));
}

// With the optimisation a failing weights step in any pass stops the run with its code: A does not
// answer L4, so at A's level (pass 2) nobody with weight answers it.
TEST_F(OptimisationTest, AFailingPassStopsTheRun) {
    HandComputedCase();
    for (int k = 1; k <= 3; ++k) ExpertTable[1]->Assessments[4]->Values[k] = NoValue;
    PrepareRun();
    EXPECT_EQ(Run(), 4);
    const float first = BestDMScore;
    EXPECT_EQ(ScoreAtLevel(0), first) << "the best score of the passes done";
}

// ---- generated cases ----

struct Generated {
    int experts, items, seeds, quantiles;
    std::uint16_t weights;
    double missing;
    std::uint32_t seed;
};

void BuildGenerated(const Generated& g) {
    generated::BuildCase({.experts = g.experts, .items = g.items, .seeds = g.seeds, .quantiles = g.quantiles,
                          .missingShare = g.missing, .seed = g.seed});
    PrepareRun();
    WeightType = g.weights;
}

class GeneratedOptimisation : public OptimisationTest, public ::testing::WithParamInterface<Generated> {};
using CompleteGeneratedCase = GeneratedOptimisation;

// The level the search keeps gives the best decision maker of all candidate levels, each scored by
// a run of its own; the first such level when several tie; and the run at that level ends with
// the same decision maker, bit for bit.
TEST_P(CompleteGeneratedCase, TheChosenLevelScoresBestOfAllCandidates) {
    BuildGenerated(GetParam());
    ASSERT_EQ(Run(), RunOk);
    const float best = BestDMScore;
    const float chosen = SignificanceLevel;
    const CaseSnapshot optimised = TakeSnapshot(1, ExpertCount + 1);
    std::vector<float> levels(CalibrationLevels + 1, CalibrationLevels + CalibrationLevelCount + 1);
    ASSERT_GE(levels.size(), 3u) << "the calibration scores spread";
    levels[0] = 0; // the first candidate is level 0

    float top = 0;
    float first = -1;
    for (float level : levels) {
        const float score = ScoreAtLevel(level);
        if (first < 0 || score > top) {
            top = score;
            first = level;
        }
    }
    EXPECT_EQ(best, top);
    EXPECT_EQ(chosen, first);

    ScoreAtLevel(chosen);
    SignificanceLevel = chosen;
    BestDMScore = best;
    ExpectSameSnapshot(optimised, TakeSnapshot(1, ExpertCount + 1), "the run at the chosen level");
}

// The passes that score a candidate pool only the seed items and reuse what does not change;
// the run must end exactly as the passes of the public steps end, weights file included.
TEST_P(GeneratedOptimisation, SameRunAsPassesOfThePublicSteps) {
    const Generated g = GetParam();
    BuildGenerated(g);
    const int code = Run();
    const CaseSnapshot optimised = TakeSnapshot(1, ExpertCount, true);
    const CaseSnapshot optimisedDM = TakeSnapshot(ExpertCount + 1, ExpertCount + 1, true);
    const std::string file = WeightsFile();

    ResetGlobals();
    std::remove("weightsw.dat");
    BuildGenerated(g);
    int literal = ComputeIntrinsicRanges();
    if (literal == RunOk) literal = ComputeAllInformation();
    ASSERT_EQ(literal, RunOk);
    SortedCalibrationLevels(CalibrationLevels, CalibrationLevelCount);
    const int dm = ExpertCount + 1;
    float bestLevel = 0;
    for (int k = 1; k <= CalibrationLevelCount + 1 && literal == RunOk; ++k) {
        SignificanceLevel = k == 1 ? 0 : k <= CalibrationLevelCount ? CalibrationLevels[k] : bestLevel;
        if (k > CalibrationLevelCount) ExpertTable[dm]->SeedCount = ExpertTable[dm]->AssessedCount = 0;
        if (WeightType == 3)
            ComputeItemWeights(literal);
        else
            ComputeGlobalWeights(literal);
        if (literal == RunOk) literal = BuildDecisionMaker();
        if (literal != RunOk || k > CalibrationLevelCount) break;
        ComputeMinSeedCount();
        const float v = GlobalWeightRaw(dm);
        if (k == 1 || v > BestDMScore) {
            BestDMScore = v;
            bestLevel = SignificanceLevel;
        }
    }
    if (literal == RunOk) literal = ScoreDecisionMaker();
    ASSERT_EQ(code, literal);
    ExpectSameSnapshot(TakeSnapshot(1, ExpertCount, true), optimised, "the experts");
    // A run that fails leaves an incomplete decision maker, which the dialog deletes; its other
    // items may still hold the quantiles of an earlier pass.
    if (code == RunOk) ExpectSameSnapshot(TakeSnapshot(dm, dm, true), optimisedDM, "the decision maker");
    EXPECT_EQ(WeightsFile(), file);
}

// Every expert answers every item: no candidate level leaves an item without weight.
INSTANTIATE_TEST_SUITE_P(Cases, CompleteGeneratedCase,
                         ::testing::Values(Generated{24, 30, 10, 3, 1, 0, 1}, Generated{20, 25, 10, 3, 3, 0, 3}));
// With answers missing, item weights stop at the first level that leaves an item without weight.
INSTANTIATE_TEST_SUITE_P(Cases, GeneratedOptimisation,
                         ::testing::Values(Generated{24, 30, 10, 3, 1, 0, 1}, Generated{30, 24, 12, 5, 1, 0.05, 2},
                                           Generated{20, 25, 10, 3, 3, 0, 3}, Generated{16, 20, 8, 4, 3, 0.1, 4}));

} // namespace
