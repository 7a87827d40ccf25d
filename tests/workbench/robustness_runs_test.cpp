// The robustness runs: each left-out run gives the decision maker of an ordinary run on the case
// without that item or expert, the measure against the full run, and afterwards the case is as
// the full run left it. Then the run dialog's buttons.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/case_builder.h"
#include "engine/discrepancy.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "platform/testing/scripted_prompts.h"
#include "run_dialog_fixture.h"
#include "workbench/robustness_runs.h"
#include "workbench/run_dialog_core.h"
#include "workbench/services.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

using Texts = std::vector<std::string>;
using Values = std::vector<float>;

// A decision maker as the tests compare it: its quantiles by item id and its scores.
struct DecisionMakerResult {
    std::map<std::string, Values> Quantiles;
    float MeanInformation = 0;
    float MeanSeedInformation = 0;
    float Score = 0;
};

// The one after the data experts, read through the current item map.
DecisionMakerResult CurrentDecisionMaker() {
    DecisionMakerResult r;
    const int dm = ExpertCount + 1;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        const TAssessment* a = AssessmentAt(dm, i);
        if (!a) continue;
        r.Quantiles[ItemTable[i]->Id.str()] = Values(a->Values, a->Values + QuantileCount + 2);
    }
    const TExpert& x = *ExpertTable[dm];
    r.MeanInformation = x.MeanInformation;
    r.MeanSeedInformation = x.MeanSeedInformation;
    TRobustness stored;
    StoreLeftOutResults(stored, x);
    r.Score = stored.DMScore;
    return r;
}

// Four seed items, a uniform and a log item without realisation, three experts.
const struct ItemRow {
    const char* id;
    const char* scale;
    float realisation;
} CaseItems[] = {{"S1", "UNI", 5.25f}, {"S2", "UNI", 12.75f},  {"S3", "UNI", 0.7f},
                 {"S4", "UNI", 31.0f}, {"T5", "UNI", NoValue}, {"T6", "LOG", NoValue}};
const struct ExpertRow {
    const char* id;
    std::vector<Values> rows;
} CaseExperts[] = {
    {"A", {{2.5f, 5.5f, 8.5f}, {8.5f, 12.5f, 16.5f}, {0.25f, 1.25f, 2.25f}, {20, 30, 45}, {1, 4, 9}, {10, 20, 50}}},
    {"B",
     {{6.25f, 6.75f, 7.25f}, {13.25f, 13.5f, 13.75f}, {0.5f, 0.625f, 0.875f}, {25, 28, 35}, {2, 3, 5}, {25, 28, 35}}},
    {"C", {{4, 5, 7}, {10, 12, 15}, {0.4f, 0.8f, 1.5f}, {28, 33, 40}, {3, 6, 8}, {15, 40, 60}}},
};

// The case without the item or expert named (none for an empty name).
void BuildCase(const std::string& withoutItem = "", const std::string& withoutExpert = "") {
    testcase::SetLevels({5, 50, 95});
    std::vector<int> kept;
    for (int i = 0; i < 6; ++i) {
        if (CaseItems[i].id == withoutItem) continue;
        testcase::AddItem(CaseItems[i].id, CaseItems[i].scale, CaseItems[i].realisation);
        kept.push_back(i);
    }
    for (const ExpertRow& e : CaseExperts) {
        if (e.id == withoutExpert) continue;
        std::vector<Values> rows;
        for (int i : kept) rows.push_back(e.rows[i]);
        testcase::AddExpert(e.id, rows);
    }
    CaseFile.CaseName = "robust";
    // The main window counts the data before the run dialog opens.
    CheckCaseData();
}

TItem* Item(const std::string& id) {
    for (auto& t : ItemTable)
        if (t && t->Id.str() == id) return t.get();
    for (auto& t : FilteredItems)
        if (t && t->Id.str() == id) return t.get();
    return nullptr;
}

TExpert* Expert(const std::string& id) {
    for (const ExpertTableType* table : {&ExpertTable, &FilteredExperts})
        for (auto& x : *table)
            if (x && x->Id.str() == id) return x.get();
    return nullptr;
}

class RobustnessRunsTest : public ::testing::Test {
protected:
    void SetUp() override { Fresh(); }

    void TearDown() override {
        Services().RunCalculation = [](int& code) { RunCalculation(code); };
        ResetGlobals();
        ResetWindowState();
        Platform = nullptr;
        DMName = "";
    }

    void Fresh() {
        ResetGlobals();
        ResetWindowState();
        Platform = &prompts;
        DMName = "";
        Services().RunCalculation = [](int& code) { RunCalculation(code); };
    }

    // The run dialog's full run, with its default fields.
    static bool FullRun(const char* name = "") {
        RunFields f;
        f.CalPower = "   1.000";
        f.IntRange = "    0.10";
        f.DMName = name;
        return RunCheck(f);
    }

    // The runs, with the decision maker of every left-out run kept as the engine left it.
    bool Robustness(bool onExperts) {
        leftOut.clear();
        engineRuns = 0;
        Services().RunCalculation = [this](int& code) {
            RunCalculation(code);
            if (engineRuns++ > 0 && code == RunOk) leftOut.push_back(CurrentDecisionMaker());
        };
        RobustnessOnExperts = onExperts;
        RobustnessHooks hooks;
        hooks.FullRun = [] { return FullRun(); };
        hooks.ShowError = [](int code) { DisplayError(code); };
        return CalcRob(hooks);
    }

    // An ordinary run of the case without the item or expert.
    DecisionMakerResult ReferenceRun(const std::string& withoutItem, const std::string& withoutExpert) {
        Fresh();
        BuildCase(withoutItem, withoutExpert);
        prepare();
        EXPECT_TRUE(FullRun()) << withoutItem << withoutExpert;
        return CurrentDecisionMaker();
    }

    // The measure of a left-out decision maker against the full run's, over the items other
    // than the left-out one, on the full run's ranges: computed from the relative information.
    static void ExpectMeasure(const TRobustness& r, const DecisionMakerResult& leftOutDm,
                              const DecisionMakerResult& fullDm,
                              const std::map<std::string, std::pair<float, float>>& ranges,
                              const std::string& withoutItem) {
        long double all = 0, seeds = 0;
        int n = 0, s = 0;
        for (const ItemRow& row : CaseItems) {
            if (row.id == withoutItem) continue;
            const auto& [low, high] = ranges.at(row.id);
            const float d = RelativeInformation(QuantileCount, BinProbabilities, leftOutDm.Quantiles.at(row.id).data(),
                                                std::string(row.scale) == "LOG", high, low,
                                                fullDm.Quantiles.at(row.id).data());
            all += d;
            ++n;
            if (row.realisation != NoValue) {
                seeds += d;
                ++s;
            }
        }
        EXPECT_FLOAT_EQ(r.DMDiscrepancy, static_cast<float>(all / n));
        EXPECT_FLOAT_EQ(r.DMSeedDiscrepancy, static_cast<float>(seeds / s));
        EXPECT_GT(r.DMDiscrepancy, 0.0f);
    }

    // The items' ranges as the last run left them.
    static std::map<std::string, std::pair<float, float>> Ranges() {
        std::map<std::string, std::pair<float, float>> ranges;
        for (const ItemRow& row : CaseItems) ranges[row.id] = {Item(row.id)->IntrinsicLow, Item(row.id)->IntrinsicHigh};
        return ranges;
    }

    static void ExpectSameDecisionMaker(const DecisionMakerResult& got, const DecisionMakerResult& want,
                                        const std::string& what) {
        ASSERT_EQ(got.Quantiles.size(), want.Quantiles.size()) << what;
        for (const auto& [id, values] : want.Quantiles) {
            ASSERT_EQ(got.Quantiles.count(id), 1u) << what << " " << id;
            for (int k = 1; k <= QuantileCount; ++k)
                EXPECT_FLOAT_EQ(got.Quantiles.at(id)[k], values[k]) << what << " item " << id << " quantile " << k;
        }
        EXPECT_FLOAT_EQ(got.MeanInformation, want.MeanInformation) << what;
        EXPECT_FLOAT_EQ(got.MeanSeedInformation, want.MeanSeedInformation) << what;
        EXPECT_FLOAT_EQ(got.Score, want.Score) << what;
    }

    platform::ScriptedPrompts prompts;
    std::vector<DecisionMakerResult> leftOut;
    int engineRuns = 0;
    // Options and user flags applied to every case built (the reference copies too).
    std::function<void()> prepare = [] {};
};

// ---------------------------------------------------------------- left out = run without

struct Options {
    const char* name;
    int weights;
    bool optimise;
    bool filterEnabled;  // the user's filtering: flagged records take part when it is off
};
const Options OptionCases[] = {
    {"global, optimised", 1, true, true},
    {"item weights", 3, true, true},
    {"global at level 0", 1, false, true},
    {"filtering off", 1, true, false},
};

TEST_F(RobustnessRunsTest, LeavingAnItemOutIsARunWithoutIt) {
    const std::vector<std::string> seeds = {"S1", "S2", "S3", "S4"};
    for (const Options& o : OptionCases) {
        SCOPED_TRACE(o.name);
        prepare = [o] {
            WeightType = static_cast<std::uint16_t>(o.weights);
            OptimiseDM = o.optimise;
            ItemsFilterEnabled = o.filterEnabled;
            UserSignificanceLevel = 0;
        };
        std::vector<DecisionMakerResult> want;
        for (const std::string& id : seeds) want.push_back(ReferenceRun(id, ""));
        const DecisionMakerResult fullDm = ReferenceRun("", "");
        const auto ranges = Ranges();

        Fresh();
        BuildCase();
        prepare();
        ASSERT_TRUE(Robustness(false));
        EXPECT_EQ(engineRuns, 1 + 4);
        ASSERT_EQ(leftOut.size(), 4u);
        for (std::size_t k = 0; k < seeds.size(); ++k) {
            ExpectSameDecisionMaker(leftOut[k], want[k], "without " + seeds[k]);
            const TRobustness& r = Item(seeds[k])->Robustness;
            EXPECT_FLOAT_EQ(r.DMInformation, want[k].MeanInformation);
            EXPECT_FLOAT_EQ(r.DMSeedInformation, want[k].MeanSeedInformation);
            EXPECT_FLOAT_EQ(r.DMScore, want[k].Score);
            ExpectMeasure(r, want[k], fullDm, ranges, seeds[k]);
        }
        // Items without a realisation get no result.
        for (const char* id : {"T5", "T6"}) EXPECT_EQ(Item(id)->Robustness.DMInformation, 0.0f) << id;
        // The full run's decision maker is the current one again.
        ExpectSameDecisionMaker(CurrentDecisionMaker(), fullDm, "full run");
        EXPECT_EQ(ExpertTable[4]->Id.str(), "None");
        EXPECT_FALSE(ExpertTable[5]);
        EXPECT_TRUE(prompts.MessageTexts().empty());
    }
}

TEST_F(RobustnessRunsTest, LeavingAnExpertOutIsARunWithoutHim) {
    for (const Options& o : OptionCases) {
        SCOPED_TRACE(o.name);
        prepare = [o] {
            WeightType = static_cast<std::uint16_t>(o.weights);
            OptimiseDM = o.optimise;
            ExpertsFilterEnabled = o.filterEnabled;
            UserSignificanceLevel = 0;
        };
        std::vector<DecisionMakerResult> want;
        for (const ExpertRow& e : CaseExperts) want.push_back(ReferenceRun("", e.id));
        const DecisionMakerResult fullDm = ReferenceRun("", "");
        const auto ranges = Ranges();

        Fresh();
        BuildCase();
        prepare();
        ASSERT_TRUE(Robustness(true));
        EXPECT_EQ(engineRuns, 1 + 3);
        ASSERT_EQ(leftOut.size(), 3u);
        for (std::size_t k = 0; k < 3; ++k) {
            const std::string id = CaseExperts[k].id;
            ExpectSameDecisionMaker(leftOut[k], want[k], "without " + id);
            const TRobustness& r = Expert(id)->Robustness;
            EXPECT_FLOAT_EQ(r.DMInformation, want[k].MeanInformation);
            EXPECT_FLOAT_EQ(r.DMScore, want[k].Score);
            ExpectMeasure(r, want[k], fullDm, ranges, "");
        }
        ExpectSameDecisionMaker(CurrentDecisionMaker(), fullDm, "full run");
        EXPECT_EQ(ExpertCount, 3);
        EXPECT_EQ(ExpertTable[4]->Id.str(), "None");
        EXPECT_FALSE(ExpertTable[5]);
    }
}

// ---------------------------------------------------------------- the case afterwards

// What an ordinary run leaves and the robustness run must leave alike.
struct CaseState {
    std::vector<std::string> Items, Filtered, Experts;
    std::vector<bool> ExpertFlags;
    std::vector<std::uint16_t> Map;
    std::vector<float> Scores;
    std::vector<int> Counts;
    bool MapIsColumnMap = false;

    static CaseState Now() {
        CaseState s;
        for (auto& t : ItemTable)
            if (t) s.Items.push_back(t->Id.str());
        for (auto& t : FilteredItems)
            if (t) s.Filtered.push_back(t->Id.str());
        for (auto& x : ExpertTable) {
            if (!x) continue;
            s.Experts.push_back(x->Id.str());
            s.ExpertFlags.push_back(x->FilterFlag);
            for (float v : {x->Calibration, x->Weight, x->MeanInformation, x->MeanSeedInformation, x->WeightWithDM})
                s.Scores.push_back(v);
            for (auto& a : x->Assessments)
                if (a) {
                    s.Scores.push_back(a->Information);
                    s.Scores.push_back(a->Valid ? 1.0f : 0.0f);
                    for (int k = 0; k <= QuantileCount + 1; ++k) s.Scores.push_back(a->Values[k]);
                }
        }
        for (auto& t : ItemTable)
            if (t)
                for (float v : {t->IntrinsicLow, t->IntrinsicHigh, t->ItemWeightSum}) s.Scores.push_back(v);
        s.Map.assign(ItemColumnMap.begin(), ItemColumnMap.end());
        s.MapIsColumnMap = ItemIndexMap == &ItemColumnMap;
        s.Counts = {ExpertCount, DecisionMakerCount, SeedItemCount, SeedAssessmentCount, MinSeedCount};
        for (auto& x : ExpertTable)
            if (x) {
                s.Counts.push_back(x->AssessedCount);
                s.Counts.push_back(x->SeedCount);
            }
        s.Scores.push_back(SignificanceLevel);
        return s;
    }
};

void ExpectSameState(const CaseState& got, const CaseState& want) {
    EXPECT_EQ(got.Items, want.Items);
    EXPECT_EQ(got.Filtered, want.Filtered);
    EXPECT_EQ(got.Experts, want.Experts);
    EXPECT_EQ(got.ExpertFlags, want.ExpertFlags);
    EXPECT_EQ(got.Map, want.Map);
    EXPECT_TRUE(got.MapIsColumnMap);
    EXPECT_EQ(got.Counts, want.Counts);
    ASSERT_EQ(got.Scores.size(), want.Scores.size());
    for (std::size_t k = 0; k < want.Scores.size(); ++k) EXPECT_EQ(got.Scores[k], want.Scores[k]) << "value " << k;
}

TEST_F(RobustnessRunsTest, TheCaseIsAsTheFullRunLeftIt) {
    for (const bool onExperts : {false, true}) {
        for (const bool filterEnabled : {true, false}) {
            SCOPED_TRACE(std::string(onExperts ? "experts" : "items") + (filterEnabled ? "" : ", filtering off"));
            // The user flagged the item T5, the seed item S3 and the expert C.
            prepare = [filterEnabled] {
                ItemsFilterEnabled = ExpertsFilterEnabled = filterEnabled;
                Item("T5")->FilterFlag = true;
                Item("S3")->FilterFlag = true;
                Expert("C")->FilterFlag = true;
            };
            // An ordinary run's state, with its decision maker named as the robustness run's.
            Fresh();
            BuildCase();
            prepare();
            ASSERT_TRUE(FullRun("None"));
            const CaseState want = CaseState::Now();

            Fresh();
            BuildCase();
            prepare();
            ASSERT_TRUE(Robustness(onExperts));
            ExpectSameState(CaseState::Now(), want);
            // The user's flags stay; the run flags the one item left that has no result.
            EXPECT_TRUE(Item("T5")->FilterFlag);
            EXPECT_TRUE(Item("S3")->FilterFlag);
            EXPECT_TRUE(Expert("C")->FilterFlag);
            for (const char* id : {"S1", "S2", "S4"}) EXPECT_FALSE(Item(id)->FilterFlag) << id;
            std::vector<std::string> recorded;
            for (TItem* t : RobustnessFlaggedItems)
                if (t) recorded.push_back(t->Id.str());
            if (onExperts) {
                EXPECT_TRUE(recorded.empty());
                EXPECT_FALSE(Item("T6")->FilterFlag);
            } else {
                EXPECT_EQ(recorded, Texts{"T6"});
                EXPECT_TRUE(Item("T6")->FilterFlag);
                ClearItemFilter();
                EXPECT_FALSE(Item("T6")->FilterFlag);
                EXPECT_TRUE(Item("T5")->FilterFlag);
            }
            EXPECT_TRUE(RobustnessRun);
            EXPECT_FALSE(DiscrepancyOn);
        }
    }
}

TEST_F(RobustnessRunsTest, EarlierResultsGoFirst) {
    BuildCase();
    ASSERT_TRUE(FullRun("First"));
    ASSERT_TRUE(FullRun("Second"));
    ASSERT_TRUE(Robustness(true));
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"A", "B", "C", "None"}));
    // A second run on items over the first one's flags.
    ASSERT_TRUE(Robustness(false));
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"A", "B", "C", "None"}));
    EXPECT_EQ(engineRuns, 1 + 4);
    EXPECT_EQ(testcase::ItemIds(), (Texts{"S1", "S2", "S3", "S4", "T5", "T6"}));
}

// ---------------------------------------------------------------- failures

TEST_F(RobustnessRunsTest, AFailingLeftOutRunStops) {
    for (const bool onExperts : {false, true}) {
        SCOPED_TRACE(onExperts ? "experts" : "items");
        Fresh();
        BuildCase();
        RobustnessOnExperts = onExperts;
        int runs = 0;
        Services().RunCalculation = [&runs](int& code) {
            RunCalculation(code);
            // The second left-out run fails.
            if (++runs == 3) code = RunZeroWeights;
        };
        if (!onExperts) prompts.QueueAnswer(platform::Answer::Ok);
        RobustnessHooks hooks;
        hooks.FullRun = [] { return FullRun(); };
        hooks.ShowError = [](int code) { DisplayError(code); };
        EXPECT_FALSE(CalcRob(hooks));
        EXPECT_EQ(runs, 3);
        if (onExperts) {
            EXPECT_TRUE(prompts.MessageTexts().empty());
        } else {
            EXPECT_EQ(prompts.MessageTexts(), Texts{"All weights are zero. Calculations cancelled."});
        }
        // The record before it keeps its result; the failing one has none and keeps the flag it had.
        const TRobustness& first = onExperts ? Expert("A")->Robustness : Item("S1")->Robustness;
        const TRobustness& failed = onExperts ? Expert("B")->Robustness : Item("S2")->Robustness;
        EXPECT_GT(first.DMInformation, 0.0f);
        EXPECT_EQ(failed.DMInformation, 0.0f);
        EXPECT_FALSE(onExperts ? Expert("B")->FilterFlag : Item("S2")->FilterFlag);
        EXPECT_EQ(testcase::ExpertIds(), (Texts{"A", "B", "C", "None"}));
        EXPECT_EQ(ExpertCount, 3);
        EXPECT_EQ(testcase::ItemIds(), (Texts{"S1", "S2", "S3", "S4", "T5", "T6"}));
        prompts.Clear();
    }
}

TEST_F(RobustnessRunsTest, ARefusedFullRunEndsAtOnce) {
    BuildCase();
    RobustnessOnExperts = false;
    int runs = 0;
    Services().RunCalculation = [&runs](int& code) {
        ++runs;
        RunCalculation(code);
    };
    prompts.QueueAnswer(platform::Answer::Ok);
    RobustnessHooks hooks;
    hooks.FullRun = [] {
        RunFields f;
        f.CalPower = "1.5";
        f.IntRange = "0.1";
        return RunCheck(f);
    };
    EXPECT_FALSE(CalcRob(hooks));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(prompts.MessageTexts(), Texts{"Illegal Calibration Power parameter"});
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"A", "B", "C"}));
}

// Leaving out the only expert leaves nobody: the run stops, and the case keeps its count.
TEST_F(RobustnessRunsTest, TheOnlyExpertLeftOut) {
    testcase::SetLevels({5, 50, 95});
    testcase::AddItem("S1", "UNI", 5.25f);
    testcase::AddItem("S2", "UNI", 12.75f);
    testcase::AddExpert("A", {{2.5f, 5.5f, 8.5f}, {8.5f, 12.5f, 16.5f}});
    CheckCaseData();
    EXPECT_FALSE(Robustness(true));
    EXPECT_EQ(ExpertCount, 1);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"A", "None"}));
    EXPECT_FALSE(Expert("A")->FilterFlag);
    EXPECT_TRUE(prompts.MessageTexts().empty());
}

// ---------------------------------------------------------------- the run dialog

class RobustnessDialogTest : public RunDialogTest {};

TEST_F(RobustnessDialogTest, ButtonsRunAndShowTheResults) {
    WireServices();
    TRunDlgFrm* d = OpenDialog();
    d->DiscrBox->setChecked(true);
    std::vector<std::string> captions;
    Services().RunCalculation = [d, &captions](int& code) {
        captions.push_back(d->windowTitle().toStdString());
        RunCalculation(code);
    };
    d->RobItButton->click();
    EXPECT_EQ(captions, (Texts{"Run Parameters", "Filtering Item: X1", "Filtering Item: X2", "Filtering Item: X3"}));
    EXPECT_EQ(d->windowTitle().toStdString(), "Run Parameters");
    EXPECT_FALSE(d->DiscrBox->isChecked());
    EXPECT_TRUE(d->DRobustnessButton->isEnabled());
    EXPECT_TRUE(d->DBLossButton->isEnabled());
    EXPECT_FALSE(d->DSolutionButton->isEnabled());
    EXPECT_EQ(ItemsSheetMode, ItemsRobustnessView);
    EXPECT_EQ(ExpertTable[3]->Id.str(), "None");
    // The item without a realisation is flagged; the robustness view filters it out.
    ASSERT_NE(RobustnessFlaggedItems[4], nullptr);
    EXPECT_EQ(RobustnessFlaggedItems[4]->Id.str(), "L4");
    EXPECT_EQ(RobustnessFlaggedItems[4], FilteredItems[4].get());
    EXPECT_GT(ItemTable[1]->Robustness.DMInformation, 0.0f);

    captions.clear();
    d->RobExButton->click();
    EXPECT_EQ(captions, (Texts{"Run Parameters", "Filtering Expert: A", "Filtering Expert: B"}));
    EXPECT_TRUE(d->DRobustnessButton->isEnabled());
    EXPECT_EQ(ExpertsSheetMode, ExpertsRobustnessView);
    EXPECT_EQ(testcase::ExpertIds(), (Texts{"A", "B", "None"}));
    // The items run's flags went with its results.
    EXPECT_EQ(RobustnessFlaggedItems[4], nullptr);
    ASSERT_TRUE(ItemTable[4]);
    EXPECT_FALSE(ItemTable[4]->FilterFlag);
    EXPECT_TRUE(Messages().empty());
}

}  // namespace
