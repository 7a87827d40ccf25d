#include "pairwise/model/checked_math.h"

void RaiseCalcError(CalcErrorKind kind) { throw CalcError(kind); }
