// The full-size case (1000 experts, 1000 items, 100 seed items) as a user meets it: opening the
// ".dtt" and ".rls", saving the ".dtt", and the runs the run dialog starts. Every benchmark checks
// that its result equals the reference (a checksum of the tables read, the bytes written, or the
// scores, weights and decision-maker quantiles of the run) and fails when it does not.
//
//   build/bin/engine_case_bench
//   build/bin/engine_case_bench --benchmark_filter=Optimised
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <string>

#include "bench/bench_main.h"
#include "bench/bench_threads.h"
#include "bench/full_case.h"
#include "bench/reference_checksums.h"
#include "engine/dm_optimisation.h"
#include "engine/globals.h"
#include "engine/tables.h"

using namespace halvorine;

namespace {

// The generated case, or the one make_case wrote into $HALVORINE_CASE_DIR (so that a measure of
// the process's peak memory sees the reading alone).
const fullcase::CaseFiles& Files() {
    static const fullcase::CaseFiles files = [] {
        if (const char* dir = std::getenv("HALVORINE_CASE_DIR")) return fullcase::FilesIn(dir);
        return fullcase::WriteGeneratedCase(benchmain::Folder, fullcase::FullShape());
    }();
    return files;
}

void ReadCase(benchmark::State& state) {
    const fullcase::CaseFiles& files = Files();
    std::uint64_t sum = 0;
    for (auto _ : state) {
        if (const int n = fullcase::ReadCase(files)) {
            state.SkipWithError(("a line failed: " + std::to_string(n)).c_str());
            return;
        }
        state.PauseTiming();
        sum = fullcase::TablesChecksum();
        ResetGlobals();
        state.ResumeTiming();
    }
    // The generated case reads back as it was made: the file keeps every value exactly.
    if (!std::getenv("HALVORINE_CASE_DIR")) {
        ResetGlobals();
        generated::BuildCase(fullcase::FullShape());
        // Every item's realisation field is written, the no-value mark too, and read back as given.
        for (auto& item : ItemTable)
            if (item) item->HasRealisation = true;
        const std::uint64_t made = fullcase::TablesChecksum();
        ResetGlobals();
        if (made != sum) state.SkipWithError("the case read differs from the case written");
    }
    benchmain::Compare(state, sum, reference::ReadCase);
    // The process's peak so far: the reading's own with $HALVORINE_CASE_DIR, when ReadCase runs first.
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_kB"] = static_cast<double>(usage.ru_maxrss);
}

void WriteAssessments(benchmark::State& state) {
    const fullcase::CaseFiles& files = Files();
    fullcase::ReadCase(files);
    const std::string out = (benchmain::Folder / "SAVED.dtt").string();
    for (auto _ : state) WriteAssessmentsFile(out);
    // The bytes as the program has always written them, which are also those of the file read.
    const std::uint64_t written = fullcase::FileChecksum(out);
    if (written != fullcase::FileChecksum(files.Dtt)) state.SkipWithError("saving what was read changed the file");
    benchmain::Compare(state, written, reference::WrittenDtt);
    ResetGlobals();
}

// Open, check, run with global weights at the user's level 0: one core.
void ReadCheckRun(benchmark::State& state) {
    const fullcase::CaseFiles& files = Files();
    std::uint64_t sum = 0;
    for (auto _ : state) {
        fullcase::ReadCase(files);
        benchthreads::Use(1);
        if (const int code = fullcase::StartRun(1, false)) {
            state.SkipWithError(("run code " + std::to_string(code)).c_str());
            return;
        }
        state.PauseTiming();
        sum = fullcase::RunChecksum();
        ResetGlobals();
        state.ResumeTiming();
    }
    benchthreads::Use(0);
    benchmain::Compare(state, sum, reference::GlobalRun);
}

// A run on the case already open, on the given number of threads (0: every core).
void OptimisedRun(benchmark::State& state, int weightType, std::uint64_t want) {
    fullcase::ReadCase(Files());
    benchthreads::Use(static_cast<int>(state.range(0)));
    std::uint64_t sum = 0;
    for (auto _ : state) {
        if (const int code = fullcase::StartRun(weightType, true)) {
            state.SkipWithError(("run code " + std::to_string(code)).c_str());
            return;
        }
        state.PauseTiming();
        sum = fullcase::RunChecksum();
        state.ResumeTiming();
    }
    state.counters["levels"] = CalibrationLevelCount;
    // How many candidate levels were pooled exactly after the screening (the final pass aside).
    const LevelSearchReport& search = LastLevelSearch();
    state.counters["exact"] = search.ExactPasses;
    state.counters["screened"] = search.Screened ? 1 : 0;
    if (search.OutOfBounds != 0) state.SkipWithError("an exact score lies outside its screened bounds");
    benchmain::Compare(state, sum, want);
    benchthreads::Use(0);
    ResetGlobals();
}

void OptimisedGlobal(benchmark::State& state) {
    OptimisedRun(state, 1, reference::OptimisedGlobalRun);
}
void OptimisedItem(benchmark::State& state) {
    OptimisedRun(state, 3, reference::OptimisedItemRun);
}

}  // namespace

BENCHMARK(ReadCase)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(WriteAssessments)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ReadCheckRun)->Unit(benchmark::kMillisecond)->Iterations(2);
// Threads: every core (0), and 1, 2 and 8 to show the results do not depend on their number.
BENCHMARK(OptimisedGlobal)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime()->Arg(0)->Arg(1)->Arg(2)->Arg(8);
BENCHMARK(OptimisedItem)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime()->Arg(0)->Arg(1)->Arg(2)->Arg(8);

// The case files and the runs' "weightsw.dat" go into a scratch folder.
int main(int argc, char** argv) {
    return benchmain::Main(argc, argv, "engine-case-bench");
}
