// Creating, inserting, moving, deleting and filtering items, experts and assessments,
// the item-to-slot maps, the automatic identifiers and the data check before a run.
#pragma once

#include <string>

#include "common/core/automatic_ids.h"
#include "engine/globals.h"

namespace halvorine {

// Data-check codes of CheckExpertData / CheckCaseData.
enum CheckCode {
    CheckNoExpertId = -1,
    CheckNoItemId = -2,
    CheckNoItem = -3,
    CheckNotIncreasing = -4,
    CheckTooFewSeeds = -5,
    CheckNotPositiveLog = -8,
};

// ---- small queries ----
bool IsSeedItem(const TItem* item);
bool IsLogItem(const TItem* item);
// A data expert is one in slots 1..ExpertCount that is not a decision maker.
bool IsDataExpert(int e);

// ---- automatic identifiers ----
// DefaultItemId, DefaultExpertId and IsDefaultExpertId: common/core/automatic_ids.h.
std::string DefaultDecisionMakerId(int count);

// ---- creation ----
TItem* NewItem(const std::string& id, const std::string& name, int index);
TExpert* NewExpert(const std::string& id, const std::string& name, int index);
TAssessment* NewAssessment(TExpert* expert, int slot);
void InsertAssessmentSlot(TExpert* expert, int pos, int itemIndex, bool create);
int InsertItem(const std::string& id, const std::string& name, int pos);
int InsertExpert(const std::string& id, const std::string& name, int pos);
bool AddDecisionMaker(const std::string& id);

// ---- lookups ----
void BuildItemIndexMap();
void ExcludeItemFromIndexMap(int k, IndexMapType& target);
// Null when the expert is absent or the item has no slot in the map.
TAssessment* AssessmentAt(int e, int i);
TAssessment* FindAssessment(const TExpert* expert, const TItem* item);

// ---- deletion and compaction ----
void CompactItems(int from);
void CompactExperts(int from);
void CompactAssessments(TExpert* expert, int from);
void DeleteAssessmentsOfItems(TExpert* expert, int first, int last, const ItemTableType& table);
void DeleteItemFromExperts(int index, const ItemTableType& table);
void DeleteItems(bool keepAssessments, int first, int last, ItemTableType* side, ItemTableType& table);
void DeleteExperts(int first, int last, ExpertTableType& table, ExpertTableType* side);
int MoveItems(int dest, int first, int last, ItemTableType& side);
int MoveExperts(int dest, int first, int last, ExpertTableType& side);

// ---- filtering ----
void FilterItemsOut(ItemTableType& side);
int RestoreFilteredItems(ItemTableType& side);
void ClearItemFilter();
void ClearItemSideTables();
void FilterExpertsOut(ExpertTableType& side);
void RestoreFilteredExperts(ExpertTableType& side);

// ---- identifiers, weights, quantiles ----
bool DefaultItemNames();
bool DefaultExpertNames();
void SetAllScales(int index);
void ClearUserWeights();
// Save: the quantiles of every assessment of the data experts. Restore: the saved values back
// into the assessments still held by ExpertTable, FilteredExperts or `alsoIn`.
bool SaveRestoreQuantiles(bool save, const ExpertTableType* alsoIn = nullptr);

// ---- checks ----
// CheckExpertData's check of assessment a (its item present) on an item not filtered out: whether
// it is valid, and 0 or the code that stops the check.
int CheckAssessment(const TAssessment& a, bool dataExpert, bool& valid);
int CheckExpertData(int e);
int CheckCaseData();

}  // namespace halvorine
