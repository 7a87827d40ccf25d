#include "pairwise/model/workspace.h"

#include <algorithm>

#include "common/core/line_io.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/model_results.h"

namespace trindel {

int RunItemCount = 0;
int RunExpertCount = 0;
int ItemOrder[MaxRunItems + 1] = {};
int RunExpertNumber[MaxRunExperts + 1] = {};
ShortString<8> RunExpertId[MaxRunExperts + 1];

// Static: the tallies are allocated once, never per run and never on the stack.
int PairCount[MaxRunItems + 1][MaxRunItems + 1] = {};
Real48 PreferenceCount[MaxRunItems + 1][MaxRunItems + 1];
Real48 ExpertPreference[MaxRunExperts + 1][MaxRunItems + 1][MaxRunItems + 1];
bool Answered[MaxRunItems + 1][MaxRunExperts + 1] = {};
bool NoTieAnswers = true;
bool NoQueryAnswers = true;

int RefItem1 = 0;
int RefItem2 = 0;
Real48 RefValue1;
Real48 RefValue2;
int NelRefItem = 0;
Real48 NelRefValue;

int MaxSimulations = 0;
bool SimulationPossible = false;

std::unique_ptr<TextFileWriter> ReportFile;
bool RunSucceeded = false;

namespace {

// The corner of the tallies that may hold anything but 0: what was tallied since they were
// last cleared. Clearing only that keeps a small run from touching the 27 MB of E.
int taintedItems = 0;
int taintedExperts = 0;

}  // namespace

void MarkTallied(int expert, int item) {
    taintedItems = std::max(taintedItems, item);
    taintedExperts = std::max(taintedExperts, expert);
}

ReferenceItems FindReferenceItems() {
    ReferenceItems r;
    const int last = std::min(AnswerColumnCount, MaxItemCount);
    for (int k = 1; k <= last; ++k) {
        const TPairItem* item = ItemTable[k].get();
        if (!item || !item->HasRealisation || !(item->Realisation > MissingValue)) continue;
        ++r.Count;
        if (r.Count == 1) {
            r.FirstPosition = k;
            r.FirstValue = item->Realisation;
            r.FirstId = item->Id;
        } else {
            r.SecondPosition = k;
            r.SecondValue = item->Realisation;
            r.SecondId = item->Id;
        }
    }
    return r;
}

void ClearCalculation() {
    RunSucceeded = false;
    RefItem1 = 0;
    RefItem2 = 0;
    NelRefItem = 0;
    NoQueryAnswers = true;
    NoTieAnswers = true;
    // Counts set by hand (as the model tests do) widen the corner too.
    const int items = std::clamp(std::max(taintedItems, RunItemCount), 0, MaxRunItems);
    const int experts = std::clamp(std::max(taintedExperts, RunExpertCount), 0, MaxRunExperts);
    RunItemCount = 0;
    RunExpertCount = 0;
    const auto row = static_cast<std::size_t>(items) + 1;
    for (int i = 0; i <= items; ++i) {
        std::fill_n(PairCount[i], row, 0);
        std::fill_n(PreferenceCount[i], row, Real48());
        std::fill_n(Answered[i], static_cast<std::size_t>(experts) + 1, false);
    }
    for (int e = 0; e <= experts; ++e)
        for (int i = 0; i <= items; ++i) std::fill_n(ExpertPreference[e][i], row, Real48());
    taintedItems = 0;
    taintedExperts = 0;
}

void ResetWorkspace() {
    ClearCalculation();
    std::fill(std::begin(ItemOrder), std::end(ItemOrder), 0);
    std::fill(std::begin(RunExpertNumber), std::end(RunExpertNumber), 0);
    for (auto& id : RunExpertId) id = "";
    RefValue1 = 0;
    RefValue2 = 0;
    NelRefValue = 0;
    MaxSimulations = 0;
    SimulationPossible = false;
    ReportFile.reset();
    ResetModelResults();
}

}  // namespace trindel
