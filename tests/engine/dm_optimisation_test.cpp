// The search for the best significance level: on the hand case against the reference scores, on
// generated cases against separate runs at every candidate level and against passes made of the
// public weights and pooling steps, bit for bit.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
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
#include "engine/worker_pool.h"
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
    EXPECT_TRUE(
        RelativelyNear(second, ScoringReference("A.calibration") * ScoringReference("A.mean_seed_information"), 1e-5L));
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
    generated::BuildCase({.experts = g.experts,
                          .items = g.items,
                          .seeds = g.seeds,
                          .quantiles = g.quantiles,
                          .missingShare = g.missing,
                          .seed = g.seed});
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
    levels[0] = 0;  // the first candidate is level 0

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

// ---- the screened search against the exhaustive one ----

// What the bounds can do for a case: nothing (every pass pools), apply but rule out no level
// (the levels that remain copy an expert or precede a failing pass), or rule out levels.
enum class Screening { FallsBack, Applies, PassesOver };

// Cases made to be hard for the bounds: each starts from a generated case and changes it.
struct HardCase {
    const char* name;
    generated::CaseShape shape;
    std::uint16_t weights;
    std::function<void()> change;  // after the case is built, before the data check
    Screening screening;
};

// Expert `to` answers every item exactly as expert `from` does.
void SameAnswers(int from, int to) {
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        const TAssessment* a = ExpertTable[from]->Assessments[i].get();
        TAssessment* b = ExpertTable[to]->Assessments[i].get();
        if (a && b)
            for (int k = 1; k <= QuantileCount; ++k) b->Values[k] = a->Values[k];
    }
}

// Items from..to are answered by expert e alone (the others' values are missing).
void OnlyOneAnswers(int e, int from, int to) {
    for (int x = 1; x <= MaxExpertCount && ExpertTable[x]; ++x) {
        if (x == e) continue;
        for (int i = from; i <= to; ++i)
            for (int k = 1; k <= QuantileCount; ++k) ExpertTable[x]->Assessments[i]->Values[k] = NoValue;
    }
}

// Expert e puts every seed's realisation above its last quantile: 1, 2 and 3 units below it.
void FarBelowEverySeed(int e) {
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        const TItem& item = *ItemTable[i];
        if (!item.HasRealisation) continue;
        TAssessment& a = *ExpertTable[e]->Assessments[i];
        for (int k = 1; k <= QuantileCount; ++k)
            a.Values[k] = IsLogItem(&item) ? item.Realisation / static_cast<float>(1 << (QuantileCount + 1 - k))
                                           : item.Realisation - static_cast<float>(QuantileCount + 1 - k);
    }
}

// A first quantile far below the clamp: on the first UNI item without realisation expert e has a
// bin that no breakpoint bounds.
void BelowTheClamp(int e) {
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i)
        if (!ItemTable[i]->HasRealisation && !IsLogItem(ItemTable[i].get())) {
            ExpertTable[e]->Assessments[i]->Values[1] = -2e13f;
            return;
        }
    FAIL() << "no UNI item without realisation";
}

const generated::CaseShape Mixed{.experts = 36, .items = 40, .seeds = 14, .quantiles = 3, .logShare = 0.4, .seed = 5};
const generated::CaseShape Uniform{.experts = 30, .items = 36, .seeds = 30, .quantiles = 3, .logShare = 0, .seed = 9};
const generated::CaseShape Missing{
    .experts = 30, .items = 30, .seeds = 12, .quantiles = 5, .logShare = 0.3, .missingShare = 0.1, .seed = 21};

const HardCase HardCases[] = {
    {"global, LOG items", Mixed, 1, [] {}, Screening::PassesOver},
    {"item, LOG items", Mixed, 3, [] {}, Screening::PassesOver},
    {"global, all LOG",
     {.experts = 30, .items = 30, .seeds = 12, .quantiles = 3, .logShare = 1, .seed = 2},
     1,
     [] {},
     Screening::PassesOver},
    {"global, missing answers", Missing, 1, [] {}, Screening::PassesOver},
    {"item, missing answers", Missing, 3, [] {}, Screening::PassesOver},
    // Experts in identical pairs: no cut ever leaves one expert, and the levels keep pairs.
    {"global, identical pairs", Mixed, 1,
     [] {
         for (int e = 2; e <= 36; e += 2) SameAnswers(e - 1, e);
     },
     Screening::PassesOver},
    {"item, identical pairs", Mixed, 3,
     [] {
         for (int e = 2; e <= 36; e += 2) SameAnswers(e - 1, e);
     },
     Screening::PassesOver},
    // Expert 1's calibration is exactly 0 (30 seeds all in its top bin): a weight of 0 at every level.
    {"global, an expert calibrated at 0", Uniform, 1, [] { FarBelowEverySeed(1); }, Screening::PassesOver},
    {"item, an expert calibrated at 0", Uniform, 3, [] { FarBelowEverySeed(1); }, Screening::PassesOver},
    // A weighted bin without bounding breakpoints: the first pass fails.
    {"global, degenerate bin", Mixed, 1, [] { BelowTheClamp(4); }, Screening::FallsBack},
    {"item, degenerate bin", Mixed, 3, [] { BelowTheClamp(4); }, Screening::FallsBack},
    // The same bin of the expert whose weight is 0: no pass fails, but no bound holds for it.
    {"global, degenerate bin without weight", Uniform, 1,
     [] {
         FarBelowEverySeed(1);
         BelowTheClamp(1);
     },
     Screening::FallsBack},
    // Items only expert 7 answers: a copy of it on those items with item weights, and the first
    // level that cuts it fails (the best of the passes before it stands).
    {"item, a sole expert per item", Mixed, 3, [] { OnlyOneAnswers(7, 20, 24); }, Screening::Applies},
    {"global, a sole answer fails a level", Mixed, 1, [] { OnlyOneAnswers(7, 20, 24); }, Screening::Applies},
    {"global, power 0.4", Mixed, 1, [] { CalibrationPower = 0.4f; }, Screening::PassesOver},
    {"item, power 0.4", Mixed, 3, [] { CalibrationPower = 0.4f; }, Screening::PassesOver},
    {"global, stepped calibration", Mixed, 1, [] { ExactChiSquare = false; }, Screening::PassesOver},
    {"global, own seed counts", Missing, 1, [] { UseMinSeedCount = false; }, Screening::PassesOver},
    {"item, own seed counts", Missing, 3, [] { UseMinSeedCount = false; }, Screening::PassesOver},
    {"global, one quantile",
     {.experts = 30, .items = 30, .seeds = 12, .quantiles = 1, .seed = 4},
     1,
     [] {},
     Screening::PassesOver},
    {"item, seven quantiles",
     {.experts = 24, .items = 30, .seeds = 12, .quantiles = 7, .seed = 6},
     3,
     [] {},
     Screening::PassesOver},
};

// Everything a run leaves, with its code, the weights file and what the search did.
struct SearchOutcome {
    int Code = 0;
    CaseSnapshot State;
    std::string WeightsFile;
    int ItemCount = 0;
    int CheckedExpert = 0;
    int Levels = 0;
    LevelSearchReport Report;
};

class LevelSearchTest : public OptimisationTest, public ::testing::WithParamInterface<HardCase> {
protected:
    void TearDown() override {
        SetLevelSearch(LevelSearch::Screened);
        RunThreadCount = 0;
        OptimisationTest::TearDown();
    }

    static SearchOutcome RunWith(LevelSearch search, int threads) {
        const HardCase& c = GetParam();
        ResetGlobals();
        std::remove("weightsw.dat");
        generated::BuildCase(c.shape);
        c.change();
        PrepareRun();
        WeightType = c.weights;
        OptimiseDM = true;
        SetLevelSearch(search);
        RunThreadCount = threads;
        SearchOutcome out;
        out.Code = Run();
        out.State = TakeSnapshot(1, ExpertCount + 1, true);
        out.WeightsFile = WeightsFile();
        out.ItemCount = ItemCount;
        out.CheckedExpert = CheckedExpert;
        out.Levels = CalibrationLevelCount;
        out.Report = LastLevelSearch();
        return out;
    }
};

// The screened search ends exactly as the exhaustive one on one thread: the same code, scores,
// weights, decision maker (also of a failing run), counts, best level and score, weights file.
TEST_P(LevelSearchTest, ScreenedEndsAsExhaustiveOnAnyThreads) {
    const HardCase& c = GetParam();
    const SearchOutcome oracle = RunWith(LevelSearch::Exhaustive, 1);
    EXPECT_EQ(oracle.Report.ExactPasses, oracle.Report.Candidates) << c.name;
    ASSERT_GE(oracle.Levels, 3) << c.name << ": the calibration scores spread";
    for (int threads : {1, 2, 8}) {
        const std::string what = std::string(c.name) + ", " + std::to_string(threads) + " threads";
        const SearchOutcome screened = RunWith(LevelSearch::Screened, threads);
        EXPECT_EQ(screened.Code, oracle.Code) << what;
        ExpectSameSnapshot(oracle.State, screened.State, what);
        EXPECT_EQ(screened.WeightsFile, oracle.WeightsFile) << what;
        EXPECT_EQ(screened.ItemCount, oracle.ItemCount) << what;
        EXPECT_EQ(screened.CheckedExpert, oracle.CheckedExpert) << what;
        EXPECT_EQ(screened.Report.Screened, c.screening != Screening::FallsBack) << what;
        EXPECT_EQ(screened.Report.OutOfBounds, 0) << what;
        if (c.screening == Screening::PassesOver) {
            EXPECT_LT(screened.Report.ExactPasses, screened.Report.Candidates) << what << ": some level passed over";
        }
    }
}

// Pooled at every level, each exact score lies within the bounds of its level, and planning the
// passes leaves no trace in the result.
TEST_P(LevelSearchTest, EveryExactScoreLiesWithinItsBounds) {
    const HardCase& c = GetParam();
    const SearchOutcome oracle = RunWith(LevelSearch::Exhaustive, 1);
    const SearchOutcome audited = RunWith(LevelSearch::Audited, 2);
    EXPECT_EQ(audited.Code, oracle.Code) << c.name;
    ExpectSameSnapshot(oracle.State, audited.State, c.name);
    EXPECT_EQ(audited.WeightsFile, oracle.WeightsFile) << c.name;
    EXPECT_EQ(audited.Report.OutOfBounds, 0) << c.name;
    if (audited.Report.Screened) {
        EXPECT_GT(audited.Report.Bounded, 0) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Hard, LevelSearchTest, ::testing::ValuesIn(HardCases),
                         [](const ::testing::TestParamInfo<HardCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

}  // namespace
