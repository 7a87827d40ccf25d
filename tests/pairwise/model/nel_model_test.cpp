#include <gtest/gtest.h>

#include <cmath>

#include "common/core/calc_error.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/nel_model.h"
#include "pairwise_model_cases.h"

using namespace trindel;

namespace {

using namespace pairmodel_test;

class NelModel : public ModelCase {};

TEST_F(NelModel, OneAnswerOnTwoItems) {
    // a = (2, 0): the first sweep gives (1, 0), the second changes nothing.
    TallyAnswers(2, {">"});
    const NelFitOutcome outcome = FitBradleyTerry(NelValues, PreferenceCount, 0);
    EXPECT_EQ(outcome.Sweeps, 2);
    EXPECT_TRUE(outcome.Converged);
    EXPECT_EQ(NelValues[1], 1.0L);
    EXPECT_EQ(NelValues[2], 0.0L);
    // C is summed with the values before the zero is replaced (ln 1 = 0); the replaced item
    // has no wins, so G² = 2 (A - B + C) = 2 (3 ln 1 - 0 + 0) = 0.
    BradleyTerryGoodnessOfFit();
    EXPECT_EQ(NelValues[2], Real48(0.0001L));
    EXPECT_EQ(NelFitStatistic, 0.0L);
}

TEST_F(NelModel, AllTiesStopAfterOneSweep) {
    TallyAnswers(3, {"===", "==="});
    const NelFitOutcome outcome = FitBradleyTerry(NelValues, PreferenceCount, 0);
    EXPECT_EQ(outcome.Sweeps, 1);
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(static_cast<double>(NelValues[i]), 1.0 / 3, 1e-12);
}

TEST_F(NelModel, IncompleteDesignIsFitted) {
    // Item 1 beats items 2 and 3; nobody compared 2 with 3. That pair adds nothing to the
    // sums: a = (4, 0, 0) gives (2/3, 0, 0), then (1, 0, 0).
    TallyAnswers(3, {">> "});
    const NelFitOutcome outcome = FitBradleyTerry(NelValues, PreferenceCount, 0);
    EXPECT_TRUE(outcome.Converged);
    EXPECT_EQ(NelValues[1], 1.0L);
    EXPECT_EQ(NelValues[2], 0.0L);
    EXPECT_EQ(NelValues[3], 0.0L);
    BradleyTerryGoodnessOfFit();
    EXPECT_EQ(NelFitStatistic, 0.0L);

    // A chain 1 > 2 > 3 > 4 with 1-3, 1-4 and 2-4 never compared, answered both ways.
    TallyAnswers(4, {">  > >", "<  < <", ">  > <"});
    EXPECT_TRUE(FitBradleyTerry(NelValues, PreferenceCount, 0).Converged);
    long double sum = 0;
    for (int i = 1; i <= 4; ++i) {
        EXPECT_GT(NelValues[i], 0.0L) << i;
        sum += NelValues[i];
    }
    EXPECT_NEAR(static_cast<double>(sum), 1.0, 1e-11);
}

TEST_F(NelModel, ItemComparedWithNothingIsReportedByNumber) {
    // Pairs (1,2) (1,3) (2,3): item 3 is in no answered pair.
    TallyAnswers(3, {">  ", "<  "});
    try {
        FitBradleyTerry(NelValues, PreferenceCount, 0);
        FAIL() << "no error";
    } catch (const UncomparedItemError& e) {
        EXPECT_EQ(e.Item(), 3);
        EXPECT_STREQ(e.what(), "Item 3 is not compared with any other item, the NEL model can`t be fitted");
    }
}

TEST_F(NelModel, UnanimousWinnerStopsAtTheSweepLimit) {
    // Item 1 beats 2 and 3 for every expert: its value runs off towards 1 and the change only
    // creeps towards the stopping value.
    TallyAnswers(3, {">>>", ">><"});
    const NelFitOutcome outcome = FitBradleyTerry(NelValues, PreferenceCount, 0);
    EXPECT_FALSE(outcome.Converged);
    EXPECT_EQ(outcome.Sweeps, NelSweepLimit);
    EXPECT_FALSE(NelFitConverged);
    EXPECT_EQ(NelFitSweeps, NelSweepLimit);
    EXPECT_GT(NelValues[1], 0.99L);
    EXPECT_EQ(NelConvergenceNote(),
              "NEL(Bradley-Terry) fit did not converge in 100000 iterations: its values are unreliable.");
}

TEST_F(NelModel, CappedFitStopsAfterItsFiftyFirstSweepAndLeavesTheRunsFlags) {
    TallyAnswers(3, {">>>", ">><"});
    const NelFitOutcome outcome = FitBradleyTerry(NelValues, PreferenceCount, 1);
    EXPECT_EQ(outcome.Sweeps, 51);
    EXPECT_FALSE(outcome.Converged);
    EXPECT_TRUE(NelFitConverged);
    EXPECT_EQ(NelFitSweeps, 0);
    EXPECT_EQ(NelConvergenceNote(), "");
}

TEST_F(NelModel, TiesGiveHalfLogTermsInTheStatistic) {
    // Three items, pairs (1,2) (1,3) (2,3); one tie on (1,2), two experts' answers elsewhere.
    // G² is the binomial deviance: 2 sum over pairs of
    // P(i,j) ln(P(i,j) / (N p(i,j))) + P(j,i) ln(P(j,i) / (N p(j,i))), p(i,j) = v(i) / (v(i) + v(j)).
    TallyAnswers(3, {"=><", " >>"});
    FitBradleyTerry(NelValues, PreferenceCount, 0);
    const long double v[] = {0, NelValues[1], NelValues[2], NelValues[3]};
    BradleyTerryGoodnessOfFit();
    long double deviance = 0;
    for (const auto& [i, j] : UpperPairs(3)) {
        const long double n = PairCount[i][j];
        const long double pij = v[i] / (v[i] + v[j]);
        for (const auto& [c, q] :
             {std::pair{PreferenceCount[i][j].Value(), pij}, std::pair{PreferenceCount[j][i].Value(), 1 - pij}})
            if (c > 0) deviance += 2 * c * std::log(c / (n * q));
    }
    EXPECT_NEAR(static_cast<double>(NelFitStatistic), static_cast<double>(deviance), 1e-10);
}

TEST_F(NelModel, ScaleFactorOfTheReferenceItem) {
    RunItemCount = 3;
    CalcVector v{};
    v[1] = 0.5L;
    v[2] = 0.25L;
    v[3] = 0.25L;
    NelRefItem = 2;
    NelRefValue = 10;
    TransformBradleyTerry(NelTransformed, v);
    EXPECT_EQ(NelMapStatus, MapStatus::Computed);
    EXPECT_EQ(NelScaleFactor, 40.0L);
    EXPECT_EQ(NelTransformed[1], 20.0L);
    EXPECT_EQ(NelTransformed[2], 10.0L);

    NelRefItem = 0;
    TransformBradleyTerry(NelTransformed, v);
    EXPECT_EQ(NelMapStatus, MapStatus::NoReference);
    EXPECT_EQ(NelTransformed[1], 0.0L);
}

}  // namespace
