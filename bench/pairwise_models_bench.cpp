// The model step of a paired-comparison run: NEL fit and goodness of fit, Thurstone C and B
// with their statistic, the maps to the reference values and the simulated intervals of both
// models, on answers drawn from a Bradley-Terry model with a few ties.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "bench/pairwise_bench_support.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/nel_model.h"
#include "pairwise/model/simulation.h"
#include "pairwise/model/thurstone.h"
#include "pairwise/model/transformation.h"
#include "pairwise/model/workspace.h"

using namespace trindel;

namespace {

pairbench::BenchPrompts prompts;

// Every expert answers every pair: item i beats j with probability v(i) / (v(i) + v(j)),
// log v standard normal, 5 % of the answers ties.
void TallyRandomCase(int n, int m) {
    ResetGlobals();
    Platform = &prompts;
    RandomNumbers = &prompts;
    ClearCalculation();
    RunItemCount = n;
    RunExpertCount = m;
    std::mt19937_64 g(2026);
    std::normal_distribution<double> logValue(0, 1);
    std::uniform_real_distribution<double> u(0, 1);
    double v[MaxRunItems + 1] = {};
    for (int i = 1; i <= n; ++i) {
        ItemOrder[i] = i;
        v[i] = std::exp(logValue(g));
    }
    for (int e = 1; e <= m; ++e)
        for (int i = 1; i < n; ++i)
            for (int j = i + 1; j <= n; ++j) {
                ++PairCount[i][j];
                ++PairCount[j][i];
                Answered[i][e] = Answered[j][e] = true;
                const double x = u(g);
                if (x < 0.05) {
                    ExpertPreference[e][i][j] = ExpertPreference[e][j][i] = 0.5L;
                    PreferenceCount[i][j] += 0.5L;
                    PreferenceCount[j][i] += 0.5L;
                    NoTieAnswers = false;
                } else if (u(g) < v[i] / (v[i] + v[j])) {
                    ExpertPreference[e][i][j] = 1;
                    PreferenceCount[i][j] += 1;
                } else {
                    ExpertPreference[e][j][i] = 1;
                    PreferenceCount[j][i] += 1;
                }
            }
    RefItem1 = 1;
    RefValue1 = 10;
    RefItem2 = n;
    RefValue2 = 1;
    NelRefItem = 1;
    NelRefValue = 10;
    ScaleTransformation = true;
    ConfidenceIntervals = true;
}

void ModelStep() {
    FitBradleyTerry(NelValues, PreferenceCount, 0);
    BradleyTerryGoodnessOfFit();
    FitThurstoneC(ThurstoneCValues, PreferenceCount);
    FitThurstoneB(ThurstoneBValues, PreferenceCount);
    ThurstoneGoodnessOfFit();
    ThurstoneBReversed = ThurstoneCReversed = ThurstoneContradiction = false;
    TransformBradleyTerry(NelTransformed, NelValues);
    TransformThurstone(ThurstoneBLinear, ThurstoneBLog, ThurstoneBValues, ThurstoneBReversed, ThurstoneBMaps);
    TransformThurstone(ThurstoneCLinear, ThurstoneCLog, ThurstoneCValues, ThurstoneCReversed, ThurstoneCMaps);
    SimulateAllIntervals();
}

void BM_PairwiseModelStep(benchmark::State& state) {
    TallyRandomCase(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        Randoms().Randomize();
        ModelStep();
        benchmark::DoNotOptimize(NelLowerBounds);
    }
    state.counters["nel_sweeps"] = NelFitSweeps;
}
BENCHMARK(BM_PairwiseModelStep)->Args({20, 10})->Args({150, 150})->Unit(benchmark::kMillisecond);

// The parts of the step at full size.
void BM_PairwiseFitsOnly(benchmark::State& state) {
    TallyRandomCase(150, 150);
    for (auto _ : state) {
        FitBradleyTerry(NelValues, PreferenceCount, 0);
        BradleyTerryGoodnessOfFit();
        FitThurstoneC(ThurstoneCValues, PreferenceCount);
        FitThurstoneB(ThurstoneBValues, PreferenceCount);
        ThurstoneGoodnessOfFit();
        benchmark::DoNotOptimize(ThurstoneBValues);
    }
}
BENCHMARK(BM_PairwiseFitsOnly)->Unit(benchmark::kMillisecond);

void BM_PairwiseSimulationOnly(benchmark::State& state) {
    TallyRandomCase(150, 150);
    ModelStep();
    for (auto _ : state) {
        Randoms().Randomize();
        SimulateAllIntervals();
        benchmark::DoNotOptimize(NelLowerBounds);
    }
}
BENCHMARK(BM_PairwiseSimulationOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
