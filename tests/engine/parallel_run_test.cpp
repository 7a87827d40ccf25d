// A run spread over threads gives, bit for bit, what it gives on one: every expert's scores and
// weights, every assessment's information and item weights, and the decision maker's quantiles,
// on a generated case (with missing answers and log items) and on the case files of the fixtures.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench/case_generator.h"
#include "bench/full_case.h"
#include "engine/assessments_file.h"
#include "engine/dm_optimisation.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"

using namespace halvorine;

namespace {

struct RunKind {
    const char* name;
    int weightType;
    bool optimise;
};

const RunKind Kinds[] = {
    {"global", 1, false}, {"global optimised", 1, true}, {"item optimised", 3, true}, {"equal", 2, false}};

std::uint32_t Bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Everything a run stores, as bit patterns.
std::vector<std::uint32_t> Results() {
    std::vector<std::uint32_t> out{Bits(SignificanceLevel), Bits(BestDMScore),
                                   static_cast<std::uint32_t>(CalibrationLevelCount)};
    for (int e = 1; e <= ExpertCount + 1; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        for (float v : {x->Calibration, x->CalibrationCut, x->SeedEntropy, x->RawWeight, x->Weight, x->WeightWithDM,
                        x->MeanSeedInformation, x->MeanInformation})
            out.push_back(Bits(v));
        for (int i = 1; i <= MaxItemCount; ++i) {
            const TAssessment* a = x->Assessments[i].get();
            if (!a || !a->Item) continue;
            for (float v : {a->Information, a->RawItemWeight, a->ItemWeight}) out.push_back(Bits(v));
            for (int k = 0; k <= QuantileCount + 1; ++k) out.push_back(Bits(a->Values[k]));
        }
    }
    return out;
}

// A run as the run dialog starts it, on `threads` threads; the run's code.
int RunOn(const RunKind& kind, int threads) {
    RunThreadCount = threads;
    return fullcase::StartRun(kind.weightType, kind.optimise);
}

class ParallelRunTest : public ::testing::Test {
protected:
    void TearDown() override {
        RunThreadCount = 0;
        ResetGlobals();
    }

    // Each kind of run on 1, 2 and 8 threads, the case made afresh by `load` before each: the same
    // code, and after a complete run the same bits. The number of complete runs.
    template <class Load>
    static int ExpectSameOnAnyThreads(Load load, const std::string& what) {
        int complete = 0;
        for (const RunKind& kind : Kinds) {
            load();
            const int code = RunOn(kind, 1);
            const std::vector<std::uint32_t> one = Results();
            for (int threads : {2, 8}) {
                load();
                EXPECT_EQ(RunOn(kind, threads), code) << what << ", " << kind.name << ", " << threads << " threads";
                if (code == RunOk) {
                    EXPECT_TRUE(Results() == one) << what << ", " << kind.name << ", " << threads << " threads";
                }
            }
            if (code == RunOk) ++complete;
        }
        return complete;
    }
};

TEST_F(ParallelRunTest, GeneratedCaseGivesTheSameBitsOnAnyNumberOfThreads) {
    const generated::CaseShape shapes[] = {
        {.experts = 60, .items = 90, .seeds = 15, .quantiles = 3},
        {.experts = 40, .items = 60, .seeds = 12, .quantiles = 3, .missingShare = 0.05, .seed = 11},
        {.experts = 25, .items = 40, .seeds = 10, .quantiles = 5, .seed = 7}};
    for (const generated::CaseShape& shape : shapes) {
        const int complete = ExpectSameOnAnyThreads(
            [&] {
                ResetGlobals();
                generated::BuildCase(shape);
            },
            "generated " + std::to_string(shape.experts) + " x " + std::to_string(shape.items));
        // With answers missing, some items have no weighted answer once the optimisation cuts.
        EXPECT_GE(complete, shape.missingShare > 0 ? 2 : 4) << shape.experts;
    }
}

TEST_F(ParallelRunTest, FixtureCasesGiveTheSameBitsOnAnyNumberOfThreads) {
    // The run dialog's hand-computed case, the example case, and a file case whose runs are refused.
    const std::string cases[] = {std::string(FIXTURES_DIR) + "/rundialog/HAND",
                                 std::string(FIXTURES_DIR) + "/case/case",
                                 std::string(FIXTURES_DIR) + "/../../examples/STORM"};
    int complete = 0;
    for (const std::string& stem : cases)
        complete += ExpectSameOnAnyThreads(
            [&] {
                ResetGlobals();
                ASSERT_EQ(ReadAssessmentsFile(stem + ".dtt"), 0) << stem;
                ASSERT_EQ(ReadItemsFile(stem + ".rls"), 0) << stem;
            },
            stem);
    EXPECT_GE(complete, 5);
}

// The optimised runs with every candidate level pooled, on one thread, and with the levels
// screened first, on eight: the same code and bits, on the fixtures' case files.
TEST_F(ParallelRunTest, FixtureCasesGiveTheSameBitsWhicheverLevelsArePooled) {
    const std::string cases[] = {std::string(FIXTURES_DIR) + "/rundialog/HAND",
                                 std::string(FIXTURES_DIR) + "/case/case",
                                 std::string(FIXTURES_DIR) + "/../../examples/STORM"};
    for (const std::string& stem : cases)
        for (const RunKind& kind : Kinds) {
            if (!kind.optimise) continue;
            auto load = [&] {
                ResetGlobals();
                ASSERT_EQ(ReadAssessmentsFile(stem + ".dtt"), 0) << stem;
                ASSERT_EQ(ReadItemsFile(stem + ".rls"), 0) << stem;
            };
            load();
            SetLevelSearch(LevelSearch::Exhaustive);
            const int code = RunOn(kind, 1);
            const std::vector<std::uint32_t> exhaustive = Results();
            SetLevelSearch(LevelSearch::Screened);
            load();
            EXPECT_EQ(RunOn(kind, 8), code) << stem << ", " << kind.name;
            EXPECT_TRUE(Results() == exhaustive) << stem << ", " << kind.name;
        }
}

}  // namespace
