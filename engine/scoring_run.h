// The one entry of the scoring engine, and the two checks that can refuse a run.
#pragma once

#include "engine/constants.h"

namespace halvorine {

// Scores the case with the run options in the globals: ranges (unless BayesianUpdates), information
// (unless InformationComputed), the weights of WeightType, the decision maker in
// ExpertTable[ExpertCount+1] (at the best significance level when OptimiseDM is set, for global
// and item weights), the scores of experts and decision maker, and the discrepancies when
// DiscrepancyOn is set outside a robustness run. code is 0, an item number (global weights: no
// weighted expert answered it) or a RunCode of engine/run_codes.h; on a non-zero code the decision
// maker is incomplete.
void RunCalculation(int& code);

// User weights (WeightType 4): checks the Weight fields of experts 1..ExpertCount and, when they
// pass, gives the experts without one an equal share of what the others leave. False with
// RunUserWeightIsOne, RunNoUserWeights, RunUserWeightOutOfRange or RunUserWeightSum in code (then
// nothing is changed).
bool CheckUserWeights(int& code);

// Without optimisation and with global or item weights: sets the admissible range 0 ..
// the largest calibration score (MinSignificanceLevel, MaxSignificanceLevel; SignificanceLevel
// becomes 0.03) and tells whether UserSignificanceLevel lies in it. recompute: first rebuild the
// calibration levels. True at once for the other cases.
bool CheckSignificanceLevel(bool recompute);

// The distinct uncut calibration scores of the data experts, ascending, into levels[1..K] (K = 0
// without data experts). The experts' stored scores are not changed.
void SortedCalibrationLevels(float (&levels)[MaxExpertCount + 1], int& K);

} // namespace halvorine
