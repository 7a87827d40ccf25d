#include "pairwise/model/checked_math.h"

namespace trindel {

void RaiseCalcError(CalcErrorKind kind) {
    throw CalcError(kind);
}

}  // namespace trindel
