// Robustness on items of the full-size case (1000 experts, 1000 items, 100 seed items) with global
// weights and the decision maker optimised, as the run dialog's button starts it: the full run,
// then one run per seed item left out. The benchmark checks that every item's robustness results
// and the restored full run equal the reference.
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

using namespace halvorine;

namespace {

std::uint64_t RobustnessChecksum() {
    fullcase::Checksum sum;
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* t = ItemTable[i].get();
        if (!t) continue;
        const TRobustness& r = t->Robustness;
        for (float v : {r.DMDiscrepancy, r.DMSeedDiscrepancy, r.DMInformation, r.DMSeedInformation, r.DMScore})
            sum.Real(v);
        sum.Int(t->FilterFlag);
    }
    sum.Int(static_cast<long long>(fullcase::RunChecksum()));
    return sum.Value();
}

void RobustnessOnItems(benchmark::State& state) {
    const fullcase::CaseFiles files = fullcase::WriteGeneratedCase(benchmain::Folder, fullcase::FullShape());
    std::uint64_t sum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fullcase::ReadCase(files);
        benchthreads::Use(static_cast<int>(state.range(0)));
        CheckCaseData();
        WeightType = 1;
        OptimiseDM = true;
        RobustnessOnExperts = false;
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
        state.ResumeTiming();
    }
    benchmain::Compare(state, sum, reference::RobustnessOnItems);
    benchthreads::Use(0);
}

}  // namespace

// Every core (0), and one thread.
BENCHMARK(RobustnessOnItems)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime()->Arg(0)->Arg(1);

int main(int argc, char** argv) {
    WireServices();  // the runs reach the engine through the program's services
    return benchmain::Main(argc, argv, "workbench-robustness-bench");
}
