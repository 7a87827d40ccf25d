// Creating, inserting, moving, deleting and filtering items and experts of the paired-comparison
// case. An expert holds one answer row and one answer column per item: every operation that
// inserts or removes an item's row does the same to its column, so row l and column l always
// stand for the item at position l.
#pragma once

#include <string>

#include "common/core/automatic_ids.h"
#include "pairwise/model/globals.h"

namespace trindel {

// ---- small queries ----
// HasRealisation set and Realisation above MissingValue.
bool IsReferenceItem(const TPairItem* item);
// The scale word a file gets: an empty one would shift the line's fields, so it is written as the default.
std::string WrittenScale(const std::string& scale);

// ---- creation ----
TPairItem* NewItem(const std::string& id, const std::string& name, int index);
TPairExpert* NewExpert(const std::string& id, const std::string& name, int index);
TAnswerRow* NewAnswerRow(TPairExpert* expert, int slot);
void InsertAnswerColumn(TPairExpert* expert, int pos, int itemIndex, bool create);
int InsertItem(const std::string& id, const std::string& name, int pos);
int InsertExpert(const std::string& id, const std::string& name, int pos);

// ---- counting ----
int CountItems();
int CountExperts();
int LastItemPosition();  // the highest occupied item slot, 0 when none

// ---- deletion and compaction ----
void CompactItems(int from);
void CompactExperts(int from);
void CompactAnswerRows(TPairExpert* expert, int from);
void DeleteAnswerRows(TPairExpert* expert, int first, int last);
void DeleteItemFromExperts(int index);
void DeleteItems(bool keepRows, int first, int last, ItemTableType* side, ItemTableType& table);
void DeleteExperts(int first, int last, ExpertTableType& table, ExpertTableType* side);
int MoveItems(int dest, int first, int last, ItemTableType& side);
int MoveExperts(int dest, int first, int last, ExpertTableType& side);

// ---- filtering ----
void FilterItemsOut(ItemTableType& side);
int RestoreFilteredItems(ItemTableType& side);
void FilterExpertsOut(ExpertTableType& side);
void RestoreFilteredExperts(ExpertTableType& side);

// ---- identifiers ----
bool DefaultItemNames();
bool DefaultExpertNames();

// Before a save: filtered items and experts go back into the tables, and every item and
// expert whose Id is empty or repeats an earlier one (case-insensitively) gets its default
// id, so that both files name every record once and no answer column moves on reload.
// True when an id changed; both files are then marked modified.
bool PrepareCaseForSaving();

}  // namespace trindel
