#include "workbench/robustness_runs.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "common/ui/mdi_frame.h"
#include "common/ui/sheet_grid.h"
#include "engine/discrepancy.h"
#include "engine/globals.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "platform/prompts.h"
#include "workbench/experts_sheet.h"
#include "workbench/experts_sheet_core.h"
#include "workbench/record_links.h"
#include "workbench/run_dialog.h"
#include "workbench/run_dialog_core.h"
#include "workbench/services.h"
#include "workbench/sheet_windows.h"

namespace halvorine {

namespace {

// What the full run left in the records and counters. Every left-out run overwrites the
// experts' scores, the items' ranges and the counts; the full run's decision maker stays the
// current one, so they are put back afterwards.
struct FullRunState {
    struct ExpertScores {
        TExpert* Expert = nullptr;
        float Calibration, CalibrationCut, SeedEntropy, RawWeight, Weight, WeightWithDM;
        float MeanSeedInformation, MeanInformation, MeanDiscrepancy, MeanSeedDiscrepancy;
        int AssessedCount, SeedCount, MinSeeds;
        bool HasInvalid;
        std::vector<std::pair<int, TAssessment>> Assessments;
    };
    struct ItemResults {
        TItem* Item = nullptr;
        float IntrinsicLow, IntrinsicHigh, AssessedLow, AssessedHigh, ItemWeightSum;
    };
    std::vector<ExpertScores> Experts;
    std::vector<ItemResults> Items;
    IndexMapType ColumnMap{};
    int ExpertCount = 0, ExpertCountBeforeFilter = 0, DecisionMakerCount = 0, ItemCount = 0;
    int CheckedExpert = 0, SeedItemCount = 0, MinSeedCount = 0, SeedAssessmentCount = 0;
    bool InformationComputed = false;
    float SignificanceLevel = 0, BestDMScore = 0, MinSignificanceLevel = 0, MaxSignificanceLevel = 0;
    float CalibrationLevels[MaxExpertCount + 1] = {};
    int CalibrationLevelCount = 0;

    void Save() {
        for (int e = 1; e <= halvorine::ExpertCount; ++e) {
            TExpert* x = ExpertTable[e].get();
            if (!x) continue;
            ExpertScores s{x,
                           x->Calibration,
                           x->CalibrationCut,
                           x->SeedEntropy,
                           x->RawWeight,
                           x->Weight,
                           x->WeightWithDM,
                           x->MeanSeedInformation,
                           x->MeanInformation,
                           x->MeanDiscrepancy,
                           x->MeanSeedDiscrepancy,
                           x->AssessedCount,
                           x->SeedCount,
                           x->MinSeeds,
                           x->HasInvalid,
                           {}};
            for (int k = 1; k <= MaxItemCount; ++k)
                if (x->Assessments[k]) s.Assessments.emplace_back(k, *x->Assessments[k]);
            Experts.push_back(std::move(s));
        }
        for (int i = 1; i <= MaxItemCount; ++i) {
            TItem* t = ItemTable[i].get();
            if (t)
                Items.push_back(
                    {t, t->IntrinsicLow, t->IntrinsicHigh, t->AssessedLow, t->AssessedHigh, t->ItemWeightSum});
        }
        ColumnMap = ItemColumnMap;
        ExpertCount = halvorine::ExpertCount;
        ExpertCountBeforeFilter = halvorine::ExpertCountBeforeFilter;
        DecisionMakerCount = halvorine::DecisionMakerCount;
        ItemCount = halvorine::ItemCount;
        CheckedExpert = halvorine::CheckedExpert;
        SeedItemCount = halvorine::SeedItemCount;
        MinSeedCount = halvorine::MinSeedCount;
        SeedAssessmentCount = halvorine::SeedAssessmentCount;
        InformationComputed = halvorine::InformationComputed;
        SignificanceLevel = halvorine::SignificanceLevel;
        BestDMScore = halvorine::BestDMScore;
        MinSignificanceLevel = halvorine::MinSignificanceLevel;
        MaxSignificanceLevel = halvorine::MaxSignificanceLevel;
        for (int k = 0; k <= MaxExpertCount; ++k) CalibrationLevels[k] = halvorine::CalibrationLevels[k];
        CalibrationLevelCount = halvorine::CalibrationLevelCount;
    }

    // The items' ranges, which the measure of a left-out run is taken on.
    void RestoreItemRanges() const {
        for (const ItemResults& r : Items) {
            r.Item->IntrinsicLow = r.IntrinsicLow;
            r.Item->IntrinsicHigh = r.IntrinsicHigh;
            r.Item->AssessedLow = r.AssessedLow;
            r.Item->AssessedHigh = r.AssessedHigh;
            r.Item->ItemWeightSum = r.ItemWeightSum;
        }
    }

    void Restore() const {
        for (const ExpertScores& s : Experts) {
            TExpert* x = s.Expert;
            x->Calibration = s.Calibration;
            x->CalibrationCut = s.CalibrationCut;
            x->SeedEntropy = s.SeedEntropy;
            x->RawWeight = s.RawWeight;
            x->Weight = s.Weight;
            x->WeightWithDM = s.WeightWithDM;
            x->MeanSeedInformation = s.MeanSeedInformation;
            x->MeanInformation = s.MeanInformation;
            x->MeanDiscrepancy = s.MeanDiscrepancy;
            x->MeanSeedDiscrepancy = s.MeanSeedDiscrepancy;
            x->AssessedCount = s.AssessedCount;
            x->SeedCount = s.SeedCount;
            x->MinSeeds = s.MinSeeds;
            x->HasInvalid = s.HasInvalid;
            for (const auto& [k, a] : s.Assessments)
                if (x->Assessments[k]) *x->Assessments[k] = a;
        }
        RestoreItemRanges();
        ItemColumnMap = ColumnMap;
        ItemIndexMap = &ItemColumnMap;
        halvorine::ExpertCount = ExpertCount;
        halvorine::ExpertCountBeforeFilter = ExpertCountBeforeFilter;
        halvorine::DecisionMakerCount = DecisionMakerCount;
        halvorine::ItemCount = ItemCount;
        halvorine::CheckedExpert = CheckedExpert;
        halvorine::SeedItemCount = SeedItemCount;
        halvorine::MinSeedCount = MinSeedCount;
        halvorine::SeedAssessmentCount = SeedAssessmentCount;
        halvorine::InformationComputed = InformationComputed;
        halvorine::SignificanceLevel = SignificanceLevel;
        halvorine::BestDMScore = BestDMScore;
        halvorine::MinSignificanceLevel = MinSignificanceLevel;
        halvorine::MaxSignificanceLevel = MaxSignificanceLevel;
        for (int k = 0; k <= MaxExpertCount; ++k) halvorine::CalibrationLevels[k] = CalibrationLevels[k];
        halvorine::CalibrationLevelCount = CalibrationLevelCount;
    }
};

// The engine as the dialog calls it; whatever it throws ends the run with the code reached.
void RunEngine() {
    RunErrorCode = 0;
    try {
        Services().RunCalculation(RunErrorCode);
    } catch (...) {}
}

// Removes the decision maker in slot e (its windows are told first).
void RemoveDecisionMaker(int e) {
    if (e < 1 || e > ExpertSlotCount || !ExpertTable[e]) return;
    ExpertFreeing(ExpertTable[e].get());
    DeleteExperts(e, e, ExpertTable, nullptr);
}

// A second decision maker after the data experts for the left-out runs; the full run's moves
// one slot on. The automatic numbering is left as it was.
bool AddLeftOutDecisionMaker(int n) {
    TExpert* full = ExpertTable[n + 1].get();
    const int count = DecisionMakerCount;
    const bool ok = AddDecisionMaker("");
    DecisionMakerCount = count;
    if (ok) return true;
    // A half-made one must not be taken for the full run's.
    if (ExpertTable[n + 1].get() != full) RemoveDecisionMaker(n + 1);
    ExpertCount = n;
    return false;
}

// The filter machinery leaves out what is flagged, and only while filtering is on. For one
// left-out run exactly one record is to leave, whatever the user's setting: with filtering off
// the user's flags are put aside (those records take part, as in the full run) and filtering
// is on for the run. Everything is put back afterwards, the left-out record's flag included.
template <typename Record>
class LeaveOneOut {
public:
    LeaveOneOut(bool& filterEnabled, std::vector<Record*> present, Record* left)
        : enabled_(filterEnabled), saved_(filterEnabled) {
        for (Record* r : present) flags_.emplace_back(r, r->FilterFlag);
        if (!saved_)
            for (Record* r : present) r->FilterFlag = false;
        enabled_ = true;
        left->FilterFlag = true;
    }
    ~LeaveOneOut() {
        for (auto& [r, flag] : flags_) r->FilterFlag = flag;
        enabled_ = saved_;
    }
    LeaveOneOut(const LeaveOneOut&) = delete;
    LeaveOneOut& operator=(const LeaveOneOut&) = delete;

private:
    bool& enabled_;
    bool saved_;
    std::vector<std::pair<Record*, bool>> flags_;
};

std::vector<TItem*> PresentItems() {
    std::vector<TItem*> out;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i]) out.push_back(ItemTable[i].get());
    return out;
}

std::vector<TExpert*> DataExperts(int n) {
    std::vector<TExpert*> out;
    for (int e = 1; e <= n; ++e)
        if (ExpertTable[e] && !ExpertTable[e]->IsDecisionMaker) out.push_back(ExpertTable[e].get());
    return out;
}

// The data check of a left-out run: from the full run's where the reuse can tell it.
void CheckLeftOutCase() {
    int code = 0;
    if (FullRunReuse* reuse = FullRunReuse::Open(); !reuse || !reuse->CheckCase(code)) CheckCaseData();
}

// One run without item i; its decision maker is in slot n+1. The engine's code.
int RunWithoutItem(int i, int n, const IndexMapType& fullMap, ItemTableType& side) {
    {
        LeaveOneOut<TItem> out(ItemsFilterEnabled, PresentItems(), ItemTable[i].get());
        FilterItemsOut(side);
        InformationComputed = false;
        CheckLeftOutCase();
        // The data check maps the items that are left; the left-out run's map skips item i of
        // the full map, and the full map stays the one the decision makers were made with.
        ItemColumnMap = fullMap;
        ExcludeItemFromIndexMap(i, RobustItemColumnMap);
        ItemIndexMap = &RobustItemColumnMap;
        RunEngine();
        FillMakerSettings(n + 1);
        ItemIndexMap = &ItemColumnMap;
        RestoreFilteredItems(side);
    }
    ItemColumnMap = fullMap;
    return RunErrorCode;
}

// One run without data expert e; its decision maker is the one after the remaining experts.
int RunWithoutExpert(int e, int n, const IndexMapType& fullMap, ExpertTableType& side) {
    {
        LeaveOneOut<TExpert> out(ExpertsFilterEnabled, DataExperts(n), ExpertTable[e].get());
        FilterExpertsOut(side);
        InformationComputed = false;
        CheckLeftOutCase();
        if (ExpertCount >= 1) {
            RunEngine();
            FillMakerSettings(ExpertCount + 1);
        } else {
            // Without its only expert there is nobody to weigh.
            RunErrorCode = RunZeroWeights;
        }
        RestoreFilteredExperts(side);
    }
    // The restore counts what comes back only onto a known count.
    ExpertCount = n;
    ItemColumnMap = fullMap;
    ItemIndexMap = &ItemColumnMap;
    return RunErrorCode;
}

bool RunsOnItems(const RobustnessHooks& hooks, const FullRunState& full) {
    const int n = ExpertCount;
    BuildItemIndexMap();
    const IndexMapType fullMap = ItemColumnMap;
    if (!AddLeftOutDecisionMaker(n)) return false;
    auto side = std::make_unique<ItemTableType>();
    bool ok = true;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        TItem* item = ItemTable[i].get();
        if (!IsSeedItem(item)) continue;
        if (hooks.SetCaption) hooks.SetCaption("Filtering Item: " + item->Id.str());
        int code = RunWithoutItem(i, n, fullMap, *side);
        if (code == RunOk) {
            full.RestoreItemRanges();
            RobustnessDiscrepancy(code, i, item->Robustness);
        }
        if (code != RunOk) {
            if (hooks.ShowError) hooks.ShowError(code);
            ok = false;
            break;
        }
        StoreLeftOutResults(item->Robustness, *ExpertTable[n + 1]);
    }
    RemoveDecisionMaker(n + 1);
    // The robustness view hides what has no result; the user's own flags are not touched.
    for (int i = 1; i <= MaxItemCount; ++i) {
        RobustnessFlaggedItems[i] = nullptr;
        TItem* item = ItemTable[i].get();
        if (!item || IsSeedItem(item) || item->FilterFlag) continue;
        item->FilterFlag = true;
        RobustnessFlaggedItems[i] = item;
    }
    return ok;
}

bool RunsOnExperts(const RobustnessHooks& hooks, const FullRunState& full) {
    const int n = ExpertCount;
    if (!AddLeftOutDecisionMaker(n)) return false;
    const IndexMapType fullMap = ItemColumnMap;
    RobustItemColumnMap = ItemColumnMap;
    auto side = std::make_unique<ExpertTableType>();
    bool ok = true;
    for (int e = 1; e <= n && ExpertTable[e]; ++e) {
        TExpert* x = ExpertTable[e].get();
        if (x->IsDecisionMaker) break;
        if (hooks.SetCaption) hooks.SetCaption("Filtering Expert: " + x->Id.str());
        int code = RunWithoutExpert(e, n, fullMap, *side);
        if (code == RunOk) {
            full.RestoreItemRanges();
            RobustnessDiscrepancy(code, 0, x->Robustness);
        }
        // A failing left-out run on experts stops without a message.
        if (code != RunOk) {
            ok = false;
            break;
        }
        StoreLeftOutResults(x->Robustness, *ExpertTable[n + 1]);
    }
    RemoveDecisionMaker(n + 1);
    return ok;
}

}  // namespace

bool CalcRob(const RobustnessHooks& hooks) {
    ClearResultExperts(hooks.Host);
    DiscrepancyOn = false;
    RobustnessRun = true;
    DMName = "None";
    if (!hooks.FullRun || !hooks.FullRun()) return false;
    const std::string caption = hooks.Caption ? hooks.Caption() : std::string();
    FullRunState full;
    full.Save();
    bool ok = false;
    {
        std::optional<platform::BusyCursor> busy;
        if (Platform) busy.emplace(*Platform);
        BestDMScore = 0;
        // Made for these runs only: it goes with them.
        std::optional<FullRunReuse> reuse;
        if (hooks.Reuse) reuse.emplace();
        ok = RobustnessOnExperts ? RunsOnExperts(hooks, full) : RunsOnItems(hooks, full);
    }
    full.Restore();
    if (hooks.SetCaption) hooks.SetCaption(caption);
    return ok;
}

bool CalcRob(TRunDlgFrm& dialog) {
    dialog.DiscrBox->setChecked(false);
    RobustnessHooks hooks;
    hooks.FullRun = [&dialog] { return dialog.RunCheck(); };
    hooks.Caption = [&dialog] { return platform::BytesFromQString(dialog.windowTitle()); };
    hooks.SetCaption = [&dialog](const std::string& text) {
        dialog.setWindowTitle(platform::QStringFromBytes(text));
        // The runs hold the event loop: the caption is painted now, and no input is taken.
        PaintNow(dialog);
    };
    hooks.ShowError = [&dialog](int code) { dialog.DisplayError(code); };
    hooks.Host = ExpertsSheet;
    return CalcRob(hooks);
}

}  // namespace halvorine
