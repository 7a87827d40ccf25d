// What a comparison run takes from the case and the counts it makes of the answers.
//
// A run works on a list of item positions in ItemTable, ascending: the answers are read at
// those positions, ItemOrder[i] is the position of run item i, and the reference items are
// looked for among them. Flagged items are left out by leaving them off the list, so the
// tables are never compacted for a run and answers stay under their own items.
#pragma once

#include <string>
#include <vector>

namespace trindel {

// The positions 1..AnswerColumnCount that hold an item, without the flagged ones while
// ItemsFilterEnabled is set.
std::vector<int> RunItemPositions();

// Experts taken into a run: every present slot of ExpertTable, without the flagged ones while
// ExpertsFilterEnabled is set.
int CountRunExperts();

// The reference items among the run's items (run positions 1..items.size()), as
// FindReferenceItems finds them among all positions.
struct RunReferenceItems {
    int Count = 0;
    int First = 0;   // run position of the first one counted
    int Second = 0;  // run position of the last one counted
    float FirstValue = 0;
    float SecondValue = 0;
};
RunReferenceItems FindRunReferenceItems(const std::vector<int>& items);

// Why a run of these items cannot be made, "" when it can: more items or experts than the
// workspace holds, or a transformation without exactly two reference items.
std::string RunRefusal(const std::vector<int>& items);

// One answer c of counted expert e on the run's items l < t into PairCount, PreferenceCount,
// ExpertPreference, Answered and NoTieAnswers: '>' l preferred, '<' t preferred, '=' a tie
// (0.5 each way); any other character is no answer and counts nothing.
void TallyAnswer(int e, int l, int t, char c);

// Clears the workspace and tallies the answers of the counted experts over the given items:
// RunItemCount, RunExpertCount, ItemOrder, RunExpertNumber, RunExpertId, PairCount,
// PreferenceCount, ExpertPreference, Answered and NoTieAnswers. Only the answers above the
// diagonal are read (row of the earlier item, column of the later one); a missing answer row
// reads as blanks and any character but '>', '<' and '=' as no answer. Items and experts
// beyond the workspace's 150 are not taken (RunRefusal refuses such runs first).
void TallyAnswers(const std::vector<int>& items);

}  // namespace trindel
