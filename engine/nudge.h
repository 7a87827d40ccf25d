// Whole-number quantile values are shifted by a tiny relative amount wherever the engine
// reads them, so that round answers never coincide exactly with other experts' values or with
// the realisations.
#pragma once

#include <cmath>

#include "engine/constants.h"

namespace halvorine {

// The shifted value: 0 -> 1e-5, any other whole v -> v + v * 1e-5; other values unchanged.
// Inline: the data check asks it for every value of the case.
inline float NudgedValue(float v) {
    // Tested in floating point: every float of 2^23 and above is whole, and no conversion to an
    // integer type can overflow. NaN is never equal to itself and stays as it is.
    if (v != std::trunc(v)) return v;
    if (v == 0) return static_cast<float>(NudgeFactor);
    const long double x = v;
    return static_cast<float>(x + x * static_cast<long double>(NudgeFactor));
}

// The value the engine uses in place of a stored quantile value: NudgedValue(v), or v itself
// while the current run's decision-maker name contains "check".
float NudgeIntegral(float v);

// True while the current run's decision-maker name contains "check": no value is nudged.
bool NudgingOff();

}  // namespace halvorine
