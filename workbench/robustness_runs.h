// The robustness runs: after one full run, the engine runs again once per seed item (or once per
// data expert) with that item (expert) left out, and each left-out run's decision maker is
// measured against the full run's. The results go into the left-out record's Robustness.
#pragma once

#include <functional>
#include <string>

namespace halvorine {

class ExpertsSheetHost;
class TRunDlgFrm;

// What the runs need of the run dialog.
struct RobustnessHooks {
    // The full run (the dialog's RunCheck): false when it was refused or failed.
    std::function<bool()> FullRun;
    // The dialog's caption, which names the record being left out while the runs go on.
    std::function<std::string()> Caption;
    std::function<void(const std::string&)> SetCaption;
    // Shows the message of a failing left-out run on items (the dialog's DisplayError).
    std::function<void(int code)> ShowError;
    // The experts sheet, told when the earlier result experts go.
    ExpertsSheetHost* Host = nullptr;
    // The left-out runs take over from the full run what leaving one record out does not change;
    // false: each computes everything anew (the plain runs the reuse must agree with bit for bit).
    bool Reuse = true;
};

// The runs of the kind RobustnessOnExperts says, with the options in the globals. Earlier result
// experts go first; afterwards the full run's decision maker is the one after the data experts
// (named "None") and tables, counts, filter flags, the item map and the experts' scores are as the
// full run left them. On items, every item that is neither a seed item nor flagged by the user is
// flagged and recorded in RobustnessFlaggedItems. False when the full run was refused or a
// left-out run failed (the records of the runs before it keep their results).
bool CalcRob(const RobustnessHooks& hooks);

// The dialog's side: the discrepancy box cleared, its caption and messages, then CalcRob.
bool CalcRob(TRunDlgFrm& dialog);

}  // namespace halvorine
