#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "case_builder.h"
#include "engine/calibration.h"
#include "engine/decision_maker.h"
#include "engine/globals.h"
#include "engine/information.h"
#include "engine/intrinsic_range.h"
#include "engine/nudge.h"
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "engine/weights.h"
#include "scoring_steps.h"

using namespace halvorine;

using namespace testcase;

namespace {

class DecisionMakerTest : public ScoringTest {
protected:
    // Two seed items both experts answer alike, then the item under test as item 3.
    void ThirdItem(const char* scale, std::vector<float> a, std::vector<float> b) {
        AddItem("S1", "UNI", 1.5f);
        AddItem("S2", "UNI", 2.75f);
        AddItem("X", scale);
        AddExpert("E1", {{1.25f, 2.25f, 3.25f}, {1.25f, 2.25f, 3.25f}, a});
        AddExpert("E2", {{1.25f, 2.25f, 3.25f}, {1.25f, 2.25f, 3.25f}, b});
    }

    static std::vector<float> Quantiles(const TAssessment& a) {
        return std::vector<float>(a.Values + 1, a.Values + 1 + QuantileCount);
    }
};

TEST_F(DecisionMakerTest, IdenticalExpertsPoolToTheirNudgedValues) {
    ThirdItem("UNI", {1, 2, 3}, {1, 2, 3});
    PrepareRun();
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    ItemTable[3]->IntrinsicLow = 0.8f;
    ItemTable[3]->IntrinsicHigh = 3.2f;
    ExpertTable[1]->Weight = ExpertTable[2]->Weight = 0.5f;
    WeightType = EqualWeighting;
    ASSERT_EQ(BuildDecisionMaker(), RunOk);
    const TAssessment& d = *AssessmentAt(3, 3);
    EXPECT_FLOAT_EQ(d.Values[1], 1.00001f);
    EXPECT_FLOAT_EQ(d.Values[2], 2.00002f);
    EXPECT_FLOAT_EQ(d.Values[3], 3.00003f);
    EXPECT_TRUE(d.Valid);
}

TEST_F(DecisionMakerTest, TheOneExpertWithAllTheGlobalWeightIsCopied) {
    HandComputedCase();
    PrepareRun();
    SignificanceLevel = 0.5f;  // cuts B
    ASSERT_EQ(ScoreCase(), RunOk);
    ASSERT_EQ(ExpertTable[1]->Weight, 1.0f) << "before the scores, the weights were A 1 and B 0";
    for (int i = 1; i <= 4; ++i) {
        const TAssessment& a = *AssessmentAt(1, i);
        const TAssessment& d = *AssessmentAt(3, i);
        EXPECT_EQ(Quantiles(d), Quantiles(a)) << "item " << i << ": the values as entered, not nudged";
        EXPECT_EQ(d.Item, a.Item);
        EXPECT_EQ(d.Valid, a.Valid);
    }
    EXPECT_EQ(ExpertTable[3]->Calibration, ExpertTable[1]->Calibration);
}

// With item weights an expert holds all the weight of an item nobody else answered; that must
// not make the decision maker a copy of that expert on the other items.
TEST_F(DecisionMakerTest, ItemWeightsCopyAnExpertOnlyOnTheItemItCarriesAlone) {
    HandComputedCase();
    for (int k = 1; k <= 3; ++k) ExpertTable[2]->Assessments[4]->Values[k] = NoValue;
    PrepareRun();
    WeightType = ItemWeighting;
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    ASSERT_EQ(ComputeAllInformation(), RunOk);
    int code = 0;
    ComputeItemWeights(code);
    ASSERT_EQ(code, RunOk);
    ASSERT_EQ(AssessmentAt(1, 4)->ItemWeight, 1.0f);
    ASSERT_EQ(BuildDecisionMaker(), RunOk);

    EXPECT_EQ(Quantiles(*AssessmentAt(3, 4)), Quantiles(*AssessmentAt(1, 4)));
    for (int i = 1; i <= 3; ++i) {
        const TAssessment& d = *AssessmentAt(3, i);
        EXPECT_NE(Quantiles(d), Quantiles(*AssessmentAt(1, i))) << "item " << i << " is pooled";
        // Pooled between A's and B's answers, closer to B, who is far more informative.
        const float lowA = AssessmentAt(1, i)->Values[1];
        const float lowB = AssessmentAt(2, i)->Values[1];
        EXPECT_GT(d.Values[1], lowA);
        EXPECT_LT(d.Values[1], lowB);
    }
}

TEST_F(DecisionMakerTest, NothingToPoolGivesAMissingAssessment) {
    // Nobody answers item 3.
    ThirdItem("UNI", {}, {});
    PrepareRun();
    WeightType = EqualWeighting;
    ASSERT_EQ(ScoreCase(), RunOk);
    const TAssessment& d = *AssessmentAt(3, 3);
    EXPECT_FALSE(d.Valid);
    for (int k = 1; k <= 3; ++k) EXPECT_EQ(d.Values[k], NoValue);
    EXPECT_EQ(d.Information, 0.0f);
    EXPECT_TRUE(AssessmentAt(3, 1)->Valid);

    // Only a weightless expert answers item 3 (user weights 1 and 0).
    ResetGlobals();
    SetLevels({5, 50, 95});
    ThirdItem("UNI", {}, {4.5f, 5.5f, 6.5f});
    PrepareRun();
    WeightType = UserWeighting;
    ExpertTable[1]->Weight = 0.75f;
    ExpertTable[2]->Weight = 0;
    ASSERT_EQ(ScoreCase(), RunOk);
    EXPECT_FALSE(AssessmentAt(3, 3)->Valid);
    EXPECT_EQ(AssessmentAt(3, 3)->Values[2], NoValue);
    EXPECT_EQ(ExpertTable[3]->SeedCount, 2);
    EXPECT_EQ(ExpertTable[3]->AssessedCount, 2);
}

TEST_F(DecisionMakerTest, ABinWithoutWidthIsRefused) {
    CollapsedRangeCase();
    PrepareRun();
    WeightType = EqualWeighting;
    EXPECT_EQ(ScoreCase(), RunDegenerateBin);
    EXPECT_EQ(ItemCount, 3);
    EXPECT_EQ(ItemTable[3]->IntrinsicLow, ItemTable[3]->IntrinsicHigh);
}

TEST_F(DecisionMakerTest, LevelsWithoutMassAreRefused) {
    ThirdItem("UNI", {4.5f, 5.5f, 6.5f}, {4.5f, 5.5f, 6.5f});
    PrepareRun();
    BinProbabilities[2] = 0;
    EXPECT_EQ(BuildDecisionMaker(), RunBadLevels);
}

TEST_F(DecisionMakerTest, QuantilesOfAPiecewiseConstantDensity) {
    // One interval 0..1 of density 0.5 holds half the mass: the 5 % level lies at
    // 1 - (0.5 - 0.05)/0.5 = 0.1; the 50 % and 95 % levels are never reached and take midpoints
    // towards the end: (0.1 + 1)/2 = 0.55, then (0.55 + 1)/2 = 0.775.
    std::vector<PoolInterval> intervals = {{}, {0, 1, 0.5f}};
    TAssessment d;
    DMQuantilesFromDensity(intervals, 1, d);
    EXPECT_FLOAT_EQ(d.Values[1], 0.1f);
    EXPECT_FLOAT_EQ(d.Values[2], 0.55f);
    EXPECT_FLOAT_EQ(d.Values[3], 0.775f);

    // Not even the first level reached: from the start of the first interval, 2 .. 4 of
    // density 0.01: (2 + 4)/2 = 3, (3 + 4)/2, ...
    intervals = {{}, {2, 4, 0.01f}};
    DMQuantilesFromDensity(intervals, 1, d);
    EXPECT_EQ(d.Values[1], 3.0f);
    EXPECT_EQ(d.Values[2], 3.5f);

    // Three intervals with a gap of no density: 0..1 (0.5), 1..3 (0), 3..4 (0.5).
    intervals = {{}, {0, 1, 0.5f}, {1, 3, 0}, {3, 4, 0.5f}};
    DMQuantilesFromDensity(intervals, 3, d);
    EXPECT_FLOAT_EQ(d.Values[1], 0.1f);
    EXPECT_FLOAT_EQ(d.Values[2], 3.0f) << "the median: the mass resumes at 3";
    EXPECT_FLOAT_EQ(d.Values[3], 3.9f);
}

TEST_F(DecisionMakerTest, ScoresAndWeightsWithTheDecisionMaker) {
    HandComputedCase();
    PrepareRun();
    WeightType = ItemWeighting;
    ASSERT_EQ(ScoreCase(), RunOk);
    const float noWeight = static_cast<float>(static_cast<long double>(MissingValue) - MissingTolerance);
    EXPECT_TRUE(IsMissing(noWeight));
    long double withDM = 0;
    for (int e = 1; e <= 3; ++e) {
        EXPECT_EQ(ExpertTable[e]->Weight, noWeight) << e;
        withDM += ExpertTable[e]->WeightWithDM;
    }
    EXPECT_NEAR(static_cast<double>(withDM), 1.0, 1e-6);
    EXPECT_EQ(ExpertTable[3]->MinSeeds, 3);
    EXPECT_EQ(MinSeedCount, 3);
    for (int i = 1; i <= 4; ++i) {
        long double raw = 0;
        long double normalised = 0;
        for (int e = 1; e <= 3; ++e) {
            raw += AssessmentAt(e, i)->RawItemWeight;
            normalised += AssessmentAt(e, i)->ItemWeight;
        }
        EXPECT_FLOAT_EQ(ItemTable[i]->ItemWeightSum, static_cast<float>(raw)) << i;
        EXPECT_NEAR(static_cast<double>(normalised), 1.0, 1e-6) << i;
    }
    // The decision maker's item weight is its uncut calibration times its information there.
    const TExpert& dm = *ExpertTable[3];
    EXPECT_FLOAT_EQ(AssessmentAt(3, 2)->RawItemWeight, dm.Calibration * AssessmentAt(3, 2)->Information);
}

TEST_F(DecisionMakerTest, AScoreThatIsNotFiniteFailsTheRun) {
    HandComputedCase();
    PrepareRun();
    WeightType = EqualWeighting;
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    ASSERT_EQ(ComputeAllInformation(), RunOk);
    for (int e = 1; e <= 2; ++e) ExpertTable[e]->Weight = 0.5f;
    ASSERT_EQ(BuildDecisionMaker(), RunOk);
    AssessmentAt(2, 1)->Information = std::numeric_limits<float>::infinity();
    EXPECT_EQ(ScoreDecisionMaker(), RunNotFinite);
    EXPECT_EQ(CheckedExpert, 2);
    EXPECT_TRUE(std::isfinite(ExpertTable[2]->RawWeight)) << "the weight is not stored";
}

// ---- properties on random cases ----

struct RandomCase {
    int experts;
    std::vector<bool> log;  // per item
};

// Items 1 and 2 are UNI seeds, items 3.. alternate UNI and LOG without realisation. Values are
// positive, increasing by at least 0.5, every fourth one whole (so the nudge takes part).
RandomCase MakeRandomCase(std::mt19937& rng) {
    std::uniform_int_distribution<int> expertCount(2, 5);
    std::uniform_real_distribution<float> start(0.5f, 50.0f);
    std::uniform_real_distribution<float> step(0.5f, 20.0f);
    std::uniform_int_distribution<int> whole(0, 3);
    RandomCase c{expertCount(rng), {}};
    const int items = 6;
    for (int i = 1; i <= items; ++i) {
        const bool log = i > 2 && i % 2 == 0;
        c.log.push_back(log);
        AddItem("I" + std::to_string(i), log ? "LOG" : "UNI", i <= 2 ? 20.0f + i : NoValue);
    }
    for (int e = 1; e <= c.experts; ++e) {
        std::vector<std::vector<float>> rows;
        for (int i = 1; i <= items; ++i) {
            std::vector<float> row;
            float v = start(rng);
            for (int k = 1; k <= QuantileCount; ++k) {
                row.push_back(whole(rng) == 0 ? std::round(v) + 0.0f : v);
                v = row.back() + step(rng);
            }
            rows.push_back(row);
        }
        AddExpert("E" + std::to_string(e), rows);
    }
    return c;
}

long double Scaled(long double v, bool log) {
    return log ? std::log(v) : v;
}

// The weighted mixture of the experts' piecewise uniform distributions on the pooling scale:
// its distribution function at x, and its density there.
struct Mixture {
    long double cdf = 0;
    long double density = 0;
};

Mixture MixtureAt(int i, bool log, const std::vector<long double>& weights, long double x) {
    const TItem& item = *ItemTable[i];
    Mixture m;
    for (int e = 1; e <= static_cast<int>(weights.size()); ++e) {
        const TAssessment& a = *AssessmentAt(e, i);
        std::vector<long double> p = {Scaled(item.IntrinsicLow, log)};
        for (int k = 1; k <= QuantileCount; ++k) p.push_back(Scaled(NudgeIntegral(a.Values[k]), log));
        p.push_back(Scaled(item.IntrinsicHigh, log));
        for (int k = 1; k <= QuantileCount + 1; ++k) {
            const long double mass = weights[e - 1] * BinProbabilities[k];
            if (x >= p[k]) {
                m.cdf += mass;
            } else if (x > p[k - 1]) {
                m.cdf += mass * (x - p[k - 1]) / (p[k] - p[k - 1]);
            }
            if (x >= p[k - 1] && x < p[k]) m.density += mass / (p[k] - p[k - 1]);
        }
    }
    return m;
}

long double MixtureQuantile(int i, bool log, const std::vector<long double>& weights, long double level) {
    long double a = Scaled(ItemTable[i]->IntrinsicLow, log);
    long double b = Scaled(ItemTable[i]->IntrinsicHigh, log);
    for (int n = 0; n < 200; ++n) {
        const long double m = (a + b) / 2;
        (MixtureAt(i, log, weights, m).cdf < level ? a : b) = m;
    }
    return (a + b) / 2;
}

// Every decision-maker quantile of every item against the mixture with the given weights: the
// mixture's distribution function there must meet the level within what the 32-bit densities
// can lose of the mass (5e-7) plus the density times half a step of the 32-bit quantile (on a
// LOG item of each of its two roundings).
void ExpectMixtureQuantiles(const std::vector<bool>& logItems, const std::vector<long double>& weights) {
    const int dm = ExpertCount + 1;
    for (int i = 1; i <= static_cast<int>(logItems.size()); ++i) {
        const bool log = logItems[i - 1];
        for (int k = 1; k <= QuantileCount; ++k) {
            const float stored = AssessmentAt(dm, i)->Values[k];
            const long double x = Scaled(stored, log);
            const Mixture m = MixtureAt(i, log, weights, x);
            // On a LOG item the log-quantile is stored as a 32-bit real before it is exponentiated.
            const long double halfStep = (log ? 1.0L + std::fabs(x) : std::fabs(x)) * 6e-8L;
            EXPECT_NEAR(static_cast<double>(m.cdf), QuantileLevels[k],
                        static_cast<double>(5e-7L + m.density * halfStep))
                << "item " << i << " level " << k << ": " << stored << ", bisection gives "
                << static_cast<double>(MixtureQuantile(i, log, weights, QuantileLevels[k]));
        }
    }
}

class DecisionMakerProperty : public DecisionMakerTest, public ::testing::WithParamInterface<int> {};

// Equal weights: the decision maker's quantiles are those of the equal mixture.
TEST_P(DecisionMakerProperty, EqualWeightsGiveTheMixtureQuantiles) {
    std::mt19937 rng(GetParam());
    if (GetParam() % 2) SetLevels({5, 25, 50, 75, 95});
    const RandomCase c = MakeRandomCase(rng);
    PrepareRun();
    WeightType = EqualWeighting;
    ASSERT_EQ(ScoreCase(), RunOk);
    ExpectMixtureQuantiles(c.log, std::vector<long double>(c.experts, 1.0L / c.experts));
    // and, found by bisection on the mixture, the same values
    for (int i = 1; i <= static_cast<int>(c.log.size()); ++i) {
        const long double q = MixtureQuantile(i, c.log[i - 1], std::vector<long double>(c.experts, 1.0L / c.experts),
                                              QuantileLevels[2]);
        const long double x = Scaled(AssessmentAt(c.experts + 1, i)->Values[2], c.log[i - 1]);
        EXPECT_NEAR(static_cast<double>(x), static_cast<double>(q), 1e-4 * std::fabs(static_cast<double>(q)) + 1e-6);
    }
}

// One expert with weight (user weights 0.5 and 0 elsewhere, so no copy is taken): the pooled
// quantiles are that expert's nudged values.
TEST_P(DecisionMakerProperty, OneWeightedExpertGivesItsOwnQuantiles) {
    std::mt19937 rng(GetParam());
    const RandomCase c = MakeRandomCase(rng);
    PrepareRun();
    WeightType = UserWeighting;
    const int chosen = 1 + GetParam() % c.experts;
    std::vector<long double> weights(c.experts, 0);
    weights[chosen - 1] = 1;
    for (int e = 1; e <= c.experts; ++e) ExpertTable[e]->Weight = e == chosen ? 0.5f : 0.0f;
    ASSERT_EQ(ScoreCase(), RunOk);
    ExpectMixtureQuantiles(c.log, weights);
    for (int i = 1; i <= static_cast<int>(c.log.size()); ++i)
        for (int k = 1; k <= QuantileCount; ++k)
            EXPECT_NEAR(AssessmentAt(c.experts + 1, i)->Values[k], NudgeIntegral(AssessmentAt(chosen, i)->Values[k]),
                        1e-5 * AssessmentAt(chosen, i)->Values[k])
                << "item " << i << " level " << k;
}

INSTANTIATE_TEST_SUITE_P(Seeds, DecisionMakerProperty, ::testing::Range(1, 41));

}  // namespace
