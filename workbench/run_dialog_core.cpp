#include "workbench/run_dialog_core.h"

#include <optional>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/bayesian_update.h"
#include "engine/calibration.h"
#include "engine/discrepancy.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "platform/prompts.h"
#include "workbench/experts_sheet_core.h"
#include "workbench/record_links.h"
#include "workbench/service.h"

namespace halvorine {

ShortString<8> DMName;
bool ResultsFresh = true;

namespace {

// The bounds as 32-bit reals, the precision the fields are read in: "0.1" passes 0.1.
constexpr float MinCalibrationPower = 0.1f;
constexpr float MaxCalibrationPower = 1.0f;
constexpr float MinOvershoot = 0.009999f;
constexpr float MaxOvershoot = 100.0f;
// At most 32 result experts follow the data experts.
constexpr int MaxDecisionMakerNumber = 31;

bool ReadField(const std::string& text, float& x) {
    return ParseReal32(Trim(text), x);
}

void Message(const std::string& text) {
    if (Platform) Platform->Message(platform::MessageKind::Information, text, platform::Buttons::Ok);
}

std::string ExpertIdAt(int e) {
    return e >= 1 && e <= ExpertSlotCount && ExpertTable[e] ? ExpertTable[e]->Id.str() : std::string();
}

// The item of expert e's assessment in slot s.
std::string AssessedItemIdAt(int e, int s) {
    if (e < 1 || e > ExpertSlotCount || !ExpertTable[e] || s < 1 || s > MaxItemCount) return {};
    const TAssessment* a = ExpertTable[e]->Assessments[s].get();
    return a && a->Item ? a->Item->Id.str() : std::string();
}

std::string ItemIdAt(int i) {
    return i >= 1 && i <= MaxItemCount && ItemTable[i] ? ItemTable[i]->Id.str() : std::string();
}

// The busy cursor while it lives, when there is a platform to show it.
class BusyScope {
public:
    BusyScope() {
        if (Platform) cursor_.emplace(*Platform);
    }

private:
    std::optional<platform::BusyCursor> cursor_;
};

}  // namespace

// ---------------------------------------------------------------- field checks

bool CalPowerCheck(const std::string& text) {
    float x = 0;
    if (!ReadField(text, x) || !(x >= MinCalibrationPower && x <= MaxCalibrationPower)) return false;
    CalibrationPower = x;
    return true;
}

bool IntRangeCheck(const std::string& text) {
    float x = 0;
    if (!ReadField(text, x) || !(x >= MinOvershoot && x <= MaxOvershoot)) return false;
    IntrinsicRangeOvershoot = x;
    return true;
}

bool SignLevelCheck(const std::string& text) {
    if (Trim(text).empty()) return true;
    float x = 0;
    if (!ReadField(text, x) || !(x >= 0)) return false;
    UserSignificanceLevel = x;
    return CheckSignificanceLevel(true);
}

std::string SignLevelMinText() {
    return StrFixed(MinSignificanceLevel, 3, 1) + " <=";
}

std::string SignLevelMaxText() {
    return "<= " + StrFixed(MaxSignificanceLevel, 5, 3);
}

std::string SignificanceBoundText(float x) {
    return StrExp(x, 5);
}

// ---------------------------------------------------------------- messages

std::string RunErrorMessage(int code) {
    if (code > 0) {
        RunErrorText = StrInt(code);
        return " No experts with non-zero weight have assessed item " + RunErrorText + ". Calculations cancelled.";
    }
    switch (code) {
    case RunUserWeightSum: return "Sum of the User Weights can`t exceed 1.0";
    case RunUserWeightOutOfRange: return "User Weights outside of 0.0 .. 1.0: not allowed";
    case RunNoUserWeights: return "No User Weights specified";
    case RunUserWeightIsOne: return "User Weight with 1.0 value: not allowed";
    case RunSignificanceOutOfRange:
        RunErrorText = SignificanceBoundText(MinSignificanceLevel);
        return " Check the Significance Level field value (must be non-empty and between " + RunErrorText + " and " +
               SignificanceBoundText(MaxSignificanceLevel) + ")";
    case RunZeroWeights: return "All weights are zero. Calculations cancelled.";
    // The engine's own refusals of values it cannot compute with.
    case RunNoSeedAnswers:
        return "Expert `" + ExpertIdAt(CheckedExpert) +
               "` has no valid assessments of seed items. Calculations cancelled.";
    case RunLogBoundNotPositive:
        return "The intrinsic range of the LOG item `" + ItemIdAt(ItemCount) +
               "` reaches zero or below. Calculations cancelled.";
    case RunBoundOutOfRange:
        return "The intrinsic range of the item `" + ItemIdAt(ItemCount) +
               "` is out of the range of real numbers. Calculations cancelled.";
    case RunDegenerateBin:
        return "Assessments of the item `" + ItemIdAt(ItemCount) +
               "` leave an interval of no width. Calculations cancelled.";
    case RunBadLevels:
        if (const std::string levels = EmptyIntervalLevels(); !levels.empty())
            return "The quantile levels " + levels + " leave an interval without probability. Calculations cancelled.";
        return "Some interval between the quantile levels has no probability. Calculations cancelled.";
    case RunNotFinite:
        return "A score, weight or quantile is out of the range of real numbers. Calculations cancelled.";
    case RunOutOfMemory: return "No memory for the calculations. Calculations cancelled.";
    }
    return {};
}

bool DisplayError(int code) {
    const std::string text = RunErrorMessage(code);
    if (!text.empty()) Message(text);
    return code == RunSignificanceOutOfRange;
}

std::string DataCheckMessage(int code) {
    if (code > 0 || code == CheckTooFewSeeds) return {};
    const std::string e = ExpertIdAt(CheckedExpert);
    const std::string i = AssessedItemIdAt(CheckedExpert, ItemCount);
    switch (code) {
    case 0: return "Empty ExpertsData list or no active experts found";
    case CheckNoExpertId: return "Some Expert IDs are not defined";
    case CheckNoItemId: return "Some Item IDs are not defined for the expert `" + e + "`";
    case CheckNoItem: return "No items defined for the expert " + e;
    case CheckNotIncreasing: return "Non-increasing or empty quantiles found, expert `" + e + "`, item `" + i + "`";
    case CheckNotPositiveLog:
        return "Negative or zero quantiles are illegal for the LOG scale, expert `" + e + "`, item `" + i + "`";
    }
    return "The experts data can`t be calculated (check code " + StrInt(code) + ")";
}

// ---------------------------------------------------------------- the run

void FillMakerSettings(int e) {
    if (e < 1 || e > ExpertSlotCount || !ExpertTable[e]) return;
    ExpertTable[e]->Settings = MakerSettings(RunOptionsInUse(), SignificanceLevel);
}

void StoreLeftOutResults(TRobustness& r, const TExpert& dm) {
    r.DMInformation = dm.MeanInformation;
    r.DMSeedInformation = dm.MeanSeedInformation;
    // Without the search BestDMScore is never set; the score is then the run's own.
    r.DMScore = OptimiseDM ? BestDMScore
                           : static_cast<float>(static_cast<long double>(dm.Calibration) * dm.MeanSeedInformation);
}

int CheckSeedAssessments() {
    for (int e = 1; e <= MaxExpertCount && ExpertTable[e] && (ExpertCount == 0 || e <= ExpertCount); ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (x->IsDecisionMaker) break;
        if (ExpertsFilterEnabled && x->FilterFlag) continue;
        if (CheckExpertData(e) < 1) return e;
    }
    return 0;
}

bool RunCheck(RunFields& f, const RunHooks& hooks) {
    UseRunOptions(f.Options);
    // The calibration power and the intrinsic range, read again from their edits: RUN may come
    // while an edit still has the focus and its own check has not run.
    f.CalPowerBad = !CalPowerCheck(f.CalPower);
    if (f.CalPowerBad) {
        Message("Illegal Calibration Power parameter");
        return false;
    }
    f.IntRangeBad = !IntRangeCheck(f.IntRange);
    if (f.IntRangeBad) {
        Message("Illegal Intrinsic Range parameter");
        return false;
    }
    const bool seedWeights = WeightType == GlobalWeighting || WeightType == ItemWeighting;
    // Global and item weights come from calibration: they need realisations, and every expert
    // taking part needs increasing, non-negative assessments on the seed items (the first
    // faulty one is shown in its sheet).
    if (seedWeights && SeedAssessmentCount == 0) {
        Message("Global and Item Weights require non-empty set of realisations");
        return false;
    }
    if (seedWeights) {
        if (int e = CheckSeedAssessments()) {
            Message("Expert `" + ExpertIdAt(e) +
                    "` has negative or non-increasing assessments or no realisations for them");
            if (CheckedExpert >= 1 && hooks.ShowFaultyExpert) hooks.ShowFaultyExpert(e, ItemCount);
            return false;
        }
    }
    // The search for the best significance level ranks decision makers by calibration, which
    // equal and user weights do not use.
    if (!seedWeights && OptimiseDM) {
        Message("DM optimization can be performed with the Global and Item Weights only");
        return false;
    }
    // The significance level as the edit holds it now: blank means none (0), a text that is no
    // level refuses.
    if (f.SignLevelVisible) {
        if (Trim(f.SignLevel).empty()) {
            f.SignLevel = "0.0";
            UserSignificanceLevel = 0;
            f.SignLevelBad = false;
        } else {
            f.SignLevelBad = !SignLevelCheck(f.SignLevel);
            if (f.SignLevelBad) {
                DisplayError(RunSignificanceOutOfRange);
                return false;
            }
        }
    }
    // The discrepancy analysis of this run starts empty; a robustness run has none, and keeps
    // the name it was given.
    ResetDiscrepancies();
    DiscrepancyOn = f.Discrepancy && !RobustnessRun;
    if (!RobustnessRun) DMName = CutTo(f.DMName, 8);

    // The slot after the experts holds no decision maker yet: the experts are counted afresh.
    if (ExpertCount + 1 <= ExpertSlotCount && !ExpertTable[ExpertCount + 1]) {
        ExpertCount = 0;
        DecisionMakerCount = 0;
    }
    // The case is checked from scratch: filtered items and experts move out to their side
    // tables, the counters go back to 0, the quantile levels and then the data are checked.
    InformationComputed = false;
    RunErrorCode = 0;
    FilterItemsOut(FilteredItems);
    FilterExpertsOut(FilteredExperts);
    CheckedExpert = 0;
    ItemCount = 0;
    // Levels that leave an interval without probability (equal levels) allow no run at all.
    if (CheckBinProbabilities() != RunOk) {
        DisplayError(RunBadLevels);
        return false;
    }
    const int check = CheckCaseData();
    BuildItemIndexMap();
    const std::string refusal = DataCheckMessage(check);
    if (!refusal.empty()) {
        Message(refusal);
        if (CheckedExpert >= 1 && check != 0 && check != CheckNoItemId && hooks.ShowFaultyExpert)
            hooks.ShowFaultyExpert(CheckedExpert, ItemCount);
        return false;
    }
    // A decision maker added without data experts would take the first expert's slot.
    if (ExpertCount < 1) {
        Message("Can`t run without experts data");
        return false;
    }
    // A new decision maker in the slot after the experts; past the limit the last one's number
    // is used again.
    if (DecisionMakerCount >= MaxDecisionMakerNumber + 1) DecisionMakerCount = MaxDecisionMakerNumber;
    if (!AddDecisionMaker(DMName)) {
        Message("No memory to create Decision Maker");
        return false;
    }
    // The name goes with the run's results; the edit starts empty for the next run.
    RunDMName = CutTo(f.DMName, 8);
    f.DMName.clear();
    DMName = "";

    // The run itself, under the busy cursor; whatever the engine throws ends the run with what
    // it reached, and the decision maker keeps the settings it was made with.
    {
        BusyScope busy;
        try {
            RunCalculationService()(RunErrorCode);
        } catch (...) {}
        FillMakerSettings(ExpertCount + 1);
    }
    // A failed run leaves no decision maker behind: its record goes (its windows are told
    // first) and the reason is shown; a significance level the run could not use is marked.
    if (RunErrorCode != 0) {
        const int dm = ExpertCount + 1;
        if (ExpertTable[dm]) ExpertFreeing(ExpertTable[dm].get());
        DeleteExperts(dm, dm, ExpertTable, nullptr);
        if (DecisionMakerCount > 0) --DecisionMakerCount;
        if (DisplayError(RunErrorCode)) f.SignLevelBad = true;
        return false;
    }
    ResultsFresh = true;
    return true;
}

// ---------------------------------------------------------------- Bayesian updates

bool StartBayesianUpdates() {
    // The kept values are the entered ones; updating again would keep updated values instead.
    if (BayesianUpdates && !QuantileBackup.empty()) return true;
    BayesianUpdates = true;
    if (ExpertCount == 0) {
        CheckCaseData();
        BuildItemIndexMap();
    }
    if (!SaveRestoreQuantiles(true)) {
        BayesianUpdates = false;
        return false;
    }
    if (const int code = BayesianUpdate()) {
        // Nothing was updated: the box goes back with the reason.
        SaveRestoreQuantiles(false);
        BayesianUpdates = false;
        DisplayError(code);
        return false;
    }
    InformationComputed = false;
    return true;
}

void EndBayesianUpdates() {
    // Experts deleted meanwhile wait in the undo record and may come back.
    SaveRestoreQuantiles(false, &ExpertsUndo.Buffer);
    BayesianUpdates = false;
}

}  // namespace halvorine
