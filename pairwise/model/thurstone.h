// Thurstone's models: model C gives every item the mean of its inverse-normal deviates
// against all items; model B corrects the deviates with weights from the spread of each
// item's row of deviates. Both start from the preference proportions of the counts.
#pragma once

#include "pairwise/model/calc_tables.h"

namespace trindel {

// value(i) = R(i) / n, R the row sums of the deviates (zero diagonal included); the values
// sum to 0.
void FitThurstoneC(CalcVector& values, const MatrixCells& counts);

// From the deviates z and their row sums R:
//   Q(i) = sum over j of (z(i, j) - R(i)/n)^2,  D(i) = n / Q(i),  T = 2n / (D(1) + ... + D(n)),
//   E(i) = T / D(i) - 1,  G(i) = sum over j of z(i, j) E(j),  value(i) = -(E(i) R(i) + G(i)) / n.
// Sums in index order in six-byte reals. A row without spread (Q = 0) raises "Zero divide".
// With strongly consistent data the values can rank the items in reverse of model C.
void FitThurstoneB(CalcVector& values, const MatrixCells& counts);

// The angular statistic of model C into ThurstoneFitStatistic: over the pairs i < j, with
// q = NormalDistribution(C(i) - C(j)) and p the observed proportion, the sum of
// (asin(sqrt(q)) - asin(sqrt(p)))^2 in degrees, times RunExpertCount / 821.
void ThurstoneGoodnessOfFit();

}  // namespace trindel
