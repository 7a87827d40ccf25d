#include "workbench/window_state.h"

namespace halvorine {

int ExpertsSheetMode = ExpertsDataView;
int ItemsSheetMode = ItemsDataView;
int ExpertsLayoutMode = NewLayout;
int ItemsLayoutMode = NewLayout;
bool ExpertsTextOutput = false;
bool ItemsTextOutput = false;
bool LossShown = false;
TExpert* ActiveExpert = nullptr;
int ExportSolutionMode = 0;
bool ExportDistributions = false;
int RangeGraphKind = ItemsWiseGraph;

void ResetWindowState() {
    ExpertsSheetMode = ExpertsDataView;
    ItemsSheetMode = ItemsDataView;
    ExpertsLayoutMode = NewLayout;
    ItemsLayoutMode = NewLayout;
    ExpertsTextOutput = false;
    ItemsTextOutput = false;
    LossShown = false;
    ActiveExpert = nullptr;
    ExportSolutionMode = 0;
    ExportDistributions = false;
    RangeGraphKind = ItemsWiseGraph;
}

void FreeCaseRecords() {
    ActiveExpert = nullptr;
    FreeCase();
}

}  // namespace halvorine
