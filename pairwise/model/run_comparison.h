// A paired-comparison run: the answers of the case counted into the workspace, every model
// fitted and the whole report written to CaseName + ".ouc" in the current directory.
#pragma once

#include <functional>
#include <string>

namespace trindel {

// Runs the items of RunItemPositions and the experts taken part (run_tally.h). nelChoice 2
// makes the second reference item the NEL reference, any other value the first. A run that
// cannot be made (RunRefusal) shows its message and returns false without touching the report
// file. Calculation errors (CalcError), the models' own refusals and IoError propagate. After
// a calculation error or a refusal the report ends where the run stopped; any other failure
// (an IoError of the report's own writing) leaves the last report as it was. Returns
// RunSucceeded.
bool RunComparison(int nelChoice);

// Told between the steps of a run what it does next ("Calculating: models"), so that a window
// can show it while the run holds the window thread; unset, nothing is told.
extern std::function<void(const std::string& step)> RunProgress;
// Tells RunProgress the step, when it is set.
void ReportRunStep(const std::string& step);

// The report body in the order of the run, into the open ReportFile; status is 0 on return.
void RunModels(int& status);

}  // namespace trindel
