// What the main window, the sheets and the run dialog share about the open case besides the
// sheets themselves: the other windows a case may have, and resetting the run options.
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <functional>

// The run dialog and the two range-graph windows; each becomes null when its window goes,
// and only then.
extern QPointer<QMdiSubWindow> RunDialog;
extern QPointer<QMdiSubWindow> ItemsRangeGraph;
extern QPointer<QMdiSubWindow> ExpertsRangeGraph;

// The run dialog, the range graphs and the export list window are filled in by their own
// windows; an empty hook does nothing.
// Makes the run dialog as a child of the area (not yet shown).
extern std::function<QMdiSubWindow*(QMdiArea*)> CreateRunDialogHandler;
// The run dialog's robustness and scores button captions follow the experts sheet's view.
extern std::function<void()> UpdateRunDialogCaptionsHandler;
// Writes one range-graph window to its text file.
extern std::function<void(QMdiSubWindow*)> SaveRangeGraphHandler;
// Opens the window that exports quantiles or distributions as columns.
extern std::function<void()> OpenExportListHandler;

// Every run option and view mode to its default; the counts of experts and decision makers
// to 0. Quantiles an update had moved get their entered values back.
void SetDefaultRunOptions();

// SetDefaultRunOptions, flagged items back into the table, no robustness flags, line breaks on.
void ResetCaseState();
