#include "pairwise/ui/window_state.h"

#include "pairwise/model/tables.h"
#include "pairwise/ui/run_dialog.h"

std::array<bool, 6> WindowFlags{};
TMainForm* MainForm = nullptr;
TExpertsSheet* ExpertsSheet = nullptr;
TItemsSheet* ItemsSheet = nullptr;
std::array<TItemsSheet*, ChildSheetSlots + 1> ChildSheets{};

int ExpertsSheetMode = 0;
int ItemsSheetMode = 0;
int ExpertsLayoutMode = -1;
int ItemsLayoutMode = -1;
int ExpertsTextOutput = 0;
int ItemsTextOutput = 0;

QPointer<TRunDlgFrm> RunDialog;
bool ResultsFresh = false;
int RangeGraphKind = 0;
QPointer<TRangeGraphWindow> ItemsRangeGraph;
QPointer<TRangeGraphWindow> ExpertsRangeGraph;
QPointer<TRangeGraphWindow> ReportWindow;

ExpertsUndoRecord ExpertsUndo;
ItemsUndoRecord ItemsUndo;

void SetDefaultRunOptions() {
    SavedFilterFlag = true;
    ItemsFilterEnabled = true;
    ExpertsFilterEnabled = true;
    ExpertsSheetMode = 0;
    ExpertsTextOutput = 0;
    ItemsSheetMode = 0;
    ItemsTextOutput = 0;
    RangeGraphKind = 0;
}

void ResetCaseState() {
    SetDefaultRunOptions();
    ExpertsSheet = nullptr;
    ItemsSheet = nullptr;
    ItemsRangeGraph = nullptr;
    ExpertsRangeGraph = nullptr;
    // Flagged records still aside go back first: clearing the side tables must not lose them.
    RestoreFilteredItems(FilteredItems);
    RestoreFilteredExperts(FilteredExperts);
    for (auto& i : FilteredItems) i.reset();
    RobustnessFlaggedItems.fill(nullptr);
    OutputLineBreak = true;
}

bool CutHeld(const UndoRecord& r) {
    return r.Kind == UndoKind::Cut;
}

bool TrulyFiltered(int index) {
    return index >= 1 && index <= MaxItemCount && ItemTable[index] && ItemsFilterEnabled && ItemTable[index]->FilterFlag;
}

namespace {

// Items moved back into the table get a blank row and column in every expert at their
// positions, so that row l and column l keep standing for the item at position l.
void OpenAnswerColumns(int first, int count) {
    for (int k = first; k < first + count; ++k)
        ForEachExpertRecord([&](TPairExpert* x) { InsertAnswerColumn(x, k, k, true); });
}

}  // namespace

// ---------------------------------------------------------------- experts

void FreeExpertsUndo() {
    for (auto& x : ExpertsUndo.Held) {
        if (x && ActiveExpert == x.get()) ActiveExpert = nullptr;
        x.reset();
    }
    ExpertsUndo.Record = UndoRecord{};
}

int RecordExpertsUndo(UndoKind kind, int position, int count) {
    if (kind != UndoKind::Paste) FreeExpertsUndo();
    int result = 0;
    switch (kind) {
    case UndoKind::Create: result = InsertExpert("", "", position); count = result ? 1 : 0; break;
    case UndoKind::Paste: {
        if (!CutHeld(ExpertsUndo.Record)) return 0;
        const UndoRecord held = ExpertsUndo.Record;
        result = MoveExperts(position, held.Position, held.Position + held.Count - 1, ExpertsUndo.Held);
        for (auto& x : ExpertsUndo.Held) x.reset();  // what found no room
        count = result;
        break;
    }
    case UndoKind::Del:
    case UndoKind::Cut:
        DeleteExperts(position, position + count - 1, ExpertTable, &ExpertsUndo.Held);
        result = count;
        break;
    case UndoKind::None: return 0;
    }
    ExpertsUndo.Record = UndoRecord{kind, position, count};
    if (result == 0) ExpertsUndo.Record = UndoRecord{};
    return result;
}

bool UndoExpertsRecord() {
    const UndoRecord r = ExpertsUndo.Record;
    switch (r.Kind) {
    case UndoKind::Create:
    case UndoKind::Paste: DeleteExperts(r.Position, r.Position + r.Count - 1, ExpertTable, nullptr); break;
    case UndoKind::Del:
    case UndoKind::Cut: MoveExperts(r.Position, r.Position, r.Position + r.Count - 1, ExpertsUndo.Held); break;
    case UndoKind::None: return false;
    }
    for (auto& x : ExpertsUndo.Held) x.reset();
    ExpertsUndo.Record = UndoRecord{};
    return true;
}

// ---------------------------------------------------------------- items

void FreeItemsUndo() {
    for (auto& i : ItemsUndo.Held) i.reset();
    ItemsUndo.Record = UndoRecord{};
}

int RecordItemsUndo(UndoKind kind, int position, int count) {
    if (kind != UndoKind::Paste) FreeItemsUndo();
    int result = 0;
    switch (kind) {
    case UndoKind::Create: result = InsertItem("", "", position); count = result ? 1 : 0; break;
    case UndoKind::Paste: {
        if (!CutHeld(ItemsUndo.Record)) return 0;
        const UndoRecord held = ItemsUndo.Record;
        result = MoveItems(position, held.Position, held.Position + held.Count - 1, ItemsUndo.Held);
        OpenAnswerColumns(position, result);
        for (auto& i : ItemsUndo.Held) i.reset();
        count = result;
        break;
    }
    case UndoKind::Del:
    case UndoKind::Cut:
        // The answers go with the item: the experts' matrices must not keep a row and a
        // column for an item that is no longer in the table.
        for (int k = position; k < position + count; ++k) DeleteItemFromExperts(k);
        DeleteItems(true, position, position + count - 1, &ItemsUndo.Held, ItemTable);
        result = count;
        break;
    case UndoKind::None: return 0;
    }
    ItemsUndo.Record = UndoRecord{kind, position, count};
    if (result == 0) ItemsUndo.Record = UndoRecord{};
    AnswerColumnCount = CountItems();
    return result;
}

bool UndoItemsRecord() {
    const UndoRecord r = ItemsUndo.Record;
    switch (r.Kind) {
    case UndoKind::Create:
    case UndoKind::Paste: DeleteItems(false, r.Position, r.Position + r.Count - 1, nullptr, ItemTable); break;
    case UndoKind::Del:
    case UndoKind::Cut: {
        const int n = MoveItems(r.Position, r.Position, r.Position + r.Count - 1, ItemsUndo.Held);
        OpenAnswerColumns(r.Position, n);
        break;
    }
    case UndoKind::None: return false;
    }
    for (auto& i : ItemsUndo.Held) i.reset();
    ItemsUndo.Record = UndoRecord{};
    AnswerColumnCount = CountItems();
    return true;
}
