// How far one quantile assessment lies from another on the same item: the discrepancy of every
// expert from the decision maker, and the robustness measure of a decision maker made without one
// item or expert against the decision maker of the full run.
#pragma once

#include "engine/globals.h"

namespace halvorine {

// Relative information of the piecewise uniform density of the quantile values a[1..q] with
// respect to that of b[1..q], both with bin masses p[1..q+1] on the item's range lower..upper (on
// the natural-log scale when isLog). The values are used as stored (no nudge) and taken into the
// range; a bin of no width counts as 1e-5 wide, as the information does.
float RelativeInformation(int q, const float* p, const float* a, bool isLog, float upper, float lower, const float* b);

// The Discrepancy of every assessment of experts 1.. up to the first empty slot (at most 1000),
// earlier decision makers included, against the current decision maker (ExpertCount+1): 0 unless
// both assessments are valid. code: 0, or RunNotFinite (CheckedExpert, ItemCount).
void ComputeDiscrepancies(int& code);

// MeanDiscrepancy and MeanSeedDiscrepancy of the same experts over their valid assessments (0 over
// none); the current decision maker's are 0.
void ComputeMeanDiscrepancies();

// Both means of every expert slot 1.. up to the first empty one become MissingValue (not computed).
void ResetDiscrepancies();

// During a robustness run: the mean relative information of the left-out run's decision maker
// (ExpertCount+1, read through RobustItemColumnMap) with respect to the full run's (ExpertCount+2),
// over the items other than `excluded` (0 when an expert was left out) and over the seed items
// among them, into R.DMDiscrepancy and R.DMSeedDiscrepancy. code: 0, or RunNotFinite (ItemCount).
void RobustnessDiscrepancy(int& code, int excluded, TRobustness& R);

}  // namespace halvorine
