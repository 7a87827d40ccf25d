// Information: how concentrated an expert's assessments are relative to the uniform (on LOG
// items the log-uniform) background on each item's intrinsic range.
#pragma once

#include <functional>
#include <vector>

#include "engine/globals.h"

namespace halvorine {

// Width between Values[j] and Values[k] of an assessment on its item's scale, the values nudged;
// a width that is not positive counts as 1e-5.
float BinWidth(const TAssessment& a, int k, int j);

// Information of expert e's assessment of item i (0 when it is not valid); fills the assessment's
// bound slots Values[0] and Values[QuantileCount+1] with the item's intrinsic range.
float ItemInformation(int e, int i);

// The stored Information for a data expert; computed anew for a decision maker.
float GetItemInformation(int e, int i);

// Information of every assessment of every data expert. 0, RunBadLevels, or RunNotFinite with
// the expert and item in CheckedExpert and ItemCount (that assessment is left as it was).
int ComputeAllInformation();

// ComputeAllInformation for the data experts' assessments of the item slots listed (the others
// are not touched), the items spread over the run's threads. Before an assessment is overwritten,
// keep(a) is called with it (on the calling thread, before any is computed). The same code,
// CheckedExpert and ItemCount as ComputeAllInformation gives when only those items can fail.
int ComputeInformationOfItems(const std::vector<int>& slots, const std::function<void(TAssessment&)>& keep);

struct InformationMeans {
    float All = 0;   // over the assessed items
    float Seed = 0;  // over the assessed seed items
};

// Expert e's mean information as ComputeMeanInformation computes it, without storing the means
// (each assessment's Information is refreshed as there).
InformationMeans MeanInformationOf(int e);

// Sets expert e's MeanInformation (over its assessed items; 0 when it has none) and
// MeanSeedInformation (over its assessed seed items); returns MeanSeedInformation.
float ComputeMeanInformation(int e);

}  // namespace halvorine
