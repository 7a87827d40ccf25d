// WTrindel's whole run as the run dialog starts it: the tallies, the consistency measures with
// the triad listing, the models, the intervals and the report file, on generated cases.
//
// Besides the benchmarks, three modes (each with the source folder, for the fixture cases):
//   pairwise_run_bench --write-reports DIR SOURCE    the report of every case into DIR
//   pairwise_run_bench --compare-reports DIR SOURCE  runs every case again and compares each
//                                                    report with DIR's, byte for byte
//   pairwise_run_bench --whole-process N M           one run of the generated N x M case; prints
//                                                    the process's CPU seconds and peak memory
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/pairwise_bench_support.h"
#include "common/core/line_io.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/items_file.h"
#include "pairwise/model/run_comparison.h"

using namespace trindel;

namespace fs = std::filesystem;

namespace {

pairbench::BenchPrompts prompts;

// A folder of its own for the report files, made the current directory while it lives.
class ScratchFolder {
public:
    ScratchFolder() : previous_(fs::current_path()) {
        char name[] = "/tmp/pairwise_run_bench_XXXXXX";
        folder_ = ::mkdtemp(name);
        fs::current_path(folder_);
    }
    ~ScratchFolder() {
        fs::current_path(previous_);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    const fs::path& Path() const { return folder_; }

private:
    fs::path previous_;
    fs::path folder_;
};

void Prepare(bool transformation, bool intervals) {
    Platform = &prompts;
    RandomNumbers = &prompts;
    ScaleTransformation = transformation;
    ConfidenceIntervals = intervals;
}

struct ReportCase {
    std::string name;  // of the report file
    std::function<void()> build;
    int nelChoice = 1;
};

std::vector<ReportCase> ReportCases(const fs::path& source) {
    const fs::path fixtures = source / "tests" / "fixtures" / "pairwise";
    auto generated = [](int n, int m, bool transformation, bool intervals) {
        return [=] {
            pairbench::BuildGeneratedCase({.items = n, .experts = m});
            Prepare(transformation, intervals);
        };
    };
    auto fixture = [fixtures](const std::string& stem, bool transformation) {
        return [=] {
            ResetGlobals();
            Platform = &prompts;
            RandomNumbers = &prompts;
            if (ReadItemsFile((fixtures / (stem + ".iy")).string()) != 0 ||
                ReadExpertDataFile((fixtures / (stem + ".ey")).string()) != 0)
                std::fprintf(stderr, "cannot read the case %s\n", stem.c_str());
            CaseFile.CaseName = stem;
            Prepare(transformation, true);
        };
    };
    return {
        {"gen_20_10", generated(20, 10, true, true)},
        {"gen_150_150", generated(150, 150, true, true)},
        {"gen_40_30", generated(40, 30, true, true), 2},
        {"gen_9_5", generated(9, 5, false, true)},
        {"gen_60_20", generated(60, 20, true, false)},
        {"golden_case", fixture("golden_case", true)},
        {"case12", fixture("case12", false)},
    };
}

// The report of one case, run in the current directory, under the case's name.
std::string RunReport(const ReportCase& c) {
    c.build();
    try {
        if (!RunComparison(c.nelChoice)) std::fprintf(stderr, "%s: the run was refused\n", c.name.c_str());
    } catch (const std::exception& e) {
        // The report ends where the run stopped; that part is compared too.
        std::printf("%s: the run stopped: %s\n", c.name.c_str(), e.what());
    }
    const std::string report = CaseFile.CaseName + ".ouc";
    return FileExists(report) ? ReadFileBytes(report) : std::string();
}

int WriteReports(const fs::path& dir, const fs::path& source) {
    fs::create_directories(dir);
    for (const ReportCase& c : ReportCases(source)) {
        ScratchFolder scratch;
        const std::string bytes = RunReport(c);
        TextFileWriter out((dir / (c.name + ".ouc")).string());
        out.Write(bytes);
        out.Commit();
        std::printf("%s: %zu bytes\n", c.name.c_str(), bytes.size());
    }
    return 0;
}

int CompareReports(const fs::path& dir, const fs::path& source) {
    int differing = 0;
    for (const ReportCase& c : ReportCases(source)) {
        ScratchFolder scratch;
        const std::string bytes = RunReport(c);
        const std::string before = ReadFileBytes((dir / (c.name + ".ouc")).string());
        const bool same = bytes == before;
        if (!same) ++differing;
        std::printf("%s: %s (%zu bytes)\n", c.name.c_str(), same ? "identical" : "DIFFERENT", bytes.size());
    }
    return differing == 0 ? 0 : 1;
}

int WholeProcess(int n, int m) {
    ScratchFolder scratch;
    pairbench::BuildGeneratedCase({.items = n, .experts = m});
    Prepare(true, true);
    const bool ok = RunComparison(1);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    std::printf("whole process %d x %d: %s, %.3f s CPU, peak %ld KB\n", n, m, ok ? "run" : "FAILED", cpu,
                usage.ru_maxrss);
    return ok ? 0 : 1;
}

void BM_PairwiseWholeRun(benchmark::State& state) {
    ScratchFolder scratch;
    const int n = static_cast<int>(state.range(0));
    const int m = static_cast<int>(state.range(1));
    pairbench::BuildGeneratedCase({.items = n, .experts = m});
    Prepare(true, true);
    for (auto _ : state) {
        if (!RunComparison(1)) state.SkipWithError("the run failed");
    }
    state.counters["report_lines"] = static_cast<double>(ReadTextLines(CaseFile.CaseName + ".ouc").size());
}
BENCHMARK(BM_PairwiseWholeRun)->Args({20, 10})->Args({150, 150})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--write-reports") == 0) return WriteReports(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--compare-reports") == 0) return CompareReports(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--whole-process") == 0)
        return WholeProcess(std::atoi(argv[2]), std::atoi(argv[3]));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
