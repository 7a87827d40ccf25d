// Operations on the 1-based tables of owning pointers that both programs keep (items, experts,
// an expert's slots): entry 0 is never used, an empty pointer is an empty slot. A table is a
// std::array of std::unique_ptr; its records have the fields the operation names (Id, Name,
// FilterFlag).
#pragma once

#include <algorithm>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
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

// Opens slot pos of a table of `last` slots by shifting the entries up to the first empty slot
// one place up. Returns the slot that was empty, or 0 (nothing moved) when no empty slot is left.
template <typename Table>
int OpenSlot(Table& table, int pos, int last) {
    int empty = pos;
    while (empty <= last && table[empty]) ++empty;
    if (empty > last) return 0;
    for (int k = empty; k > pos; --k) table[k] = std::move(table[k - 1]);
    return empty;
}

// Inserts `record` at pos of a table of `last` slots, shifting the entries up to the first
// empty slot. Returns false (and keeps the record) when no empty slot is left.
template <typename Table, typename Ptr>
bool InsertShifting(Table& table, int pos, int last, Ptr& record) {
    if (OpenSlot(table, pos, last) == 0) return false;
    table[pos] = std::move(record);
    return true;
}

// A new value-initialised record; null when memory is short, which the table operations report
// as a failed creation rather than an exception.
template <typename Record>
std::unique_ptr<Record> MakeRecord() {
    try {
        return std::make_unique<Record>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// A new record with the given Id and Name; null when memory is short.
template <typename Record>
std::unique_ptr<Record> MakeNamedRecord(const std::string& id, const std::string& name) {
    auto record = MakeRecord<Record>();
    if (!record) return nullptr;
    record->Id = id;
    record->Name = name;
    return record;
}

// A new record of the table's kind with the given Id and Name for slot index; null when index
// is outside 1..last or memory is short.
template <typename Table>
auto MakeNamedRecordFor(const Table&, int index, int last, const std::string& id, const std::string& name) {
    using Record = typename Table::value_type::element_type;
    return index < 1 || index > last ? std::unique_ptr<Record>() : MakeNamedRecord<Record>(id, name);
}

// Replaces table[index] (1..last) by a new record with the given Id and Name. Null, with the
// table unchanged, when index is outside 1..last or memory is short.
template <typename Table>
auto NewNamedRecord(Table& table, int index, int last, const std::string& id, const std::string& name)
    -> decltype(table[index].get()) {
    auto record = MakeNamedRecordFor(table, index, last, id, name);
    if (!record) return nullptr;
    table[index] = std::move(record);
    return table[index].get();
}

// Opens slot pos (taken as 1 when below) of table[1..last] and fills it with create(pos), which
// stores a new record there and returns it. Returns pos, or 0 when pos is beyond last, no slot is
// free, or create fails (the opened slot is closed again).
template <typename Table, typename Create>
int InsertCreated(Table& table, int pos, int last, Create create) {
    if (pos < 1) pos = 1;
    if (pos > last) return 0;
    if (OpenSlot(table, pos, last) == 0) return 0;
    if (!create(pos)) {
        CompactSlots(table, pos, last);
        return 0;
    }
    return pos;
}

// Inserts a new record with the given Id and Name at pos (1..last) of table[1..last]. Null, with
// the table unchanged, when pos is outside 1..last, memory is short or no slot is free.
template <typename Table>
auto InsertNamedRecord(Table& table, int pos, int last, const std::string& id, const std::string& name)
    -> decltype(table[pos].get()) {
    auto record = MakeNamedRecordFor(table, pos, last, id, name);
    auto* inserted = record.get();
    if (!record || !InsertShifting(table, pos, last, record)) return nullptr;
    return inserted;
}

// Takes the present entries of table[first..last] (kept within the table) out: each moves to the
// same position of *side, or is freed when side is null. taking(j) is called for each before it
// goes. Returns how many were taken; the gaps are left for the caller to close.
template <typename Table, typename Taking>
int TakeOut(Table& table, int first, int last, std::type_identity_t<Table>* side, Taking taking) {
    first = std::max(first, 1);
    last = std::min(last, static_cast<int>(table.size()) - 1);
    int taken = 0;
    for (int j = first; j <= last; ++j) {
        if (!table[j]) continue;
        taking(j);
        if (side)
            (*side)[j] = std::move(table[j]);
        else
            table[j].reset();
        ++taken;
    }
    return taken;
}

// What MoveFromSide brought back.
struct SideMove {
    int Moved = 0;  // how many entries
    int Reach = 0;  // the position in the range of the last one moved (1 = first), 0 if none
};

// Inserts the present side[first..last] at dest onwards into table[1..slots], each shifting the
// entries from its position up to the first empty slot; stops at the first that would land
// outside 1..slots or finds no empty slot (it stays in side).
template <typename Table>
SideMove MoveFromSide(Table& table, int slots, int dest, int first, int last, Table& side) {
    SideMove result;
    if (last < first) return result;
    first = std::max(first, 1);
    last = std::min(last, static_cast<int>(side.size()) - 1);
    for (int j = first; j <= last; ++j) {
        if (!side[j]) continue;
        const int pos = dest + (j - first);
        if (pos < 1 || pos > slots) break;
        if (!InsertShifting(table, pos, slots, side[j])) break;
        ++result.Moved;
        result.Reach = j - first + 1;
    }
    return result;
}

// Puts every record of side[1..last] back at its own position of table[1..slots], shifting as
// MoveFromSide does; one that finds no room stays in side. Returns how many came back.
template <typename Table>
int RestoreFromSide(Table& table, int slots, Table& side, int last) {
    int count = 0;
    for (int k = 1; k <= last; ++k)
        if (side[k] && MoveFromSide(table, slots, k, k, k, side).Moved > 0) ++count;
    return count;
}

// Moves every record of table[1..last] that `flagged` accepts to the same position of side,
// then closes the gaps of table[1..compactLast]. Does nothing and returns -1 when side already
// holds a record in 1..last (a filter is in force); else returns how many were moved.
template <typename Table, typename Flagged>
int FilterFlaggedOut(Table& table, Table& side, int last, int compactLast, Flagged flagged) {
    for (int k = 1; k <= last; ++k)
        if (side[k]) return -1;
    int moved = 0;
    for (int k = 1; k <= last; ++k) {
        if (table[k] && flagged(*table[k])) {
            side[k] = std::move(table[k]);
            ++moved;
        }
    }
    CompactSlots(table, 1, compactLast);
    return moved;
}

// The same for the records whose FilterFlag is set.
template <typename Table>
int FilterFlaggedOut(Table& table, Table& side, int last, int compactLast) {
    return FilterFlaggedOut(table, side, last, compactLast, [](const auto& record) { return record.FilterFlag; });
}
