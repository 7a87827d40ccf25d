// Robustness on items and on experts of the full-size case (1000 experts, 1000 items, 100 seed
// items) with global weights and the decision maker optimised, as the run dialog's buttons start
// them: the full run, then one run per seed item (per expert) left out. The benchmark checks that
// every item's and expert's robustness results and the restored full run equal the reference.
//
//   build/bin/workbench_robustness_bench
#include <benchmark/benchmark.h>

#include "bench/bench_main.h"
#include "bench/bench_threads.h"
#include "bench/full_case.h"
#include "bench/reference_checksums.h"
#include "engine/globals.h"
#include "engine/tables.h"
#include "workbench/robustness_runs.h"
#include "workbench/run_dialog_core.h"
#include "workbench/services.h"
#include "workbench/window_state.h"

using namespace halvorine;

namespace {

std::uint64_t RobustnessChecksum() {
    fullcase::Checksum sum;
    auto add = [&sum](const TRobustness& r, bool flag) {
        for (float v : {r.DMDiscrepancy, r.DMSeedDiscrepancy, r.DMInformation, r.DMSeedInformation, r.DMScore})
            sum.Real(v);
        sum.Int(flag);
    };
    for (int i = 1; i <= MaxItemCount; ++i)
        if (const TItem* t = ItemTable[i].get()) add(t->Robustness, t->FilterFlag);
    // The experts' results only where there are some, so that the checksum on items stays the one
    // the program has always given.
    if (halvorine::RobustnessOnExperts)
        for (int e = 1; e <= MaxExpertCount; ++e)
            if (const TExpert* x = ExpertTable[e].get()) add(x->Robustness, x->FilterFlag);
    sum.Int(static_cast<long long>(fullcase::RunChecksum()));
    return sum.Value();
}

void Robustness(benchmark::State& state, bool onExperts, std::uint64_t want) {
    const fullcase::CaseFiles files = fullcase::WriteGeneratedCase(benchmain::Folder, fullcase::FullShape());
    std::uint64_t sum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fullcase::ReadCase(files);
        benchthreads::Use(static_cast<int>(state.range(0)));
        CheckCaseData();
        WeightType = 1;
        OptimiseDM = true;
        halvorine::RobustnessOnExperts = onExperts;
        state.ResumeTiming();

        RobustnessHooks hooks;
        hooks.FullRun = [] {
            RunFields f;
            f.CalPower = "   1.000";
            f.IntRange = "    0.10";
            return RunCheck(f);
        };
        if (!CalcRob(hooks)) {
            state.SkipWithError("the robustness runs failed");
            return;
        }
        state.PauseTiming();
        sum = RobustnessChecksum();
        ResetGlobals();
        ResetWindowState();
        state.ResumeTiming();
    }
    benchmain::Compare(state, sum, want);
    benchthreads::Use(0);
}

void RobustnessOnItemsBench(benchmark::State& state) {
    Robustness(state, false, reference::RobustnessOnItems);
}
void RobustnessOnExpertsBench(benchmark::State& state) {
    Robustness(state, true, reference::RobustnessOnExperts);
}

}  // namespace

// Every core (0), one thread and two.
BENCHMARK(RobustnessOnItemsBench)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime()->Arg(0)->Arg(1)->Arg(2);
BENCHMARK(RobustnessOnExpertsBench)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime()
    ->Arg(0)
    ->Arg(1)
    ->Arg(2);

int main(int argc, char** argv) {
    WireServices();  // the runs reach the engine through the program's services
    return benchmain::Main(argc, argv, "workbench-robustness-bench");
}
