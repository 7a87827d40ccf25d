// The text export of a sheet's current view: a framed table to a text file or the clipboard,
// or tab-separated rows to the clipboard.
#pragma once

#include <string>
#include <vector>

class TItemsSheet;
class TExpertsSheet;

// target 0: text file, 2: clipboard (framed), 3: clipboard (tab-separated rows only).
void ExportSheet(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems, int target);

// The lines ExportSheet writes for targets 2 and 3 (and 0, which writes them to a file).
std::vector<std::string> ExportSheetLines(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems,
                                          int target);

// The text file of target 0 comes with the output files; until then the export calls this.
#include <functional>
extern std::function<bool(const std::vector<std::string>& lines)> WriteExportFileHandler;
