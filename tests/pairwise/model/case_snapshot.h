// Every stored field of a paired-comparison case, taken out of the tables so that a case
// read, saved and reopened can be compared with what was read (the file tests and the
// round-trip fuzz harnesses).
#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "pairwise/model/globals.h"
#include "pairwise/model/tables.h"

using namespace trindel;

namespace pairtest {

// Every stored field of the case, as the windows and a run see it.
struct ItemFields {
    std::string Id, Name, Scale;
    float Realisation;
    bool Reference, Flagged;
    bool operator==(const ItemFields&) const = default;
};
struct ExpertFields {
    std::string Id, Name;
    bool Flagged;
    std::vector<int> RowItems;         // position of each row's item, rows 1..AnswerColumnCount
    std::vector<std::string> Answers;  // columns 1..AnswerColumnCount of each row
    bool operator==(const ExpertFields&) const = default;
};
struct CaseFields {
    std::vector<ItemFields> Items;
    std::vector<ExpertFields> Experts;
    int Columns;
    bool operator==(const CaseFields&) const = default;
};

inline int PositionOf(const TPairItem* item) {
    for (int i = 1; i <= MaxItemCount; ++i)
        if (item && ItemTable[i].get() == item) return i;
    return 0;
}

inline CaseFields Snapshot() {
    CaseFields c;
    c.Columns = AnswerColumnCount;
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TPairItem* item = ItemTable[i].get();
        if (!item) continue;
        c.Items.push_back(
            {item->Id, item->Name, item->Scale, item->Realisation, IsReferenceItem(item), item->FilterFlag});
    }
    for (int e = 1; e <= MaxExpertCount; ++e) {
        const TPairExpert* x = ExpertTable[e].get();
        if (!x) continue;
        ExpertFields f{x->Id, x->Name, x->FilterFlag, {}, {}};
        for (int r = 1; r <= AnswerColumnCount; ++r) {
            const TAnswerRow* row = x->AnswerRows[r].get();
            f.RowItems.push_back(row ? PositionOf(row->Item) : -1);
            f.Answers.push_back(
                row ? std::string(row->Answers.begin() + 1, row->Answers.begin() + 1 + AnswerColumnCount) : "<none>");
        }
        c.Experts.push_back(std::move(f));
    }
    return c;
}

// The value to the bit, so that two values that print alike still show apart.
inline std::string Bits(float x) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.9g (%08x)", x, std::bit_cast<std::uint32_t>(x));
    return buf;
}

inline std::string Describe(const CaseFields& c) {
    std::string s = "columns " + std::to_string(c.Columns) + "\n";
    for (const ItemFields& i : c.Items)
        s += " item [" + i.Id + "] [" + i.Name + "] " + i.Scale + " " + Bits(i.Realisation) +
             (i.Reference ? " ref" : "") + (i.Flagged ? " F" : "") + "\n";
    for (const ExpertFields& x : c.Experts) {
        s += " expert [" + x.Id + "] [" + x.Name + "]" + (x.Flagged ? " F" : "") + "\n";
        for (std::size_t r = 0; r < x.Answers.size(); ++r)
            s += "  row " + std::to_string(x.RowItems[r]) + " [" + x.Answers[r] + "]\n";
    }
    return s;
}

}  // namespace pairtest
