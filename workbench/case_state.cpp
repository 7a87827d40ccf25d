#include "workbench/case_state.h"

#include "engine/globals.h"
#include "engine/tables.h"
#include "workbench/experts_sheet_core.h"
#include "workbench/items_sheet_core.h"
#include "workbench/range_graph.h"
#include "workbench/window_state.h"

namespace halvorine {

QPointer<QMdiSubWindow> RunDialog;
QPointer<QMdiSubWindow> ItemsRangeGraph;
QPointer<QMdiSubWindow> ExpertsRangeGraph;

void SetDefaultRunOptions() {
    // Dropping the kept values would make the updated quantiles the case's own.
    if (!QuantileBackup.empty()) SaveRestoreQuantiles(false);
    SetRunOptionDefaults();
    LossShown = false;
    ExpertCountBeforeFilter = 0;
    ExpertCount = 0;
    DecisionMakerCount = 0;
    ItemsFilterEnabled = true;
    ExpertsFilterEnabled = true;
    ExpertsSheetMode = ExpertsDataView;
    ExpertsTextOutput = false;
    ItemsSheetMode = ItemsDataView;
    ItemsTextOutput = false;
    RangeGraphKind = ItemsWiseGraph;
}

void ResetCaseState() {
    SetDefaultRunOptions();
    // The sheet and graph references belong to windows that clear them when they close; the
    // side table owns its items, which go back rather than being dropped.
    ClearItemSideTables();
    OutputLineBreak = true;
}

}  // namespace halvorine
