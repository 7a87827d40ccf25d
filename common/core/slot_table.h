// Operations on the 1-based tables of owning pointers that both programs keep (items, experts,
// an expert's slots): entry 0 is never used, an empty pointer is an empty slot.
#pragma once

#include <utility>

// Closes the gaps of table[from..last], keeping order; the freed tail is emptied.
template <typename Table>
void CompactSlots(Table& table, int from, int last) {
    if (from < 1) from = 1;
    if (from > last) return;
    int to = from;
    for (int k = from; k <= last; ++k) {
        if (table[k]) {
            if (k != to) table[to] = std::move(table[k]);
            ++to;
        }
    }
    for (int k = to; k <= last; ++k) table[k].reset();
}

// Inserts `record` at pos of a table of `last` slots, shifting the entries up to the first
// empty slot. Returns false (and keeps the record) when no empty slot is left.
template <typename Table, typename Ptr>
bool InsertShifting(Table& table, int pos, int last, Ptr& record) {
    int empty = pos;
    while (empty <= last && table[empty]) ++empty;
    if (empty > last) return false;
    for (int k = empty; k > pos; --k) table[k] = std::move(table[k - 1]);
    table[pos] = std::move(record);
    return true;
}
