// The run dialog without its window: the checks of its fields, the texts of its refusals,
// one decision-maker calculation (RunCheck) and the switch of the Bayesian updates. The window
// (TRunDlgFrm) copies its controls into RunFields, calls these and shows what comes back.
#pragma once

#include <functional>
#include <string>

#include "common/core/short_string.h"
#include "engine/globals.h"
#include "engine/run_options.h"

namespace halvorine {

// The name for the next decision maker (from the name edit; "None" for a robustness run).
extern ShortString<8> DMName;
// The results changed since the range graphs were built.
extern bool ResultsFresh;

// ---- field checks: the edit's text, blanks trimmed, read as a 32-bit real ----
// 0.1 <= x <= 1.0: CalibrationPower := x.
bool CalPowerCheck(const std::string& text);
// 0.009999 <= x <= 100.0: IntrinsicRangeOvershoot := x.
bool IntRangeCheck(const std::string& text);
// Empty: true. x >= 0: UserSignificanceLevel := x and whether it lies in the admissible range.
bool SignLevelCheck(const std::string& text);

// The labels around the significance-level edit: "0.0 <=" and "<= 0.352".
std::string SignLevelMinText();
std::string SignLevelMaxText();
// A range bound in the refusal of a significance level: " 3.5E-0001".
std::string SignificanceBoundText(float x);

// The message a run's code is shown with; "" for a code without one. RunErrorText keeps the
// lower bound (-7) or the item number (an item's code).
std::string RunErrorMessage(int code);
// Shows it in a plain message box. True when the significance-level edit must turn red.
bool DisplayError(int code);

// The refusal of a run whose data check failed (the codes of CheckCaseData); "" for a code
// the run may go on with.
std::string DataCheckMessage(int code);

// Stores the current run options in the decision maker's record of slot e, when there is one.
void FillMakerSettings(int e);

// What a robustness run keeps of a left-out run's decision maker: its information and its score
// (the optimisation's best when it searched the level, else calibration x seed information).
void StoreLeftOutResults(TRobustness& r, const TExpert& dm);

// The controls RunCheck reads, and what it gives back to them.
struct RunFields {
    std::string CalPower;
    std::string IntRange;
    std::string SignLevel;
    std::string DMName;
    bool SignLevelVisible = false;
    bool Discrepancy = false;
    // The options the run is made with: those in use, with what the dialog's buttons and boxes
    // show; the edits' values and the discrepancy box are applied to it by RunCheck.
    RunOptions Options = RunOptionsInUse();
    // Set by RunCheck: the edits to turn red, the ones to turn back.
    bool CalPowerBad = false;
    bool IntRangeBad = false;
    bool SignLevelBad = false;
};

struct RunHooks {
    // After a refusal naming expert e: show its row and its assessments at the item row.
    std::function<void(int expert, int itemRow)> ShowFaultyExpert;
};

// One decision-maker calculation with the fields' options (put into the globals first): every check
// first (a refusal shows its message and leaves the case as it was), then a new decision maker
// after the data experts and the engine run. True when the decision maker is complete.
bool RunCheck(RunFields& fields, const RunHooks& hooks = {});

// The first data expert whose assessments fail the check before a seed-weighted run; 0 when
// all pass. Flagged experts are skipped while filtering is on.
int CheckSeedAssessments();

// ---- Bayesian updates ----
// Ticking the box: the entered quantiles are kept and every data expert's quantiles are
// updated. A second tick while they are updated changes nothing. False when there is nothing
// to update or the update is refused (its message shown); the box goes unticked again.
bool StartBayesianUpdates();
// Clearing it: the entered quantiles come back, whatever moved or was filtered in between.
void EndBayesianUpdates();

}  // namespace halvorine
