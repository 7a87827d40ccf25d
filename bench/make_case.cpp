// Writes a generated case as a ".dtt" and ".rls" pair, for trying the program on a full-size case:
//
//   build/bin/make_case FOLDER [EXPERTS ITEMS SEEDS]     (default 1000 1000 100; files FULL.*)
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>

#include "bench/full_case.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 5) {
        std::fprintf(stderr, "usage: %s FOLDER [EXPERTS ITEMS SEEDS]\n", argv[0]);
        return 2;
    }
    generated::CaseShape shape = fullcase::FullShape();
    if (argc == 5) {
        shape.experts = std::atoi(argv[2]);
        shape.items = std::atoi(argv[3]);
        shape.seeds = std::atoi(argv[4]);
        if (shape.experts < 1 || shape.experts > 1000 || shape.items < 1 || shape.items > 1000 || shape.seeds < 0 ||
            shape.seeds > shape.items) {
            std::fprintf(stderr, "experts and items 1..1000, seeds 0..items\n");
            return 2;
        }
    }
    try {
        const fullcase::CaseFiles files = fullcase::WriteGeneratedCase(argv[1], shape);
        std::printf("%s\n%s\n", files.Dtt.c_str(), files.Rls.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
