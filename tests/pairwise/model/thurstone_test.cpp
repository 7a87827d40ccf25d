#include <gtest/gtest.h>

#include <cmath>

#include "common/core/calc_error.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/normal_functions.h"
#include "pairwise/model/thurstone.h"
#include "pairwise_model_cases.h"

using namespace trindel;

namespace {

using namespace pairmodel_test;

class Thurstone : public ModelCase {};

TEST_F(Thurstone, TwoItemsUnanimousGiveHalfTheDeviateEachWay) {
    for (int m : {1, 4, 10}) {
        TallyAnswers(2, std::vector<std::string>(m, ">"));
        FitThurstoneC(ThurstoneCValues, PreferenceCount);
        const long double z = InverseNormalDeviate((2.0L * m + 1) / (2.0L * m + 2), DeviateTolerance());
        EXPECT_NEAR(static_cast<double>(ThurstoneCValues[1]), static_cast<double>(z / 2), 1e-12) << m;
        EXPECT_NEAR(static_cast<double>(ThurstoneCValues[2]), static_cast<double>(-z / 2), 1e-12) << m;
    }
}

TEST_F(Thurstone, ModelBReversesStronglyConsistentData) {
    // Three items ranked 1 > 2 > 3 by ten experts: every proportion is 21/22. Model C ranks
    // them 1, 2, 3; model B's formula gives the same spread in the opposite order (the
    // transcription pairwise_models.py shows the same).
    const ReferenceRows transcription = ReadReference("pairwise_models.txt");
    TallyAnswers(3, std::vector<std::string>(10, ">>>"));
    FitThurstoneC(ThurstoneCValues, PreferenceCount);
    FitThurstoneB(ThurstoneBValues, PreferenceCount);
    const std::vector<long double> c = Numbers(transcription, "consistent_c");
    const std::vector<long double> b = Numbers(transcription, "consistent_b");
    for (int i = 1; i <= 3; ++i) {
        EXPECT_NEAR(static_cast<double>(ThurstoneCValues[i]), static_cast<double>(c[i - 1]), 1e-9) << i;
        EXPECT_NEAR(static_cast<double>(ThurstoneBValues[i]), static_cast<double>(b[i - 1]), 1e-9) << i;
    }
    EXPECT_GT(ThurstoneCValues[1], ThurstoneCValues[3]);
    EXPECT_LT(ThurstoneBValues[1], ThurstoneBValues[3]);
}

TEST_F(Thurstone, ModelBCompletesWhenAnItemHasOnlyTies) {
    // Item 1 tied with everything: its deviates are only about 0, so its spread is tiny but
    // not zero.
    TallyAnswers(3, {"==>", "==>"});
    FitThurstoneB(ThurstoneBValues, PreferenceCount);
    for (int i = 1; i <= 3; ++i) EXPECT_TRUE(std::isfinite(static_cast<double>(ThurstoneBValues[i]))) << i;
}

TEST_F(Thurstone, ModelBRowWithoutSpreadIsAZeroDivide) {
    // One item: its row of deviates is the zero diagonal alone.
    TallyAnswers(1, {});
    try {
        FitThurstoneB(ThurstoneBValues, PreferenceCount);
        FAIL() << "no error";
    } catch (const CalcError& e) {
        EXPECT_EQ(e.Kind(), CalcErrorKind::ZeroDivide);
    }
}

TEST_F(Thurstone, StatisticGrowsLinearlyWithTheExperts) {
    // Every pair 2 : 1, then the same proportions from twice the experts.
    TallyAnswers(3, {">>>", "<<<", ">>>"});
    FitThurstoneC(ThurstoneCValues, PreferenceCount);
    ThurstoneGoodnessOfFit();
    const long double three = ThurstoneFitStatistic;
    EXPECT_GT(three, 0.0L);
    TallyAnswers(3, {">>>", "<<<", ">>>", ">>>", "<<<", ">>>"});
    FitThurstoneC(ThurstoneCValues, PreferenceCount);
    ThurstoneGoodnessOfFit();
    EXPECT_NEAR(static_cast<double>(ThurstoneFitStatistic), static_cast<double>(2 * three), 1e-12);
}

TEST_F(Thurstone, StatisticOfTwoItemsByHand) {
    // p = 3/4 (one '>' on two items); C = (z/2, -z/2), q = NormalDistribution(z); the
    // statistic is (asin sqrt q - asin sqrt p)^2 in degrees, times m = 1, over 821.
    TallyAnswers(2, {">"});
    FitThurstoneC(ThurstoneCValues, PreferenceCount);
    ThurstoneGoodnessOfFit();
    const long double q = NormalDistribution(ThurstoneCValues[1] - ThurstoneCValues[2]);
    const long double deg = 180 / 3.141592653589793238L;
    const long double d = std::asin(std::sqrt(q)) * deg - std::asin(std::sqrt(0.75L)) * deg;
    EXPECT_NEAR(static_cast<double>(ThurstoneFitStatistic), static_cast<double>(d * d / 821), 1e-15);
}

}  // namespace
