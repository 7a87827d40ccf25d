// Builds small cases in the global tables for engine tests.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "engine/globals.h"
#include "engine/tables.h"

using namespace halvorine;

namespace testcase {

inline void SetLevels(std::initializer_list<float> percents) {
    QuantileCount = 0;
    for (float p : percents) QuantileLevels[++QuantileCount] = p / 100.0f;
    ComputeBinProbabilities();
}

// Appends an item at the first free slot; realisation NoValue means none.
inline TItem* AddItem(const std::string& id, const std::string& scale = "UNI", float realisation = NoValue) {
    int i = 1;
    while (i <= MaxItemCount && ItemTable[i]) ++i;
    TItem* item = NewItem(id, "", i);
    item->Scale = scale;
    if (realisation != NoValue) {
        item->Realisation = realisation;
        item->HasRealisation = true;
    }
    return item;
}

// Appends a data expert whose slot i holds the assessment of item i with the given values
// (an empty row leaves the values missing).
inline TExpert* AddExpert(const std::string& id, const std::vector<std::vector<float>>& rows) {
    int e = 1;
    while (e <= MaxExpertCount && ExpertTable[e]) ++e;
    TExpert* x = NewExpert(id, "", e);
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        TAssessment* a = NewAssessment(x, i);
        a->Item = ItemTable[i].get();
        if (static_cast<std::size_t>(i - 1) < rows.size())
            for (std::size_t k = 0; k < rows[i - 1].size(); ++k) a->Values[k + 1] = rows[i - 1][k];
    }
    ExpertCount = e;
    return x;
}

inline std::vector<std::string> ItemIds() {
    std::vector<std::string> ids;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i]) ids.push_back(ItemTable[i]->Id);
    return ids;
}

inline std::vector<std::string> ExpertIds() {
    std::vector<std::string> ids;
    for (int e = 1; e <= ExpertSlotCount; ++e)
        if (ExpertTable[e]) ids.push_back(ExpertTable[e]->Id);
    return ids;
}

}  // namespace testcase
