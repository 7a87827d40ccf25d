// What the full-size benchmarks share: the check of a result against its reference, and a main()
// that runs them in a scratch folder (the runs write "weightsw.dat" into the current directory).
#pragma once

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace benchmain {

inline std::filesystem::path Folder;

// The checksum as the benchmark's label, and a failure when it is not the reference.
inline void Compare(benchmark::State& state, std::uint64_t got, std::uint64_t want) {
    char text[40];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, got);
    state.SetLabel(text);
    if (want != 0 && got != want)
        state.SkipWithError((std::string("result differs from the reference: ") + text).c_str());
}

inline int Main(int argc, char** argv, const std::string& name) {
    Folder = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Folder);
    std::filesystem::current_path(Folder);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(Folder);
    return 0;
}

}  // namespace benchmain
