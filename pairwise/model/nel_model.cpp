#include "pairwise/model/nel_model.h"

#include "common/core/pascal_str.h"
#include "pairwise/model/checked_math.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/proportions.h"

namespace trindel {

UncomparedItemError::UncomparedItemError(int item)
    : std::runtime_error("Item " + StrInt(item) +
                         " is not compared with any other item, the NEL model can`t be fitted"),
      item_(item) {}

NelFitOutcome FitBradleyTerry(CalcVector& values, const MatrixCells& counts, int capped) {
    const int n = RunItemCount;
    // An item without comparisons would give 0/0 on the first sweep.
    for (int i = 1; i <= n; ++i) {
        int compared = 0;
        for (int j = 1; j <= n; ++j) compared += PairCount[i][j];
        if (compared == 0) throw UncomparedItemError(ItemOrder[i] != 0 ? ItemOrder[i] : i);
    }

    CalcVector wins{};
    RowSumsOffDiagonal(wins, counts);
    int a[MaxRunItems + 1] = {};  // twice the preferences, a tie counting 1: a whole number
    for (int i = 1; i <= n; ++i) a[i] = static_cast<int>(2 * wins[i]);

    CalcVector w{};
    StartValues(w);
    for (int i = 1; i <= n; ++i) values[i] = 0;
    NelFitOutcome outcome;
    bool stoppedByCap = false;
    // Scalars are extended; the vectors are six-byte reals, rounded on every store.
    long double change = 20.0L;
    while (change > 1e-12L) {
        if (capped != 1 && outcome.Sweeps >= NelSweepLimit) break;
        change = 0;
        ++outcome.Sweeps;
        NormaliseToSumOne(w);
        for (int i = 1; i <= n; ++i) {
            // w(j) already holds this sweep's value for j < i.
            long double s = 0;
            for (int j = 1; j <= n; ++j) {
                if (j == i || PairCount[i][j] == 0) continue;
                s += CheckedDivide(PairCount[i][j], w[i] + w[j]);
            }
            values[i] = CheckedDivide(a[i], 2 * s);
            const long double step = values[i] - w[i];
            change += step * step;
            w[i] = values[i];
        }
        if (capped == 1 && outcome.Sweeps > CappedNelSweeps) {
            stoppedByCap = change > 1e-12L;
            change = 0;
        }
    }
    outcome.Converged = !stoppedByCap && !(change > 1e-12L);
    NormaliseToSumOne(values);
    if (capped != 1) {
        NelFitConverged = outcome.Converged;
        NelFitSweeps = outcome.Sweeps;
    }
    return outcome;
}

void BradleyTerryGoodnessOfFit() {
    const int n = RunItemCount;
    CalcMatrix r{};
    RawProportions(r, PreferenceCount);
    CalcVector wins{};
    RowSumsOffDiagonal(wins, PreferenceCount);
    long double a = 0;
    long double c = 0;
    for (int i = 1; i < n; ++i)
        for (int j = i + 1; j <= n; ++j) {
            if (r[i][j] > 0) a += PreferenceCount[i][j] * CheckedLn(r[i][j]);
            if (r[j][i] > 0) a += PreferenceCount[j][i] * CheckedLn(r[j][i]);
            const long double sum = NelValues[i] + NelValues[j];
            if (sum > 0) c += PairCount[i][j] * CheckedLn(sum);
        }
    long double b = 0;
    for (int i = 1; i <= n; ++i) {
        if (NelValues[i] == 0) NelValues[i] = 0.0001L;
        b += wins[i] * CheckedLn(NelValues[i]);
    }
    NelFitStatistic = 2 * (a - b + c);
}

void TransformBradleyTerry(CalcVector& target, const CalcVector& values) {
    const int n = RunItemCount;
    const CalcVector v = values;  // target may be values itself
    for (int i = 1; i <= n; ++i) target[i] = 0;
    if (NelRefItem < 1 || NelRefItem > n) {
        NelMapStatus = MapStatus::NoReference;
        return;
    }
    NelMapStatus = MapStatus::Computed;
    NelScaleFactor = CheckedDivide(NelRefValue, v[NelRefItem]);
    for (int i = 1; i <= n; ++i) target[i] = v[i] * NelScaleFactor;
    // NEL values are positive by definition: a reference value of 0 or below has no NEL scale.
    bool positive = NelScaleFactor > 0;
    for (int i = 1; i <= n && positive; ++i) positive = target[i] > 0;
    if (!positive) {
        NelMapStatus = MapStatus::NonPositiveScale;
        NelScaleFactor = 0;
        for (int i = 1; i <= n; ++i) target[i] = 0;
    }
}

std::string NelConvergenceNote() {
    if (NelFitConverged) return "";
    return "NEL(Bradley-Terry) fit did not converge in " + StrInt(NelFitSweeps) +
           " iterations: its values are unreliable.";
}

}  // namespace trindel
