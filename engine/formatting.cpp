#include "engine/formatting.h"

#include "common/core/number_format.h"
#include "engine/globals.h"

namespace halvorine {

std::string FormatNumber(float x) {
    return FormatReal(static_cast<long double>(x), FieldWidth, DecimalPlaces, FloatFormat, DecimalSeparator);
}

std::string FormatExtended(double x) {
    return FormatReal(static_cast<long double>(x), FieldWidth, DecimalPlaces, FloatFormat, DecimalSeparator);
}

}  // namespace halvorine
