// The example case shipped for new users must open and calculate under every weighting scheme.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/assessments_file.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "scoring_steps.h"
#include "scratch_folder.h"

using namespace halvorine;

namespace {

class ExampleCaseTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ResetGlobals();
        // Runs write "weightsw.dat" in the current directory.
        folder_.Enter();
    }
    void TearDown() override { ResetGlobals(); }
    test_support::ScratchFolder folder_{"example-case"};
};

TEST_P(ExampleCaseTest, OpensAndCalculates) {
    const std::string base = std::string(FIXTURES_DIR) + "/../../examples/STORM";
    ASSERT_EQ(ReadAssessmentsFile(base + ".dtt"), 0);
    ASSERT_EQ(ReadItemsFile(base + ".rls"), 0);
    EXPECT_EQ(CheckCaseData(), 4);
    EXPECT_EQ(SeedItemCount, 8);
    WeightType = static_cast<std::uint16_t>(GetParam());
    if (WeightType == 4)
        for (int e = 1; e <= 4; ++e) ExpertTable[e]->Weight = 0.25f;
    testcase::PrepareRun();
    int code = -99;
    RunCalculation(code);
    EXPECT_EQ(code, 0);
    const TExpert* dm = ExpertTable[ExpertCount + 1].get();
    ASSERT_NE(dm, nullptr);
    EXPECT_TRUE(dm->IsDecisionMaker);
    for (int i = 1; i <= 12; ++i) {
        const TAssessment* a = AssessmentAt(ExpertCount + 1, i);
        ASSERT_NE(a, nullptr);
        for (int k = 2; k <= QuantileCount; ++k) EXPECT_GT(a->Values[k], a->Values[k - 1]) << "item " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Weights, ExampleCaseTest, ::testing::Values(1, 2, 3, 4));

}  // namespace
