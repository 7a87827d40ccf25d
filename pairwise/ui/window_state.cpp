#include "pairwise/ui/window_state.h"

#include "common/ui/sheet_window.h"
#include "pairwise/model/tables.h"
#include "pairwise/ui/experts_sheet.h"
#include "pairwise/ui/items_sheet.h"
#include "pairwise/ui/main_form.h"
#include "pairwise/ui/run_dialog.h"

namespace trindel {

TMainForm* MainForm = nullptr;
QPointer<TExpertsSheet> ExpertsSheet;
QPointer<TItemsSheet> ItemsSheet;
std::array<QPointer<TItemsSheet>, ChildSheetSlots + 1> ChildSheets{};

QPointer<TRunDlgFrm> RunDialog;
bool ResultsFresh = false;
int RangeGraphKind = ItemsWiseGraph;
QPointer<TRangeGraphWindow> ItemsRangeGraph;
QPointer<TRangeGraphWindow> ExpertsRangeGraph;
QPointer<TRangeGraphWindow> ReportWindow;

WindowFlagSet CurrentWindowFlags() {
    return ReadWindowFlags(ChildSheets, ExpertsSheet);
}

void SetDefaultRunOptions() {
    SavedFilterFlag = true;
    ItemsFilterEnabled = true;
    ExpertsFilterEnabled = true;
    ExpertsSheetMode = ExpertsDataView;
    ExpertsTextOutput = 0;
    ItemsSheetMode = ItemsDataView;
    ItemsTextOutput = 0;
    RangeGraphKind = ItemsWiseGraph;
}

void ResetCaseState() {
    SetDefaultRunOptions();
    ExpertsSheet = nullptr;
    ItemsSheet = nullptr;
    ItemsRangeGraph = nullptr;
    ExpertsRangeGraph = nullptr;
    // Flagged records still aside go back first: clearing the side tables must not lose them.
    RestoreFilteredItems(FilteredItems);
    RestoreFilteredExperts(FilteredExperts);
    for (auto& i : FilteredItems) i.reset();
    RobustnessFlaggedItems.fill(nullptr);
    OutputLineBreak = true;
}

void CloseRunDialogs() {
    if (RunDialog) RunDialog->close();
    RunDialog = nullptr;
    if (!MainForm || !MainForm->MdiArea) return;
    for (QMdiSubWindow* w : MainForm->MdiArea->subWindowList())
        if (auto* dialog = qobject_cast<TRunDlgFrm*>(w)) dialog->close();
}

}  // namespace trindel
