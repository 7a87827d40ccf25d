// The Bayesian update of the experts' quantiles from their own record on the seed items.
#pragma once

namespace halvorine {

// Computes the intrinsic ranges on the values as entered, then for every data expert replaces the
// bin masses of its piecewise uniform distribution (linear values, also on LOG items) by the
// posterior (s_k + 1) / (n + 1/p_k), normalised, where s_k are its hits in bin k and n its
// SeedCount, and moves each valid assessment's quantiles to where the new distribution meets the
// levels. Returns 0, or the code of the ranges (RunLogBoundNotPositive, RunBoundOutOfRange with
// ItemCount) or of the levels (RunBadLevels); nothing is updated then.
int BayesianUpdate();

}  // namespace halvorine
