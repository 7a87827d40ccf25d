#include <gtest/gtest.h>

#include <cmath>

#include "pairwise/model/normal_functions.h"
#include "pairwise/model/proportions.h"
#include "pairwise_model_cases.h"

using namespace trindel;

namespace {

using namespace pairmodel_test;

// Largest errors of the approximations on fine grids (pairwise_models.py): the polynomial
// 3.26e-5 on [-6, 6]; the inverse 6.1e-8 on (0.5, 0.8], 4.9e-4 on (0.8, 0.94] (anchor 0.8413
// for Phi(1) = 0.84134) and 1.54e-3 on (0.94, 0.994] (anchor 0.9772, where the density is
// small).
constexpr double DistributionTolerance = 3.3e-5;
constexpr double InverseTolerance[] = {0, 1e-7, 5e-4, 1.6e-3};

TEST(NormalDistribution, AgreesWithPnorm) {
    const ReferenceRows r = ReadReference("pairwise_models_r.txt");
    int checked = 0;
    for (auto it = r.lower_bound("pnorm"); it != r.upper_bound("pnorm"); ++it, ++checked) {
        const long double x = it->second[0];
        EXPECT_NEAR(static_cast<double>(NormalDistribution(x)), static_cast<double>(it->second[1]),
                    DistributionTolerance)
            << "x = " << static_cast<double>(x);
    }
    EXPECT_GT(checked, 30);
}

TEST(NormalDistribution, SymmetricAndHalfAtZero) {
    // At 0: 1 - (0.4361836 - 0.1201676 + 0.937298) / sqrt(2 pi) = 0.50000005.
    EXPECT_NEAR(static_cast<double>(NormalDistribution(0)), 0.5, 1e-7);
    for (long double x : {0.1L, 0.5L, 1.0L, 1.96L, 3.0L, 5.5L})
        EXPECT_NEAR(static_cast<double>(NormalDistribution(-x)), static_cast<double>(1 - NormalDistribution(x)), 1e-11)
            << static_cast<double>(x);
}

TEST(InverseNormal, AgreesWithQnormWithinEachRangesAccuracy) {
    const ReferenceRows r = ReadReference("pairwise_models_r.txt");
    int checked = 0;
    for (auto it = r.lower_bound("qnorm"); it != r.upper_bound("qnorm"); ++it, ++checked) {
        const Real48 p = it->second[0];
        const int range = InverseNormalRange(p < 0.5L ? Real48(1 - p) : p);
        const long double z = InverseNormalDeviate(p, DeviateTolerance());
        if (range == 4)
            EXPECT_EQ(std::fabs(z), 3.0L) << static_cast<double>(p);  // the clamp, whatever the quantile
        else
            EXPECT_NEAR(static_cast<double>(z), static_cast<double>(it->second[1]), InverseTolerance[range])
                << "p = " << static_cast<double>(p) << ", range " << range;
    }
    EXPECT_GT(checked, 40);
}

TEST(InverseNormal, RangeOfTheBoundaryProportions) {
    // The bounds are extended reals; the proportion is compared in its six-byte form. 4/5
    // rounds up in 40 bits, above the extended 0.8; 47/50 rounds down, below the extended 0.94.
    EXPECT_GT(Real48(4.0L / 5), 0.8L);
    EXPECT_LT(Real48(47.0L / 50), 0.94L);
    const struct {
        long double p;
        int range;
    } cases[] = {{0.75L, 1}, {4.0L / 5, 2}, {1.0L / 5, 2}, {47.0L / 50, 2}, {21.0L / 22, 3}, {201.0L / 202, 4}};
    for (const auto& c : cases) {
        const Real48 p = c.p;
        EXPECT_EQ(InverseNormalRange(p < 0.5L ? Real48(1 - p) : p), c.range) << static_cast<double>(c.p);
    }
    // The second range starts from 1.2 about 1: 4/5 gives about qnorm(0.8) = 0.8416.
    EXPECT_NEAR(static_cast<double>(InverseNormalDeviate(4.0L / 5, DeviateTolerance())), 0.8416, 5e-4);
    EXPECT_NEAR(static_cast<double>(InverseNormalDeviate(1.0L / 5, DeviateTolerance())), -0.8416, 5e-4);
    EXPECT_EQ(InverseNormalDeviate(201.0L / 202, DeviateTolerance()), 3.0L);
    EXPECT_EQ(InverseNormalDeviate(1.0L / 202, DeviateTolerance()), -3.0L);
}

TEST(InverseNormal, HalfIsNotMirroredAndLeavesATinyDeviate) {
    int steps = 0;
    const long double z = InverseNormalDeviate(0.5L, DeviateTolerance(), &steps);
    // Three steps from 0.6; the last correction leaves a residue of the order of 1e-12.
    EXPECT_EQ(steps, 3);
    EXPECT_NE(z, 0.0L);
    EXPECT_LT(std::fabs(z), 1e-10L);
    // One expert's '>' on a pair: p = 0.75, z about 0.674.
    EXPECT_NEAR(static_cast<double>(InverseNormalDeviate(0.75L, DeviateTolerance())), 0.6745, 1e-4);
}

class InverseNormalMatrixCase : public ModelCase {};

TEST_F(InverseNormalMatrixCase, AntisymmetricWithZeroDiagonal) {
    TallyAnswers(3, {">>=", "<>=", ">> "});
    CalcMatrix p{};
    PreferenceProportions(p, PreferenceCount);
    CalcMatrix z{};
    InverseNormalMatrix(z, p, DeviateTolerance());
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(z[i][i], 0.0L);
        for (int j = i + 1; j <= 3; ++j) {
            EXPECT_EQ(z[i][j], InverseNormalDeviate(p[i][j], DeviateTolerance()));
            EXPECT_EQ(z[j][i], -z[i][j]);
        }
    }
    // Written over its own input, the result is the same.
    InverseNormalMatrix(p, p, DeviateTolerance());
    for (int i = 1; i <= 3; ++i)
        for (int j = 1; j <= 3; ++j) EXPECT_EQ(p[i][j], z[i][j]) << i << "," << j;
}

}  // namespace
