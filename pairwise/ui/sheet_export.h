// The copy of a sheet grid to the clipboard as a framed text table (Ctrl-C on a sheet).
#pragma once

#include <string>
#include <vector>

namespace trindel {

class TItemsSheet;
class TExpertsSheet;

// The lines of the copy: header, the grid's table, trailer.
std::vector<std::string> ExportSheetLines(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems);

// target 2 (the clipboard) is the only one this program uses; other targets do nothing.
void ExportSheet(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems, int target);

}  // namespace trindel
