#include "engine/tables.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "common/core/pascal_str.h"
#include "common/core/slot_table.h"
#include "common/core/text.h"
#include "engine/nudge.h"
#include "engine/worker_pool.h"

namespace halvorine {

namespace {

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

bool ValuesAllMissing(const TAssessment* a) {
    if (!a) return true;
    for (int k = 1; k <= QuantileCount; ++k)
        if (!IsMissing(a->Values[k])) return false;
    return true;
}

bool ItemHasValues(const TItem* item) {
    for (int e = 1; e <= ExpertSlotCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x || x->IsDecisionMaker) continue;
        if (!ValuesAllMissing(FindAssessment(x, item))) return true;
    }
    return false;
}

bool ExpertHasValues(const TExpert* x) {
    for (int s = 1; s <= MaxItemCount; ++s)
        if (x->Assessments[s] && !ValuesAllMissing(x->Assessments[s].get())) return true;
    return false;
}

}  // namespace

// ---------------------------------------------------------------- small queries

bool IsSeedItem(const TItem* item) {
    return item && item->HasRealisation && item->Realisation > MissingValue;
}

bool IsLogItem(const TItem* item) {
    return item && IsLogScale(item->Scale);
}

bool IsDataExpert(int e) {
    return e >= 1 && e <= ExpertCount && e <= MaxExpertCount && ExpertTable[e] && !ExpertTable[e]->IsDecisionMaker;
}

// ---------------------------------------------------------------- identifiers

std::string DefaultDecisionMakerId(int count) {
    return NumberedId("DMaker", 2, count, 8);
}

// ---------------------------------------------------------------- creation

TItem* NewItem(const std::string& id, const std::string& name, int index) {
    TItem* item = NewNamedRecord(ItemTable, index, MaxItemCount, id, name);
    if (!item) return nullptr;
    item->Scale = ScaleNames[DefaultScale];
    item->Realisation = NoValue;
    return item;
}

TExpert* NewExpert(const std::string& id, const std::string& name, int index) {
    return NewNamedRecord(ExpertTable, index, ExpertSlotCount, id, name);
}

TAssessment* NewAssessment(TExpert* expert, int slot) {
    if (!expert || slot < 1 || slot > MaxItemCount) return nullptr;
    auto a = MakeRecord<TAssessment>();
    if (!a) return nullptr;
    for (int k = 1; k <= MaxQuantileCount; ++k) a->Values[k] = NoValue;
    a->Distribution.Family = FamilyNone;
    expert->Assessments[slot] = std::move(a);
    return expert->Assessments[slot].get();
}

void InsertAssessmentSlot(TExpert* expert, int pos, int itemIndex, bool create) {
    if (!expert || pos < 1 || pos > MaxItemCount) return;
    if (OpenSlot(expert->Assessments, pos, MaxItemCount) == 0) return;
    if (create) {
        TAssessment* a = NewAssessment(expert, pos);
        if (a && itemIndex >= 1 && itemIndex <= MaxItemCount) a->Item = ItemTable[itemIndex].get();
    }
}

int InsertItem(const std::string& id, const std::string& name, int pos) {
    pos = InsertCreated(ItemTable, pos, MaxItemCount, [&](int k) { return NewItem(id, name, k); });
    if (pos == 0) return 0;
    int last = ExpertCount > 0 ? ExpertCount : MaxExpertCount;
    for (int e = 1; e <= last; ++e)
        if (ExpertTable[e]) InsertAssessmentSlot(ExpertTable[e].get(), pos, pos, true);
    return pos;
}

int InsertExpert(const std::string& id, const std::string& name, int pos) {
    if (pos < 1) pos = 1;
    TExpert* x = InsertNamedRecord(ExpertTable, pos, ExpertSlotCount, id, name);
    if (!x) return 0;
    if (ExpertCount > 0) ++ExpertCount;

    bool anyItem = false;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i]) anyItem = true;
    if (!anyItem) {
        if (InsertItem("", "", 1) == 0) return 0;
        return pos;
    }
    bool create = ExpertCount == 0 || ExpertCount > pos;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i]) InsertAssessmentSlot(x, i, i, create);
    return pos;
}

bool AddDecisionMaker(const std::string& requestedId) {
    // A decision maker needs data experts to follow and a slot for every item.
    if (ExpertCount < 1 || !ExpertTable[1]) return false;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        int slot = (*ItemIndexMap)[i];
        if (slot < 1 || slot > MaxItemCount) return false;
    }
    if (ExpertCount + 1 > ExpertSlotCount) return false;

    std::string id = CutTo(requestedId, 8);
    ++DecisionMakerCount;
    if (Trim(id).empty()) id = DefaultDecisionMakerId(DecisionMakerCount);

    int pos = InsertExpert(id, "", ExpertCount + 1);
    if (pos == 0) return false;
    if (ExpertCount > 0) --ExpertCount;

    TExpert* dm = ExpertTable[pos].get();
    dm->IsDecisionMaker = true;
    for (auto& a : dm->Assessments)
        if (a) a->Item = nullptr;
    bool ok = true;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        int slot = (*ItemIndexMap)[i];
        TAssessment* a = NewAssessment(dm, slot);
        if (!a) {
            ok = false;
            continue;
        }
        a->Item = ItemTable[i].get();
        a->Valid = true;
    }
    dm->HasInvalid = false;
    const TExpert* first = ExpertTable[1].get();
    for (int s = 1; s <= MaxItemCount; ++s) {
        TAssessment* a = dm->Assessments[s].get();
        if (a && !a->Item && first->Assessments[s]) a->Item = first->Assessments[s]->Item;
    }
    dm->FilterFlag = false;
    return ok;
}

// ---------------------------------------------------------------- lookups

void BuildItemIndexMap() {
    const TExpert* first = ExpertTable[1].get();
    if (!first) return;
    for (int i = 1; i <= MaxItemCount; ++i) {
        ItemColumnMap[i] = 0;
        const TItem* item = ItemTable[i].get();
        if (!item) continue;
        for (int s = 1; s <= MaxItemCount && first->Assessments[s]; ++s) {
            if (first->Assessments[s]->Item == item) {
                ItemColumnMap[i] = static_cast<std::uint16_t>(s);
                break;
            }
        }
    }
    ItemIndexMap = &ItemColumnMap;
}

void ExcludeItemFromIndexMap(int k, IndexMapType& target) {
    for (int i = 1; i < MaxItemCount; ++i) target[i] = i < k ? ItemColumnMap[i] : ItemColumnMap[i + 1];
    target[MaxItemCount] = 0;
}

TAssessment* AssessmentAt(int e, int i) {
    if (e < 1 || e > ExpertSlotCount || i < 1 || i > MaxItemCount) return nullptr;
    const TExpert* x = ExpertTable[e].get();
    if (!x) return nullptr;
    int slot = (*ItemIndexMap)[i];
    if (slot < 1 || slot > MaxItemCount) return nullptr;
    return x->Assessments[slot].get();
}

TAssessment* FindAssessment(const TExpert* expert, const TItem* item) {
    if (!expert || !item) return nullptr;
    for (int s = 1; s <= MaxItemCount; ++s)
        if (expert->Assessments[s] && expert->Assessments[s]->Item == item) return expert->Assessments[s].get();
    return nullptr;
}

// ---------------------------------------------------------------- deletion and compaction

void CompactItems(int from) {
    CompactSlots(ItemTable, from, MaxItemCount);
}

void CompactExperts(int from) {
    CompactSlots(ExpertTable, from, ExpertSlotCount);
}

void CompactAssessments(TExpert* expert, int from) {
    if (expert) CompactSlots(expert->Assessments, from, MaxItemCount);
}

void DeleteAssessmentsOfItems(TExpert* expert, int first, int last, const ItemTableType& table) {
    if (!expert) return;
    first = std::max(first, 1);
    last = std::min(last, MaxItemCount);
    int lowest = MaxItemCount + 1;
    int start = 1;
    for (int j = first; j <= last; ++j) {
        const TItem* item = table[j].get();
        if (!item) continue;
        // One pass over the slots, starting where the previous item was found.
        for (int n = 0; n < MaxItemCount; ++n) {
            int s = (start - 1 + n) % MaxItemCount + 1;
            auto& a = expert->Assessments[s];
            if (a && a->Item == item) {
                a.reset();
                lowest = std::min(lowest, s);
                start = s;
                break;
            }
        }
    }
    if (lowest <= MaxItemCount) CompactAssessments(expert, lowest);
}

void DeleteItemFromExperts(int index, const ItemTableType& table) {
    // Decision makers too: none may keep a pointer to a freed item.
    for (int e = 1; e <= ExpertSlotCount; ++e)
        if (ExpertTable[e]) DeleteAssessmentsOfItems(ExpertTable[e].get(), index, index, table);
}

void DeleteItems(bool keepAssessments, int first, int last, ItemTableType* side, ItemTableType& table) {
    const int removed = TakeOut(table, first, last, side, [&](int j) {
        if (!side && !keepAssessments) DeleteItemFromExperts(j, table);
    });
    if (removed > 0) CompactItems(first);
}

void DeleteExperts(int first, int last, ExpertTableType& table, ExpertTableType* side) {
    first = std::max(first, 1);
    last = std::min(last, ExpertSlotCount);
    int removed = 0;
    TakeOut(table, first, last, side, [&](int j) {
        if (j <= ExpertCount) ++removed;
    });
    bool onExperts = &table == &ExpertTable;
    if (!onExperts) return;
    if (!(first == 1 && last == MaxExpertCount)) CompactExperts(first);
    if (ExpertCount > 0 && ExpertCount >= first) {
        ExpertCountBeforeFilter = ExpertCount;
        if (last >= ExpertCount)
            ExpertCount = first - 1;
        else
            ExpertCount -= removed;
        if (ExpertCount < 0) ExpertCount = 0;
    } else {
        ExpertCountBeforeFilter = 0;
    }
}

int MoveItems(int dest, int first, int last, ItemTableType& side) {
    return MoveFromSide(ItemTable, MaxItemCount, std::max(dest, 1), first, last, side).Moved;
}

namespace {

// Counts the data experts that came back into the table, also after a pass stopped for want of room.
int CountExpertsBack(int moved) {
    if (ExpertCount >= 1 && moved > 0) {
        ExpertCount += moved;
        ExpertCountBeforeFilter = 0;
    }
    return moved;
}

}  // namespace

int MoveExperts(int dest, int first, int last, ExpertTableType& side) {
    return CountExpertsBack(MoveFromSide(ExpertTable, ExpertSlotCount, std::max(dest, 1), first, last, side).Moved);
}

// ---------------------------------------------------------------- filtering

void FilterItemsOut(ItemTableType& side) {
    if (ItemsFilterEnabled) FilterFlaggedOut(ItemTable, side, MaxItemCount, MaxItemCount);
}

int RestoreFilteredItems(ItemTableType& side) {
    // An item that finds no room stays in the side table rather than being lost.
    return RestoreFromSide(ItemTable, MaxItemCount, side, MaxItemCount);
}

void ClearItemFilter() {
    for (int i = 1; i <= MaxItemCount; ++i) {
        TItem* flagged = RobustnessFlaggedItems[i];
        if (flagged) {
            if (ItemTable[i].get() != flagged && FilteredItems[i].get() == flagged) MoveItems(i, i, i, FilteredItems);
            RobustnessFlaggedItems[i] = nullptr;
            if (ItemTable[i] && ItemTable[i].get() == flagged) ItemTable[i]->FilterFlag = false;
        }
    }
}

void ClearItemSideTables() {
    // The side table owns the items moved out; put them back instead of dropping them.
    RestoreFilteredItems(FilteredItems);
    RobustnessFlaggedItems.fill(nullptr);
}

void FilterExpertsOut(ExpertTableType& side) {
    if (!ExpertsFilterEnabled) return;
    int n = ExpertCount > 0 ? ExpertCount : MaxExpertCount;
    const int moved = FilterFlaggedOut(ExpertTable, side, n, ExpertSlotCount,
                                       [](const TExpert& x) { return x.FilterFlag && !x.IsDecisionMaker; });
    if (moved < 0) return;
    ExpertCountBeforeFilter = ExpertCount;
    if (ExpertCount > 0) ExpertCount -= moved;
}

void RestoreFilteredExperts(ExpertTableType& side) {
    CountExpertsBack(RestoreFromSide(ExpertTable, ExpertSlotCount, side, MaxExpertCount));
}

// ---------------------------------------------------------------- identifiers, weights, quantiles

bool DefaultItemNames() {
    bool result = false;
    for (;;) {
        int stopAt = 0;
        for (int i = 1; i <= MaxItemCount; ++i) {
            TItem* item = ItemTable[i].get();
            if (!item) continue;
            const std::string& id = item->Id;
            if (StartsWith(id, "_item")) {
                item->Id = DefaultItemId(i);
            } else if (id.empty()) {
                bool hasName = !Trim(item->Name).empty();
                bool hasRealisation = item->HasRealisation;
                if (!hasName && !hasRealisation && i > 1) {
                    // Only a truly empty row goes: an item with values keeps them under a default id.
                    if (!ItemHasValues(item)) {
                        stopAt = i;
                        break;
                    }
                    item->Id = DefaultItemId(i);
                } else if (hasName || hasRealisation) {
                    item->Id = DefaultItemId(i);
                }
            }
        }
        if (stopAt == 0) break;
        for (int e = 1; e <= ExpertSlotCount; ++e)
            if (ExpertTable[e]) DeleteAssessmentsOfItems(ExpertTable[e].get(), stopAt, stopAt, ItemTable);
        DeleteItems(true, stopAt, stopAt, nullptr, ItemTable);
        result = true;
    }
    return result;
}

bool DefaultExpertNames() {
    bool result = false;
    for (;;) {
        bool restarted = false;
        bool seenOwnId = false;
        for (int e = MaxExpertCount; e >= 1; --e) {
            TExpert* x = ExpertTable[e].get();
            if (!x || x->IsDecisionMaker) continue;
            const std::string& id = x->Id;
            if (IsDefaultExpertId(id)) {
                x->Id = DefaultExpertId(e);
            } else if (id.empty()) {
                if (Trim(x->Name).empty() && !seenOwnId && !ExpertHasValues(x)) {
                    DeleteExperts(e, e, ExpertTable, nullptr);
                    result = true;
                    restarted = true;
                    break;
                }
                x->Id = DefaultExpertId(e);
            } else {
                seenOwnId = true;
            }
        }
        if (!restarted) break;
    }
    return result;
}

void SetAllScales(int index) {
    if (index < 1 || index > 2) return;
    for (auto& item : ItemTable)
        if (item) item->Scale = ScaleNames[index];
    CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
}

void ClearUserWeights() {
    for (int e = 1; e <= ExpertCount && e <= MaxExpertCount; ++e) {
        if (!ExpertTable[e]) continue;
        ExpertTable[e]->Weight = MissingValue;
        ExpertTable[e]->RawWeight = MissingValue;
    }
}

bool SaveRestoreQuantiles(bool save, const ExpertTableType* alsoIn) {
    int q = std::clamp(QuantileCount, 0, MaxQuantileCount);
    if (save) {
        QuantileBackup.clear();
        // Every assessment slot, those of items filtered out of the table included: whatever an
        // update may change must come back.
        for (int e = 1; e <= ExpertCount && e <= MaxExpertCount && ExpertTable[e]; ++e) {
            for (auto& slot : ExpertTable[e]->Assessments) {
                TAssessment* a = slot.get();
                if (!a || !a->Item) continue;
                SavedQuantiles saved;
                saved.Assessment = a;
                for (int k = 1; k <= q; ++k) saved.Values[k] = a->Values[k];
                QuantileBackup.push_back(saved);
            }
        }
        return !QuantileBackup.empty();
    }
    if (QuantileBackup.empty()) return true;
    // Write back only into assessments that still exist, whatever moved in between: in the
    // table, among the experts filtered out, or in the caller's side table.
    std::unordered_map<const TAssessment*, const SavedQuantiles*> saved;
    for (const auto& s : QuantileBackup) saved.emplace(s.Assessment, &s);
    auto restore = [&](const ExpertTableType& table) {
        for (const auto& x : table) {
            if (!x) continue;
            for (auto& slot : x->Assessments) {
                TAssessment* a = slot.get();
                if (!a) continue;
                auto it = saved.find(a);
                if (it == saved.end()) continue;
                for (int k = 1; k <= q; ++k) a->Values[k] = it->second->Values[k];
            }
        }
    };
    restore(ExpertTable);
    restore(FilteredExperts);
    if (alsoIn) restore(*alsoIn);
    QuantileBackup.clear();
    return true;
}

// ---------------------------------------------------------------- checks

int CheckAssessment(const TAssessment& a, bool dataExpert, bool& valid) {
    const TItem* item = a.Item;
    const int q = std::clamp(QuantileCount, 0, MaxQuantileCount);
    valid = true;
    if (item->Id.empty()) return CheckNoItemId;
    int result = 0;
    bool log = IsLogItem(item);
    // A realisation the log scale cannot take is as wrong as such a quantile.
    if (log && dataExpert && IsSeedItem(item) && item->Realisation <= 0) {
        valid = false;
        result = CheckNotPositiveLog;
    }
    for (int k = 1; k <= q && result >= 0; ++k) {
        float v = a.Values[k];
        if (IsMissing(v)) {
            valid = false;
            break;
        }
        if (v <= 0 && log) {
            valid = false;
            if (dataExpert) {
                result = CheckNotPositiveLog;
                break;
            }
        }
        // The engine reads every value nudged, which can reverse two values that are
        // close together (100000 and 100000.5 become 100001 and 100000.5).
        if (k > 1 && (v <= a.Values[k - 1] || NudgedValue(v) <= NudgedValue(a.Values[k - 1]))) {
            valid = false;
            if (dataExpert || ExpertCount == 0) {
                result = CheckNotIncreasing;
                break;
            }
        }
    }
    return result;
}

int CheckExpertData(int e) {
    TExpert* x = (e >= 1 && e <= ExpertSlotCount) ? ExpertTable[e].get() : nullptr;
    ItemCount = 0;
    if (!x) return 0;
    bool dataExpert = e <= ExpertCount && !x->IsDecisionMaker;
    int result = 0;
    for (int s = 1; s <= MaxItemCount; ++s) {
        TAssessment* a = x->Assessments[s].get();
        if (!a) continue;
        a->Valid = false;
        TItem* item = a->Item;
        if (!item) {
            if (s == 1) result = CheckNoItem;
            break;
        }
        ItemCount = s;
        a->Valid = true;
        bool filtered = ItemsFilterEnabled && item->FilterFlag;
        if (!filtered) {
            const int check = CheckAssessment(*a, dataExpert, a->Valid);
            if (check == CheckNoItemId) {
                result = check;
                break;
            }
            if (check < 0) result = check;
            if (IsSeedItem(item)) {
                ++SeedAssessmentCount;
                if (a->Valid) ++x->SeedCount;
            }
            if (a->Valid) ++x->AssessedCount;
        }
        if (!a->Valid && !(ExpertsFilterEnabled && x->FilterFlag)) x->HasInvalid = true;
        if (result < 0) break;
        if (a->Valid) ++result;
    }
    return result;
}

int CheckCaseData() {
    for (int e = 1; e <= ExpertSlotCount; ++e)
        if (ExpertTable[e] && ExpertTable[e]->Id.empty()) return CheckNoExpertId;

    bool unknown = ExpertCount == 0;
    SeedAssessmentCount = 0;
    MinSeedCount = 32767;
    int result = 0;
    int r = 0;
    for (int e = 1; e <= MaxExpertCount && ExpertTable[e]; ++e) {
        TExpert* x = ExpertTable[e].get();
        if (unknown) {
            if (x->IsDecisionMaker) break;
            ExpertCount = e;
        } else if (e > ExpertCount) {
            break;
        }
        CheckedExpert = e;
        x->HasInvalid = false;
        x->AssessedCount = 0;
        x->SeedCount = 0;
        CompactAssessments(x, 1);
        r = CheckExpertData(e);
        MinSeedCount = std::min(MinSeedCount, x->SeedCount);
        if (r < 0) break;
        if (r > 0) ++result;
    }

    if (r >= 0 && ExpertCount > 0) {
        // Every expert must keep item i in the slot the first expert keeps it in.
        BuildItemIndexMap();
        // Each expert's first item out of place, the experts side by side; the first expert with
        // one is reported.
        std::vector<int> misplaced(static_cast<std::size_t>(ExpertCount) + 1, 0);
        ForEachTask(ExpertCount, [&misplaced](int, int task) {
            const int e = task + 1;
            for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
                const TAssessment* a = AssessmentAt(e, i);
                if (!a || a->Item != ItemTable[i].get()) {
                    misplaced[static_cast<std::size_t>(e)] = i;
                    return;
                }
            }
        });
        for (int e = 1; e <= ExpertCount; ++e)
            if (const int i = misplaced[static_cast<std::size_t>(e)]) {
                CheckedExpert = e;
                ItemCount = (*ItemIndexMap)[i];
                r = CheckNoItem;
                break;
            }
    }

    SeedItemCount = 0;
    for (const auto& item : ItemTable)
        if (IsSeedItem(item.get())) ++SeedItemCount;

    if (result >= 0 && (SeedItemCount <= 1 || SeedAssessmentCount < 2)) result = CheckTooFewSeeds;

    if (r < 0) {
        if (unknown) ExpertCount = 0;
        return r;
    }
    return result;
}

}  // namespace halvorine
