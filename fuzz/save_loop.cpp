// The helper of kill_save_loop.sh. "save_loop save FOLDER [FIRST]" saves a generated case as
// FOLDER/loop.dtt and FOLDER/loop.rls over and over, each generation marking both files (the
// first expert's name and the first item's realisation carry its number, counted from FIRST),
// until it is killed; "save-one-by-one" commits each file on its own instead. "save_loop check
// FOLDER" reads the pair as the open command does and exits 0 when both files read whole and
// carry the same generation, else prints what is wrong and exits 1.
// With SAVE_LOOP_PAUSE_AT=NAME:K in the environment, the second save stops just before the K-th
// step named NAME (e.g. rename:3, between the two files' renames), creates FOLDER/paused and
// waits there to be killed.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/case_generator.h"
#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "engine/assessments_file.h"
#include "engine/case_files.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "platform/quiet_prompts.h"

using namespace halvorine;

namespace {

// The loop has no one to ask; what a box says goes to stderr for the script.
platform::QuietPrompts prompts(true);

// A full items table: the items file takes long enough to write that a kill often lands in it.
constexpr int Experts = 10;
constexpr int Items = 1000;

std::string Marker(long generation) {
    return "gen " + std::to_string(generation);
}

// oneByOne: each file committed on its own, as the save did before the pair writer; the loop
// must then find mixed pairs, which shows that it can.
int Save(const std::string& folder, long first, bool oneByOne) {
    generated::CaseShape shape;
    shape.experts = Experts;
    shape.items = Items;
    generated::BuildCase(shape);
    const CaseFilePaths names{folder + "/loop.rls", folder + "/loop.dtt"};
    std::string pauseStep;
    int pauseAt = 0, seen = 0;
    if (const char* at = std::getenv("SAVE_LOOP_PAUSE_AT")) {
        const std::string spec = at;
        pauseStep = spec.substr(0, spec.find(':'));
        pauseAt = spec.find(':') == std::string::npos ? 1 : std::atoi(spec.c_str() + spec.find(':') + 1);
    }
    for (long generation = first;; ++generation) {
        if (pauseAt > 0 && generation == first + 1)
            SetSaveStepHook([&](const char* step) {
                if (pauseStep != step || ++seen != pauseAt) return;
                std::FILE* f = std::fopen((folder + "/paused").c_str(), "w");
                if (f) std::fclose(f);
                for (;;) ::pause();
            });
        // The experts' names are in the assessments file only, realisations in the items file only.
        ExpertTable[1]->Name = Marker(generation);
        ItemTable[1]->Realisation = static_cast<float>(generation);
        ItemTable[1]->HasRealisation = true;
        if (oneByOne) {
            WriteAssessmentsFile(names.Dtt);
            WriteItemsFile(names.Rls);
        } else {
            WriteCaseFiles(names, true, true);
        }
    }
}

int Check(const std::string& folder) {
    try {
        // As the open command names the files: a save killed between its renames is finished.
        const CaseFilePaths names = CaseFileNames(folder + "/loop.dtt");
        const int dtt = ReadAssessmentsFile(names.Dtt);
        const int rls = ReadItemsFile(names.Rls);
        if (dtt != 0 || rls != 0) {
            std::printf("torn: the assessments file fails at line %d, the items file at line %d\n", dtt, rls);
            return 1;
        }
        if (!ExpertTable[Experts] || !ItemTable[Items] || ExpertTable[Experts + 1]) {
            std::printf("torn: not the whole case\n");
            return 1;
        }
        const std::string expert = ExpertTable[1]->Name.str();
        const std::string item = Marker(static_cast<long>(ItemTable[1]->Realisation));
        if (expert != item) {
            std::printf("mixed pair: assessments of %s, items of %s\n", expert.c_str(), item.c_str());
            return 1;
        }
        std::printf("%s\n", expert.c_str());
        return 0;
    } catch (const IoError& e) {
        std::printf("%s\n", e.what());
        return 1;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: save_loop save|save-one-by-one FOLDER [FIRST-GENERATION] | check FOLDER\n");
        return 2;
    }
    ResetGlobals();
    Platform = &prompts;
    const std::string mode = argv[1];
    if (mode == "save" || mode == "save-one-by-one")
        return Save(argv[2], argc > 3 ? std::atol(argv[3]) : 1, mode != "save");
    if (mode == "check") return Check(argv[2]);
    return 2;
}
