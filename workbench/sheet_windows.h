// The sheet windows of the open case, as the main window keeps them.
#pragma once

#include <QPointer>

#include <array>

#include "common/core/window_flags.h"

class QMdiSubWindow;

namespace halvorine {

class TExpertsSheet;
class TItemsSheet;

constexpr int ChildSheetSlots = 1032;
constexpr int FirstResultSlot = 1001;

// Entry 0 the realisations sheet, entry r the assessments window opened for experts-grid
// row r, entries 1001..1032 the result sheets of decision makers.
// The sheets delete themselves once closed; each clears its own entries in its destructor, before
// its base classes go (a QPointer clears only then), and the pointers catch whatever that misses.
extern std::array<QPointer<TItemsSheet>, ChildSheetSlots + 1> ChildSheets;
extern QPointer<TExpertsSheet> ExpertsSheet;
extern QPointer<TItemsSheet> ItemsSheet;  // the first items sheet made, normally the realisations sheet

// Which sheet of the open case is open and current (ReadWindowFlags): the realisations sheet is
// ChildSheets[0], an expert's items sheet any other entry of ChildSheets.
WindowFlagSet CurrentWindowFlags();

// Puts flagged experts and items moved out by a result view back into the tables, so that
// whatever is written or closed next sees every record.
void PutBackSideTables();

// Every open items sheet gets its row count again and is drawn anew.
void InvalidateChildren();

// The slot in 1001..1032 whose sheet shows that decision maker, 0 when none.
int FindResultSheet(int expertIndex);
// The first free result slot, 0 when all are taken.
int FindFreeResultSlot();

// A window opened or laid out anew while the run dialog is open is moved (and narrowed where
// it must) so that it covers none of the dialog, whose buttons stay within reach.
void KeepClearOfRunDialog(QMdiSubWindow* window);
// Every other window of the dialog's area, after the dialog itself grew or was placed.
void KeepWindowsClearOfRunDialog();

}  // namespace halvorine
