// The copy of a sheet grid to the clipboard as a framed text table (Ctrl-C on a sheet).
#pragma once

#include <string>
#include <vector>

#include "common/core/sheet_export.h"

namespace trindel {

class TItemsSheet;
class TExpertsSheet;

// The lines of the copy: header, the grid's table, trailer.
std::vector<std::string> ExportSheetLines(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems);

// The clipboard is the only target this program uses; the others do nothing.
void ExportSheet(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems, ExportTarget target);

}  // namespace trindel
