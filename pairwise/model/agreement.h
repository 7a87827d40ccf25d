// How much the counted experts agree: Kendall's coefficient of agreement u over the preference
// counts and the coefficient of concordance W of the item score totals.
#pragma once

#include "common/core/real48.h"

namespace trindel {

extern Real48 AgreementU;
extern Real48 ConcordanceW;

// Fills AgreementU and, while NoQueryAnswers is set, ConcordanceW (from ItemScoreTotal, so
// after CountCircularTriads). Raises CalcError "Invalid floating point operation" when no
// pair was answered by two experts (u is 0/0) and when fewer than two items or no expert
// take part (W is 0/0).
void AgreementAndConcordance();

}  // namespace trindel
