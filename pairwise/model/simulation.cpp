#include "pairwise/model/simulation.h"

#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "pairwise/model/checked_math.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/nel_model.h"
#include "pairwise/model/run_comparison.h"
#include "pairwise/model/thurstone.h"
#include "platform/random_source.h"

namespace trindel {

static_assert(DefaultSimulationCount >= 1 && DefaultSimulationCount <= SimulatedRunCapacity,
              "the simulated runs must fit SimulatedValues");

namespace {

constexpr long double Pi = 3.141592653589793238462643383279502884L;

// The simulated counts and refitted values of one run.
CalcMatrix simulatedCounts;
CalcVector fitted;

}  // namespace

Real48 UniformRandom() {
    Real48 u = Randoms().Random();
    if (u < 1e-30L) u = 1e-30L;
    return u;
}

namespace {

// ln u of a uniform draw (u >= 1e-30, so finite and at most 0). In double precision: a draw is
// stored as a six-byte real, whose 40 bits the double's 53 cover.
double LnUniform() {
    return std::log(static_cast<double>(UniformRandom().Value()));
}

// -(1/rate) ln u with the factor -(1/rate) worked out once per item.
Real48 ExponentialDraw(long double factor) {
    return factor * LnUniform();
}

}  // namespace

Real48 ExponentialRandom(Real48 rate) {
    return ExponentialDraw(-CheckedDivide(1, rate));
}

Real48 NormalRandom(Real48 mean) {
    const double lnU1 = LnUniform();
    const Real48 u2 = UniformRandom();
    return mean + std::sqrt(-lnU1 + 0.0) * std::sin(static_cast<double>(2 * Pi * u2));
}

void DrawSimulatedValues(MatrixCells& draws, const CalcVector& values, SimulatedModel model) {
    const int n = RunItemCount;
    const int m = RunExpertCount;
    for (int i = 1; i <= n; ++i) {
        Real48* row = draws[i];
        for (int e = 1; e <= m; ++e) row[e] = Real48();
        if (model == SimulatedModel::Nel) {
            // Worked out at the item's first draw: an item nobody answered divides by nothing.
            long double factor = 0;
            bool factorKnown = false;
            for (int e = 1; e <= m; ++e) {
                if (!Answered[i][e]) continue;
                if (!factorKnown) {
                    factor = -CheckedDivide(1, values[i]);
                    factorKnown = true;
                }
                row[e] = ExponentialDraw(factor);
            }
        } else {
            for (int e = 1; e <= m; ++e)
                if (Answered[i][e]) row[e] = NormalRandom(values[i]);
        }
    }
}

void SimulatedPreferenceCounts(MatrixCells& counts, const MatrixCells& draws, SimulatedModel model) {
    const int n = RunItemCount;
    const int m = RunExpertCount;
    // Whole counts below 2^40 are exact in a six-byte real: tally as integers, store once. For a
    // pair i < j only the first item's wins and the experts who judged both are counted; the
    // second item has the rest. The draws are six-byte reals, exact as doubles, so comparing
    // doubles compares the draws.
    static int wins[MaxRunItems + 1][MaxRunItems + 1];
    static int judged[MaxRunItems + 1][MaxRunItems + 1];
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) wins[i][j] = judged[i][j] = 0;
    // The NEL draws are compared negated, so that in both models the larger value wins.
    const double sign = model == SimulatedModel::Nel ? -1.0 : 1.0;
    double x[MaxRunItems + 1] = {};
    int answered[MaxRunItems + 1] = {};
    for (int e = 1; e <= m; ++e) {
        for (int i = 1; i <= n; ++i) {
            answered[i] = Answered[i][e] ? 1 : 0;
            x[i] = sign * static_cast<double>(draws[i][e].Value());
        }
        for (int i = 1; i < n; ++i) {
            if (!answered[i]) continue;
            const double first = x[i];
            int* won = wins[i];
            int* both = judged[i];
            for (int j = i + 1; j <= n; ++j) {
                won[j] += answered[j] & static_cast<int>(first > x[j]);
                both[j] += answered[j];
            }
        }
    }
    for (int i = 1; i <= n; ++i) {
        counts[i][i] = 0;
        for (int j = i + 1; j <= n; ++j) {
            counts[i][j] = wins[i][j];
            counts[j][i] = judged[i][j] - wins[i][j];
        }
    }
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
    const std::string step = std::string("Calculating: intervals of ") +
                             (model == SimulatedModel::Nel ? "NEL" : "Thurstone C") + ", simulation ";
    for (int run = 1; run <= s; ++run) {
        ReportRunStep(step + std::to_string(run) + " of " + std::to_string(s));
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
            // Without a scaling the bounds stay 0 and the report says so.
            const bool scaled = NelMapStatus == MapStatus::Computed;
            NelLowerBounds[i] = !ScaleTransformation ? lo : scaled ? lo * NelScaleFactor : 0.0L;
            NelUpperBounds[i] = !ScaleTransformation ? hi : scaled ? hi * NelScaleFactor : 0.0L;
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
            // A map that reverses the order (a negative slope) sends the k-th smallest value to
            // the upper end: the interval keeps its lower end first.
            if (ThurstoneCLinearLower[i] > ThurstoneCLinearUpper[i])
                std::swap(ThurstoneCLinearLower[i], ThurstoneCLinearUpper[i]);
            if (ThurstoneCLogLower[i] > ThurstoneCLogUpper[i]) std::swap(ThurstoneCLogLower[i], ThurstoneCLogUpper[i]);
        }
    }
}

void SimulateAllIntervals() {
    SimulateIntervals(NelValues, SimulatedModel::Nel);
    SimulateIntervals(ThurstoneCValues, SimulatedModel::ThurstoneC);
}

}  // namespace trindel
