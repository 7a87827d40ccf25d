// The one number format of WTrindel's sheets and exports.
#pragma once

#include <string>

namespace trindel {

// x in the display format (FieldWidth, DecimalPlaces, FloatFormat, DecimalSeparator).
std::string FormatNumber(long double x);

}  // namespace trindel
