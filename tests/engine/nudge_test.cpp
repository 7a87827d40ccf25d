#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "case_builder.h"
#include "engine/globals.h"
#include "engine/nudge.h"
#include "engine/tables.h"

using namespace halvorine;

using namespace testcase;

namespace {

class NudgeTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGlobals(); }
    void TearDown() override { ResetGlobals(); }
};

TEST_F(NudgeTest, WholeValuesMoveByTheRelativeFactor) {
    struct Case {
        float value;
        float expected;
    } cases[] = {
        {0.0f, 1e-5f},
        {-0.0f, 1e-5f},
        {3.0f, 3.00003f},
        {-2.0f, -2.00002f},
        {2.5f, 2.5f},
        {100000.0f, 100001.0f},
        {100000.5f, 100000.5f},
        // Every float from 2^23 on is whole: 8388608 + 83.88608 rounds to the float 8388692.
        {8388608.0f, 8388692.0f},
        {0.1f, 0.1f},
    };
    for (const auto& c : cases) EXPECT_EQ(NudgeIntegral(c.value), c.expected) << c.value;
    // Far beyond any 64-bit integer the value is still whole and still moves.
    EXPECT_FLOAT_EQ(NudgeIntegral(1e30f), 1.00001e30f);
    EXPECT_TRUE(std::isnan(NudgeIntegral(std::numeric_limits<float>::quiet_NaN())));
}

TEST_F(NudgeTest, ACheckDecisionMakerUsesTheValuesAsTheyAre) {
    RunDMName = "check1";
    EXPECT_EQ(NudgeIntegral(0.0f), 0.0f);
    EXPECT_EQ(NudgeIntegral(3.0f), 3.0f);
    EXPECT_EQ(NudgedValue(3.0f), 3.00003f) << "the shift itself does not look at the name";
    RunDMName = "Check";  // the test is case-sensitive
    EXPECT_EQ(NudgeIntegral(3.0f), 3.00003f);
}

// The engine reads 100000 as 100001, above its neighbour 100000.5: the data check must report
// that cell as a non-increasing quantile, for data experts, and only clear Valid for a decision
// maker.
TEST_F(NudgeTest, DataCheckRefusesValuesTheNudgeReverses) {
    SetLevels({5, 50, 95});
    AddItem("X1", "UNI", 5);
    AddItem("X2", "UNI", 12);
    AddExpert("E1", {{1, 2, 3}, {4, 5, 6}});
    AddExpert("E2", {{1.5f, 2.5f, 3.5f}, {99999, 100000, 100000.5f}});
    EXPECT_EQ(CheckCaseData(), CheckNotIncreasing);
    EXPECT_EQ(CheckedExpert, 2);
    EXPECT_EQ(ItemCount, 2);

    // Far enough apart, the same values pass.
    ExpertTable[2]->Assessments[2]->Values[3] = 100002;
    EXPECT_EQ(CheckCaseData(), 2);

    BuildItemIndexMap();
    ASSERT_TRUE(AddDecisionMaker(""));
    TExpert* dm = ExpertTable[3].get();
    dm->Assessments[2]->Values[1] = 99999;
    dm->Assessments[2]->Values[2] = 100000;
    dm->Assessments[2]->Values[3] = 100000.5f;
    dm->Assessments[1]->Values[1] = 1;
    dm->Assessments[1]->Values[2] = 2;
    dm->Assessments[1]->Values[3] = 3;
    EXPECT_EQ(CheckExpertData(3), 1) << "only the decision maker's first assessment stays valid";
    EXPECT_FALSE(dm->Assessments[2]->Valid);
}

}  // namespace
