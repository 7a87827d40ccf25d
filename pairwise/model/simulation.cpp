#include "pairwise/model/simulation.h"

#include <cmath>
#include <stdexcept>
#include <utility>

#include "pairwise/model/checked_math.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/nel_model.h"
#include "pairwise/model/thurstone.h"
#include "platform/prompts.h"

static_assert(DefaultSimulationCount >= 1 && DefaultSimulationCount <= SimulatedRunCapacity,
              "the simulated runs must fit SimulatedValues");

namespace {

constexpr long double Pi = 3.141592653589793238462643383279502884L;

// The simulated counts and refitted values of one run.
CalcMatrix simulatedCounts;
CalcVector fitted;

}  // namespace

Real48 UniformRandom() {
    Real48 u = Platform->Random();
    if (u < 1e-30L) u = 1e-30L;
    return u;
}

Real48 ExponentialRandom(Real48 rate) { return -CheckedDivide(1, rate) * CheckedLn(UniformRandom()); }

Real48 NormalRandom(Real48 mean) {
    const Real48 u1 = UniformRandom();
    const Real48 u2 = UniformRandom();
    return mean + CheckedSqrt(-CheckedLn(u1)) * std::sin(2 * Pi * u2);
}

void DrawSimulatedValues(MatrixCells& draws, const CalcVector& values, SimulatedModel model) {
    const int n = RunItemCount;
    const int m = RunExpertCount;
    for (int i = 1; i <= n; ++i)
        for (int e = 1; e <= m; ++e) draws[i][e] = 0;
    for (int i = 1; i <= n; ++i)
        for (int e = 1; e <= m; ++e) {
            if (!Answered[i][e]) continue;
            draws[i][e] = model == SimulatedModel::Nel ? ExponentialRandom(values[i]) : NormalRandom(values[i]);
        }
}

void SimulatedPreferenceCounts(MatrixCells& counts, const MatrixCells& draws, SimulatedModel model) {
    const int n = RunItemCount;
    const int m = RunExpertCount;
    // Whole counts below 2^40 are exact in a six-byte real: tally as integers, store once.
    static int tally[MaxRunItems + 1][MaxRunItems + 1];
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) tally[i][j] = 0;
    for (int e = 1; e <= m; ++e)
        for (int i = 1; i < n; ++i) {
            if (!Answered[i][e]) continue;
            const long double x = draws[i][e];
            for (int j = i + 1; j <= n; ++j) {
                if (!Answered[j][e]) continue;
                const long double y = draws[j][e];
                const bool firstWins = model == SimulatedModel::Nel ? x < y : x > y;
                if (firstWins)
                    ++tally[i][j];
                else
                    ++tally[j][i];
            }
        }
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) counts[i][j] = tally[i][j];
}

void SelectExtremes(int k) {
    const int n = RunItemCount;
    const int s = SimulationCount;
    for (int i = 1; i <= n; ++i) {
        Real48* row = SimulatedValues[i];
        for (int a = 1; a <= k; ++a)
            for (int b = a + 1; b <= s; ++b)
                if (row[b] < row[a]) std::swap(row[a], row[b]);
        for (int a = s; a >= s - k + 1; --a)
            for (int b = a - 1; b >= k + 1; --b)
                if (row[b] > row[a]) std::swap(row[a], row[b]);
    }
}

int SimulationRank() {
    const long double s = SimulationCount;
    const long double outside = (s - s / 100 * ConfidenceLevel) / 2;
    return static_cast<int>(std::nearbyint(outside)) + 1;
}

Real48 ThurstoneCLogBound(long double x) {
    const long double t = ThurstoneLogSlope * x + ThurstoneLogIntercept;
    if (t < LowestLogBoundExponent) return 0;
    if (t > HighestLogBoundExponent) {
        LogBoundOverflow = true;
        return 1e37L;
    }
    return std::exp(t);
}

Real48 ThurstoneCLinearBound(long double x) {
    const long double bound = ThurstoneSlope * x + ThurstoneIntercept;
    return bound < 0 ? 0 : bound;
}

void SimulateIntervals(const CalcVector& values, SimulatedModel model) {
    const int n = RunItemCount;
    const int s = SimulationCount;
    if (s < 1 || s > SimulatedRunCapacity) throw std::out_of_range("simulation count beyond the simulated runs' table");
    const CalcVector v = values;
    const int k = SimulationRank();
    if (k < 1 || k > s) throw std::out_of_range("confidence level leaves no simulated bound");
    for (int run = 1; run <= s; ++run) {
        DrawSimulatedValues(SimulationDraws, v, model);
        SimulatedPreferenceCounts(simulatedCounts, SimulationDraws, model);
        if (model == SimulatedModel::Nel)
            FitBradleyTerry(fitted, simulatedCounts, 1);
        else
            FitThurstoneC(fitted, simulatedCounts);
        for (int i = 1; i <= n; ++i) SimulatedValues[i][run] = fitted[i];
    }
    SelectExtremes(k);

    if (ScaleTransformation) LogBoundOverflow = false;
    for (int i = 1; i <= n; ++i) {
        const long double lo = SimulatedValues[i][k];
        const long double hi = SimulatedValues[i][s + 1 - k];
        if (model == SimulatedModel::Nel) {
            NelLowerBounds[i] = ScaleTransformation ? lo * NelScaleFactor : lo;
            NelUpperBounds[i] = ScaleTransformation ? hi * NelScaleFactor : hi;
        } else if (!ScaleTransformation) {
            ThurstoneCLinearLower[i] = lo;
            ThurstoneCLinearUpper[i] = hi;
        } else {
            const bool linear = ThurstoneCMaps.Linear == MapStatus::Computed;
            const bool log = ThurstoneCMaps.Log == MapStatus::Computed;
            ThurstoneCLinearLower[i] = linear ? ThurstoneCLinearBound(lo) : Real48();
            ThurstoneCLinearUpper[i] = linear ? ThurstoneCLinearBound(hi) : Real48();
            ThurstoneCLogLower[i] = log ? ThurstoneCLogBound(lo) : Real48();
            ThurstoneCLogUpper[i] = log ? ThurstoneCLogBound(hi) : Real48();
        }
    }
}

void SimulateAllIntervals() {
    SimulateIntervals(NelValues, SimulatedModel::Nel);
    SimulateIntervals(ThurstoneCValues, SimulatedModel::ThurstoneC);
}
