#include "pairwise/model/thurstone.h"

#include <cmath>

#include "pairwise/model/checked_math.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/normal_functions.h"
#include "pairwise/model/proportions.h"

namespace trindel {

namespace {

constexpr long double Pi = 3.141592653589793238462643383279502884L;

// Scratch tables of the fits: the runs are single-threaded and no fit calls another.
CalcMatrix proportions;
CalcMatrix deviates;

// The common start: deviates of the proportions of the counts, and their row sums.
void DeviatesAndRowSums(CalcVector& rowSums, const MatrixCells& counts) {
    PreferenceProportions(proportions, counts);
    InverseNormalMatrix(deviates, proportions, DeviateTolerance());
    RowSums(rowSums, deviates);
}

// asin(sqrt(x)) in degrees, as arctan(sqrt(x) / sqrt(1 - x)).
long double Angle(long double x) {
    return std::atan(CheckedDivide(CheckedSqrt(x), CheckedSqrt(1 - x))) * 180 / Pi;
}

}  // namespace

void FitThurstoneC(CalcVector& values, const MatrixCells& counts) {
    const int n = RunItemCount;
    CalcVector rowSums{};
    DeviatesAndRowSums(rowSums, counts);
    for (int i = 1; i <= n; ++i) values[i] = CheckedDivide(rowSums[i], n);
}

void FitThurstoneB(CalcVector& values, const MatrixCells& counts) {
    const int n = RunItemCount;
    CalcVector rowSums{};
    DeviatesAndRowSums(rowSums, counts);
    const CalcMatrix& z = deviates;

    CalcVector d{};
    Real48 dSum = 0;
    for (int i = 1; i <= n; ++i) {
        Real48 q = 0;
        const long double mean = CheckedDivide(rowSums[i], n);
        for (int j = 1; j <= n; ++j) {
            const long double off = z[i][j] - mean;
            q += off * off;
        }
        d[i] = CheckedDivide(n, q);
        dSum += d[i];
    }
    const long double t = CheckedDivide(2 * n, dSum);
    CalcVector e{};
    for (int i = 1; i <= n; ++i) e[i] = CheckedDivide(t, d[i]) - 1;
    for (int i = 1; i <= n; ++i) {
        Real48 g = 0;
        for (int j = 1; j <= n; ++j) g += z[i][j] * e[j];
        values[i] = CheckedDivide(-(e[i] * rowSums[i] + g), n);
    }
}

void ThurstoneGoodnessOfFit() {
    const int n = RunItemCount;
    ThurstoneFitStatistic = 0;
    PreferenceProportions(proportions, PreferenceCount);
    for (int i = 1; i < n; ++i)
        for (int j = i + 1; j <= n; ++j) {
            const Real48 q = NormalDistribution(ThurstoneCValues[i] - ThurstoneCValues[j]);
            const long double diff = Angle(q) - Angle(proportions[i][j]);
            ThurstoneFitStatistic += diff * diff;
        }
    ThurstoneFitStatistic = CheckedDivide(ThurstoneFitStatistic * RunExpertCount, 821);
}

}  // namespace trindel
