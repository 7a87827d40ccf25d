// The scoring run on generated cases, from the data check to the scored decision maker, as the run
// dialog starts it. The typical study has 10 seed items; the larger cases have one item in ten as
// a seed.
//
//   build-rel/bin/engine_run_bench                      every case
//   build-rel/bin/engine_run_bench --benchmark_filter=Growth
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/case_generator.h"
#include "engine/globals.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"

using namespace halvorine;

namespace {

struct RunOptions {
    int weightType = 1;
    bool optimise = true;
};

// Builds the case once; each iteration starts as a run from the dialog does, with a new decision
// maker and the information not yet computed.
void ScoringRun(benchmark::State& state, generated::CaseShape shape, RunOptions options) {
    ResetGlobals();
    generated::BuildCase(shape);
    if (CheckCaseData() <= 0) {
        state.SkipWithError("the generated case fails the data check");
        return;
    }
    BuildItemIndexMap();
    WeightType = static_cast<std::uint16_t>(options.weightType);
    OptimiseDM = options.optimise;
    UserSignificanceLevel = 0;
    RunDMName = "";
    int levels = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (ExpertTable[ExpertCount + 1]) DeleteExperts(ExpertCount + 1, ExpertCount + 1, ExpertTable, nullptr);
        DecisionMakerCount = 0;
        AddDecisionMaker("");
        InformationComputed = false;
        state.ResumeTiming();

        int code = 0;
        RunCalculation(code);
        if (code != RunOk) {
            const std::string message = "run code " + std::to_string(code);
            state.SkipWithError(message.c_str());
            break;
        }
        levels = CalibrationLevelCount;
    }
    state.counters["levels"] = levels;
    state.counters["experts"] = shape.experts;
    state.counters["items"] = shape.items;
    ResetGlobals();
}

generated::CaseShape Shape(int experts, int items, int seeds, int quantiles) {
    return {.experts = experts, .items = items, .seeds = seeds, .quantiles = quantiles};
}

void TypicalStudy(benchmark::State& state) {
    ScoringRun(state, Shape(20, 50, 10, 3), {1, true});
}
void Medium3(benchmark::State& state) {
    ScoringRun(state, Shape(100, 200, 20, 3), {1, true});
}
void Medium25(benchmark::State& state) {
    ScoringRun(state, Shape(100, 200, 20, 25), {1, true});
}
void FullSize(benchmark::State& state) {
    ScoringRun(state, Shape(1000, 1000, 100, 3), {1, false});
}
void FullSizeOptimised(benchmark::State& state) {
    ScoringRun(state, Shape(1000, 1000, 100, 3), {1, true});
}

// How the time grows: experts at 1000 items, items at 1000 experts (seeds one in ten).
void GrowthExperts(benchmark::State& state) {
    ScoringRun(state, Shape(static_cast<int>(state.range(0)), 1000, 100, 3), {1, state.range(1) != 0});
}
void GrowthItems(benchmark::State& state) {
    const int items = static_cast<int>(state.range(0));
    ScoringRun(state, Shape(1000, items, items / 10, 3), {1, state.range(1) != 0});
}

}  // namespace

BENCHMARK(TypicalStudy)->Unit(benchmark::kMillisecond);
BENCHMARK(Medium3)->Unit(benchmark::kMillisecond);
BENCHMARK(Medium25)->Unit(benchmark::kMillisecond);
BENCHMARK(FullSize)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FullSizeOptimised)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(GrowthExperts)->Unit(benchmark::kMillisecond)->Iterations(1)->ArgsProduct({{125, 250, 500, 1000}, {0, 1}});
BENCHMARK(GrowthItems)->Unit(benchmark::kMillisecond)->Iterations(1)->ArgsProduct({{125, 250, 500, 1000}, {0, 1}});

// The runs write "weightsw.dat" into the current directory: a scratch one.
int main(int argc, char** argv) {
    const auto folder = std::filesystem::temp_directory_path() / ("engine-run-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    // On one core, as these figures have always been taken; engine_case_bench times the threads.
    RunThreadCount = 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(folder);
    return 0;
}
