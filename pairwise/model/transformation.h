// The map of the Thurstone values, which lie on an interval scale of arbitrary origin and
// unit, onto the scale of the two reference values: a linear map and an exponential
// (log-linear) map, each through both reference points.
#pragma once

#include <string>
#include <vector>

#include "pairwise/model/calc_tables.h"
#include "pairwise/model/model_results.h"

namespace trindel {

// With z1, z2 the values of RefItem1, RefItem2 and R1, R2 = RefValue1, RefValue2:
//   linear(i) = b values(i) + a,  b = (R1 - R2) / (z1 - z2),  a = R1 - b z1;
//   log(i) = e^(c values(i) + d),  c = ln(R1 / R2) / (z1 - z2),  d = ln(R1) - c z1.
// Writes ThurstoneSlope, ThurstoneIntercept, ThurstoneLogSlope, ThurstoneLogIntercept (0 for
// a map not computed). A map whose references are degenerate is not computed: its vector is
// left 0 and maps says why (equal deviates; for the log map also a first reference value
// within 1e-20 of 0, a zero second value, opposite signs or two negative values). reversed is
// set when b < 0; ThurstoneContradiction when some linear value is negative. A value beyond
// the six-byte range raises "Floating point overflow".
void TransformThurstone(CalcVector& linear, CalcVector& log, const CalcVector& values, bool& reversed,
                        MapStatuses& maps);

// The report's lines for the maps that could not be computed in the last run (NEL, then
// model C and model B, linear before log); none when every map was computed.
std::vector<std::string> TransformationNotes();

// Why a map was not computed, as the report says it ("" for Computed).
std::string MapStatusText(MapStatus status);

}  // namespace trindel
