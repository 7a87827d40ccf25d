// The search for the significance level that gives the best decision maker.
#pragma once

namespace halvorine {

// With global or item weights: builds the decision maker at level 0 and at every calibration
// level CalibrationLevels[2..CalibrationLevelCount], keeps the level whose decision maker scores
// best (its uncut calibration times its mean seed information; a tie keeps the lower level), and
// builds the final decision maker at that level. Leaves SignificanceLevel at the best level and
// BestDMScore at its score. code: 0, or the code of the first weights or pooling step that failed
// (the passes stop there).
void OptimiseDecisionMaker(int& code);

// Whether candidate pass k (from 1), whose decision maker scores `score`, becomes the best when the
// best so far scores `best`: the first pass always, a later one only with a strictly higher score
// (a tie keeps the earlier, lower level).
bool BecomesBest(int k, float score, float best);

} // namespace halvorine
