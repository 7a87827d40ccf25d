// Writes a generated case (the benchmarks' generator) as the two case files, for trying the
// programs on full-size cases: make_case STEM [experts items seeds].
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/case_generator.h"
#include "engine/assessments_file.h"
#include "engine/globals.h"
#include "engine/items_file.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s STEM [experts items seeds]\n", argv[0]);
        return 2;
    }
    generated::CaseShape shape;
    if (argc >= 5) {
        shape.experts = std::atoi(argv[2]);
        shape.items = std::atoi(argv[3]);
        shape.seeds = std::atoi(argv[4]);
    }
    if (shape.experts < 1 || shape.experts > 1000 || shape.items < 1 || shape.items > 1000 || shape.seeds < 0 ||
        shape.seeds > shape.items) {
        std::fprintf(stderr, "at most 1000 experts and 1000 items, seeds among the items\n");
        return 2;
    }
    ResetGlobals();
    generated::BuildCase(shape);
    const std::string stem = argv[1];
    if (!WriteAssessmentsFile(stem + ".dtt") || !WriteItemsFile(stem + ".rls")) {
        std::fprintf(stderr, "could not write %s.dtt / %s.rls\n", stem.c_str(), stem.c_str());
        return 1;
    }
    return 0;
}
