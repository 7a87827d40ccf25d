#include "pairwise/model/formatting.h"

#include "common/core/number_format.h"
#include "pairwise/model/globals.h"

namespace trindel {

std::string FormatNumber(long double x) {
    return FormatReal(x, FieldWidth, DecimalPlaces, FloatFormat, DecimalSeparator);
}

}  // namespace trindel
