#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "case_builder.h"
#include "engine/globals.h"
#include "engine/information.h"
#include "engine/intrinsic_range.h"
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "engine/weights.h"
#include "scoring_reference.h"
#include "scoring_steps.h"

using namespace halvorine;

using namespace testcase;
namespace fs = std::filesystem;

namespace {

// Every test runs in a scratch current directory, where "weightsw.dat" lands.
class WeightsTest : public ::testing::Test {
protected:
    void SetUp() override { ResetGlobals(); }
    void TearDown() override { ResetGlobals(); }

    static std::string WeightsFile() {
        std::ifstream in("weightsw.dat", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The hand case with ranges and information computed, ready for the weights.
    void Prepared() {
        HandComputedCase();
        ASSERT_EQ(CheckCaseData(), 2);
        BuildItemIndexMap();
        ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
        ASSERT_EQ(ComputeAllInformation(), RunOk);
    }

    ScratchCurrentFolder folder_;
};

// Calibration x mean seed information: A 0.808027 x 0.0181824, B 0.0207128 x 1.75054,
// normalised 0.288356 and 0.711644 (scoring_reference.py).
TEST_F(WeightsTest, GlobalWeightsOfTheHandCase) {
    Prepared();
    int code = 99;
    ComputeGlobalWeights(code);
    ASSERT_EQ(code, RunOk);
    const TExpert& a = *ExpertTable[1];
    const TExpert& b = *ExpertTable[2];
    EXPECT_TRUE(RelativelyNear(a.Calibration, ScoringReference("A.calibration"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(b.Calibration, ScoringReference("B.calibration"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(a.MeanSeedInformation, ScoringReference("A.mean_seed_information"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(b.MeanSeedInformation, ScoringReference("B.mean_seed_information"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(a.Weight, ScoringReference("A.global_weight"), 1e-6L));
    EXPECT_TRUE(RelativelyNear(b.Weight, ScoringReference("B.global_weight"), 1e-6L));
    // The raw weights by hand from the reference scores: 0.80802669 x 0.018182375 = 0.014691844
    // and 0.020712783 x 1.7505361 = 0.036258473; relative 1e-6 (they are stored as floats).
    EXPECT_TRUE(RelativelyNear(a.RawWeight, 0.014691844L, 1e-6L));
    EXPECT_TRUE(RelativelyNear(b.RawWeight, 0.036258473L, 1e-6L));
    // The file: " N: ", the raw weight with 10 decimals in 14 characters, CR LF.
    const std::string file = WeightsFile();
    ASSERT_EQ(file.size(), 40u) << file;
    const long double raw[] = {0.014691844L, 0.036258473L};
    for (std::size_t e = 0; e < 2; ++e) {
        const std::string line = file.substr(20 * e, 20);
        EXPECT_EQ(line.substr(0, 9), " " + std::to_string(e + 1) + ":   0.0") << line;  // 2 spaces, 10 decimals
        EXPECT_EQ(line.substr(18), "\r\n") << line;
        EXPECT_TRUE(RelativelyNear(std::strtold(line.substr(4, 14).c_str(), nullptr), raw[e], 1e-6L)) << line;
    }
}

TEST_F(WeightsTest, AllWeightsZeroStoresOnlyTheRawWeights) {
    Prepared();
    SignificanceLevel = 0.9f;  // cuts both experts
    int code = 0;
    ComputeGlobalWeights(code);
    EXPECT_EQ(code, RunZeroWeights);
    EXPECT_EQ(ExpertTable[1]->RawWeight, 0.0f);
    EXPECT_EQ(ExpertTable[1]->Weight, MissingValue);
    EXPECT_FALSE(fs::exists("weightsw.dat"));
}

TEST_F(WeightsTest, AnItemAnsweredOnlyByCutExpertsIsReportedAfterTheWeightsAreSet) {
    Prepared();
    // A, the only expert above the level, gives no answer on item 4.
    for (int k = 1; k <= 3; ++k) AssessmentAt(1, 4)->Values[k] = NoValue;
    ASSERT_EQ(CheckCaseData(), 2);
    SignificanceLevel = 0.5f;
    int code = 0;
    ComputeGlobalWeights(code);
    EXPECT_EQ(code, 4);
    EXPECT_EQ(ExpertTable[1]->Weight, 1.0f);
    EXPECT_EQ(ExpertTable[2]->Weight, 0.0f);
    EXPECT_TRUE(fs::exists("weightsw.dat"));
}

TEST_F(WeightsTest, AnExpertWithoutSeedAnswersRefusesBothWeightKinds) {
    HandComputedCase();
    for (int i = 1; i <= 3; ++i) ExpertTable[2]->Assessments[i]->Values[2] = NoValue;
    ASSERT_EQ(CheckCaseData(), 2);
    BuildItemIndexMap();
    ASSERT_EQ(MinSeedCount, 0);
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    ASSERT_EQ(ComputeAllInformation(), RunOk);
    EXPECT_EQ(FirstExpertWithoutSeeds(), 2);

    int code = 0;
    ComputeGlobalWeights(code);
    EXPECT_EQ(code, RunNoSeedAnswers);
    EXPECT_EQ(CheckedExpert, 2);
    EXPECT_EQ(ExpertTable[1]->RawWeight, MissingValue) << "nothing scored";
    EXPECT_EQ(ExpertTable[1]->Calibration, 0.0f);

    code = 0;
    CheckedExpert = 0;
    ComputeItemWeights(code);
    EXPECT_EQ(code, RunNoSeedAnswers);
    EXPECT_EQ(CheckedExpert, 2);
    EXPECT_EQ(AssessmentAt(1, 1)->RawItemWeight, 0.0f);
}

// Per item: calibration x the item's information, normalised over the item's experts. A's
// information (0.018) is a small difference of logarithms of the 32-bit bounds (7.7 is stored
// as 7.69999981), which alone moves it by up to 3e-6 of itself.
TEST_F(WeightsTest, ItemWeightsOfTheHandCase) {
    Prepared();
    int code = 0;
    ComputeItemWeights(code);
    ASSERT_EQ(code, RunOk);
    const char* items[] = {"X1", "X2", "X3", "L4"};
    const long double calA = ScoringReference("A.calibration");
    const long double calB = ScoringReference("B.calibration");
    for (int i = 1; i <= 4; ++i) {
        const long double rawA = calA * ScoringReference(std::string("A.information.") + items[i - 1]);
        const long double rawB = calB * ScoringReference(std::string("B.information.") + items[i - 1]);
        EXPECT_TRUE(RelativelyNear(AssessmentAt(1, i)->RawItemWeight, rawA, 5e-6L)) << items[i - 1];
        EXPECT_TRUE(RelativelyNear(AssessmentAt(2, i)->RawItemWeight, rawB, 1e-6L)) << items[i - 1];
        EXPECT_TRUE(RelativelyNear(AssessmentAt(1, i)->ItemWeight, rawA / (rawA + rawB), 1e-6L)) << items[i - 1];
        EXPECT_TRUE(RelativelyNear(AssessmentAt(2, i)->ItemWeight, rawB / (rawA + rawB), 1e-6L)) << items[i - 1];
    }
    EXPECT_FALSE(fs::exists("weightsw.dat")) << "only global weights write the file";

    // Both experts cut: the first item's weights sum to 0 and the computation stops there.
    AssessmentAt(1, 2)->ItemWeight = 7;
    SignificanceLevel = 0.9f;
    ComputeItemWeights(code);
    EXPECT_EQ(code, RunZeroWeights);
    EXPECT_EQ(AssessmentAt(1, 1)->RawItemWeight, 0.0f);
    EXPECT_EQ(AssessmentAt(1, 2)->ItemWeight, 7.0f);
}

// Written by hand: the number in 2 characters, ": ", the weight with 10 decimals in 14
// characters (never cut), CR LF. 0.1f is 0.100000001490116..., 3e-6f is 2.99999992e-6.
TEST_F(WeightsTest, WeightsFileByteForByte) {
    const float raw[] = {0, 0.25f, 0.1f, 1234.5f, 0, 1e-11f, 0.5f, 0.125f, 0.75f, 0.0625f, 3e-6f};
    for (int e = 1; e <= 10; ++e) NewExpert("E" + std::to_string(e), "", e)->RawWeight = raw[e];
    ExpertCount = 10;
    WriteWeightsFile();
    EXPECT_EQ(WeightsFile(), " 1:   0.2500000000\r\n"
                             " 2:   0.1000000015\r\n"
                             " 3: 1234.5000000000\r\n"
                             " 4:   0.0000000000\r\n"
                             " 5:   0.0000000000\r\n"
                             " 6:   0.5000000000\r\n"
                             " 7:   0.1250000000\r\n"
                             " 8:   0.7500000000\r\n"
                             " 9:   0.0625000000\r\n"
                             "10:   0.0000030000\r\n");
}

TEST_F(WeightsTest, AFileThatCannotBeWrittenDoesNotStopTheWeights) {
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "a read-only file" : "a folder in its place");
        ResetGlobals();
        Prepared();
        std::error_code ec;
        fs::remove_all("weightsw.dat", ec);
        if (readOnly) {
            std::ofstream("weightsw.dat", std::ios::binary) << "kept\r\n";
            fs::permissions("weightsw.dat", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        } else {
            fs::create_directory("weightsw.dat");
        }
        int code = 99;
        ComputeGlobalWeights(code);
        EXPECT_EQ(code, RunOk);
        EXPECT_TRUE(RelativelyNear(ExpertTable[1]->Weight, ScoringReference("A.global_weight"), 1e-6L));
        if (readOnly) {
            std::ifstream in("weightsw.dat", std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "kept\r\n");
            fs::permissions("weightsw.dat", fs::perms::owner_write, fs::perm_options::add);
        } else {
            EXPECT_TRUE(fs::is_directory("weightsw.dat"));
        }
    }
}

}  // namespace
