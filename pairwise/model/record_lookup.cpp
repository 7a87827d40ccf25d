#include "pairwise/model/record_lookup.h"

#include "common/core/text.h"
#include "pairwise/model/tables.h"

namespace trindel {

namespace {

template <typename Table, typename Create>
auto FindOrCreate(Table& table, int& current, int& count, int limit, const std::string& id, Create create)
    -> decltype(table[1].get()) {
    if (current >= 1 && current <= limit && table[current] && SameTextNoCase(table[current]->Id, id))
        return table[current].get();
    for (int k = 1; k <= count && k <= limit; ++k) {
        if (table[k] && SameTextNoCase(table[k]->Id, id)) {
            current = k;
            return table[k].get();
        }
    }
    if (count >= limit) return nullptr;
    auto* record = create(id, count + 1);
    if (!record) return nullptr;
    ++count;
    current = count;
    return record;
}

}  // namespace

TPairItem* FindOrCreateItem(const std::string& id) {
    return FindOrCreate(ItemTable, CurrentItemIndex, ItemCount, MaxItemCount, id,
                        [](const std::string& i, int at) { return NewItem(i, "", at); });
}

TPairExpert* FindOrCreateExpert(const std::string& id) {
    return FindOrCreate(ExpertTable, CurrentExpertIndex, ExpertReadCount, MaxExpertCount, id,
                        [](const std::string& i, int at) { return NewExpert(i, "", at); });
}

int ItemNumberOfId(const std::string& id) {
    for (int k = 1; k <= MaxItemCount; ++k)
        if (ItemTable[k] && SameTextNoCase(ItemTable[k]->Id, id)) return k;
    return 0;
}

}  // namespace trindel
