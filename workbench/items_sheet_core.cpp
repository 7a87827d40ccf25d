#include "workbench/items_sheet_core.h"

#include <algorithm>
#include <cmath>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/formatting.h"
#include "engine/tables.h"
#include "platform/prompts.h"
#include "workbench/record_links.h"
#include "workbench/window_state.h"

namespace halvorine {

ItemsUndoState ItemsUndo;

namespace {

constexpr int GridFontSize = 8;
constexpr std::uint32_t Purple = 0x800080;

bool IsDuplicateItemId(const std::string& id, int exceptIndex) {
    for (int i = 1; i <= MaxItemCount; ++i)
        if (i != exceptIndex && ItemTable[i] && SameTextNoCase(TrimRight(ItemTable[i]->Id), id)) return true;
    return false;
}

int ItemsPresent() {
    int n = 0;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i]) ++n;
    return n;
}

std::string ValueText(float v) {
    return v > MissingValue ? FormatNumber(v) : std::string();
}

std::string RealisationText(const TItem* item) {
    return item->HasRealisation && item->Realisation > MissingValue ? FormatNumber(item->Realisation) : std::string();
}

bool NegativeOnLog(const TItem* item) {
    return item->HasRealisation && item->Realisation > MissingValue && item->Realisation < 0 && IsLogItem(item);
}

// The assessed range on the value scale: a LOG item keeps its logarithms there during a run.
float AssessedOnValueScale(const TItem* item, float assessed) {
    if (IsLogItem(item) && LogIntrinsicRange && !IsMissing(assessed))
        return static_cast<float>(std::exp(static_cast<long double>(assessed)));
    return assessed;
}

void FreeItemSlot(std::unique_ptr<TItem>& slot) {
    if (!slot) return;
    ItemFreeing(slot.get());
    slot.reset();
}

}  // namespace

int LevelPercent(int k) {
    if (k < 1 || k > MaxQuantileCount) return 0;
    return static_cast<int>(std::nearbyint(100.0L * QuantileLevels[k]));
}

bool RobustnessItemFilterShown() {
    for (int i = 1; i <= MaxItemCount; ++i)
        if (RobustnessFlaggedItems[i]) return true;
    return false;
}

TItem* NthSeedItem(int n) {
    if (n < 1) return nullptr;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (IsSeedItem(ItemTable[i].get()) && --n == 0) return ItemTable[i].get();
    return nullptr;
}

float QuantileLoss(const TAssessment* a, int k) {
    if (!a || !a->Item || !IsSeedItem(a->Item) || k < 1 || k > QuantileCount) return MissingValue;
    const float q = a->Values[k];
    if (!(q > MissingValue)) return MissingValue;
    const float w = 6 * QuantileLevels[k];
    const float r = a->Item->Realisation;
    const long double loss = r <= q ? (static_cast<long double>(q) - r) * (6.0L - w)
                                    : (static_cast<long double>(r) - q) * w;
    return static_cast<float>(loss);
}

std::vector<std::string> ResultHeaderInfo(const TExpert& dm, bool robustness) {
    const TRunSettings& s = dm.Settings;
    std::string title = robustness ? "Robustness analysis on seed Items"
                                   : "Resulting solution (combined DM distribution of values assessed by experts)";
    std::string line2 = std::string(" Bayesian Updates: ") + (s.BayesianUpdates ? "yes " : "no  ") +
                        "    Weights: " + WeightTypeText(s.WeightType) +
                        "    DM Optimisation: " + (s.OptimiseDM ? " yes " : " no  ");
    std::string line3 = " Significance Level: " + StrFixed(s.SignificanceLevel, 8, 4) +
                        "    Calibration Power: " + StrFixed(s.CalibrationPower, 8, 4);
    return {title, line2, line3};
}

bool TrulyFiltered(int index) {
    if (index < 1 || index > MaxItemCount || !ItemTable[index]) return false;
    const TItem* item = ItemTable[index].get();
    if (!ItemsFilterEnabled || !item->FilterFlag) return false;
    if (ItemsSheetMode == ItemsRobustnessView) return true;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (RobustnessFlaggedItems[i] == item) return false;
    return true;
}

void FreeItemsUndo() {
    for (int j = 1; j <= MaxItemCount; ++j) {
        if (!ItemsUndo.Buffer[j]) continue;
        // The experts still hold assessments of the items waiting here.
        DeleteItemFromExperts(j, ItemsUndo.Buffer);
        FreeItemSlot(ItemsUndo.Buffer[j]);
    }
    ItemsUndo.Record = UndoRecord{};
}

ItemsSheetCore::ItemsSheetCore(TExpert* expert) : Expert(expert) {
    IsResultSheet = expert && expert->IsDecisionMaker;
    IsRobustnessSheet = IsResultSheet && expert->Settings.RobustnessRun;
}

ItemsSheetCore::View ItemsSheetCore::CurrentView() const {
    if (!Expert) return View::Realisations;
    if (ItemsSheetMode == ItemsLossView) return View::Loss;
    if (!IsResultSheet) return View::Assessments;
    return IsRobustnessSheet ? View::Robustness : View::Solution;
}

// ---------------------------------------------------------------- shape

int ItemsSheetCore::ItemsNumRows() const {
    switch (CurrentView()) {
    case View::Loss: {
        int seeds = 0;
        for (int i = 1; i <= MaxItemCount; ++i)
            if (IsSeedItem(ItemTable[i].get())) ++seeds;
        return seeds + 1;  // the total row
    }
    case View::Robustness: return ItemsPresent() + 1;  // the run that left nothing out
    default: return std::max(1, ItemsPresent());
    }
}

int ItemsSheetCore::HeaderRows() const {
    return CurrentView() == View::Robustness ? 2 : 1;
}

int ItemsSheetCore::GridRows() const {
    return ItemsNumRows() + HeaderRows();
}

int ItemsSheetCore::ItemsNumCols() const {
    switch (CurrentView()) {
    case View::Realisations:
    case View::Robustness: return 7;
    default: return QuantileCount + 5;
    }
}

int ItemsSheetCore::ItemsColWidth(int col) const {
    if (col == 0) return 4;
    if (col == 1) return 14;
    if (CurrentView() == View::Robustness) return FieldWidth;
    if (col == 2) return 3;
    if (CurrentView() == View::Realisations) {
        if (col == 3 || col == 5) return BayesianUpdates ? FieldWidth : 0;
        if (col == 4) return FieldWidth;
        return 173;
    }
    if (col == QuantileCount + 4) return 173;
    return FieldWidth;
}

int ItemsSheetCore::ExportWidth(int col) const {
    if (col == 0) return 0;
    if (col == 1) return 14;
    if (CurrentView() == View::Robustness) return FieldWidth;
    if (col == 2) return 5;
    const int nameCol = CurrentView() == View::Realisations ? 6 : QuantileCount + 4;
    if (col == nameCol) return 173;
    return FieldWidth;
}

int ItemsSheetCore::ColumnPixels(int col) const {
    const int w = ItemsColWidth(col);
    int e = 1;
    int a = -1;
    const bool robust = CurrentView() == View::Robustness;
    const int nameCol = CurrentView() == View::Realisations ? 6 : QuantileCount + 4;
    if (!robust && col == 1) a = 0;
    if (!robust && col == nameCol) a = -6;
    if (CurrentView() == View::Realisations && !BayesianUpdates && (col == 3 || col == 5)) e = a = 0;
    int px = (w + e) * (GridFontSize + a);
    if (!robust && col == 2) px += 4;
    return px;
}

float ItemsSheetCore::TotalLoss(int k) const {
    // Summed in extended precision and stored once, like every sum of the program.
    long double sum = 0;
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* item = ItemTable[i].get();
        if (!IsSeedItem(item)) continue;
        const float loss = QuantileLoss(FindAssessment(Expert, item), k);
        if (loss > MissingValue) sum += loss;
    }
    return static_cast<float>(sum);
}

std::vector<std::string> ItemsSheetCore::HeaderInfo() const {
    const View view = CurrentView();
    if (!Expert || (view != View::Solution && view != View::Robustness)) return {};
    return ResultHeaderInfo(*Expert, view == View::Robustness);
}

std::string ItemsSheetCore::LossCell(int col, int row) const {
    const int q = QuantileCount;
    const int n = row - HeaderRows() + 1;
    if (n < 1 || n > ItemsNumRows()) return {};
    const TItem* item = NthSeedItem(n);
    if (!item) {
        // The total row: only its number, its label and the column sums.
        if (col == 0) return StrInt(n, 4);
        if (col == 1) return "---- Total ----";
        if (col >= 3 && col <= q + 2) {
            const float total = TotalLoss(col - 2);
            return total > MissingValue ? FormatNumber(total) : std::string();
        }
        return {};
    }
    if (col == 0) return StrInt(n, 4);
    if (col == 1) return Trim(item->Id);
    if (col == 2) return item->Scale;
    if (col >= 3 && col <= q + 2) {
        const float loss = QuantileLoss(FindAssessment(Expert, item), col - 2);
        return loss > MissingValue ? FormatNumber(loss) : std::string();
    }
    if (col == q + 3) return RealisationText(item);
    if (col == q + 4) return item->Name;
    return {};
}

std::string ItemsSheetCore::RobustnessCell(int col, int row) const {
    if (row == 0) {
        static const char* const heads[] = {
            " Nr.", " Id", "Rel.info/bgr.", "Rel.info/bgr.", "Calibr.", "Rel.info/or.DM", "Rel.info/or.DM"};
        return col >= 0 && col < 7 ? heads[col] : "";
    }
    if (row == 1) {
        static const char* const heads[] = {"", " of excl. item", "   total   ", " realization",
                                            "", "  total  ",      " realization"};
        return col >= 0 && col < 7 ? heads[col] : "";
    }
    const int index = row - 1;
    if (const TItem* item = ItemOfRow(row)) {
        const TRobustness& r = item->Robustness;
        switch (col) {
        case 0: return StrInt(index, 4);
        case 1: return Trim(item->Id);
        case 2: return FormatNumber(r.DMInformation);
        case 3: return FormatNumber(r.DMSeedInformation);
        case 4: {
            if (r.DMSeedInformation == 0) return {};
            // A tiny seed information is read as the tolerance; the record keeps what was stored.
            long double info = r.DMSeedInformation;
            if (info < FloatTolerance) info = FloatTolerance;
            return FormatNumber(static_cast<float>(r.DMScore / info));
        }
        case 5: return FormatNumber(r.DMDiscrepancy);
        case 6: return FormatNumber(r.DMSeedDiscrepancy);
        }
        return {};
    }
    // The run that left nothing out follows the last item, shown by the full run's decision maker.
    const bool afterItem = index >= 2 && index - 1 <= MaxItemCount && ItemTable[index - 1];
    const int dmSlot = ExpertCount + 1;
    const TExpert* dm = dmSlot >= 1 && dmSlot <= ExpertSlotCount ? ExpertTable[dmSlot].get() : nullptr;
    if (!afterItem || !dm) return {};
    switch (col) {
    case 0: return StrInt(index, 4);
    case 1: return "None";
    case 2: return FormatNumber(dm->MeanInformation);
    case 3: return FormatNumber(dm->MeanSeedInformation);
    case 4: return FormatNumber(dm->Calibration);
    }
    return {};
}

TItem* ItemsSheetCore::ItemOfRow(int row) const {
    const int i = row - HeaderRows() + 1;
    if (i < 1 || i > MaxItemCount) return nullptr;
    return ItemTable[i].get();
}

TItem* ItemsSheetCore::ItemUnderRow(int row) const {
    // The loss view lists the seed items only, so its rows are not item positions.
    if (CurrentView() == View::Loss) {
        int n = row - HeaderRows() + 1;
        if (n < 1) return nullptr;
        for (int i = 1; i <= MaxItemCount; ++i)
            if (IsSeedItem(ItemTable[i].get()) && --n == 0) return ItemTable[i].get();
        return nullptr;  // the total row, or past the grid
    }
    if (row < HeaderRows() || row >= GridRows()) return nullptr;
    return ItemOfRow(row);
}

std::string ItemsSheetCore::ItemsCellContents(int col, int row) const {
    std::string text;
    const View view = CurrentView();
    const int q = QuantileCount;
    if (view == View::Robustness) {
        text = RobustnessCell(col, row);
    } else if (view == View::Loss && row >= HeaderRows()) {
        text = LossCell(col, row);
    } else if (row < HeaderRows()) {
        if (view == View::Realisations) {
            static const char* const heads[] = {" Nr.",         " Id",          "Scale",      " Lower Bound",
                                                " Realization", " Upper Bound", "  Full Name"};
            if (col >= 0 && col < 7) text = heads[col];
            if ((col == 3 || col == 5) && !BayesianUpdates) text.clear();
        } else {
            if (col == 0)
                text = " Nr.";
            else if (col == 1)
                text = " Id";
            else if (col == 2)
                text = "Scale";
            else if (col >= 3 && col <= q + 2)
                text = "       " + StrInt(LevelPercent(col - 2), 2) + "%";
            else if (col == q + 3)
                text = " Realization";
            else if (col == q + 4)
                text = "  Full Name";
        }
    } else if (const TItem* item = ItemOfRow(row)) {
        const int index = row - HeaderRows() + 1;
        if (col == 0) {
            text = StrInt(index, 4);
        } else if (col == 1) {
            text = Trim(item->Id);
        } else if (view == View::Realisations) {
            switch (col) {
            case 2: text = Trim(item->Scale); break;
            case 3: text = ValueText(item->IntrinsicLow); break;
            case 4: text = RealisationText(item); break;
            case 5: text = ValueText(item->IntrinsicHigh); break;
            case 6: text = Trim(item->Name); break;
            }
        } else if (view == View::Assessments || view == View::Solution) {
            if (col == 2) {
                text = item->Scale;
            } else if (col >= 3 && col <= q + 2) {
                if (const TAssessment* a = FindAssessment(Expert, item)) text = ValueText(a->Values[col - 2]);
            } else if (col == q + 3) {
                text = RealisationText(item);
            } else if (col == q + 4) {
                text = item->Name;
            }
        }
    }
    if (ItemsTextOutput) {
        int w = ExportWidth(col);
        if (w > 0)
            FitToLetters(text, w);
        else if (text.empty())
            text = "    ";
    }
    return text;
}

std::string ItemsSheetCore::Caption() const {
    if (!Expert) return "Realisations data: " + CaseFile.CaseName + (BayesianUpdates ? " (Bayesian Updates mode)" : "");
    std::string c;
    const View view = CurrentView();
    if (IsResultSheet && view != View::Loss) {
        c = IsRobustnessSheet ? std::string("Robustness analysis / items")
                              : CutTo("Solution for : " + Expert->Id.str(), 23);
    } else {
        c = std::string(view == View::Loss ? "Bilinear losses of quantile estimates" : "Assessments") +
            " for the Expert: " + Expert->Id.str();
        if (Expert->Id.empty()) c += "???";
        if (BayesianUpdates) c += " (Bayesian mode: READ-ONLY)";
    }
    if (!Expert->Name.empty()) c += " \" " + Expert->Name.str() + " \" ";
    return c;
}

CellStyle ItemsSheetCore::CellStyleAt(int col, int row) const {
    CellStyle s;
    if (row < HeaderRows()) return s;
    const View view = CurrentView();
    const int q = QuantileCount;
    if (view == View::Loss) {
        const TItem* seed = NthSeedItem(row - HeaderRows() + 1);
        s.Bold = col >= 3 && col <= q + 2;
        if (!seed) return s;
        if (col == q + 3 && NegativeOnLog(seed)) s.Colour = Purple;
        for (int i = 1; i <= MaxItemCount; ++i)
            if (ItemTable[i].get() == seed) s.Greyed = TrulyFiltered(i);
        return s;
    }
    const TItem* item = ItemOfRow(row);
    if (!item) return s;
    if (view == View::Realisations) {
        s.Bold = col != 6;
        if (col == 4 && NegativeOnLog(item)) s.Colour = Purple;
    } else if (view != View::Robustness) {
        s.Bold = col >= 3 && col <= q + 2;
        if (col == q + 3 && NegativeOnLog(item)) s.Colour = Purple;
    }
    s.Greyed = TrulyFiltered(row - HeaderRows() + 1);
    return s;
}

int ItemsSheetCore::FirstEditableCol() const {
    return IsRealisations() ? 1 : 3;
}

int ItemsSheetCore::LastEditableCol() const {
    return IsRealisations() ? 6 : QuantileCount + 2;
}

bool ItemsSheetCore::ColumnEditable(int col) const {
    if (IsRealisations()) {
        if (col == 3 || col == 5) return BayesianUpdates;
        if (col == 4) return !BayesianUpdates;
        return col >= 1 && col <= 6;
    }
    return col >= 3 && col <= QuantileCount + 2;
}

bool ItemsSheetCore::CanSelect(int col, int row) const {
    if (row < HeaderRows() || row >= GridRows() || col < 1 || col >= ItemsNumCols()) return false;
    const View view = CurrentView();
    if (view == View::Realisations) return true;
    if (view == View::Assessments) return col >= 3 && col <= QuantileCount + 2;
    return false;
}

bool ItemsSheetCore::CanEdit(int col, int row) const {
    const View view = CurrentView();
    if (view != View::Realisations && view != View::Assessments) return false;
    const TItem* item = ItemOfRow(row);
    if (!item || TrulyFiltered(row - HeaderRows() + 1) || !ColumnEditable(col)) return false;
    if (view == View::Assessments) return !BayesianUpdates && FindAssessment(Expert, item);
    return true;
}

// ---------------------------------------------------------------- edits

namespace {

// The assessments file carries every item's Id and name too, and is read first when the case
// opens: a changed Id or name written only to the items file would come back as it was.
void MarkAssessmentsFileToo() {
    if (ExpertTable[1]) CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
}

}  // namespace

void ItemsSheetCore::SetEditText(int col, int row, const std::string& typed) {
    const View view = CurrentView();
    if (view != View::Realisations && view != View::Assessments) return;
    const int index = row - HeaderRows() + 1;
    TItem* item = ItemOfRow(row);
    if (!item || TrulyFiltered(index)) return;
    if (RobustnessItemFilterShown()) ClearItemFilter();
    const std::string text = Trim(typed);
    TFileKind& kind = CaseFile.FileKinds[view == View::Realisations ? ItemsFileKind : AssessmentsFileKind];
    float v = 0;

    if (view == View::Assessments) {
        if (col < 3 || col > QuantileCount + 2 || BayesianUpdates) return;
        TAssessment* a = FindAssessment(Expert, item);
        if (!a) return;
        float& value = a->Values[col - 2];
        switch (ParseNumberEdit(text, DecimalSeparator, v)) {
        case NumberEdit::Empty:
            value = MissingValue;
            kind.Modified = true;
            break;
        case NumberEdit::Number:
            if (v != value) kind.Modified = true;
            value = v;
            break;
        case NumberEdit::Invalid: break;
        }
        return;
    }

    switch (col) {
    case 1: {
        std::string id;
        if (MakeUniqueId(
                text, item->Id, 14, [index](const std::string& t) { return IsDuplicateItemId(t, index); }, id)) {
            item->Id = id;
            kind.Modified = true;
            MarkAssessmentsFileToo();
        }
        break;
    }
    case 2: {
        std::string scale = text;
        NormaliseScale(text, scale);
        // Only LOG and UNI, in any case, are taken.
        if (text.empty() || scale != text) return;
        if (!SameTextNoCase(text, item->Scale)) {
            CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
            CaseFile.FileKinds[ItemsFileKind].Modified = true;
        }
        item->Scale = text;
        break;
    }
    case 3:
    case 5:
        if (!BayesianUpdates || ParseNumberEdit(text, DecimalSeparator, v) != NumberEdit::Number) return;
        if (col == 3) {
            float low = AssessedOnValueScale(item, item->AssessedLow);
            item->IntrinsicLow = IsMissing(low) ? v : std::min(v, low);
        } else {
            float high = AssessedOnValueScale(item, item->AssessedHigh);
            item->IntrinsicHigh = IsMissing(high) ? v : std::max(v, high);
        }
        break;
    case 4:
        if (BayesianUpdates) return;
        switch (ParseNumberEdit(text, DecimalSeparator, v)) {
        case NumberEdit::Empty:
            item->Realisation = MissingValue;
            kind.Modified = true;
            break;
        case NumberEdit::Number:
            if (v != item->Realisation || !item->HasRealisation) kind.Modified = true;
            item->HasRealisation = true;
            item->Realisation = v;
            break;
        case NumberEdit::Invalid: break;
        }
        break;
    case 6:
        if (!SameTextOrBothEmpty(text, item->Name)) {
            kind.Modified = true;
            MarkAssessmentsFileToo();
        }
        item->Name = text;
        break;
    }
}

// ---------------------------------------------------------------- cursor

void ItemsSheetCore::ConstrainCursor() {
    if (IsAssessments())
        Cursor.Col = std::clamp(Cursor.Col, 3, QuantileCount + 2);
    else if (IsRealisations() && BayesianUpdates && Cursor.Col == 4)
        Cursor.Col = 3;
}

unsigned ItemsSheetCore::StepOverLockedColumn(bool back) {
    if (IsRealisations()) {
        while (Cursor.Col >= 1 && Cursor.Col <= 6 && !ColumnEditable(Cursor.Col)) Cursor.Col += back ? -1 : 1;
        Cursor.Col = std::clamp(Cursor.Col, 1, 6);
        if (!ColumnEditable(Cursor.Col)) Cursor.Col += back ? 1 : -1;
    } else if (IsAssessments()) {
        const int first = 3, last = QuantileCount + 2;
        const int lastRow = GridRows() - 1;
        if (Cursor.Col > last) {
            Cursor.Col = first;
            Cursor.Row = Cursor.Row >= lastRow ? HeaderRows() : Cursor.Row + 1;
        } else if (Cursor.Col < first) {
            Cursor.Col = last;
            Cursor.Row = Cursor.Row <= HeaderRows() ? lastRow : Cursor.Row - 1;
        }
    }
    return EffectCursor;
}

unsigned ItemsSheetCore::EnterMove() {
    const int lastRow = GridRows() - 1;
    if (Cursor.Col >= LastEditableCol()) {
        if (Cursor.Row < lastRow) {
            ++Cursor.Row;
            Cursor.Col = FirstEditableCol();
        }
    } else {
        ++Cursor.Col;
        if (IsRealisations())
            while (Cursor.Col < 6 && !ColumnEditable(Cursor.Col)) ++Cursor.Col;
    }
    Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
    return EffectCursor;
}

unsigned ItemsSheetCore::SetMyEditor(bool on) {
    Cursor.EditorOn = on;
    return EffectEditorMode | EffectEditMenu;
}

unsigned ItemsSheetCore::ToggleItemsEditorMode() {
    if (!IsRealisations()) return EffectNone;
    return SetMyEditor(!Cursor.EditorOn);
}

// ---------------------------------------------------------------- keys

unsigned ItemsSheetCore::KeyRelease(const SheetKey& key) {
    if (Cursor.Row < HeaderRows() || Cursor.Row >= GridRows() || Cursor.Col < 0 || Cursor.Col >= ItemsNumCols())
        return EffectNone;
    const View view = CurrentView();
    if (view != View::Realisations && view != View::Assessments)
        return key.Code == vk::C && key.Ctrl ? EffectCopy : EffectNone;
    const bool real = view == View::Realisations;
    unsigned fx = EffectNone;
    switch (key.Code) {
    case vk::Delete: return real ? DeleteItemRows(key) : EffectNone;
    case vk::X: return real && key.Ctrl ? DeleteItemRows(key) : EffectNone;
    case vk::Enter:
        if (real && !BayesianUpdates && Cursor.Row == GridRows() - 1) {
            fx = PasteItemRows(key);
            if (fx) return fx;
        }
        return EnterMove();
    case vk::Insert:
        if (!real || BayesianUpdates) return EffectNone;
        fx = PasteItemRows(key);
        if (key.Shift && Cursor.EditorOpen) return fx;
        return fx | SetMyEditor(true);
    case vk::V: return real && (key.Ctrl || key.Alt) ? PasteItemRows(key) : EffectNone;
    case vk::Z: return key.Ctrl ? UndoItems() : EffectNone;
    case vk::C: return key.Ctrl ? EffectCopy : EffectNone;
    case vk::F2:
        fx = SetMyEditor(true);
        ConstrainCursor();
        return fx | EffectCursor;
    case vk::F3:
        if (!real) return EffectNone;
        fx = ToggleItemsEditorMode();
        ConstrainCursor();
        return fx | EffectCursor;
    case vk::F4: return real ? ToggleItemsFilter() : EffectNone;
    case vk::F5: return EnableItemsFiltering();
    case vk::Tab: return StepOverLockedColumn(key.Shift);
    case vk::Left:
    case vk::Right:
        fx = StepOverLockedColumn(key.Code == vk::Left);
        ConstrainCursor();
        return fx;
    case vk::Home:
    case vk::End:
        if (Cursor.EditorOpen) return EffectNone;
        if (key.Code == vk::Home)
            Cursor.Col = real ? 1 : 2;
        else
            Cursor.Col = real ? ItemsNumCols() - 1 : QuantileCount + 3;
        if (real) StepOverLockedColumn(key.Code == vk::End);
        ConstrainCursor();
        return EffectCursor;
    }
    return EffectNone;
}

// ---------------------------------------------------------------- row operations

int ItemsSheetCore::RecordItemsUndo(UndoKind kind, int position, int count) {
    if (RobustnessItemFilterShown()) ClearItemFilter();
    if (kind != UndoKind::Paste) FreeItemsUndo();
    switch (kind) {
    case UndoKind::Create: {
        int pos = InsertItem("", "", position);
        if (pos == 0) return 0;
        ItemsUndo.Record = UndoRecord{UndoKind::Create, pos, 1};
        return 1;
    }
    case UndoKind::Del:
    case UndoKind::Cut:
        DeleteItems(true, position, position + count - 1, &ItemsUndo.Buffer, ItemTable);
        ItemsUndo.Record = UndoRecord{kind, position, count};
        return 0;
    case UndoKind::Paste: {
        if (ItemsUndo.Record.Kind != UndoKind::Cut) return 0;
        const UndoRecord cut = ItemsUndo.Record;
        ItemsUndo.CutPosition = cut.Position;
        int moved = MoveItems(position, cut.Position, cut.Position + cut.Count - 1, ItemsUndo.Buffer);
        // Whatever found no room is not kept for a later paste.
        for (int j = 1; j <= MaxItemCount; ++j)
            if (ItemsUndo.Buffer[j]) {
                DeleteItemFromExperts(j, ItemsUndo.Buffer);
                FreeItemSlot(ItemsUndo.Buffer[j]);
            }
        ItemsUndo.Record = moved > 0 ? UndoRecord{UndoKind::Paste, position, moved} : UndoRecord{};
        return moved;
    }
    case UndoKind::None: break;
    }
    return 0;
}

unsigned ItemsSheetCore::PasteItemRows(const SheetKey& key) {
    if (!IsRealisations() || BayesianUpdates) return EffectNone;
    if (key.Code == vk::Insert && key.Shift && Cursor.EditorOpen) return EffectNone;
    if (key.Code == vk::V && !key.Ctrl && !key.Alt) return EffectNone;
    if (key.Code == vk::Enter && Cursor.Row != GridRows() - 1) return EffectNone;

    const int present = ItemsPresent();
    int pos = Cursor.Row + 1;
    if (key.Alt && Cursor.Row > 0) pos = Cursor.Row;
    pos = std::clamp(pos, 1, present + 1);

    const bool paste = key.Code == vk::V || (key.Code == vk::Insert && Cursor.EditorOpen);
    int inserted = 0;
    if (paste) {
        if (ItemsUndo.Record.Kind != UndoKind::Cut || present + ItemsUndo.Record.Count > MaxItemCount)
            return EffectNone;
        inserted = RecordItemsUndo(UndoKind::Paste, pos, 0);
    } else {
        // A full table takes no new item: the 1000th row has no row after it.
        if (present >= MaxItemCount || pos > MaxItemCount) return EffectNone;
        inserted = RecordItemsUndo(UndoKind::Create, pos, 1);
    }
    if (inserted == 0) return EffectEditMenu;
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    Cursor.Row = pos;
    Cursor.Col = 1;
    Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
    return EffectRelayout | EffectRepaint | EffectCursor | EffectEditMenu | EffectItemsSheets;
}

unsigned ItemsSheetCore::DeleteItemRows(const SheetKey& key) {
    if (Cursor.EditorOpen) return EffectNone;
    if (key.Code == vk::X && !key.Ctrl) return EffectNone;
    if (!IsRealisations() || BayesianUpdates) return EffectNone;
    const bool cut = key.Code == vk::X;
    const int firstRow = std::min(Cursor.SelFirst, Cursor.SelLast);
    int lastRow = std::max(Cursor.SelFirst, Cursor.SelLast);
    if (firstRow < 1) return EffectNone;
    lastRow = std::min(lastRow, GridRows() - 1);
    int last = lastRow;
    while (last >= firstRow && !ItemTable[last]) --last;
    if (last < firstRow) return EffectNone;
    if (Platform) {
        auto answer = Platform->Message(platform::MessageKind::Confirmation,
                                        RowOperationQuestion(cut, "item", lastRow > firstRow),
                                        platform::Buttons::YesNo);
        if (answer != platform::Answer::Yes) return EffectNone;
    }
    RecordItemsUndo(cut ? UndoKind::Cut : UndoKind::Del, firstRow, last - firstRow + 1);
    if (ItemsPresent() == 0) {
        InsertItem("", "", 1);
        Cursor.Row = 1;
    } else {
        Cursor.Row = std::min(firstRow, GridRows() - 1);
    }
    Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    return EffectRelayout | EffectRepaint | EffectCursor | EffectEditMenu | EffectItemsSheets;
}

unsigned ItemsSheetCore::UndoItems() {
    const UndoRecord r = ItemsUndo.Record;
    if (r.Kind == UndoKind::None) return EffectNone;
    if (r.Kind == UndoKind::Paste) {
        // The pasted rows go back to the cut buffer, where they were before the paste: Paste
        // takes them again, and Undo Cut puts them back where they were cut from.
        const int present = ItemsPresent();
        DeleteItems(true, r.Position, r.Position + r.Count - 1, &ItemsUndo.Buffer, ItemTable);
        ShiftSlots(ItemsUndo.Buffer, r.Position, ItemsUndo.CutPosition, r.Count);
        ItemsUndo.Record = UndoRecord{UndoKind::Cut, ItemsUndo.CutPosition, r.Count};
        if (present == r.Count) InsertItem("", "", 1);
        Cursor.Row = std::clamp(r.Position, 1, GridRows() - 1);
        Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
        ConstrainCursor();
        return EffectRelayout | EffectRepaint | EffectCursor | EffectEditMenu | EffectItemsSheets;
    }
    if (r.Kind == UndoKind::Create) {
        for (int i = r.Position; i < r.Position + r.Count && i <= MaxItemCount; ++i)
            if (ItemTable[i]) ItemFreeing(ItemTable[i].get());
        DeleteItems(false, r.Position, r.Position + r.Count - 1, nullptr, ItemTable);
        if (ItemsPresent() == 0) {
            InsertItem("", "", 1);
            Cursor.Row = 1;
        } else {
            Cursor.Row = std::min(r.Position, GridRows() - 1);
        }
    } else {
        MoveItems(r.Position, r.Position, r.Position + r.Count - 1, ItemsUndo.Buffer);
        Cursor.Row = std::min(r.Position, GridRows() - 1);
    }
    FreeItemsUndo();
    Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
    ConstrainCursor();
    return EffectRelayout | EffectRepaint | EffectCursor | EffectEditMenu | EffectItemsSheets;
}

unsigned ItemsSheetCore::ToggleItemsFilter() {
    if (Cursor.EditorOpen || RobustnessItemFilterShown()) return EffectNone;
    const int firstRow = std::min(Cursor.SelFirst, Cursor.SelLast);
    const int lastRow = std::max(Cursor.SelFirst, Cursor.SelLast);
    if (firstRow < 1) return EffectNone;
    for (int row = firstRow; row <= lastRow; ++row)
        if (TItem* item = ItemOfRow(row)) {
            item->FilterFlag = !item->FilterFlag;
            // The flag is written with the item: a save must write it, and a close ask first.
            CaseFile.FileKinds[ItemsFileKind].Modified = true;
        }
    return EffectRepaint | EffectItemsSheets;
}

unsigned ItemsSheetCore::EnableItemsFiltering() {
    ItemsFilterEnabled = !ItemsFilterEnabled;
    return EffectRepaint | EffectItemsSheets | EffectEditMenu;
}

EditMenuState ItemsSheetCore::UpdateItemsEditMenu() const {
    EditMenuInput in;
    in.RowEditing = IsRealisations() && !BayesianUpdates;
    in.RowMode = !Cursor.EditorOn;
    in.FilterEnabled = ItemsFilterEnabled;
    in.DataView = IsRealisations();
    in.Undo = ItemsUndo.Record;
    in.KindSuffix = " Items (Ctrl-Z)";
    return MakeEditMenuState(in);
}

bool ItemsSheetCore::FixEmptyRows() {
    if (!IsRealisations()) return false;
    bool removed = DefaultItemNames();
    // The positions in the undo record no longer name the rows it took.
    if (removed) FreeItemsUndo();
    return removed;
}

bool ItemsSheetCore::RetargetAssessments() {
    if (!Expert || IsResultSheet || !ActiveExpert || ActiveExpert->IsDecisionMaker) return false;
    if (ActiveExpert == Expert) return false;
    Expert = ActiveExpert;
    Cursor.Row = HeaderRows();
    Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
    ConstrainCursor();
    return true;
}

}  // namespace halvorine
