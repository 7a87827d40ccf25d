// Consistency of each counted expert: the circular triads among the expert's answers (listed in
// the report while they are counted) and the item scores that the scores table and the
// concordance read.
#pragma once

#include <string>

#include "common/core/real48.h"
#include "pairwise/model/workspace.h"

namespace trindel {

// ItemScore[i][e]: how many items counted expert e put below item i, a tie counting 0.5.
extern Real48 ItemScore[MaxRunItems + 1][MaxRunExperts + 1];
// ItemScoreTotal[i]: ItemScore[i][e] summed over the experts who answered some pair with i.
extern Real48 ItemScoreTotal[MaxRunItems + 1];
// TriadCount[e]: the circular triads of counted expert e.
extern int TriadCount[MaxRunExperts + 1];

// How counted expert e relates item a to item b: '>' a preferred, '=' a tie, '<' b preferred.
// A pair the expert left blank holds 0 both ways and so reads '<'.
char PairRelation(int e, int a, int b);

// 1, 2 or 3 for a circular triad of kind C1, C2 or C3, 0 for a consistent triple. The pattern
// is the relations of the pairs (A, B), (A, C) and (B, C), A < B < C in position order.
int TriadKind(const std::string& pattern);

// Counts the triads of every counted expert, writes their listing to the report and fills
// TriadCount, ItemScore and ItemScoreTotal.
void CountCircularTriads();

}  // namespace trindel
