// The lookups of the case-file readers: an item or expert by Id, created when it is new.
#pragma once

#include <string>

#include "pairwise/model/globals.h"

namespace trindel {

// The item at CurrentItemIndex when its Id matches, else the first of 1..ItemCount that
// matches (which becomes current), else a new item at ItemCount + 1 with an empty name.
// Null when the id is new and 1000 items exist: the caller refuses the line.
TPairItem* FindOrCreateItem(const std::string& id);

// The same over the experts, with CurrentExpertIndex and ExpertReadCount.
TPairExpert* FindOrCreateExpert(const std::string& id);

// The first position 1..1000 whose item's Id equals id (case-insensitively); 0 when none.
int ItemNumberOfId(const std::string& id);

}  // namespace trindel
