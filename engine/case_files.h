// A case is two files side by side with one stem: the assessments file ".dtt" and the items file
// ".rls". Deriving both names from the file the user chose, and the save question of the sheets.
#pragma once

#include <functional>
#include <string>

#include "common/core/case_file_names.h"
#include "platform/prompts.h"

namespace halvorine {

// The filters of the case file choices: assessments first, or items first.
extern const char* const ExpertFilesFilter;
extern const char* const ItemFilesFilter;

struct CaseFilePaths {
    std::string Rls;  // items file
    std::string Dtt;  // assessments file
};

// The two files of the case of a chosen file, by CasePairNames with ".dtt" for the assessments
// file and ".rls" for the items file.
// Every open and save of a case names its files here: a save of the pair that was killed between
// its renames is finished (or, failing that, undone) first, and a message says so.
CaseFilePaths CaseFileNames(const std::string& chosen);

// Writes the assessments file (when dtt) and the items file (when rls) to names as one pair:
// both temporaries are written and synced before either file is replaced, so a failure of either
// leaves both old files. Before each file is written, showing(kind) is called (AssessmentsFileKind,
// then ItemsFileKind: the caption). Clears Modified of the written kinds once both are in place; throws
// IoError with every flag unchanged.
void WriteCaseFiles(const CaseFilePaths& names, bool dtt, bool rls, const std::function<void(int)>& showing = {});

// The save-as choice of a new name for the case through choice (its filter set), with the question
// before overwriting another case; false when either is cancelled. The case takes the name on
// only once it is saved.
bool ChooseCaseName(platform::FileChoice& choice, std::string& chosen);

// The question a sheet of kind AssessmentsFileKind or ItemsFileKind asks before it closes; canClose
// says whether it may. Yes saves both files (an unnamed case through a save-as choice first).
// A failed write throws IoError with canClose false and the kind still modified.
void QuerySaveCase(int kind, bool& canClose);

}  // namespace halvorine
