// The text export of a sheet's current view: a framed table to a text file or the clipboard,
// or tab-separated rows to the clipboard.
#pragma once

#include <string>
#include <vector>

class QWidget;

namespace halvorine {

class TItemsSheet;
class TExpertsSheet;

// target 0: text file, 2: clipboard (framed), 3: clipboard (tab-separated rows only).
void ExportSheet(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems, int target);

// The lines ExportSheet writes for targets 2 and 3 (and 0, which writes them to a file).
std::vector<std::string> ExportSheetLines(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems,
                                          int target);

// Quantile level k as the questionnaire names it: " 5%", "50%".
std::string PercentText(int k);

// The answer field after each level of the questionnaire.
inline const char* const AnswerBlank = "_______";

// The elicitation questionnaire for the named items, through the save choice; a case without
// experts or levels is asked for its levels first (owner: the window the prompt belongs to).
void WriteQuestionnaire(QWidget* owner);

}  // namespace halvorine
