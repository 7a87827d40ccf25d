// The search for the significance level that gives the best decision maker.
#pragma once

// With global or item weights: builds the decision maker at level 0 and at every calibration
// level CalibrationLevels[2..CalibrationLevelCount], keeps the level whose decision maker scores
// best (its uncut calibration times its mean seed information; a tie keeps the lower level), and
// builds the final decision maker at that level. Leaves SignificanceLevel at the best level and
// BestDMScore at its score. code: 0, or the code of the first weights or pooling step that failed
// (the passes stop there).
void OptimiseDecisionMaker(int& code);
