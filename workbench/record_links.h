// Windows keep plain pointers to the expert and item records they show. Whoever frees such
// a record says so first, so that no window (and not ActiveExpert) is left with a freed one.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "engine/globals.h"
#include "workbench/window_state.h"

namespace halvorine {

using ExpertFreedListener = std::function<void(const TExpert*)>;
using ItemFreedListener = std::function<void(const TItem*)>;

// One listener of each kind (the windows); an empty function removes it.
void SetExpertFreedListener(ExpertFreedListener listener);
void SetItemFreedListener(ItemFreedListener listener);

// Tells the listener and clears ActiveExpert when it is that record.
void ExpertFreeing(const TExpert* expert);
void ItemFreeing(const TItem* item);

// Says so, then frees the record in the slot.
void FreeExpertSlot(std::unique_ptr<TExpert>& slot);

// Runs a table routine that may free experts of ExpertTable on its own (DefaultExpertNames),
// and tells about every record that was there before and is gone after.
template <typename F>
auto WithExpertsWatched(F&& routine) -> decltype(routine());

// Moves the records in slots from..from+count-1 of a side table (an undo buffer) to slots
// to..to+count-1, keeping their order.
template <typename Table>
void ShiftSlots(Table& side, int from, int to, int count) {
    if (from == to || count <= 0) return;
    std::vector<typename Table::value_type> held;
    for (int k = 0; k < count; ++k) held.push_back(std::move(side[from + k]));
    for (int k = 0; k < count; ++k) side[to + k] = std::move(held[k]);
}

// ---- implementation of the templates ----
std::vector<const TExpert*> SnapshotExperts();
void ReportVanishedExperts(const std::vector<const TExpert*>& before);

template <typename F>
auto WithExpertsWatched(F&& routine) -> decltype(routine()) {
    auto before = SnapshotExperts();
    auto result = routine();
    ReportVanishedExperts(before);
    return result;
}

}  // namespace halvorine
