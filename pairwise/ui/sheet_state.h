// What WTrindel's sheets share without any window: the views they show, the cursor of a
// grid as the sheet rules see it, what a rule asks the window to do, and the single-level
// undo of each sheet kind.
#pragma once

#include <map>
#include <tuple>
#include <vector>

#include "common/core/sheet_rules.h"
#include "pairwise/model/globals.h"

namespace trindel {

extern int ExpertsSheetMode;  // ExpertsDataView, this program's only experts view
extern int ItemsSheetMode;    // ItemsDataView or ItemsSolutionView
constexpr int ExpertsDataView = 0;
constexpr int ItemsDataView = 0;
constexpr int ItemsSolutionView = 1;
// The layout mode no view has: the sheet is laid out anew at its next activation or paint.
constexpr int NewLayout = -1;
extern int ExpertsLayoutMode;
extern int ItemsLayoutMode;
extern int ExpertsTextOutput;  // 1 while the text export reads cell texts
extern int ItemsTextOutput;

// The cursor and mode of a sheet's grid, in grid rows and columns.
struct GridCursor {
    int Col = 1;
    int Row = 1;
    int SelFirst = 1;  // selected rows in row mode, else the current row
    int SelLast = 1;
    bool EditorOn = true;     // editor mode, not row mode
    bool EditorOpen = false;  // the cell editor is open now
};

// What the window must do after a rule ran.
enum SheetEffect : unsigned {
    EffectNone = 0,
    EffectRepaint = 1,         // cell texts changed
    EffectRelayout = 2,        // rows or columns came or went
    EffectCursor = 4,          // move the grid's cursor to the GridCursor
    EffectEditorMode = 8,      // apply GridCursor::EditorOn
    EffectEditMenu = 16,       // refresh the Edit menu
    EffectOtherSheets = 32,    // every other items sheet drawn again
    EffectCopy = 64,           // copy the grid to the clipboard
    EffectActiveExpert = 128,  // ActiveExpert changed: its comparisons and the realisations sheet drawn again
    EffectFilterCheck = 256,   // the Edit menu's filtering check mark follows the flag
    EffectSelectRow = 512,     // row mode: the current row selected
    EffectRunDialog = 1024,    // the reference items may have changed
};

// ---- single-level undo of row operations ----
struct ExpertsUndoRecord {
    UndoRecord Record;
    ExpertTableType Held;  // the rows a Del or Cut moved out, at their old positions
};

// One comparison of a held item: the answer of `expert` with item `left` against `top`.
struct HeldAnswer {
    const TPairExpert* Expert;
    const TPairItem* Left;
    const TPairItem* Top;
    char Answer;
};

struct ItemsUndoRecord {
    UndoRecord Record;
    ItemTableType Held;
    // The answer rows and columns of the held items in every expert, so that Undo and
    // Paste bring the comparisons back with the items.
    std::vector<HeldAnswer> Answers;
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
// Held answers of experts that are no longer anywhere in the case are dropped, so that a
// record made later at the same address never receives them.
void ForgetAnswersOfGoneExperts();

// The item at a grid row is flagged while item filtering is on.
bool TrulyFiltered(int index);
// Every present expert record of the case: the table, the filtered-out ones and those an
// experts Del or Cut holds for undo.
template <typename F>
void ForEachExpertRecord(F f) {
    for (auto& x : ExpertTable)
        if (x) f(x.get());
    for (auto& x : FilteredExperts)
        if (x) f(x.get());
    for (auto& x : ExpertsUndo.Held)
        if (x) f(x.get());
}
// The expert records the table operations do not reach: those held for undo.
template <typename F>
void ForEachHeldExpert(F f) {
    for (auto& x : ExpertsUndo.Held)
        if (x) f(x.get());
}
// True when the case has any expert record, so that answers exist to be kept in step.
bool AnyExpertRecord();

}  // namespace trindel
