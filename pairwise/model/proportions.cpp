#include "pairwise/model/proportions.h"

#include "pairwise/model/checked_math.h"

namespace trindel {

void PreferenceProportions(MatrixCells& p, const MatrixCells& counts) {
    const int n = RunItemCount;
    for (int i = 1; i < n; ++i)
        for (int j = i + 1; j <= n; ++j) {
            const long double c = counts[i][j];
            const long double back = counts[j][i];
            const long double pairs = PairCount[i][j];
            if (c < 0.1L) {
                p[i][j] = CheckedDivide(1, 2 * pairs + 2);
                p[j][i] = 1 - p[i][j];
            } else if (c > pairs - 0.1L) {
                p[i][j] = CheckedDivide(2 * pairs + 1, 2 * pairs + 2);
                p[j][i] = 1 - p[i][j];
            } else {
                p[i][j] = CheckedDivide(c, pairs);
                p[j][i] = CheckedDivide(back, pairs);
            }
        }
}

void RawProportions(MatrixCells& r, const MatrixCells& counts) {
    const int n = RunItemCount;
    for (int i = 1; i < n; ++i)
        for (int j = i + 1; j <= n; ++j) {
            const long double c = counts[i][j];
            const long double back = counts[j][i];
            const int pairs = PairCount[i][j];
            if (pairs != 0) {
                r[i][j] = CheckedDivide(c, pairs);
                r[j][i] = CheckedDivide(back, pairs);
            } else {
                r[i][j] = 1;
                r[j][i] = 1;
            }
        }
}

void RowSumsOffDiagonal(CalcVector& v, const MatrixCells& m) {
    const int n = RunItemCount;
    for (int i = 1; i <= n; ++i) {
        Real48 sum = 0;
        for (int j = 1; j <= n; ++j)
            if (j != i) sum += m[i][j];
        v[i] = sum;
    }
}

void RowSums(CalcVector& v, const MatrixCells& m) {
    const int n = RunItemCount;
    for (int i = 1; i <= n; ++i) {
        Real48 sum = 0;
        for (int j = 1; j <= n; ++j) sum += m[i][j];
        v[i] = sum;
    }
}

void NormaliseToSumOne(CalcVector& v) {
    const int n = RunItemCount;
    Real48 sum = 0;
    for (int i = 1; i <= n; ++i) sum += v[i];
    for (int i = 1; i <= n; ++i) v[i] = CheckedDivide(v[i], sum);
}

void StartValues(CalcVector& v) {
    const int n = RunItemCount;
    for (int i = 1; i <= n; ++i) v[i] = CheckedDivide(1, n);
}

}  // namespace trindel
