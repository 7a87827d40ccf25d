#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <stdexcept>
#include <vector>

#include "pairwise/model/model_results.h"
#include "pairwise/model/nel_model.h"
#include "pairwise/model/simulation.h"
#include "pairwise/model/thurstone.h"
#include "pairwise/model/transformation.h"
#include "pairwise_model_cases.h"

using namespace trindel;

namespace {

using namespace pairmodel_test;

class Simulation : public ModelCase {};

// The one-sample Kolmogorov-Smirnov statistic of the sample against the distribution cdf.
double KolmogorovSmirnov(std::vector<double> sample, const std::function<double(double)>& cdf) {
    std::sort(sample.begin(), sample.end());
    const double n = static_cast<double>(sample.size());
    double d = 0;
    for (std::size_t i = 0; i < sample.size(); ++i) {
        const double f = cdf(sample[i]);
        d = std::max({d, (static_cast<double>(i) + 1) / n - f, f - static_cast<double>(i) / n});
    }
    return d;
}

TEST_F(Simulation, UniformIsRoundedAndKeptAwayFromZero) {
    prompts.QueueRandom(0.0);
    prompts.QueueRandom(0.3);
    EXPECT_EQ(UniformRandom(), Real48(1e-30L));
    EXPECT_EQ(UniformRandom(), Real48(0.3L));
}

TEST_F(Simulation, DrawsFromKnownUniforms) {
    // -(1/rate) ln u with u = 1/2 and rate 1/2: 2 ln 2.
    prompts.QueueRandom(0.5);
    EXPECT_NEAR(static_cast<double>(ExponentialRandom(0.5L)), 2 * std::log(2.0), 1e-11);
    // mean + sqrt(-ln u1) sin(2 pi u2) with u1 = 1/2, u2 = 1/4: mean + sqrt(ln 2).
    prompts.QueueRandom(0.5);
    prompts.QueueRandom(0.25);
    EXPECT_NEAR(static_cast<double>(NormalRandom(1.5L)), 1.5 + std::sqrt(std::log(2.0)), 1e-11);
}

TEST_F(Simulation, ExponentialAndNormalDrawsPassKolmogorovSmirnov) {
    // Critical value of the statistic at the 1 % level for this sample size, from the exact
    // distribution (pairwise_models.R).
    const std::vector<long double> ks = Numbers(ReadReference("pairwise_models_r.txt"), "ks_critical");
    ASSERT_EQ(ks.size(), 3u);
    const int n = static_cast<int>(ks[0]);
    const double critical = static_cast<double>(ks[2]);
    prompts.Seed(20260101);

    std::vector<double> exponential;
    for (int i = 0; i < n; ++i) exponential.push_back(static_cast<double>(ExponentialRandom(2.5L)));
    EXPECT_LT(KolmogorovSmirnov(exponential, [](double x) { return x <= 0 ? 0 : 1 - std::exp(-2.5 * x); }), critical);

    std::vector<double> normal;
    for (int i = 0; i < n; ++i) normal.push_back(static_cast<double>(NormalRandom(0.3L)));
    // Variance 1/2: Phi((x - 0.3) sqrt 2) = erfc(-(x - 0.3)) / 2.
    EXPECT_LT(KolmogorovSmirnov(normal, [](double x) { return 0.5 * std::erfc(-(x - 0.3)); }), critical);
    // The check tells variance 1 apart.
    EXPECT_GT(KolmogorovSmirnov(normal, [](double x) { return 0.5 * std::erfc(-(x - 0.3) / std::sqrt(2.0)); }),
              critical);

    // The draws of a simulated data set, as a run makes them: 40 items by 100 experts, every cell
    // answered, every item with the same value.
    ClearCalculation();
    RunItemCount = 40;
    RunExpertCount = 100;
    ASSERT_EQ(RunItemCount * RunExpertCount, n);
    CalcVector values{};
    for (int i = 1; i <= RunItemCount; ++i) {
        values[i] = 2.5L;
        for (int e = 1; e <= RunExpertCount; ++e) Answered[i][e] = true;
    }
    auto drawn = [&](SimulatedModel model) {
        DrawSimulatedValues(SimulationDraws, values, model);
        std::vector<double> sample;
        for (int i = 1; i <= RunItemCount; ++i)
            for (int e = 1; e <= RunExpertCount; ++e) sample.push_back(static_cast<double>(SimulationDraws[i][e]));
        return sample;
    };
    EXPECT_LT(
        KolmogorovSmirnov(drawn(SimulatedModel::Nel), [](double x) { return x <= 0 ? 0 : 1 - std::exp(-2.5 * x); }),
        critical);
    EXPECT_LT(
        KolmogorovSmirnov(drawn(SimulatedModel::ThurstoneC), [](double x) { return 0.5 * std::erfc(-(x - 2.5)); }),
        critical);
}

TEST_F(Simulation, DrawsOnlyForAnsweredCellsItemByItem) {
    // Expert 1 answered the pair (1,2); expert 2 nothing.
    TallyAnswers(2, {">", " "});
    CalcVector values{};
    values[1] = 0.5L;
    values[2] = 2;
    prompts.QueueRandom(0.5);
    prompts.QueueRandom(0.25);
    prompts.QueueRandom(0.125);
    DrawSimulatedValues(SimulationDraws, values, SimulatedModel::Nel);
    EXPECT_NEAR(static_cast<double>(SimulationDraws[1][1]), 2 * std::log(2.0), 1e-11);  // -(1/0.5) ln 0.5
    EXPECT_NEAR(static_cast<double>(SimulationDraws[2][1]), std::log(2.0), 1e-11);      // -(1/2) ln 0.25
    EXPECT_EQ(SimulationDraws[1][2], 0.0L);
    EXPECT_EQ(SimulationDraws[2][2], 0.0L);
    EXPECT_EQ(Randoms().Random(), 0.125);  // two draws, no more
}

TEST_F(Simulation, CountsCoverEveryPairAnExpertJudgedAnywhere) {
    // The expert compared (1,2) and (3,4) only; item 5 never.
    std::vector<std::string> experts = {"<      >  "};
    TallyAnswers(5, experts);
    ASSERT_TRUE(Answered[3][1] && Answered[4][1] && !Answered[5][1]);
    const long double draw[] = {0, 0.5L, 0.2L, 0.2L, 0.9L, 0};
    for (int i = 1; i <= 5; ++i) SimulationDraws[i][1] = draw[i];

    struct Win {
        int winner, loser;
    };
    // NEL: the shorter draw wins; Thurstone C: the larger. 2 and 3 draw equal: the second wins.
    const std::vector<Win> nel = {{2, 1}, {3, 1}, {1, 4}, {3, 2}, {2, 4}, {3, 4}};
    const std::vector<Win> thurstone = {{1, 2}, {1, 3}, {4, 1}, {3, 2}, {4, 2}, {4, 3}};
    for (const auto& [model, wins] :
         {std::pair{SimulatedModel::Nel, nel}, std::pair{SimulatedModel::ThurstoneC, thurstone}}) {
        CalcMatrix counts{};
        SimulatedPreferenceCounts(counts, SimulationDraws, model);
        long double total = 0;
        for (int i = 1; i <= 5; ++i)
            for (int j = 1; j <= 5; ++j) total += counts[i][j];
        EXPECT_EQ(total, 6.0L);
        for (const Win& w : wins) EXPECT_EQ(counts[w.winner][w.loser], 1.0L) << w.winner << " over " << w.loser;
    }
}

TEST_F(Simulation, RankRoundsHalvesToEven) {
    const struct {
        int count, level, k;
    } cases[] = {
        {50, 90, 3},   // (50 - 45) / 2 = 2.5 -> 2
        {50, 50, 13},  // 12.5 -> 12
        {50, 70, 9},   // 7.5 -> 8
        {25, 90, 2},   // 1.25 -> 1
        {75, 90, 5},   // 3.75 -> 4
    };
    for (const auto& c : cases) {
        SimulationCount = c.count;
        ConfidenceLevel = c.level;
        EXPECT_EQ(SimulationRank(), c.k) << c.count << " at " << c.level;
    }
}

TEST_F(Simulation, SelectExtremesAgreesWithASort) {
    RunItemCount = 3;
    SimulationCount = 50;
    std::mt19937 generator(7);
    std::uniform_real_distribution<double> uniform(-5, 5);
    for (int k : {1, 3, 7}) {
        std::vector<std::vector<long double>> rows(4);
        for (int i = 1; i <= 3; ++i)
            for (int s = 1; s <= 50; ++s) {
                SimulatedValues[i][s] = uniform(generator);
                rows[i].push_back(SimulatedValues[i][s]);
            }
        SelectExtremes(k);
        for (int i = 1; i <= 3; ++i) {
            std::vector<long double> after(SimulatedValues[i] + 1, SimulatedValues[i] + 51);
            std::vector<long double> sorted = rows[i];
            std::sort(sorted.begin(), sorted.end());
            for (int a = 0; a < k; ++a) {
                EXPECT_EQ(after[a], sorted[a]) << "k " << k << " item " << i << " smallest " << a + 1;
                EXPECT_EQ(after[49 - a], sorted[49 - a]) << "k " << k << " item " << i << " largest " << a + 1;
            }
            std::sort(after.begin(), after.end());
            EXPECT_EQ(after, sorted) << "the row keeps its values";
        }
    }
}

TEST_F(Simulation, BoundsThroughModelCsMaps) {
    ThurstoneSlope = 2;
    ThurstoneIntercept = -1;
    EXPECT_EQ(ThurstoneCLinearBound(0), 0.0L);  // -1 is reported as 0
    EXPECT_EQ(ThurstoneCLinearBound(1), 1.0L);

    ThurstoneLogSlope = 1;
    ThurstoneLogIntercept = 0;
    EXPECT_EQ(ThurstoneCLogBound(-51), 0.0L);
    EXPECT_NEAR(static_cast<double>(ThurstoneCLogBound(10)), std::exp(10.0), 1e-6);
    EXPECT_NEAR(static_cast<double>(ThurstoneCLogBound(88) / std::exp(88.0L)), 1.0, 1e-11);
    EXPECT_FALSE(LogBoundOverflow);
    // Beyond e^88 the bound is flagged instead of overflowing the six-byte store, up to
    // e^88.03 and beyond it.
    for (long double t : {88.02L, 88.5L, 95.0L, 150.0L}) {
        LogBoundOverflow = false;
        EXPECT_EQ(ThurstoneCLogBound(t), Real48(1e37L)) << static_cast<double>(t);
        EXPECT_TRUE(LogBoundOverflow);
    }
}

class SimulatedWorkedCase : public ModelCase {
protected:
    void SetUp() override {
        ModelCase::SetUp();
        TallyWorkedCase();
        FitBradleyTerry(NelValues, PreferenceCount, 0);
        BradleyTerryGoodnessOfFit();
        FitThurstoneC(ThurstoneCValues, PreferenceCount);
        SetReferences(1, 10, 4, 1);
        TransformBradleyTerry(NelTransformed, NelValues);
        TransformThurstone(ThurstoneCLinear, ThurstoneCLog, ThurstoneCValues, ThurstoneCReversed, ThurstoneCMaps);
        prompts.Seed(42);
    }
};

TEST_F(SimulatedWorkedCase, TransformedBoundsAreTheThirdFromEachEnd) {
    SimulateAllIntervals();
    const int k = 3;
    for (int i = 1; i <= 4; ++i) {
        // SimulatedValues holds model C's runs, the last simulated.
        const Real48* row = SimulatedValues[i];
        EXPECT_LE(row[1], row[2]);
        EXPECT_LE(row[2], row[3]);
        EXPECT_LE(row[48], row[49]);
        EXPECT_LE(row[49], row[50]);
        for (int s = 4; s <= 47; ++s) EXPECT_TRUE(row[3] <= row[s] && row[s] <= row[48]) << i << " run " << s;
        EXPECT_EQ(ThurstoneCLinearLower[i], ThurstoneCLinearBound(row[k]));
        EXPECT_EQ(ThurstoneCLinearUpper[i], ThurstoneCLinearBound(row[51 - k]));
        EXPECT_EQ(ThurstoneCLogLower[i], ThurstoneCLogBound(row[k]));
        EXPECT_EQ(ThurstoneCLogUpper[i], ThurstoneCLogBound(row[51 - k]));
        EXPECT_LE(NelLowerBounds[i], NelUpperBounds[i]);
        EXPECT_GE(NelLowerBounds[i], 0.0L);  // a refit where the item never wins gives 0
    }
    EXPECT_FALSE(LogBoundOverflow);

    // The same seed gives the same intervals.
    const CalcVector nelLower = NelLowerBounds;
    const CalcVector cUpper = ThurstoneCLinearUpper;
    prompts.Seed(42);
    SimulateAllIntervals();
    EXPECT_EQ(NelLowerBounds, nelLower);
    EXPECT_EQ(ThurstoneCLinearUpper, cUpper);
}

TEST_F(SimulatedWorkedCase, WithoutTransformationTheBoundsAreTheRefittedValues) {
    ScaleTransformation = false;
    LogBoundOverflow = true;  // not touched without the log map
    SimulateAllIntervals();
    EXPECT_TRUE(LogBoundOverflow);
    // Item 4 has the lowest model C value (-0.68): its bounds stay negative.
    EXPECT_LT(ThurstoneCLinearLower[4], 0.0L);
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(ThurstoneCLinearLower[i], SimulatedValues[i][3]);
        EXPECT_EQ(ThurstoneCLinearUpper[i], SimulatedValues[i][48]);
        EXPECT_EQ(ThurstoneCLogLower[i], 0.0L);
        EXPECT_LE(NelUpperBounds[i], 1.0L);
    }
}

TEST_F(SimulatedWorkedCase, ModelCWithoutALogMapLeavesItsLogBoundsZero) {
    RefValue1 = 0;
    TransformThurstone(ThurstoneCLinear, ThurstoneCLog, ThurstoneCValues, ThurstoneCReversed, ThurstoneCMaps);
    ASSERT_EQ(ThurstoneCMaps.Log, MapStatus::FirstReferenceZero);
    SimulateAllIntervals();
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(ThurstoneCLogLower[i], 0.0L);
        EXPECT_EQ(ThurstoneCLogUpper[i], 0.0L);
    }
}

TEST_F(SimulatedWorkedCase, MoreRunsThanTheTableHoldsAreRefused) {
    SimulationCount = SimulatedRunCapacity + 1;
    EXPECT_THROW(SimulateAllIntervals(), std::out_of_range);
}

}  // namespace
