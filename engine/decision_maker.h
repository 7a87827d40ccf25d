// The decision maker: the weighted linear pool of the data experts' assessments, kept as the
// pseudo-expert after the data experts, and its scores and weights beside the experts'.
#pragma once

#include <vector>

#include "engine/globals.h"

namespace halvorine {

// One interval of a pooled piecewise-constant density, on the item's pooling scale (the values,
// or their natural logarithms on a LOG item).
struct PoolInterval {
    long double Low = 0;
    long double High = 0;
    float Density = 0;
};

// Fills the decision maker's assessment of every item: a copy of the one expert who carries all
// the weight (with item weights, per item), else the quantiles of the pooled density. An item
// whose valid assessments carry no weight, or which has none, gets a missing assessment
// (values NoValue, not valid). Returns 0, RunBadLevels, or with the item in ItemCount
// RunDegenerateBin (an expert's bin of no width carries mass) or RunNotFinite.
int BuildDecisionMaker();

// The quantiles of the density on intervals[1..count] into d.Values[1..QuantileCount], on the
// pooling scale. A level that the intervals do not reach (rounding) takes the midpoint of the
// previous quantile (before the first: the start of interval 1) and the end of the last one.
void DMQuantilesFromDensity(const std::vector<PoolInterval>& intervals, int count, TAssessment& d);

// Recounts the decision maker's assessments; MinSeedCount and its MinSeeds become the smallest
// seed count of the experts and the decision maker.
void ComputeMinSeedCount();

// After the final decision maker is built: the scores and weights of the experts and the decision
// maker together. Returns 0, or RunNotFinite when some stored score or weight is not finite.
int ScoreDecisionMaker();

// Whether every assessment of x with an item has a finite information, item weights and quantiles.
bool AnswerScoresFinite(const TExpert& x);

}  // namespace halvorine
