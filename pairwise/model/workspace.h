// The fixed-size workspace of a paired-comparison run: the counts and tallies the run driver
// fills and the models and report read, held for the whole program. Tables are 1-based
// (index 0 unused), item first and expert second where both occur; reals are six-byte reals.
#pragma once

#include <memory>
#include <string>

#include "common/core/real48.h"
#include "common/core/short_string.h"

class TextFileWriter;

namespace trindel {

constexpr int MaxRunItems = 150;
constexpr int MaxRunExperts = 150;

// ---- counts of the run ----
extern int RunItemCount;                        // n: items 1..n by position
extern int RunExpertCount;                      // m: counted experts 1..m
extern int ItemOrder[MaxRunItems + 1];          // the number item i is printed under
extern int RunExpertNumber[MaxRunExperts + 1];  // position in ExpertTable of counted expert e
extern ShortString<8> RunExpertId[MaxRunExperts + 1];

// ---- tallies ----
// N[i][j]: counted experts who answered the pair {i, j}; symmetric, diagonal 0.
extern int PairCount[MaxRunItems + 1][MaxRunItems + 1];
// P[i][j]: experts preferring i to j, a tie adding 0.5 both ways.
extern Real48 PreferenceCount[MaxRunItems + 1][MaxRunItems + 1];
// E[e][i][j]: 1 when counted expert e preferred i to j, 0.5 for a tie, else 0.
extern Real48 ExpertPreference[MaxRunExperts + 1][MaxRunItems + 1][MaxRunItems + 1];
// Answered[i][e]: counted expert e answered some pair containing item i.
extern bool Answered[MaxRunItems + 1][MaxRunExperts + 1];
extern bool NoTieAnswers;
extern bool NoQueryAnswers;

// ---- reference items ----
extern int RefItem1;
extern int RefItem2;
extern Real48 RefValue1;
extern Real48 RefValue2;
extern int NelRefItem;
extern Real48 NelRefValue;

// ---- simulation bounds ----
extern int MaxSimulations;
extern bool SimulationPossible;

// ---- other state ----
extern std::unique_ptr<TextFileWriter> ReportFile;  // the report while a run writes it
extern bool RunSucceeded;

// The items among positions 1..AnswerColumnCount with HasRealisation set and Realisation above
// MissingValue: the first one counted and the last one counted. Positions 0 and empty ids
// when there are not that many.
struct ReferenceItems {
    int Count = 0;
    int FirstPosition = 0;
    int SecondPosition = 0;
    float FirstValue = 0;
    float SecondValue = 0;
    std::string FirstId;
    std::string SecondId;
};
ReferenceItems FindReferenceItems();

// Resets the workspace before a run. The tallies are cleared as far as they were used: up to the
// run's counts or any cell marked by MarkTallied, whichever reaches further.
void ClearCalculation();

// Notes that a tally of counted expert `expert` touched item `item` (a tally routine calls it).
void MarkTallied(int expert, int item);

// ClearCalculation and the state a run never clears, for the program's reset.
void ResetWorkspace();

}  // namespace trindel
