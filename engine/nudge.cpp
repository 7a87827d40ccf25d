#include "engine/nudge.h"

#include <cmath>
#include <string>

#include "engine/globals.h"

namespace halvorine {

float NudgedValue(float v) {
    // Tested in floating point: every float of 2^23 and above is whole, and no conversion to an
    // integer type can overflow. NaN is never equal to itself and stays as it is.
    if (v != std::trunc(v)) return v;
    if (v == 0) return static_cast<float>(NudgeFactor);
    const long double x = v;
    return static_cast<float>(x + x * static_cast<long double>(NudgeFactor));
}

float NudgeIntegral(float v) {
    // A value that is not whole stays as it is either way; the name is looked at only for the others.
    if (v != std::trunc(v)) return v;
    if (NudgingOff()) return v;
    return NudgedValue(v);
}

bool NudgingOff() {
    return RunDMName.str().find("check") != std::string::npos;
}

}  // namespace halvorine
