// Result codes of a scoring run and its steps: 0 on success, an item number (> 0) when the
// global weights of the experts who assessed that item sum to zero, or one of these.
#pragma once

namespace halvorine {

enum RunCode {
    RunOk = 0,
    RunZeroWeights = -1,             // the weights sum to zero (global), or some item's do (item)
    RunSignificanceOutOfRange = -7,  // the user's significance level lies outside its range
    RunUserWeightIsOne = -8,
    RunNoUserWeights = -9,
    RunUserWeightOutOfRange = -10,
    RunUserWeightSum = -11,

    // The steps below leave the position of the fault in CheckedExpert or ItemCount.
    RunNoSeedAnswers = -12,        // CheckedExpert has no valid assessment of a seed item
    RunLogBoundNotPositive = -13,  // ItemCount: a LOG item's widened lower bound is 0 or less
    RunBoundOutOfRange = -14,      // ItemCount: a bound overflows (or underflows to 0) a real
    RunDegenerateBin = -15,        // ItemCount: a pooled bin has no width (or a reversed one)
    RunBadLevels = -16,            // some inter-quantile bin has no probability mass
    RunNotFinite = -17,            // a score, weight or quantile would not be a finite number

    RunOutOfMemory = -18,  // the run's working storage could not be allocated
};

}  // namespace halvorine
