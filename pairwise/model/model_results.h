// The results of the paired-comparison models, held for the whole program beside the
// workspace: the fitted values and fit statistics, the values transformed to the reference
// values and the simulated interval bounds. Each run overwrites what it computes; the report
// reads them. Vectors and tables are 1-based over the run's items (index 0 unused).
#pragma once

#include "common/core/real48.h"
#include "pairwise/model/calc_tables.h"

namespace trindel {

// Whether a map to the reference values could be computed, and if not, why.
enum class MapStatus {
    Computed,
    NoReference,          // the reference item is not an item of the run
    EqualDeviates,        // both reference items have the same model value
    FirstReferenceZero,   // log map: the first reference value is within 1e-20 of 0
    SecondReferenceZero,  // log map: the second reference value is 0
    OppositeSigns,        // log map: the reference values have opposite signs
    NegativeReferences,   // log map: both reference values are negative
    NonPositiveScale,     // NEL: the scaling would make some value 0 or negative
};

struct MapStatuses {
    MapStatus Linear = MapStatus::Computed;
    MapStatus Log = MapStatus::Computed;
};

// ---- NEL (Bradley-Terry) ----
extern CalcVector NelValues;       // fitted values, summing to 1 (zeros replaced by 0.0001)
extern Real48 NelFitStatistic;     // likelihood-ratio statistic G²
extern bool NelFitConverged;       // false: the run's fit stopped at its sweep limit
extern int NelFitSweeps;           // sweeps of the run's fit
extern Real48 NelScaleFactor;      // reference value / value of the reference item
extern CalcVector NelTransformed;  // NelValues * NelScaleFactor
extern MapStatus NelMapStatus;

// ---- Thurstone ----
extern CalcVector ThurstoneCValues;
extern CalcVector ThurstoneBValues;
extern Real48 ThurstoneFitStatistic;  // angular statistic of model C

// ---- transformation (the coefficients of the last model transformed: model C in a run) ----
extern Real48 ThurstoneSlope;
extern Real48 ThurstoneIntercept;
extern Real48 ThurstoneLogSlope;
extern Real48 ThurstoneLogIntercept;
extern CalcVector ThurstoneBLinear;
extern CalcVector ThurstoneBLog;
extern CalcVector ThurstoneCLinear;
extern CalcVector ThurstoneCLog;
extern MapStatuses ThurstoneBMaps;
extern MapStatuses ThurstoneCMaps;  // also says which bounds of model C have a map
extern bool ThurstoneBReversed;     // the slope of model B is negative
extern bool ThurstoneCReversed;
extern bool ThurstoneContradiction;  // some linearly transformed value is negative

// ---- simulated intervals ----
constexpr int SimulatedRunCapacity = 100;  // columns of SimulatedValues
extern CalcMatrix SimulationDraws;         // items by experts: the draws of one data set
extern Real48 SimulatedValues[MaxRunItems + 1][SimulatedRunCapacity + 1];  // items by runs
extern CalcVector NelLowerBounds;
extern CalcVector NelUpperBounds;
extern CalcVector ThurstoneCLinearLower;  // untransformed without scale transformation
extern CalcVector ThurstoneCLinearUpper;
extern CalcVector ThurstoneCLogLower;  // only with scale transformation
extern CalcVector ThurstoneCLogUpper;
extern bool LogBoundOverflow;  // a log bound was beyond the exponent limit

// Every result above to 0, false or Computed.
void ResetModelResults();

}  // namespace trindel
