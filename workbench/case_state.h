// What the main window, the sheets and the run dialog share about the open case besides the
// sheets themselves: the other windows a case may have, and resetting the run options.
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace halvorine {

// The run dialog and the two range-graph windows; each becomes null when its window goes,
// and only then.
extern QPointer<QMdiSubWindow> RunDialog;
extern QPointer<QMdiSubWindow> ItemsRangeGraph;
extern QPointer<QMdiSubWindow> ExpertsRangeGraph;

// Every run option and view mode to its default; the counts of experts and decision makers
// to 0. Quantiles an update had moved get their entered values back.
void SetDefaultRunOptions();

// SetDefaultRunOptions, flagged items back into the table, no robustness flags, line breaks on.
void ResetCaseState();

}  // namespace halvorine
