// The worked case: 4 items, 3 experts, every pair answered. Answers for the pairs
// (1,2) (1,3) (1,4) (2,3) (2,4) (3,4):
//   expert 1  > > > > > >
//   expert 2  < > > > > <
//   expert 3  > = > < > >
// checked against the committed references: an independent transcription of the formulas
// (pairwise_models.py), a textbook Case V computation with exact quantiles, and R's
// BradleyTerry2 (pairwise_models.R).
#include <gtest/gtest.h>

#include <cmath>

#include "pairwise/model/model_results.h"
#include "pairwise/model/nel_model.h"
#include "pairwise/model/proportions.h"
#include "pairwise/model/thurstone.h"
#include "pairwise/model/transformation.h"
#include "pairwise_model_cases.h"

using namespace trindel;

namespace {

using namespace pairmodel_test;

class WorkedCase : public ModelCase {
protected:
    void SetUp() override {
        ModelCase::SetUp();
        TallyWorkedCase();
        transcription = ReadReference("pairwise_models.txt");
        r = ReadReference("pairwise_models_r.txt");
    }

    void FitAll() {
        FitBradleyTerry(NelValues, PreferenceCount, 0);
        BradleyTerryGoodnessOfFit();
        FitThurstoneC(ThurstoneCValues, PreferenceCount);
        FitThurstoneB(ThurstoneBValues, PreferenceCount);
        ThurstoneGoodnessOfFit();
    }

    static void ExpectVector(const CalcVector& actual, const std::vector<long double>& expected, long double tolerance,
                             const char* what) {
        ASSERT_EQ(expected.size(), 4u) << what;
        for (int i = 1; i <= 4; ++i)
            EXPECT_NEAR(static_cast<double>(actual[i]), static_cast<double>(expected[i - 1]),
                        static_cast<double>(tolerance))
                << what << " item " << i;
    }

    ReferenceRows transcription;
    ReferenceRows r;
};

TEST_F(WorkedCase, TalliesAndProportions) {
    // P(i,j) / N: 2/3, 2.5/3, 3/3, 2/3, 3/3, 2/3; the unanimous pairs (1,4) and (2,4) take
    // (2N + 1) / (2N + 2) = 7/8.
    const long double expected[] = {2.0L / 3, 2.5L / 3, 7.0L / 8, 2.0L / 3, 7.0L / 8, 2.0L / 3};
    CalcMatrix p{};
    PreferenceProportions(p, PreferenceCount);
    int k = 0;
    for (const auto& [i, j] : UpperPairs(4)) {
        EXPECT_EQ(PairCount[i][j], 3);
        EXPECT_NEAR(static_cast<double>(p[i][j]), static_cast<double>(expected[k]), 1e-12) << i << "," << j;
        EXPECT_NEAR(static_cast<double>(p[j][i]), static_cast<double>(1 - expected[k]), 1e-12) << j << "," << i;
        ++k;
    }
}

TEST_F(WorkedCase, NelValuesAgreeWithTranscriptionAndBradleyTerry2) {
    FitAll();
    EXPECT_TRUE(NelFitConverged);
    ExpectVector(NelValues, Numbers(transcription, "nel_values"), 1e-9L, "transcription");
    // BradleyTerry2 fits the exact maximum; the fit stops once a sweep changes the values by
    // at most 1e-6 in all (squared sum 1e-12), so they agree to that order.
    ExpectVector(NelValues, Numbers(r, "bt2_values"), 2e-6L, "BradleyTerry2");
    long double sum = 0;
    for (int i = 1; i <= 4; ++i) sum += NelValues[i];
    EXPECT_NEAR(static_cast<double>(sum), 1.0, 1e-11);
}

TEST_F(WorkedCase, GSquaredIsTheResidualDeviance) {
    FitAll();
    EXPECT_NEAR(static_cast<double>(NelFitStatistic), static_cast<double>(Numbers(transcription, "nel_g2")[0]), 1e-9);
    // The deviance is flat at the maximum: the fit's small distance from it does not show.
    EXPECT_NEAR(static_cast<double>(NelFitStatistic), static_cast<double>(Numbers(r, "bt2_deviance")[0]), 1e-8);
}

TEST_F(WorkedCase, ThurstoneValuesAndStatistic) {
    FitAll();
    ExpectVector(ThurstoneCValues, Numbers(transcription, "thurstone_c"), 1e-9L, "model C");
    // Exact quantiles differ from the model's series by up to 5e-4 per deviate in the range
    // of 7/8; averaged over the row this stays below 2e-4.
    ExpectVector(ThurstoneCValues, Numbers(transcription, "case_v_exact"), 2e-4L, "textbook Case V");
    ExpectVector(ThurstoneBValues, Numbers(transcription, "thurstone_b"), 1e-9L, "model B");
    EXPECT_NEAR(static_cast<double>(ThurstoneFitStatistic),
                static_cast<double>(Numbers(transcription, "thurstone_fit")[0]), 1e-9);
    long double sum = 0;
    for (int i = 1; i <= 4; ++i) sum += ThurstoneCValues[i];
    EXPECT_NEAR(static_cast<double>(sum), 0.0, 1e-11);
}

TEST_F(WorkedCase, TransformedToReferenceValuesTenAndOne) {
    FitAll();
    SetReferences(1, 10, 4, 1);
    TransformBradleyTerry(NelTransformed, NelValues);
    TransformThurstone(ThurstoneBLinear, ThurstoneBLog, ThurstoneBValues, ThurstoneBReversed, ThurstoneBMaps);
    TransformThurstone(ThurstoneCLinear, ThurstoneCLog, ThurstoneCValues, ThurstoneCReversed, ThurstoneCMaps);
    ExpectVector(NelTransformed, Numbers(transcription, "nel_transformed"), 1e-9L, "NEL");
    ExpectVector(ThurstoneCLinear, Numbers(transcription, "thurc_lin"), 1e-9L, "C linear");
    ExpectVector(ThurstoneCLog, Numbers(transcription, "thurc_log"), 1e-9L, "C log");
    ExpectVector(ThurstoneBLinear, Numbers(transcription, "thurb_lin"), 1e-9L, "B linear");
    ExpectVector(ThurstoneBLog, Numbers(transcription, "thurb_log"), 1e-9L, "B log");
    EXPECT_FALSE(ThurstoneBReversed);
    EXPECT_FALSE(ThurstoneCReversed);
    EXPECT_FALSE(ThurstoneContradiction);
    EXPECT_TRUE(TransformationNotes().empty());
}

}  // namespace
