// WTrindel's results window opening on the report of a full-size run (150 items, 150 experts,
// intervals, answers consistent enough for about a million report lines): the report read into
// the memo, the window shown and painted. The peak memory of the
// process is given before the first window and after the last one.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QMdiArea>

#include <cstdlib>
#include <filesystem>

#include "bench/pairwise_bench_support.h"
#include "common/ui/report_view.h"
#include "pairwise/model/run_comparison.h"
#include "pairwise/ui/run_dialog.h"

using namespace trindel;

namespace fs = std::filesystem;

namespace {

pairbench::BenchPrompts prompts;

long PeakKilobytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// The window opening (shown and painted: what the user waits for) or, with `whole`, until it
// has found every line of the report (the scroll bar's full length; the window is alive
// meanwhile). The case's log values spread state.range(0) / 10: 6 gives about a million report
// lines, 1 about eleven million (the circular-triad listing grows as the answers agree less).
void ResultsWindow(benchmark::State& state, bool whole) {
    const fs::path previous = fs::current_path();
    char name[] = "/tmp/pairwise_window_bench_XXXXXX";
    const fs::path folder = ::mkdtemp(name);
    fs::current_path(folder);
    pairbench::BuildGeneratedCase(
        {.items = 150, .experts = 150, .spread = static_cast<double>(state.range(0)) / 10, .ties = 0.003, .blanks = 0});
    Platform = &prompts;
    RandomNumbers = &prompts;
    ScaleTransformation = true;
    ConfidenceIntervals = true;
    if (!RunComparison(1)) state.SkipWithError("the run failed");

    QMdiArea area;
    area.resize(1200, 800);
    area.show();
    QApplication::processEvents();
    const long before = PeakKilobytes();
    std::size_t lines = 0;
    for (auto _ : state) {
        auto* window = new TRangeGraphWindow(&area);
        window->LoadReport();
        window->show();
        QApplication::processEvents();
        if (whole) window->Memo1->FinishIndexing();
        lines = static_cast<std::size_t>(window->Memo1->LineCount()) - 1;  // the memo's own first line aside
        state.PauseTiming();
        delete window;
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["report_lines"] = static_cast<double>(lines);
    state.counters["report_MB"] = static_cast<double>(fs::file_size(folder / (CaseFile.CaseName + ".ouc"))) / (1 << 20);
    state.counters["peak_MB_before"] = static_cast<double>(before) / 1024;
    state.counters["peak_MB_after"] = static_cast<double>(PeakKilobytes()) / 1024;
    fs::current_path(previous);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

void BM_PairwiseResultsWindowLoad(benchmark::State& state) {
    ResultsWindow(state, false);
}
void BM_PairwiseResultsWindowWholeReport(benchmark::State& state) {
    ResultsWindow(state, true);
}
BENCHMARK(BM_PairwiseResultsWindowLoad)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(60)->Arg(10);
BENCHMARK(BM_PairwiseResultsWindowWholeReport)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(60)->Arg(10);

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
