#include "pairwise/model/tables.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/core/slot_table.h"
#include "common/core/text.h"

namespace trindel {

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// Every expert record of the case: the table and the filter's side table, so that an item
// operation keeps the rows of experts that are filtered out aligned as well.
template <typename F>
void ForEachExpertRecord(F f) {
    for (int e = 1; e <= ExpertSlotCount; ++e)
        if (ExpertTable[e]) f(ExpertTable[e].get());
    for (int e = 1; e <= ExpertSlotCount; ++e)
        if (FilteredExperts[e]) f(FilteredExperts[e].get());
}

// Removes the given positions (ascending, 1..1000) from the expert's rows and from the
// columns of every remaining row; what follows moves down, the freed tail is empty / blank.
void RemoveRowsAndColumns(TPairExpert* expert, const std::vector<int>& removed) {
    if (removed.empty()) return;
    auto& rows = expert->AnswerRows;
    for (auto& row : rows) {
        if (!row) continue;
        char* a = row->Answers.data();
        int write = removed.front();
        for (std::size_t k = 0; k < removed.size(); ++k) {
            const int from = removed[k] + 1;
            const int to = k + 1 < removed.size() ? removed[k + 1] - 1 : MaxItemCount;
            if (to >= from) {
                std::memmove(a + write, a + from, static_cast<std::size_t>(to - from + 1));
                write += to - from + 1;
            }
        }
        std::fill(a + write, a + MaxItemCount + 1, ' ');
    }
    int write = removed.front();
    std::size_t k = 0;
    for (int r = removed.front(); r <= MaxItemCount; ++r) {
        if (k < removed.size() && removed[k] == r) {
            rows[r].reset();
            ++k;
            continue;
        }
        if (write != r) rows[write] = std::move(rows[r]);
        ++write;
    }
    for (int r = write; r <= MaxItemCount; ++r) rows[r].reset();
}

// Removes the expert's row of `item` and its column, if the expert has one.
void DeleteRowsOfItems(TPairExpert* expert, const std::vector<const TPairItem*>& items) {
    std::vector<int> removed;
    int start = 1;
    for (const TPairItem* item : items) {
        if (!item) continue;
        // One pass over the slots, starting where the previous item was found.
        for (int n = 0; n < MaxItemCount; ++n) {
            const int s = (start - 1 + n) % MaxItemCount + 1;
            const auto& row = expert->AnswerRows[s];
            if (row && row->Item == item) {
                removed.push_back(s);
                start = s;
                break;
            }
        }
    }
    std::sort(removed.begin(), removed.end());
    RemoveRowsAndColumns(expert, removed);
}

void DeleteRowsOfItemFromExperts(const TPairItem* item) {
    if (!item) return;
    ForEachExpertRecord([&](TPairExpert* x) { DeleteRowsOfItems(x, {item}); });
}

bool RowHasAnswers(const TAnswerRow& row) {
    for (int k = 1; k <= MaxItemCount; ++k)
        if (row.Answers[k] != ' ') return true;
    return false;
}

bool ExpertHasAnswers(const TPairExpert* x) {
    for (const auto& row : x->AnswerRows)
        if (row && RowHasAnswers(*row)) return true;
    return false;
}

// Some expert answered a pair with the item at `position`, in its row or in its column.
bool ItemHasAnswers(int position) {
    bool found = false;
    ForEachExpertRecord([&](TPairExpert* x) {
        for (int r = 1; r <= MaxItemCount && !found; ++r) {
            const TAnswerRow* row = x->AnswerRows[r].get();
            if (!row) continue;
            if (row->Answers[position] != ' ' || (r == position && RowHasAnswers(*row))) found = true;
        }
    });
    return found;
}

}  // namespace

// ---------------------------------------------------------------- queries

std::string WrittenScale(const std::string& scale) {
    return scale.empty() ? std::string(ScaleNames[DefaultScale]) : scale;
}

bool IsReferenceItem(const TPairItem* item) {
    return item && item->HasRealisation && item->Realisation > MissingValue;
}

// ---------------------------------------------------------------- creation

TPairItem* NewItem(const std::string& id, const std::string& name, int index) {
    TPairItem* item = NewNamedRecord(ItemTable, index, MaxItemCount, id, name);
    if (!item) return nullptr;
    item->Scale = ScaleNames[DefaultScale];
    item->Realisation = NoValue;
    return item;
}

TPairExpert* NewExpert(const std::string& id, const std::string& name, int index) {
    return NewNamedRecord(ExpertTable, index, ExpertSlotCount, id, name);
}

TAnswerRow* NewAnswerRow(TPairExpert* expert, int slot) {
    if (!expert || slot < 0 || slot > MaxItemCount) return nullptr;
    auto row = MakeRecord<TAnswerRow>();
    if (!row) return nullptr;
    expert->AnswerRows[slot] = std::move(row);
    return expert->AnswerRows[slot].get();
}

void InsertAnswerColumn(TPairExpert* expert, int pos, int itemIndex, bool create) {
    if (!expert || pos < 1 || pos > MaxItemCount) return;
    auto& rows = expert->AnswerRows;
    const int empty = OpenSlot(rows, pos, MaxItemCount);
    if (empty == 0) return;
    if (create) {
        TAnswerRow* row = NewAnswerRow(expert, pos);
        if (row && itemIndex >= 1 && itemIndex <= MaxItemCount) row->Item = ItemTable[itemIndex].get();
    }
    // The columns move over every used item position, whatever number of rows this expert
    // has, so that no answer of a later item is overwritten.
    const int top = std::min(MaxItemCount, std::max(empty, LastItemPosition()));
    for (int r = 1; r <= MaxItemCount; ++r) {
        if (r == pos || !rows[r]) continue;
        char* a = rows[r]->Answers.data();
        if (top > pos) std::memmove(a + pos + 1, a + pos, static_cast<std::size_t>(top - pos));
        a[pos] = ' ';
    }
}

int InsertItem(const std::string& id, const std::string& name, int pos) {
    pos = InsertCreated(ItemTable, pos, MaxItemCount, [&](int k) { return NewItem(id, name, k); });
    if (pos == 0) return 0;
    ForEachExpertRecord([&](TPairExpert* x) { InsertAnswerColumn(x, pos, pos, true); });
    return pos;
}

int InsertExpert(const std::string& id, const std::string& name, int pos) {
    if (pos < 1) pos = 1;
    // Experts live in slots 1..1000 only: a full table refuses the expert rather than pushing
    // one into a slot no loop over the experts visits.
    TPairExpert* x = InsertNamedRecord(ExpertTable, pos, MaxExpertCount, id, name);
    if (!x) return 0;
    if (!ItemTable[1]) return InsertItem("", "", 1) == 0 ? 0 : pos;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i]) InsertAnswerColumn(x, i, i, true);
    return pos;
}

// ---------------------------------------------------------------- counting

int CountItems() {
    int n = 0;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i]) ++n;
    return n;
}

int CountExperts() {
    int n = 0;
    for (int e = 1; e <= MaxExpertCount; ++e)
        if (ExpertTable[e]) ++n;
    return n;
}

int LastItemPosition() {
    for (int i = MaxItemCount; i >= 1; --i)
        if (ItemTable[i]) return i;
    return 0;
}

// ---------------------------------------------------------------- deletion and compaction

void CompactItems(int from) {
    CompactSlots(ItemTable, from, MaxItemCount);
}

void CompactExperts(int from) {
    CompactSlots(ExpertTable, from, ExpertSlotCount);
}

void CompactAnswerRows(TPairExpert* expert, int from) {
    if (!expert) return;
    from = std::max(from, 1);
    int last = 0;
    for (int r = MaxItemCount; r >= from && last == 0; --r)
        if (expert->AnswerRows[r]) last = r;
    // Every gap among the rows takes its column with it, however many gaps there are.
    std::vector<int> gaps;
    for (int r = from; r < last; ++r)
        if (!expert->AnswerRows[r]) gaps.push_back(r);
    RemoveRowsAndColumns(expert, gaps);
}

void DeleteAnswerRows(TPairExpert* expert, int first, int last) {
    if (!expert) return;
    first = std::max(first, 1);
    last = std::min(last, MaxItemCount);
    std::vector<const TPairItem*> items;
    for (int k = first; k <= last; ++k)
        if (ItemTable[k]) items.push_back(ItemTable[k].get());
    DeleteRowsOfItems(expert, items);
}

void DeleteItemFromExperts(int index) {
    if (index < 1 || index > MaxItemCount) return;
    DeleteRowsOfItemFromExperts(ItemTable[index].get());
}

void DeleteItems(bool keepRows, int first, int last, ItemTableType* side, ItemTableType& table) {
    const int removed = TakeOut(table, first, last, side, [&](int j) {
        // The rows of this very record, wherever the table it is freed from.
        if (!side && !keepRows) DeleteRowsOfItemFromExperts(table[j].get());
    });
    if (removed > 0) CompactItems(first);
}

void DeleteExperts(int first, int last, ExpertTableType& table, ExpertTableType* side) {
    first = std::max(first, 1);
    last = std::min(last, ExpertSlotCount);
    // A freed expert frees its rows with it.
    TakeOut(table, first, last, side, [&](int j) {
        if (!side && ActiveExpert == table[j].get()) ActiveExpert = nullptr;
    });
    if (&table == &ExpertTable && !(first == 1 && last == MaxExpertCount)) CompactExperts(first);
}

int MoveItems(int dest, int first, int last, ItemTableType& side) {
    return MoveFromSide(ItemTable, MaxItemCount, dest, first, last, side).Reach;
}

int MoveExperts(int dest, int first, int last, ExpertTableType& side) {
    return MoveFromSide(ExpertTable, MaxExpertCount, dest, first, last, side).Reach;
}

// ---------------------------------------------------------------- filtering

void FilterItemsOut(ItemTableType& side) {
    if (ItemsFilterEnabled) FilterFlaggedOut(ItemTable, side, MaxItemCount, MaxItemCount);
}

int RestoreFilteredItems(ItemTableType& side) {
    // An item that finds no room stays in the side table rather than being lost.
    return RestoreFromSide(ItemTable, MaxItemCount, side, MaxItemCount);
}

void FilterExpertsOut(ExpertTableType& side) {
    if (ExpertsFilterEnabled) FilterFlaggedOut(ExpertTable, side, MaxExpertCount, ExpertSlotCount);
}

void RestoreFilteredExperts(ExpertTableType& side) {
    RestoreFromSide(ExpertTable, MaxExpertCount, side, MaxExpertCount);
}

// ---------------------------------------------------------------- identifiers

bool DefaultItemNames() {
    bool result = false;
    for (;;) {
        int deleteAt = 0;
        for (int i = 1; i <= MaxItemCount && deleteAt == 0; ++i) {
            TPairItem* item = ItemTable[i].get();
            if (!item) continue;
            if (StartsWith(item->Id, "_item")) {
                item->Id = DefaultItemId(i);
                continue;
            }
            if (!item->Id.empty()) continue;
            result = true;
            if (!Trim(item->Name).empty() || item->HasRealisation) {
                item->Id = DefaultItemId(i);
            } else if (i > 1) {
                // Only a truly empty row goes: an item with answers keeps them under a default id.
                if (ItemHasAnswers(i))
                    item->Id = DefaultItemId(i);
                else
                    deleteAt = i;
            }
        }
        if (deleteAt == 0) break;
        DeleteRowsOfItemFromExperts(ItemTable[deleteAt].get());
        DeleteItems(true, deleteAt, deleteAt, nullptr, ItemTable);
    }
    return result;
}

bool DefaultExpertNames() {
    bool result = false;
    for (;;) {
        bool restarted = false;
        bool seenOwnId = false;
        for (int e = MaxExpertCount; e >= 1 && !restarted; --e) {
            TPairExpert* x = ExpertTable[e].get();
            if (!x) continue;
            const std::string id = x->Id;
            if (IsDefaultExpertId(id)) {
                x->Id = DefaultExpertId(e);
            } else if (id.empty()) {
                result = true;
                // An expert with answers keeps them under a default id.
                if (Trim(x->Name).empty() && !seenOwnId && !ExpertHasAnswers(x)) {
                    DeleteExperts(e, e, ExpertTable, nullptr);
                    restarted = true;
                } else {
                    x->Id = DefaultExpertId(e);
                }
            } else {
                seenOwnId = true;
            }
        }
        if (!restarted) break;
    }
    return result;
}

namespace {

// Gives every record an id of its own: automatic ids renumbered to their positions, then
// empty ids and repeats of an earlier id replaced by the automatic id of the position.
template <typename Table>
bool MakeIdsUnique(Table& table, int last, bool (*isAutomatic)(const std::string&), std::string (*defaultId)(int)) {
    bool changed = false;
    auto assign = [&](auto* record, const std::string& id) {
        if (record->Id.str() == id) return;
        record->Id = id;
        changed = true;
    };
    for (int k = 1; k <= last; ++k)
        if (table[k] && isAutomatic(table[k]->Id)) assign(table[k].get(), defaultId(k));
    auto takenByAnother = [&](int k, const std::string& id) {
        for (int j = 1; j <= last; ++j)
            if (j != k && table[j] && SameTextNoCase(table[j]->Id, id)) return true;
        return false;
    };
    for (int k = 1; k <= last; ++k) {
        if (!table[k]) continue;
        bool repeat = table[k]->Id.empty();
        for (int j = 1; j < k && !repeat; ++j)
            if (table[j] && SameTextNoCase(table[j]->Id, table[k]->Id)) repeat = true;
        if (!repeat) continue;
        // The position's automatic id may be a user's id in other letters ("_ITEM  3"): the next
        // free number then.
        std::string id = defaultId(k);
        for (int n = k + 1; takenByAnother(k, id) && n <= 2 * last + 1; ++n) id = defaultId(n);
        assign(table[k].get(), id);
    }
    return changed;
}

// Only ids beginning "_item" exactly are the program's own: "_Item A" is the user's.
bool IsAutomaticItemId(const std::string& id) {
    return StartsWith(id, "_item");
}

bool IsAutomaticExpertId(const std::string& id) {
    std::string lower = id;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return IsDefaultExpertId(lower);
}

}  // namespace

bool PrepareCaseForSaving() {
    RestoreFilteredItems(FilteredItems);
    RestoreFilteredExperts(FilteredExperts);
    bool changed = MakeIdsUnique(ItemTable, MaxItemCount, IsAutomaticItemId, DefaultItemId);
    changed = MakeIdsUnique(ExpertTable, MaxExpertCount, IsAutomaticExpertId, DefaultExpertId) || changed;
    if (changed) {
        CaseFile.FileKinds[ExpertsFileKind].Modified = true;
        CaseFile.FileKinds[ItemsFileKind].Modified = true;
    }
    return changed;
}

}  // namespace trindel
