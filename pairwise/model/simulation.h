// Confidence intervals of the NEL and Thurstone C values by parametric simulation: data sets
// drawn from the fitted model, the model refitted on each, and the k-th smallest and k-th
// largest refitted value of every item taken as its bounds, mapped like the values when
// scale transformation is on.
#pragma once

#include "common/core/real48.h"
#include "pairwise/model/calc_tables.h"

namespace trindel {

enum class SimulatedModel { Nel = 0, ThurstoneC = 1 };

// The generator is the platform's uniform one, seeded per run by the run driver.
// u rounded to six-byte precision and raised to 1e-30 so that its logarithm is finite.
Real48 UniformRandom();
// -(1/rate) ln u: exponential with the given rate.
Real48 ExponentialRandom(Real48 rate);
// mean + sqrt(-ln u1) sin(2 pi u2): normal with variance 1/2, so that the difference of two
// draws has the unit variance of model C's differences.
Real48 NormalRandom(Real48 mean);

// For every item i and expert e with Answered(i, e), item by item: an exponential draw with
// rate values(i) (NEL) or a normal draw about values(i) (model C); other cells 0.
void DrawSimulatedValues(MatrixCells& draws, const CalcVector& values, SimulatedModel model);

// For every expert and pair of items the expert answered anywhere: the pair goes to the
// shorter exponential draw (NEL) or the larger normal draw (model C); equal draws count for
// the second item.
void SimulatedPreferenceCounts(MatrixCells& counts, const MatrixCells& draws, SimulatedModel model);

// Moves, in every item's row of SimulatedValues(1..SimulationCount), the k smallest values
// to the front in ascending order and the k largest of the rest to the back, the largest
// last: s(k) is the k-th smallest, s(S + 1 - k) the k-th largest.
void SelectExtremes(int k);

// k = Round((S - S L / 100) / 2) + 1, rounding halves to even (3 for S = 50, L = 90).
int SimulationRank();

// Exponents of the log bounds beyond which a bound is 0 or the flagged 1e37. The upper one
// sits below the largest six-byte real (e^88.03), so an overly large bound is flagged instead
// of overflowing.
constexpr long double LowestLogBoundExponent = -50;
constexpr long double HighestLogBoundExponent = 88;

// A bound of model C through its maps: b x + a, 0 when negative; and e^t, t = c x + d, 0 for
// t < LowestLogBoundExponent, 1e37 with LogBoundOverflow set for t > HighestLogBoundExponent.
Real48 ThurstoneCLinearBound(long double x);
Real48 ThurstoneCLogBound(long double x);

// SimulationCount data sets of the model, each refitted (NEL capped at 51 sweeps, both reading
// the run's PairCount), then the bounds: NelLowerBounds/NelUpperBounds or the model C bound
// vectors. With scale transformation the NEL bounds are scaled by NelScaleFactor and model C's
// mapped with its coefficients (a negative linear bound is 0; a map not computed, the NEL
// scaling included, leaves its bounds 0; a map that reverses the order gives the lower of its two
// mapped bounds as the lower one); without it they are the refitted values. A SimulationCount outside
// 1..SimulatedRunCapacity raises std::out_of_range.
void SimulateIntervals(const CalcVector& values, SimulatedModel model);

// The NEL intervals from NelValues, then model C's from ThurstoneCValues.
void SimulateAllIntervals();

}  // namespace trindel
