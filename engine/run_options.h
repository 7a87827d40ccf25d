// The options of one run gathered in one value. The run dialog fills one from its controls and
// the run puts it into the globals the engine reads (WeightType, CalibrationPower, ...); a
// decision maker keeps the part it was made with (TRunSettings).
#pragma once

#include <cstdint>

#include "engine/globals.h"

namespace halvorine {

struct RunOptions {
    std::uint16_t WeightType = GlobalWeighting;
    float CalibrationPower = 1.0f;         // 0.1 ... 1.0
    float IntrinsicRangeOvershoot = 0.1f;  // 0.009999 ... 100
    float UserSignificanceLevel = -1.0f;   // -1: none entered yet
    bool OptimiseDM = true;
    bool DiscrepancyOn = false;
    bool BayesianUpdates = false;
    bool ExactChiSquare = true;
    bool LogIntrinsicRange = true;
    bool UseMinSeedCount = true;
    bool RobustnessRun = false;
    bool RobustnessOnExperts = false;
};

// The options the globals hold now.
RunOptions RunOptionsInUse();
// The globals set from `options`.
void UseRunOptions(const RunOptions& options);
// What a decision maker made with `options` at `significanceLevel` keeps of them.
TRunSettings MakerSettings(const RunOptions& options, float significanceLevel);

}  // namespace halvorine
