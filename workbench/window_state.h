// What Halvorine's windows keep between them about the open case: the views the sheets show,
// the expert whose assessments an items sheet follows, the range graph's layout and what the
// exports write. No engine code reads it; the engine's state is in engine/globals.h.
#pragma once

#include "engine/globals.h"

namespace halvorine {

// Views of the experts sheet (ExpertsSheetMode).
constexpr int ExpertsDataView = 0;
constexpr int ExpertsScoresView = 2;
constexpr int ExpertsRobustnessView = 4;

// Views of the items sheets (ItemsSheetMode).
constexpr int ItemsDataView = 0;
constexpr int ItemsSolutionView = 1;
constexpr int ItemsLossView = 3;
constexpr int ItemsRobustnessView = 4;

// The layout mode no view has: the sheet is laid out anew at its next activation or paint.
constexpr int NewLayout = 65535;

// The two layouts of the range graph (RangeGraphKind).
constexpr int ItemsWiseGraph = 0;
constexpr int ExpertsWiseGraph = 1;

// ---- sheet views ----
extern int ExpertsSheetMode;
extern int ItemsSheetMode;
// The view each sheet was last laid out for (NewLayout: none yet).
extern int ExpertsLayoutMode;
extern int ItemsLayoutMode;
extern bool ExpertsTextOutput;
extern bool ItemsTextOutput;
// The items sheet of the last run shows the loss view.
extern bool LossShown;

// The expert whose assessments the next opened or re-activated items sheet shows; cleared
// whenever that record is freed (FreeCaseRecords).
extern TExpert* ActiveExpert;

// ---- export choices ----
extern int ExportSolutionMode;
extern bool ExportDistributions;
extern int RangeGraphKind;  // ItemsWiseGraph or ExpertsWiseGraph

// Every value above at its default, as at program start.
void ResetWindowState();

// FreeCase, and the window state that pointed into the freed records.
void FreeCaseRecords();

}  // namespace halvorine
