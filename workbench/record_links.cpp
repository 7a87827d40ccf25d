#include "workbench/record_links.h"
#include "workbench/window_state.h"

#include <algorithm>
#include <vector>

namespace halvorine {

namespace {
// Made on first use: the windows install their listener from a static initializer in
// another library, which may run before this file's own.
ExpertFreedListener& ExpertListener() {
    static ExpertFreedListener listener;
    return listener;
}
ItemFreedListener& ItemListener() {
    static ItemFreedListener listener;
    return listener;
}
}  // namespace

void SetExpertFreedListener(ExpertFreedListener listener) {
    ExpertListener() = std::move(listener);
}

void SetItemFreedListener(ItemFreedListener listener) {
    ItemListener() = std::move(listener);
}

void ExpertFreeing(const TExpert* expert) {
    if (!expert) return;
    if (ActiveExpert == expert) ActiveExpert = nullptr;
    if (ExpertListener()) ExpertListener()(expert);
}

void ItemFreeing(const TItem* item) {
    if (item && ItemListener()) ItemListener()(item);
}

void FreeExpertSlot(std::unique_ptr<TExpert>& slot) {
    if (!slot) return;
    ExpertFreeing(slot.get());
    slot.reset();
}

std::vector<const TExpert*> SnapshotExperts() {
    std::vector<const TExpert*> all;
    for (const auto& e : ExpertTable)
        if (e) all.push_back(e.get());
    return all;
}

void ReportVanishedExperts(const std::vector<const TExpert*>& before) {
    std::vector<const TExpert*> now = SnapshotExperts();
    std::sort(now.begin(), now.end());
    // Only the addresses are compared; nothing gone is touched.
    for (const TExpert* e : before)
        if (!std::binary_search(now.begin(), now.end(), e)) {
            if (ActiveExpert == e) ActiveExpert = nullptr;
            if (ExpertListener()) ExpertListener()(e);
        }
}

}  // namespace halvorine
