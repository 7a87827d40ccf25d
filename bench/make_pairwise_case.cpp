// Writes a generated paired-comparison case as an ".iy" and ".ey" pair, for trying WTrindel on
// a full-size case:
//
//   build/bin/make_pairwise_case FOLDER [ITEMS EXPERTS SPREAD]   (default 150 150 1; files FULL.*)
//
// A smaller SPREAD of the items' log values makes the answers agree less and the report longer
// (150 x 150 with spread 1: about 13 million lines, mostly circular triads).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>

#include "bench/pairwise_bench_support.h"
#include "pairwise/model/case_files.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 5) {
        std::fprintf(stderr, "usage: %s FOLDER [ITEMS EXPERTS SPREAD]\n", argv[0]);
        return 2;
    }
    pairbench::CaseShape shape{.items = 150, .experts = 150, .spread = 1, .ties = 0.003, .blanks = 0};
    if (argc == 5) {
        shape.items = std::atoi(argv[2]);
        shape.experts = std::atoi(argv[3]);
        shape.spread = std::atof(argv[4]);
        if (shape.items < 2 || shape.items > MaxItemCount || shape.experts < 1 || shape.experts > MaxExpertCount ||
            !(shape.spread > 0)) {
            std::fprintf(stderr, "items 2..%d, experts 1..%d, spread above 0\n", MaxItemCount, MaxExpertCount);
            return 2;
        }
    }
    try {
        pairbench::BenchPrompts prompts;
        Platform = &prompts;
        pairbench::BuildGeneratedCase(shape);
        const std::string items = (std::filesystem::path(argv[1]) / "FULL.iy").string();
        SaveCaseFiles(CaseFileNames(items), true);
        std::printf("%s\n", items.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
