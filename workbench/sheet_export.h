// The text export of a sheet's current view: a framed table to a text file or the clipboard,
// or tab-separated rows to the clipboard.
#pragma once

#include <string>
#include <vector>

#include "common/core/sheet_export.h"

class QWidget;

namespace halvorine {

class TItemsSheet;
class TExpertsSheet;

// To a text file, to the clipboard framed, or to the clipboard as tab-separated rows only.
void ExportSheet(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems, ExportTarget target);

// The lines ExportSheet writes to the clipboard or, for ExportTarget::File, to a file.
std::vector<std::string> ExportSheetLines(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems,
                                          ExportTarget target);

// Quantile level k as the questionnaire names it: " 5%", "50%".
std::string PercentText(int k);

// The answer field after each level of the questionnaire.
inline const char* const AnswerBlank = "_______";

// The elicitation questionnaire for the named items, through the save choice; a case without
// experts or levels is asked for its levels first (owner: the window the prompt belongs to).
void WriteQuestionnaire(QWidget* owner);

}  // namespace halvorine
