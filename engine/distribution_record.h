// The parametric distribution an assessment can be described by.
#pragma once

#include <cstdint>

#include "engine/constants.h"

namespace halvorine {

// Which of P1..P4 holds which parameter depends on the family (see DistributionQuantile);
// the other slots are ignored.
struct TDistribution {
    std::uint8_t Family = FamilyNone;
    double P1 = 0.0;
    double P2 = 0.0;
    double P3 = 0.0;
    double P4 = 0.0;
};

}  // namespace halvorine
