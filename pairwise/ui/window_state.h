// The state WTrindel's windows share: which sheet is open and active, the sheets and dialogs
// of the open case, the views they show and the single-level undo of each sheet kind.
#pragma once

#include <QPointer>

#include <array>

#include "common/core/window_flags.h"
#include "pairwise/model/globals.h"
#include "pairwise/ui/sheet_state.h"

class QMdiSubWindow;

namespace trindel {

class TExpertsSheet;
class TItemsSheet;
class TMainForm;
class TRunDlgFrm;
class TRangeGraphWindow;

constexpr int ChildSheetSlots = 1032;

// Which sheet is open and current, read off the windows (ReadWindowFlags): the realisations sheet
// is ChildSheets[0], the comparisons sheet any other entry of ChildSheets.
WindowFlagSet CurrentWindowFlags();
extern TMainForm* MainForm;
// The sheets delete themselves once closed; each clears its own entries in its destructor, before
// its base classes go (a QPointer clears only then), and the pointers catch whatever that misses.
extern QPointer<TExpertsSheet> ExpertsSheet;
// The realisations sheet, or the comparisons sheet when that was made while there was none.
extern QPointer<TItemsSheet> ItemsSheet;
// [0] the realisations sheet, [r] the comparisons sheet kept at experts-grid row r.
extern std::array<QPointer<TItemsSheet>, ChildSheetSlots + 1> ChildSheets;

extern QPointer<TRunDlgFrm> RunDialog;
extern bool ResultsFresh;   // the last run succeeded and its report was not shown yet
extern int RangeGraphKind;  // ItemsWiseGraph or ExpertsWiseGraph
constexpr int ItemsWiseGraph = 0;
constexpr int ExpertsWiseGraph = 1;
extern QPointer<TRangeGraphWindow> ItemsRangeGraph;
extern QPointer<TRangeGraphWindow> ExpertsRangeGraph;
extern QPointer<TRangeGraphWindow> ReportWindow;

// The run options and view settings at their defaults.
void SetDefaultRunOptions();
// SetDefaultRunOptions, no sheets, the filter side tables emptied.
void ResetCaseState();

// Every run dialog of the case closes with it, also one the frame's activation let go of.
void CloseRunDialogs();

}  // namespace trindel
