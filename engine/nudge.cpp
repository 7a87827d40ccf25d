#include "engine/nudge.h"

#include <cmath>
#include <string>

#include "engine/globals.h"

namespace halvorine {

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
