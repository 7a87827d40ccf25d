#include "workbench/experts_sheet_core.h"

#include <algorithm>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/formatting.h"
#include "engine/tables.h"
#include "platform/prompts.h"
#include "workbench/record_links.h"
#include "workbench/window_state.h"

namespace halvorine {

void FitToLetters(std::string& text, int width) {
    const auto follows = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    // A continuation byte that the character cut backs off from marks valid UTF-8 (Latin-1 text
    // is shown and cut byte by byte).
    std::size_t extra = 0;
    const std::size_t first = std::find_if(text.begin(), text.end(), follows) - text.begin();
    if (first < text.size() && CharacterCutLength(text, first) != first)
        for (char c : text) extra += follows(c) ? 1 : 0;
    if (extra == 0) {
        FitToWidth(text, width);
        return;
    }
    const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    if (text.size() - extra > w) text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
    std::size_t letters = 0, end = 0;
    while (end < text.size() && letters < w) {
        ++end;
        while (end < text.size() && follows(text[end])) ++end;
        ++letters;
    }
    text.resize(end);
    text.append(w - letters, ' ');
}

ExpertsUndoState ExpertsUndo;

namespace {

constexpr int GridFontSize = 8;

bool IsDuplicateExpertId(const std::string& id, int exceptEntry) {
    for (int e = 1; e <= MaxExpertCount; ++e)
        if (e != exceptEntry && ExpertTable[e] && SameTextNoCase(TrimRight(ExpertTable[e]->Id), id)) return true;
    return false;
}

// Data experts present in slots 1..1000 (decision makers never count).
int DataExpertsPresent() {
    int n = ExpertCount > 0 ? std::min(ExpertCount, MaxExpertCount) : MaxExpertCount;
    int count = 0;
    for (int e = 1; e <= n; ++e)
        if (ExpertTable[e] && !ExpertTable[e]->IsDecisionMaker) ++count;
    return count;
}

std::string Number(float x) {
    return FormatNumber(x);
}

std::string WeightText(float w) {
    return IsMissing(w) ? std::string() : Number(w);
}

std::string DiscrepancyText(float d) {
    return d > MissingValue ? Number(d) : std::string("   N/A ");
}

void MarkExpertsModified() {
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
}

}  // namespace

std::string WeightTypeText(int weightType) {
    switch (weightType) {
    case GlobalWeighting: return " global ";
    case EqualWeighting: return " equal  ";
    case ItemWeighting: return " item   ";
    case UserWeighting: return " user   ";
    }
    return "        ";
}

// ---------------------------------------------------------------- undo record

void FreeExpertsUndo() {
    for (auto& e : ExpertsUndo.Buffer) FreeExpertSlot(e);
    ExpertsUndo.Record = UndoRecord{};
    ExpertsUndo.HoldsDecisionMakers = false;
    if (ExpertCount + 1 <= ExpertSlotCount && !ExpertTable[ExpertCount + 1]) {
        ExpertCount = 0;
        DecisionMakerCount = 0;
    }
}

void ClearResultExperts(ExpertsSheetHost* /*host*/) {
    // The result experts follow the data experts; with the count unknown, the first
    // decision maker marks where they begin.
    int first = 0;
    if (ExpertCount > 0) {
        first = ExpertCount + 1;
    } else {
        for (int e = 1; e <= ExpertSlotCount && !first; ++e)
            if (ExpertTable[e] && ExpertTable[e]->IsDecisionMaker) first = e;
    }
    if (first >= 1 && first <= ExpertSlotCount) {
        // Deleted decision makers waiting for an undo would come back without their run.
        if (ExpertsUndo.HoldsDecisionMakers) FreeExpertsUndo();
        int removed = 0;
        for (int e = first; e <= ExpertSlotCount && ExpertTable[e]; ++e) {
            FreeExpertSlot(ExpertTable[e]);  // their result sheets close on the notice
            ++removed;
        }
        DecisionMakerCount = std::max(0, DecisionMakerCount - removed);
        if (ExpertsSheetMode != ExpertsDataView) {
            ExpertsSheetMode = ExpertsDataView;
            ExpertsLayoutMode = NewLayout;
        }
    }
    ClearItemFilter();
    ClearItemSideTables();
}

// ---------------------------------------------------------------- shape

int ExpertsSheetCore::ExpertsNumRows() const {
    if (!InResultView()) return DataExpertsPresent();
    int filled = 0;
    for (int e = 1; e <= ExpertSlotCount; ++e)
        if (ExpertTable[e]) ++filled;
    return 1 + filled;
}

int ExpertsSheetCore::GridRows() const {
    if (!InResultView()) return std::max(1, ExpertsNumRows()) + 1;
    return std::max(3, ExpertsNumRows() + 1);
}

int ExpertsSheetCore::HeaderRows() const {
    return InResultView() ? 2 : 1;
}

int ExpertsSheetCore::ExpertsNumCols() const {
    switch (ExpertsSheetMode) {
    case ExpertsScoresView: return DiscrepancyOn ? 11 : 9;
    case ExpertsRobustnessView: return 7;
    default: return 4;
    }
}

int ExpertsSheetCore::ExpertsColWidth(int col) const {
    if (col == 0) return 4;
    if (col == 1) return 9;
    if (ExpertsSheetMode == ExpertsDataView) {
        if (col == 2) return WeightType == UserWeighting ? FieldWidth : 0;
        return 51;
    }
    if (ExpertsSheetMode == ExpertsScoresView && col == 5) return 4;
    return FieldWidth;
}

int ExpertsSheetCore::ExportWidth(int col) const {
    if (col == 0) return 0;
    if (col == 1) return 8;
    if (ExpertsSheetMode == ExpertsDataView && col == 3) return 50;
    if (ExpertsSheetMode == ExpertsScoresView && col == 5) return 4;
    return FieldWidth;
}

int ExpertsSheetCore::ColumnPixels(int col) const {
    int w = ExpertsColWidth(col);
    if (ExpertsSheetMode == ExpertsDataView && col == 2 && WeightType != UserWeighting) return 0;
    int a = -2;
    if (ExpertsSheetMode == ExpertsDataView && col == 3) a = 1;
    if (ExpertsSheetMode == ExpertsDataView && col == 2 && WeightType == UserWeighting) a = -1;
    return (GridFontSize + a) * (w + 1);
}

int ExpertsSheetCore::EntryOfRow(int row) const {
    int entry = InResultView() ? row - 1 : row;
    if (row < HeaderRows() || entry < 1 || entry > ExpertSlotCount) return 0;
    if (!InResultView() && entry > MaxExpertCount) return 0;
    return entry;
}

int ExpertsSheetCore::RowOfEntry(int entry) const {
    return InResultView() ? entry + 1 : entry;
}

TExpert* ExpertsSheetCore::ExpertOfRow(int row) const {
    int e = EntryOfRow(row);
    if (e == 0) return nullptr;
    TExpert* x = ExpertTable[e].get();
    // A decision maker is never shown in the data view.
    if (x && !InResultView() && x->IsDecisionMaker) return nullptr;
    return x;
}

int ExpertsSheetCore::FindExpRow() const {
    int last = GridRows() - 1;
    if (!ActiveExpert) return last;
    for (int row = HeaderRows(); row <= last; ++row)
        if (ExpertOfRow(row) == ActiveExpert) return row;
    return last;
}

std::string ExpertsSheetCore::ExpertsCellContents(int col, int row) const {
    std::string text;
    const bool header = row < HeaderRows();
    if (header) {
        static const char* const data[] = {"   Nr.", " Id", "User Weight", "  Full Name"};
        static const char* const scores0[] = {"   Nr.",          " Id",           "Calibr.",      "Mean relative",
                                              "Mean relative",   "Numb",          "UnNormalized", "Normaliz.weight",
                                              "Normaliz.weight", "Rel.Inf to DM", "Rel.Inf to DM"};
        static const char* const scores1[] = {"",        "",           "",        " total   ", " realization ", "real",
                                              "weight ", "without DM", "with DM", "total ",    "realiz."};
        static const char* const robust0[] = {
            "   Nr.", " Id", "Rel.info/bgr.", "Rel.info/bgr.", "Calibr.", "Rel.info/or.DM", "Rel.info/or.DM"};
        static const char* const robust1[] = {"", "excl.exp",  " total   ",    " realization ",
                                              "", " total   ", " realization "};
        if (col < 0 || col >= ExpertsNumCols()) return text;
        switch (ExpertsSheetMode) {
        case ExpertsScoresView: text = row == 0 ? scores0[col] : scores1[col]; break;
        case ExpertsRobustnessView: text = row == 0 ? robust0[col] : robust1[col]; break;
        default: text = data[col]; break;
        }
    } else {
        const int entry = EntryOfRow(row);
        const TExpert* x = ExpertOfRow(row);
        if (x) {
            const bool afterExperts = ExpertCount != 0 && entry > ExpertCount;
            if (col == 0) {
                text = StrInt(entry, 6);
            } else if (col == 1) {
                text = Trim(x->Id);
            } else if (ExpertsSheetMode == ExpertsDataView) {
                if (col == 2) text = WeightText(x->Weight);
                if (col == 3) text = Trim(x->Name);
            } else if (ExpertsSheetMode == ExpertsScoresView) {
                switch (col) {
                case 2: text = Number(x->Calibration); break;
                case 3: text = Number(x->MeanInformation); break;
                case 4: text = Number(x->MeanSeedInformation); break;
                case 5: text = StrInt(x->SeedCount, 4); break;
                case 6: text = WeightText(x->RawWeight); break;
                case 7: text = afterExperts ? std::string() : WeightText(x->Weight); break;
                case 8: text = Number(x->WeightWithDM); break;
                case 9: text = DiscrepancyText(x->MeanDiscrepancy); break;
                case 10: text = DiscrepancyText(x->MeanSeedDiscrepancy); break;
                }
            } else {
                const TRobustness& r = x->Robustness;
                const bool dm = afterExperts || x->IsDecisionMaker;
                switch (col) {
                case 2: text = Number(dm ? x->MeanInformation : r.DMInformation); break;
                case 3: text = Number(dm ? x->MeanSeedInformation : r.DMSeedInformation); break;
                case 4:
                    if (dm)
                        text = Number(x->Calibration);
                    else if (r.DMSeedInformation != 0)
                        text = Number(static_cast<float>(static_cast<long double>(r.DMScore) / r.DMSeedInformation));
                    break;
                case 5: text = Number(dm ? 0.0f : r.DMDiscrepancy); break;
                case 6: text = Number(dm ? 0.0f : r.DMSeedDiscrepancy); break;
                }
            }
        }
    }
    if (ExpertsTextOutput) {
        int w = ExportWidth(col);
        if (w > 0)
            FitToLetters(text, w);
        else if (text.empty())
            text = "      ";
    }
    return text;
}

std::string ExpertsSheetCore::Caption() const {
    switch (ExpertsSheetMode) {
    case ExpertsScoresView:
        return "Expert scores: " + CaseFile.CaseName + (DiscrepancyOn ? " and Relative Inforamtion to DM" : "");
    case ExpertsRobustnessView: return "Robustness for Experts: " + CaseFile.CaseName;
    default: return "Experts data: " + CaseFile.CaseName;
    }
}

std::vector<std::string> ExpertsSheetCore::HeaderInfo() const {
    if (!InResultView()) return {};
    std::string title = ExpertsSheetMode == ExpertsScoresView
                            ? std::string("Results of scoring experts") +
                                  (DiscrepancyOn ? " and Relative Information to the DM" : "")
                            : std::string("Robustness analysis on Experts");
    std::string line2 = std::string(" Bayesian Updates: ") + (BayesianUpdates ? "yes " : "no  ") +
                        "    Weights: " + WeightTypeText(WeightType) +
                        "    DM Optimisation: " + (OptimiseDM ? " yes " : " no  ");
    std::string line3 = " Significance Level: " + FormatNumber(SignificanceLevel) +
                        "    Calibration Power: " + FormatNumber(CalibrationPower);
    return {title, line2, line3};
}

CellStyle ExpertsSheetCore::CellStyleAt(int col, int row) const {
    CellStyle s;
    if (row < HeaderRows()) return s;
    const TExpert* x = ExpertOfRow(row);
    if (!x) return s;
    s.Bold = ExpertsSheetMode == ExpertsDataView && col > 0;
    s.Greyed = ExpertsFilterEnabled && x->FilterFlag;
    return s;
}

bool ExpertsSheetCore::CanSelect(int col, int row) const {
    if (col < 1 || col >= ExpertsNumCols() || row < HeaderRows() || row >= GridRows()) return false;
    switch (ExpertsSheetMode) {
    case ExpertsScoresView: return EntryOfRow(row) > ExpertCount && ExpertOfRow(row);
    case ExpertsRobustnessView: return false;
    default: return true;
    }
}

bool ExpertsSheetCore::CanEdit(int col, int row) const {
    if (ExpertsSheetMode != ExpertsDataView || !ExpertOfRow(row)) return false;
    if (col == 2) return WeightType == UserWeighting;
    return col == 1 || col == 3;
}

// ---------------------------------------------------------------- edits

void ExpertsSheetCore::SetEditText(int col, int row, const std::string& typed) {
    if (ExpertsSheetMode != ExpertsDataView) return;
    TExpert* x = ExpertOfRow(row);
    if (!x) return;
    const int entry = EntryOfRow(row);
    const std::string text = Trim(typed);
    switch (col) {
    case 1: {
        std::string id;
        if (MakeUniqueId(
                text, x->Id, 8, [entry](const std::string& t) { return IsDuplicateExpertId(t, entry); }, id)) {
            x->Id = id;
            MarkExpertsModified();
        }
        break;
    }
    case 2: {
        float v = 0;
        switch (ParseNumberEdit(text, DecimalSeparator, v)) {
        case NumberEdit::Empty: x->Weight = MissingValue; break;
        case NumberEdit::Number: x->Weight = v; break;
        case NumberEdit::Invalid: break;
        }
        // User weights are not kept in the case files.
        break;
    }
    case 3:
        if (!SameTextOrBothEmpty(text, x->Name)) MarkExpertsModified();
        x->Name = text;
        break;
    default: return;
    }
    if (!x->Id.empty()) {
        TExpert* current = ExpertOfRow(Cursor.Row);
        if (current) ActiveExpert = current;
    }
}

// ---------------------------------------------------------------- keys

unsigned ExpertsSheetCore::KeyRelease(const SheetKey& key) {
    if (Cursor.Row < HeaderRows() || Cursor.Row >= GridRows() || Cursor.Col < 0 || Cursor.Col >= ExpertsNumCols())
        return EffectNone;
    const bool data = ExpertsSheetMode == ExpertsDataView;
    unsigned fx = EffectNone;
    switch (key.Code) {
    case vk::Delete: return DeleteExpertRows(key);
    case vk::X:
        if (key.Ctrl) return DeleteExpertRows(key);
        return EffectNone;
    case vk::Enter:
        if (!data) return EffectNone;
        if (Cursor.Row == GridRows() - 1) {
            fx = PasteExpertRows(key);
        } else {
            ++Cursor.Row;
            Cursor.Col = 1;
            fx = EffectCursor;
        }
        return fx | SetMyEditor(true);
    case vk::Insert:
        if (!data) return EffectNone;
        fx = PasteExpertRows(key);
        if (key.Shift && Cursor.EditorOpen) return fx;  // the editor's own paste
        return fx | SetMyEditor(true);
    case vk::V:
        if (!data || !(key.Ctrl || key.Alt)) return EffectNone;
        return PasteExpertRows(key);
    case vk::Z:
        if (key.Ctrl) return UndoExperts();
        return EffectNone;
    case vk::C:
        if (key.Ctrl) return EffectCopy;
        return EffectNone;
    case vk::F2:
        if (!data) return EffectNone;
        return SetMyEditor(true);
    case vk::F3:
        if (!data) return EffectNone;
        return ToggleExpertsEditorMode();
    case vk::F4:
        if (!data) return EffectNone;
        return ToggleExpertsFilter();
    case vk::F5: return EnableExpertsFiltering();
    case vk::Tab:
    case vk::Left:
    case vk::Right:
        if (data && WeightType != UserWeighting && Cursor.Col == 2) {
            bool back = key.Code == vk::Left || (key.Code == vk::Tab && key.Shift);
            Cursor.Col = back ? 1 : 3;
            return EffectCursor;
        }
        return EffectNone;
    case vk::Up:
    case vk::Down:
        if (TExpert* x = ExpertOfRow(Cursor.Row)) {
            ActiveExpert = x;
            return EffectActiveExpert;
        }
        return EffectNone;
    }
    return EffectNone;
}

unsigned ExpertsSheetCore::SetMyEditor(bool on) {
    Cursor.EditorOn = on;
    return EffectEditorMode | EffectEditMenu;
}

unsigned ExpertsSheetCore::ToggleExpertsEditorMode() {
    if (ExpertsSheetMode != ExpertsDataView) return EffectNone;
    return SetMyEditor(!Cursor.EditorOn);
}

// ---------------------------------------------------------------- row operations

int ExpertsSheetCore::RecordExpertsUndo(UndoKind kind, int position, int count) {
    // Emptying the record may clear the counters; an undo brings back those of before.
    const int expertCount = ExpertCount;
    const int decisionMakerCount = DecisionMakerCount;
    // The run dialog starts over while the counters still know the experts (emptying the
    // record forgets them when no decision maker follows).
    const bool changesExperts = kind == UndoKind::Create || ((kind == UndoKind::Del || kind == UndoKind::Cut) &&
                                                             ExpertsSheetMode != ExpertsScoresView);
    if (host_ && changesExperts) host_->ResetRunDialogIfOpen();
    if (kind != UndoKind::Paste) FreeExpertsUndo();
    switch (kind) {
    case UndoKind::Create: {
        ExpertCount = 0;
        int pos = InsertExpert("", "", position);
        if (pos == 0) return 0;
        ExpertsUndo.Record = UndoRecord{UndoKind::Create, pos, 1};
        return 1;
    }
    case UndoKind::Del:
    case UndoKind::Cut: {
        ExpertsUndo.SavedExpertCount = expertCount;
        ExpertsUndo.SavedDecisionMakerCount = decisionMakerCount;
        ExpertsUndo.HoldsDecisionMakers = false;
        for (int e = position; e < position + count && e <= ExpertSlotCount; ++e)
            if (ExpertTable[e] && ExpertTable[e]->IsDecisionMaker) ExpertsUndo.HoldsDecisionMakers = true;
        DeleteExperts(position, position + count - 1, ExpertTable, &ExpertsUndo.Buffer);
        ExpertsUndo.Record = UndoRecord{kind, position, count};
        if (ExpertCount + 1 <= ExpertSlotCount && !ExpertTable[ExpertCount + 1]) {
            ExpertCount = 0;
            DecisionMakerCount = 0;
        }
        return 0;
    }
    case UndoKind::Paste: {
        if (ExpertsUndo.Record.Kind != UndoKind::Cut) return 0;
        const UndoRecord cut = ExpertsUndo.Record;
        ExpertsUndo.CutPosition = cut.Position;
        int moved = MoveExperts(position, cut.Position, cut.Position + cut.Count - 1, ExpertsUndo.Buffer);
        // Whatever found no room is not kept for a later paste.
        for (auto& e : ExpertsUndo.Buffer) FreeExpertSlot(e);
        ExpertsUndo.HoldsDecisionMakers = false;
        ExpertsUndo.Record = moved > 0 ? UndoRecord{UndoKind::Paste, position, moved} : UndoRecord{};
        return moved;
    }
    case UndoKind::None: break;
    }
    return 0;
}

unsigned ExpertsSheetCore::PasteExpertRows(const SheetKey& key) {
    if (ExpertsSheetMode != ExpertsDataView) return EffectNone;
    if (key.Code == vk::Insert && key.Shift && Cursor.EditorOpen) return EffectNone;
    if (key.Code == vk::V && !key.Ctrl && !key.Alt) return EffectNone;
    const int lastRow = GridRows() - 1;
    if (key.Code == vk::Enter && Cursor.Row != lastRow) return EffectNone;

    const int present = DataExpertsPresent();
    int pos = Cursor.Row + 1;
    if (key.Alt && Cursor.Row > 0) pos = Cursor.Row;
    // No gap before the new rows (the one blank row of an empty sheet has no record).
    pos = std::clamp(pos, 1, present + 1);

    const bool paste = key.Code == vk::V || (key.Code == vk::Insert && Cursor.EditorOpen);
    int inserted = 0;
    if (paste) {
        if (ExpertsUndo.Record.Kind != UndoKind::Cut) return EffectNone;
        // Data experts live in slots 1..1000 only.
        if (present + ExpertsUndo.Record.Count > MaxExpertCount) return EffectNone;
        ClearResultExperts(host_);
        inserted = RecordExpertsUndo(UndoKind::Paste, pos, 0);
    } else {
        if (present >= MaxExpertCount || pos > MaxExpertCount) return EffectNone;
        ClearResultExperts(host_);
        inserted = RecordExpertsUndo(UndoKind::Create, pos, 1);
    }
    if (inserted == 0) return EffectEditMenu;
    MarkExpertsModified();
    Cursor.Row = pos;  // the new row: one down, or the current row with Alt
    Cursor.Col = 1;
    Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
    return AfterRowsChanged();
}

unsigned ExpertsSheetCore::AfterRowsChanged() {
    return EffectRelayout | EffectRepaint | EffectCursor | EffectEditMenu | EffectItemsSheets | EffectActiveExpert;
}

unsigned ExpertsSheetCore::DeleteExpertRows(const SheetKey& key) {
    if (Cursor.EditorOpen) return EffectNone;
    if (key.Code == vk::X && !key.Ctrl) return EffectNone;
    if (ExpertsSheetMode == ExpertsRobustnessView) return EffectNone;
    const bool cut = key.Code == vk::X;
    int firstRow = std::min(Cursor.SelFirst, Cursor.SelLast);
    int lastRow = std::max(Cursor.SelFirst, Cursor.SelLast);
    if (firstRow < HeaderRows()) return EffectNone;
    lastRow = std::min(lastRow, GridRows() - 1);
    int first = EntryOfRow(firstRow);
    int last = EntryOfRow(lastRow);
    if (first == 0 || last < first) return EffectNone;
    if (ExpertsSheetMode == ExpertsScoresView) {
        // Only decision makers can go in the scores view.
        if (first <= ExpertCount || ExpertCount == 0) return EffectNone;
        while (last >= first && !ExpertTable[last]) --last;
    } else {
        while (last >= first && !ExpertOfRow(RowOfEntry(last))) --last;
    }
    if (last < first || !ExpertTable[first]) return EffectNone;

    if (Platform) {
        auto answer = Platform->Message(platform::MessageKind::Confirmation,
                                        RowOperationQuestion(cut, "expert", lastRow > firstRow),
                                        platform::Buttons::YesNo);
        if (answer != platform::Answer::Yes) return EffectNone;
    }
    if (ExpertsSheetMode == ExpertsDataView) ClearResultExperts(host_);
    if (host_) host_->CloseSheetsOfEntries(first, last);
    RecordExpertsUndo(cut ? UndoKind::Cut : UndoKind::Del, first, last - first + 1);

    if (ExpertsSheetMode == ExpertsDataView && DataExpertsPresent() == 0) {
        InsertExpert("", "", 1);
        Cursor.Row = 1;
    } else {
        Cursor.Row = std::min(RowOfEntry(first), GridRows() - 1);
    }
    Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
    MarkExpertsModified();
    if (TExpert* x = ExpertOfRow(Cursor.Row)) ActiveExpert = x;
    return AfterRowsChanged();
}

unsigned ExpertsSheetCore::UndoExperts() {
    if (ExpertsSheetMode == ExpertsRobustnessView) return EffectNone;
    const UndoRecord r = ExpertsUndo.Record;
    if (ExpertsSheetMode == ExpertsScoresView &&
        !((r.Kind == UndoKind::Del || r.Kind == UndoKind::Cut) && ExpertsUndo.HoldsDecisionMakers))
        return EffectNone;
    if (r.Kind == UndoKind::None) return EffectNone;
    if (r.Kind == UndoKind::Paste) {
        // The pasted rows go back to the cut buffer, where they were before the paste: Paste
        // takes them again, and Undo Cut puts them back where they were cut from.
        // The counters of before the cut stay with the record for its undo.
        const int present = DataExpertsPresent();
        if (host_) host_->CloseSheetsOfEntries(r.Position, r.Position + r.Count - 1);
        DeleteExperts(r.Position, r.Position + r.Count - 1, ExpertTable, &ExpertsUndo.Buffer);
        ShiftSlots(ExpertsUndo.Buffer, r.Position, ExpertsUndo.CutPosition, r.Count);
        ExpertsUndo.Record = UndoRecord{UndoKind::Cut, ExpertsUndo.CutPosition, r.Count};
        if (present <= r.Count) {
            InsertExpert("", "", 1);
            Cursor.Row = 1;
        } else {
            Cursor.Row = std::min(RowOfEntry(r.Position), GridRows() - 1);
        }
        Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
        if (TExpert* x = ExpertOfRow(Cursor.Row)) ActiveExpert = x;
        return AfterRowsChanged();
    }
    if (r.Kind == UndoKind::Create) {
        for (int e = r.Position; e < r.Position + r.Count && e <= ExpertSlotCount; ++e)
            if (ExpertTable[e]) ExpertFreeing(ExpertTable[e].get());
        DeleteExperts(r.Position, r.Position + r.Count - 1, ExpertTable, nullptr);
        if (DataExpertsPresent() == 0) {
            InsertExpert("", "", 1);
            Cursor.Row = 1;
        } else {
            Cursor.Row = std::min(RowOfEntry(r.Position), GridRows() - 1);
        }
    } else {
        MoveExperts(r.Position, r.Position, r.Position + r.Count - 1, ExpertsUndo.Buffer);
        ExpertCount = ExpertsUndo.SavedExpertCount;
        DecisionMakerCount = ExpertsUndo.SavedDecisionMakerCount;
        Cursor.Row = std::min(RowOfEntry(r.Position), GridRows() - 1);
    }
    for (auto& e : ExpertsUndo.Buffer) FreeExpertSlot(e);
    ExpertsUndo.Record = UndoRecord{};
    ExpertsUndo.HoldsDecisionMakers = false;
    Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
    if (TExpert* x = ExpertOfRow(Cursor.Row)) ActiveExpert = x;
    return AfterRowsChanged();
}

// ---------------------------------------------------------------- filtering and menu

unsigned ExpertsSheetCore::ToggleExpertsFilter() {
    if (Cursor.EditorOpen) return EffectNone;
    int firstRow = std::min(Cursor.SelFirst, Cursor.SelLast);
    int lastRow = std::max(Cursor.SelFirst, Cursor.SelLast);
    if (firstRow < HeaderRows()) return EffectNone;
    for (int row = firstRow; row <= lastRow; ++row)
        if (TExpert* x = ExpertOfRow(row)) {
            x->FilterFlag = !x->FilterFlag;
            // The flag is written with the expert: a save must write it, and a close ask first.
            CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
        }
    return EffectRepaint | EffectItemsSheets;
}

unsigned ExpertsSheetCore::EnableExpertsFiltering() {
    ExpertsFilterEnabled = !ExpertsFilterEnabled;
    return EffectRepaint | EffectEditMenu;
}

EditMenuState ExpertsSheetCore::UpdateExpertsEditMenu() const {
    EditMenuInput in;
    const bool dmRow = ExpertsSheetMode == ExpertsScoresView && EntryOfRow(Cursor.Row) > ExpertCount && ExpertCount > 0;
    in.RowEditing = ExpertsSheetMode == ExpertsDataView || dmRow;
    in.RowMode = !Cursor.EditorOn;
    in.FilterEnabled = ExpertsFilterEnabled;
    in.DataView = ExpertsSheetMode == ExpertsDataView;
    in.CutAllowed = ExpertsSheetMode == ExpertsDataView;
    in.Undo = ExpertsUndo.Record;
    in.KindSuffix = " Experts (Ctrl-Z)";
    return MakeEditMenuState(in);
}

// ---------------------------------------------------------------- view changes

bool ExpertsSheetCore::FollowViewChange() {
    if (ExpertsLayoutMode == ExpertsSheetMode) return false;
    FreeExpertsUndo();
    if (InResultView()) {
        FilterExpertsOut(FilteredExperts);
        Cursor.EditorOn = ExpertsSheetMode == ExpertsRobustnessView;
    } else {
        RestoreFilteredExperts(FilteredExperts);
        Cursor.EditorOn = true;
    }
    return true;
}

bool ExpertsSheetCore::FixEmptyExperts() {
    bool removed = WithExpertsWatched([] { return DefaultExpertNames(); });
    // The positions in the undo record no longer name the rows it took.
    if (removed) FreeExpertsUndo();
    return removed;
}

void ExpertsSheetCore::EnsureOneRow() {
    if (ExpertsSheetMode == ExpertsDataView && DataExpertsPresent() == 0 && ItemTable[1]) InsertExpert("", "", 1);
}

}  // namespace halvorine
