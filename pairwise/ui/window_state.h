// The state WTrindel's windows share: which sheet is open and active, the sheets and dialogs
// of the open case, the views they show and the single-level undo of each sheet kind.
#pragma once

#include <QPointer>

#include <array>

#include "common/core/sheet_rules.h"
#include "pairwise/model/globals.h"

class QMdiSubWindow;
class TExpertsSheet;
class TItemsSheet;
class TMainForm;
class TRunDlgFrm;
class TRangeGraphWindow;

constexpr int ChildSheetSlots = 1032;

// [0]/[1] the realisations sheet open / active, [2]/[3] the experts sheet, [4]/[5] the
// comparisons sheet.
extern std::array<bool, 6> WindowFlags;
extern TMainForm* MainForm;
extern TExpertsSheet* ExpertsSheet;
// The realisations sheet, or the comparisons sheet when that was made while there was none.
extern TItemsSheet* ItemsSheet;
// [0] the realisations sheet, [r] the comparisons sheet kept at experts-grid row r.
extern std::array<TItemsSheet*, ChildSheetSlots + 1> ChildSheets;

extern int ExpertsSheetMode;  // 0, the data view, is this program's only view
extern int ItemsSheetMode;
extern int ExpertsLayoutMode;  // -1: a new layout at the next paint
extern int ItemsLayoutMode;
extern int ExpertsTextOutput;  // 1 while the text export reads cell texts
extern int ItemsTextOutput;

extern QPointer<TRunDlgFrm> RunDialog;
extern bool ResultsFresh;  // the last run succeeded and its report was not shown yet
extern int RangeGraphKind;
extern QPointer<TRangeGraphWindow> ItemsRangeGraph;
extern QPointer<TRangeGraphWindow> ExpertsRangeGraph;
extern QPointer<TRangeGraphWindow> ReportWindow;

// The run options and view settings at their defaults.
void SetDefaultRunOptions();
// SetDefaultRunOptions, no sheets, the filter side tables emptied.
void ResetCaseState();

// ---- single-level undo of row operations ----
struct ExpertsUndoRecord {
    UndoRecord Record;
    ExpertTableType Held;  // the rows a Del or Cut moved out, at their old positions
};
struct ItemsUndoRecord {
    UndoRecord Record;
    ItemTableType Held;
};
extern ExpertsUndoRecord ExpertsUndo;
extern ItemsUndoRecord ItemsUndo;

// Creates (kind 1), pastes (kind 2, only while a Cut is held) or moves out (kinds 3 and 4)
// rows and records it; the result is the created position, the number pasted, or the count.
int RecordExpertsUndo(UndoKind kind, int position, int count);
int RecordItemsUndo(UndoKind kind, int position, int count);
// Takes back the recorded operation; false when there is none.
bool UndoExpertsRecord();
bool UndoItemsRecord();
void FreeExpertsUndo();
void FreeItemsUndo();
bool CutHeld(const UndoRecord& r);

// The item at a grid row is flagged while item filtering is on.
bool TrulyFiltered(int index);
// Every present expert record of the case, the filtered-out ones included.
template <typename F>
void ForEachExpertRecord(F f) {
    for (auto& x : ExpertTable)
        if (x) f(x.get());
    for (auto& x : FilteredExperts)
        if (x) f(x.get());
}
