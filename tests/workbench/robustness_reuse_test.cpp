// The robustness runs take over from the full run what leaving one record out does not change. Their
// results must be, bit for bit, those of left-out runs that compute everything anew: every column
// of the items' and experts' robustness views and exports, and the case the runs leave behind, on
// any number of threads. And what they take over lives no longer than the robustness run it was
// taken for: after an edit, a filter or a merge the next robustness run sees the new data.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/case_generator.h"
#include "bench/full_case.h"
#include "engine/assessments_file.h"
#include "engine/globals.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "platform/testing/scripted_prompts.h"
#include "workbench/experts_sheet_core.h"
#include "workbench/robustness_runs.h"
#include "workbench/run_dialog_core.h"
#include "workbench/services.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

std::uint32_t Bits(float v) {
    std::uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

void AddRobustness(std::vector<std::uint32_t>& out, const TRobustness& r) {
    for (float v : {r.DMDiscrepancy, r.DMSeedDiscrepancy, r.DMInformation, r.DMSeedInformation, r.DMScore})
        out.push_back(Bits(v));
}

// What the robustness views and exports show, and what the runs leave in the tables.
struct Outcome {
    bool Ok = false;
    std::vector<std::string> Messages;
    std::vector<std::uint32_t> Items;    // per item: its robustness block and filter flag
    std::vector<std::uint32_t> Experts;  // per expert: its robustness block and filter flag
    std::uint64_t Case = 0;              // scores, weights, information and quantiles afterwards
    int ExpertCountAfter = 0;

    static Outcome Now(bool ok, const platform::ScriptedPrompts& prompts) {
        Outcome o;
        o.Ok = ok;
        o.Messages = prompts.MessageTexts();
        for (const auto& t : ItemTable) {
            if (!t) continue;
            AddRobustness(o.Items, t->Robustness);
            o.Items.push_back(t->FilterFlag);
        }
        for (const auto& x : ExpertTable) {
            if (!x) continue;
            AddRobustness(o.Experts, x->Robustness);
            o.Experts.push_back(x->FilterFlag);
        }
        o.Case = fullcase::RunChecksum();
        o.ExpertCountAfter = ExpertCount;
        return o;
    }
};

void ExpectSame(const Outcome& got, const Outcome& want, const std::string& what) {
    EXPECT_EQ(got.Ok, want.Ok) << what;
    EXPECT_EQ(got.Messages, want.Messages) << what;
    EXPECT_TRUE(got.Items == want.Items) << what << ": items' robustness";
    EXPECT_TRUE(got.Experts == want.Experts) << what << ": experts' robustness";
    EXPECT_EQ(got.Case, want.Case) << what << ": the case afterwards";
    EXPECT_EQ(got.ExpertCountAfter, want.ExpertCountAfter) << what;
}

struct Options {
    const char* name;
    int weights;
    bool optimise;
};
const Options OptionCases[] = {{"global, optimised", 1, true},
                               {"item weights, optimised", 3, true},
                               {"global at level 0", 1, false},
                               {"item weights at level 0", 3, false}};

struct CaseRow {
    const char* name;
    generated::CaseShape shape;
    int fewSeedsExpert;  // this expert answers only the first seed item (0: none)
    // Expert 1 gives the lowest first and the highest last quantile of every item, and expert 2
    // gives the same on every other item: leaving out either one moves some item's range to the
    // next expert's end, or keeps it at the other's.
    bool sharedEnds = false;
    // Experts 2 and 3 answer 0 and -0 as their first quantile on a seed item and on another item,
    // and the runs do not nudge whole values (the decision maker's name says so): points that
    // compare equal with other bits, which the runs taking points over from the runs before must
    // form anew.
    bool zeroQuantile = false;
};
const CaseRow CaseRows[] = {
    {"plain", {.experts = 9, .items = 14, .seeds = 5, .quantiles = 3, .seed = 3}, 0},
    {"log items, missing answers",
     {.experts = 8, .items = 12, .seeds = 5, .quantiles = 3, .logShare = 0.6, .missingShare = 0.12, .seed = 5},
     0},
    {"five quantiles, an expert with one seed", {.experts = 7, .items = 11, .seeds = 4, .quantiles = 5, .seed = 9}, 3},
    {"two experts at the ends",
     {.experts = 6, .items = 10, .seeds = 5, .quantiles = 3, .logShare = 0.5, .seed = 4},
     0,
     true},
    {"a zero quantile", {.experts = 7, .items = 10, .seeds = 4, .quantiles = 3, .seed = 11}, 0, false, true},
};

class RobustnessReuseTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        ResetWindowState();
        DMName = "";
        Services().RunCalculation = [](int& code) { RunCalculation(code); };
    }
    void TearDown() override {
        RunThreadCount = 0;
        ResetGlobals();
        ResetWindowState();
        Platform = nullptr;
        DMName = "";
    }

    static void Build(const CaseRow& row) {
        ResetGlobals();
        ResetWindowState();
        generated::BuildCase(row.shape);
        // The generator leaves a missing answer without values; the files mark it missing.
        for (int e = 1; e <= row.shape.experts; ++e)
            for (int i = 1; i <= row.shape.items; ++i) {
                TAssessment& a = *ExpertTable[e]->Assessments[i];
                if (a.Values[1] == 0 && a.Values[QuantileCount] == 0)
                    for (int k = 1; k <= QuantileCount; ++k) a.Values[k] = MissingValue;
            }
        if (row.sharedEnds)
            for (int i = 1; i <= row.shape.items; ++i) {
                float low = HUGE_VALF, high = -HUGE_VALF;
                for (int e = 1; e <= row.shape.experts; ++e) {
                    low = std::min(low, ExpertTable[e]->Assessments[i]->Values[1]);
                    high = std::max(high, ExpertTable[e]->Assessments[i]->Values[QuantileCount]);
                }
                float* ends = ExpertTable[1]->Assessments[i]->Values;
                ends[1] = low > 0 ? low / 2 : low - 1;
                ends[QuantileCount] = high > 0 ? high * 2 : high + 1;
                if (i % 2 == 1)
                    for (int k = 1; k <= QuantileCount; ++k) ExpertTable[2]->Assessments[i]->Values[k] = ends[k];
            }
        if (row.zeroQuantile) {
            int placed = 0;
            for (int i = 1; i <= row.shape.items && placed < 2; ++i) {
                float* v = ExpertTable[2]->Assessments[i]->Values;
                float* w = ExpertTable[3]->Assessments[i]->Values;
                if (IsLogItem(ItemTable[i].get()) || !(v[2] > 0) || !(w[2] > 0) || (placed == 0) != (i <= row.shape.seeds))
                    continue;
                // Expert 3 gives the same zero with the other sign.
                v[1] = 0.0f;
                w[1] = -0.0f;
                ++placed;
            }
            ASSERT_EQ(placed, 2);
        }
        if (row.fewSeedsExpert)
            for (int i = 2; i <= row.shape.seeds; ++i)
                for (int k = 1; k <= QuantileCount; ++k)
                    ExpertTable[row.fewSeedsExpert]->Assessments[i]->Values[k] = MissingValue;
        CaseFile.CaseName = "reuse";
        CheckCaseData();
    }

    static void Prepare(const Options& o) {
        WeightType = static_cast<std::uint16_t>(o.weights);
        OptimiseDM = o.optimise;
        UserSignificanceLevel = 0;
    }

    // The robustness runs on the case as it is, as the run dialog's button starts them.
    Outcome Robustness(bool onExperts, bool reuse, int threads) {
        // A refused or failing run shows one message.
        prompts = std::make_unique<platform::ScriptedPrompts>();
        prompts->QueueAnswer(platform::Answer::Ok);
        Platform = prompts.get();
        RunThreadCount = threads;
        RobustnessOnExperts = onExperts;
        RobustnessHooks hooks;
        hooks.FullRun = [this] {
            RunFields dialog;
            dialog.CalPower = "1.0";
            dialog.IntRange = "0.1";
            dialog.DMName = runName;
            return RunCheck(dialog);
        };
        hooks.ShowError = [](int code) { DisplayError(code); };
        hooks.Reuse = reuse;
        const bool ok = CalcRob(hooks);
        // Nothing taken over from these runs is left for the next.
        EXPECT_EQ(FullRunReuse::Open(), nullptr);
        return Outcome::Now(ok, *prompts);
    }

    std::unique_ptr<platform::ScriptedPrompts> prompts;
    std::string runName;  // the decision maker's name the run dialog holds
};

TEST_F(RobustnessReuseTest, ReusingRunsGiveThePlainRunsBitsOnAnyNumberOfThreads) {
    int complete = 0;
    for (const CaseRow& row : CaseRows) {
        for (const Options& o : OptionCases) {
            for (const bool onExperts : {false, true}) {
                const std::string what = std::string(row.name) + ", " + o.name +
                                         (onExperts ? ", on experts" : ", on items");
                runName = row.zeroQuantile ? "check1" : "";
                Build(row);
                Prepare(o);
                const Outcome plain = Robustness(onExperts, false, 1);
                if (plain.Ok) ++complete;
                for (const int threads : {1, 2, 8}) {
                    Build(row);
                    Prepare(o);
                    ExpectSame(Robustness(onExperts, true, threads), plain,
                               what + ", " + std::to_string(threads) + " threads");
                }
            }
        }
    }
    // Most combinations run to the end; the others stop the same way.
    EXPECT_GE(complete, 12);
}

// Robustness twice on one open case, with a change of the data between: the second run must
// give what plain runs give on the changed case.
TEST_F(RobustnessReuseTest, NothingTakenOverOutlivesTheRobustnessRun) {
    const CaseRow& row = CaseRows[0];
    const std::filesystem::path merged = std::filesystem::temp_directory_path() / "robustness_reuse_merge.dtt";
    {
        // A second panel with the same answers on the same items, for the merge.
        Build(row);
        for (int e = 1; e <= row.shape.experts; ++e) ExpertTable[e]->Id = "M" + std::to_string(e);
        ASSERT_TRUE(WriteAssessmentsFile(merged.string()));
    }
    struct Change {
        const char* name;
        std::function<void()> apply;
    };
    const Change changes[] = {
        {"an answer edited beyond the item's range",
         [] {
             // The first expert's last quantile of the first seed item moves far out: that
             // item's range, and the information of every answer to it, change.
             TAssessment& a = *ExpertTable[1]->Assessments[1];
             a.Values[QuantileCount] = a.Values[QuantileCount] + 1000.0f * std::fabs(a.Values[QuantileCount]) + 1000.0f;
         }},
        {"an item and an expert filtered",
         [] {
             ItemTable[2]->FilterFlag = true;
             ExpertTable[2]->FilterFlag = true;
         }},
        {"experts merged",
         [&merged] {
             const std::vector<std::string> lines = ReadAssessmentsFileLines(merged.string());
             ClearResultExperts(nullptr);
             ASSERT_EQ(ReadAssessmentLines(merged.string(), lines), 0);
         }},
    };
    for (const Change& change : changes) {
        for (const bool onExperts : {false, true}) {
            const std::string what = std::string(change.name) + (onExperts ? ", on experts" : ", on items");
            // Robustness, the change, robustness again: plain runs first, then reusing ones.
            auto twice = [&](bool reuse) {
                Build(row);
                Prepare(OptionCases[0]);
                EXPECT_TRUE(Robustness(onExperts, reuse, 2).Ok) << what;
                ClearResultExperts(nullptr);
                change.apply();
                CheckCaseData();
                return Robustness(onExperts, reuse, 2);
            };
            const Outcome want = twice(false);
            ASSERT_TRUE(want.Ok) << what << (want.Messages.empty() ? "" : ": " + want.Messages.front());
            ExpectSame(twice(true), want, what);
        }
    }
    std::filesystem::remove(merged);
}

}  // namespace
