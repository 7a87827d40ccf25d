// Whole-number quantile values are shifted by a tiny relative amount wherever the engine
// reads them, so that round answers never coincide exactly with other experts' values or with
// the realisations.
#pragma once

namespace halvorine {

// The shifted value: 0 -> 1e-5, any other whole v -> v + v * 1e-5; other values unchanged.
float NudgedValue(float v);

// The value the engine uses in place of a stored quantile value: NudgedValue(v), or v itself
// while the current run's decision-maker name contains "check".
float NudgeIntegral(float v);

// True while the current run's decision-maker name contains "check": no value is nudged.
bool NudgingOff();

}  // namespace halvorine
