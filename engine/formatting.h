// The one number format of the analysis program's grids, exports and text graphs.
#pragma once

#include <string>

namespace halvorine {

// x in the display format (FieldWidth, DecimalPlaces, FloatFormat, DecimalSeparator).
std::string FormatNumber(float x);
// The same for a distribution parameter.
std::string FormatExtended(double x);

}  // namespace halvorine
