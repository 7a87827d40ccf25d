#include "pairwise/ui/sheet_state.h"

#include <algorithm>

#include "pairwise/model/tables.h"

namespace trindel {

int ExpertsSheetMode = ExpertsDataView;
int ItemsSheetMode = ItemsDataView;
int ExpertsLayoutMode = NewLayout;
int ItemsLayoutMode = NewLayout;
int ExpertsTextOutput = 0;
int ItemsTextOutput = 0;

ExpertsUndoRecord ExpertsUndo;
ItemsUndoRecord ItemsUndo;

bool CutHeld(const UndoRecord& r) {
    return r.Kind == UndoKind::Cut;
}

bool TrulyFiltered(int index) {
    return index >= 1 && index <= MaxItemCount && ItemTable[index] && ItemsFilterEnabled &&
           ItemTable[index]->FilterFlag;
}

bool AnyExpertRecord() {
    bool any = false;
    ForEachExpertRecord([&](TPairExpert*) { any = true; });
    return any;
}

void ForgetAnswersOfGoneExperts() {
    auto& answers = ItemsUndo.Answers;
    if (answers.empty()) return;
    std::vector<const TPairExpert*> live;
    ForEachExpertRecord([&](TPairExpert* x) { live.push_back(x); });
    answers.erase(std::remove_if(
                      answers.begin(), answers.end(),
                      [&](const HeldAnswer& a) { return std::find(live.begin(), live.end(), a.Expert) == live.end(); }),
                  answers.end());
}

namespace {

int PositionOfItem(const TPairItem* item) {
    for (int k = 1; k <= MaxItemCount; ++k)
        if (ItemTable[k].get() == item) return k;
    return 0;
}

// Items moved back into the table get a row and column in every expert at their
// positions, so that row l and column l keep standing for the item at position l.
void OpenAnswerColumns(int first, int count) {
    for (int k = first; k < first + count; ++k)
        ForEachExpertRecord([&](TPairExpert* x) { InsertAnswerColumn(x, k, k, true); });
}

// The comparisons of items first..first+count-1 in every expert, before they leave.
void HoldAnswers(int first, int count) {
    ItemsUndo.Answers.clear();
    ForEachExpertRecord([&](TPairExpert* x) {
        for (int p = first; p < first + count && p <= MaxItemCount; ++p) {
            const TPairItem* item = ItemTable[p].get();
            if (!item) continue;
            for (int q = 1; q <= MaxItemCount; ++q) {
                const TPairItem* other = ItemTable[q].get();
                if (!other || q == p) continue;
                // Pairs of two held items are seen from both sides; one side is enough.
                if (q >= first && q < first + count && q < p) continue;
                const TAnswerRow* pr = x->AnswerRows[p].get();
                const TAnswerRow* qr = x->AnswerRows[q].get();
                if (pr && pr->Answers[q] != ' ') ItemsUndo.Answers.push_back({x, item, other, pr->Answers[q]});
                if (qr && qr->Answers[p] != ' ') ItemsUndo.Answers.push_back({x, other, item, qr->Answers[p]});
            }
        }
    });
}

// The held comparisons back into the matrices, wherever their items now stand.
void RestoreAnswers() {
    ForEachExpertRecord([&](TPairExpert* x) {
        for (const HeldAnswer& a : ItemsUndo.Answers) {
            if (a.Expert != x) continue;
            const int l = PositionOfItem(a.Left), t = PositionOfItem(a.Top);
            if (l == 0 || t == 0) continue;
            if (TAnswerRow* row = x->AnswerRows[l].get()) row->Answers[t] = a.Answer;
        }
    });
    ItemsUndo.Answers.clear();
}

}  // namespace

// ---------------------------------------------------------------- experts

void FreeExpertsUndo() {
    for (auto& x : ExpertsUndo.Held) {
        if (x && ActiveExpert == x.get()) ActiveExpert = nullptr;
        x.reset();
    }
    ExpertsUndo.Record = UndoRecord{};
    ForgetAnswersOfGoneExperts();
}

int RecordExpertsUndo(UndoKind kind, int position, int count) {
    if (kind != UndoKind::Paste) FreeExpertsUndo();
    int result = 0;
    switch (kind) {
    case UndoKind::Create:
        result = InsertExpert("", "", position);
        count = result ? 1 : 0;
        break;
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
    ForgetAnswersOfGoneExperts();
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
    ForgetAnswersOfGoneExperts();
    return true;
}

// ---------------------------------------------------------------- items

void FreeItemsUndo() {
    for (auto& i : ItemsUndo.Held) i.reset();
    ItemsUndo.Record = UndoRecord{};
    ItemsUndo.Answers.clear();
}

int RecordItemsUndo(UndoKind kind, int position, int count) {
    if (kind != UndoKind::Paste) FreeItemsUndo();
    int result = 0;
    switch (kind) {
    case UndoKind::Create:
        result = InsertItem("", "", position);
        if (result) ForEachHeldExpert([&](TPairExpert* x) { InsertAnswerColumn(x, result, result, true); });
        count = result ? 1 : 0;
        break;
    case UndoKind::Paste: {
        if (!CutHeld(ItemsUndo.Record)) return 0;
        const UndoRecord held = ItemsUndo.Record;
        result = MoveItems(position, held.Position, held.Position + held.Count - 1, ItemsUndo.Held);
        OpenAnswerColumns(position, result);
        RestoreAnswers();
        for (auto& i : ItemsUndo.Held) i.reset();
        count = result;
        break;
    }
    case UndoKind::Del:
    case UndoKind::Cut:
        HoldAnswers(position, count);
        // The answers go with the item: no expert's matrix may keep a row and a column for
        // an item that is no longer in the table.
        for (int k = position; k < position + count; ++k) {
            DeleteItemFromExperts(k);
            ForEachHeldExpert([&](TPairExpert* x) { DeleteAnswerRows(x, k, k); });
        }
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
    case UndoKind::Paste:
        for (int k = r.Position; k < r.Position + r.Count; ++k)
            ForEachHeldExpert([&](TPairExpert* x) { DeleteAnswerRows(x, k, k); });
        DeleteItems(false, r.Position, r.Position + r.Count - 1, nullptr, ItemTable);
        break;
    case UndoKind::Del:
    case UndoKind::Cut: {
        const int n = MoveItems(r.Position, r.Position, r.Position + r.Count - 1, ItemsUndo.Held);
        OpenAnswerColumns(r.Position, n);
        RestoreAnswers();
        break;
    }
    case UndoKind::None: return false;
    }
    for (auto& i : ItemsUndo.Held) i.reset();
    ItemsUndo.Answers.clear();
    ItemsUndo.Record = UndoRecord{};
    AnswerColumnCount = CountItems();
    return true;
}

}  // namespace trindel
