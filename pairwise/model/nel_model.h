// The NEL (Bradley-Terry) model: values v(1..n), non-negative and summing to 1, with item i
// preferred to item j with probability v(i) / (v(i) + v(j)); its fit, the likelihood-ratio
// goodness of fit and the map to the scale of the reference item.
#pragma once

#include <stdexcept>
#include <string>

#include "pairwise/model/calc_tables.h"

namespace trindel {

// Sweeps after which a capped fit (the simulation's refits) stops: it stops after the 51st.
constexpr int CappedNelSweeps = 50;
// Sweeps after which the run's own fit gives up: when one item is preferred by everyone the
// estimate runs off to infinity and the change only creeps towards the stopping value.
// Every convergent case needs far fewer.
constexpr int NelSweepLimit = 100000;

struct NelFitOutcome {
    int Sweeps = 0;
    bool Converged = false;  // the change of the last sweep was at most 1e-12
};

// An item that no expert compared with any other item has no NEL value. what() is the
// message shown to the user.
class UncomparedItemError : public std::runtime_error {
public:
    explicit UncomparedItemError(int item);
    int Item() const { return item_; }

private:
    int item_;
};

// Zermelo's fixed-point iteration in place, item by item, from 1/n each, until the sum of the
// squared changes of a sweep is at most 1e-12; pairs nobody answered (N = 0) add nothing.
// capped = 1 stops after the 51st sweep (change forced to 0); otherwise the fit stops at
// NelSweepLimit and, for the run's fit, records NelFitConverged and NelFitSweeps. Reads the
// run's PairCount whatever the counts. Raises UncomparedItemError before the first sweep.
NelFitOutcome FitBradleyTerry(CalcVector& values, const MatrixCells& counts, int capped);

// G² = 2 (A - B + C) from PreferenceCount, PairCount and NelValues into NelFitStatistic;
// a zero entry of NelValues becomes 0.0001 (after C is summed), which the report prints.
void BradleyTerryGoodnessOfFit();

// NelScaleFactor = NelRefValue / values(NelRefItem) and target = values * NelScaleFactor;
// NelMapStatus says NoReference (target left 0) when NelRefItem is not an item of the run, and
// NonPositiveScale (target and NelScaleFactor 0) when some scaled value is not positive.
void TransformBradleyTerry(CalcVector& target, const CalcVector& values);

// The report's line for a fit that did not converge, or "" when it did.
std::string NelConvergenceNote();

}  // namespace trindel
