// Preference proportions, row sums and the normalisation of value vectors over the items
// 1..RunItemCount of the current run. The pair routines read each pair's two input cells
// before writing its two output cells, so an output may be the input table itself.
#pragma once

#include "pairwise/model/calc_tables.h"

namespace trindel {

// Cells (i, j) and (j, i), i < j, from the counts c and PairCount: c(i, j) / N, except that
// a pair nobody preferred i in (c < 0.1) gets 1 / (2N + 2) and one everybody did (c > N - 0.1)
// gets (2N + 1) / (2N + 2), so no proportion is 0 or 1. Unanswered pairs get 0.5 both ways.
void PreferenceProportions(MatrixCells& p, const MatrixCells& counts);

// c(i, j) / N without the rule for 0 and 1; a pair with N = 0 gets 1 both ways.
void RawProportions(MatrixCells& r, const MatrixCells& counts);

// v(i) = the sum of m(i, j) over j <> i, accumulated in a six-byte real.
void RowSumsOffDiagonal(CalcVector& v, const MatrixCells& m);

// v(i) = the sum of m(i, j) over every j, the diagonal included.
void RowSums(CalcVector& v, const MatrixCells& m);

// v(i) / (v(1) + ... + v(n)); a zero sum raises "Zero divide" (0/0: invalid operation).
void NormaliseToSumOne(CalcVector& v);

// Every v(i) = 1/n.
void StartValues(CalcVector& v);

}  // namespace trindel
