#include "pairwise/model/model_results.h"

#include <algorithm>
#include <iterator>

namespace trindel {

CalcVector NelValues{};
Real48 NelFitStatistic;
bool NelFitConverged = true;
int NelFitSweeps = 0;
Real48 NelScaleFactor;
CalcVector NelTransformed{};
MapStatus NelMapStatus = MapStatus::Computed;

CalcVector ThurstoneCValues{};
CalcVector ThurstoneBValues{};
Real48 ThurstoneFitStatistic;

Real48 ThurstoneSlope;
Real48 ThurstoneIntercept;
Real48 ThurstoneLogSlope;
Real48 ThurstoneLogIntercept;
CalcVector ThurstoneBLinear{};
CalcVector ThurstoneBLog{};
CalcVector ThurstoneCLinear{};
CalcVector ThurstoneCLog{};
MapStatuses ThurstoneBMaps;
MapStatuses ThurstoneCMaps;
bool ThurstoneBReversed = false;
bool ThurstoneCReversed = false;
bool ThurstoneContradiction = false;

CalcMatrix SimulationDraws{};
Real48 SimulatedValues[MaxRunItems + 1][SimulatedRunCapacity + 1];
CalcVector NelLowerBounds{};
CalcVector NelUpperBounds{};
CalcVector ThurstoneCLinearLower{};
CalcVector ThurstoneCLinearUpper{};
CalcVector ThurstoneCLogLower{};
CalcVector ThurstoneCLogUpper{};
bool LogBoundOverflow = false;

void ResetModelResults() {
    for (CalcVector* v : {&NelValues, &NelTransformed, &ThurstoneCValues, &ThurstoneBValues, &ThurstoneBLinear,
                          &ThurstoneBLog, &ThurstoneCLinear, &ThurstoneCLog, &NelLowerBounds, &NelUpperBounds,
                          &ThurstoneCLinearLower, &ThurstoneCLinearUpper, &ThurstoneCLogLower, &ThurstoneCLogUpper})
        v->fill(Real48());
    for (Real48* r : {&NelFitStatistic, &NelScaleFactor, &ThurstoneFitStatistic, &ThurstoneSlope, &ThurstoneIntercept,
                      &ThurstoneLogSlope, &ThurstoneLogIntercept})
        *r = 0;
    NelFitConverged = true;
    NelFitSweeps = 0;
    NelMapStatus = MapStatus::Computed;
    ThurstoneBMaps = MapStatuses{};
    ThurstoneCMaps = MapStatuses{};
    ThurstoneBReversed = false;
    ThurstoneCReversed = false;
    ThurstoneContradiction = false;
    for (auto& row : SimulationDraws.Cells) std::fill(std::begin(row), std::end(row), Real48());
    for (auto& row : SimulatedValues) std::fill(std::begin(row), std::end(row), Real48());
    LogBoundOverflow = false;
}

}  // namespace trindel
