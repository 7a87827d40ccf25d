// The names of a case's two files and the question asked before unsaved data is dropped.
#pragma once

#include <functional>
#include <string>

#include "common/core/case_file_names.h"
#include "platform/prompts.h"

namespace trindel {

// The filters of the case file choices: the expert data file first, or the items file first.
inline const char* const ExpertDataFilesFilter = "Expert Data Files (.ey)|*.ey|Item Realizations Files (.iy)|*.iy";
inline const char* const ItemsFilesFilter = "Item Realizations Files (.iy)|*.iy|Expert Data  Files (.ey)|*.ey";

struct CaseFilePaths {
    std::string ItemsFile;
    std::string ExpertDataFile;
};

// From the file the user picked, by CasePairNames with ".ey" for the expert data file and ".iy"
// for the items file. Every open and save of a case names its files here: a save of the pair
// killed between its renames is finished (or, failing that, undone) first, and a message says so.
CaseFilePaths CaseFileNames(const std::string& chosen);

// Saves the case's two files as one: the expert data file and the items file, both when
// `both` is set, else each kind that is modified (after the ids have been made fit to save,
// which marks both kinds). Each file is written and synced to a temporary beside it before
// either replaces its file, so on an IoError neither file changes and every Modified flag
// stays. The Modified flag of each kind written is cleared. `announce`(kind) runs before a
// file's lines are made (the saving caption), ExpertsFileKind before ItemsFileKind.
void SaveCaseFiles(const CaseFilePaths& paths, bool both, const std::function<void(int kind)>& announce = {});

// The case is new and has never been saved under a name of its own.
bool IsUnnamedCase();

// The save-as choice of a new name for the case through choice (its filter set), with the question
// before overwriting another case; false when either is cancelled. The case takes the name on
// only once it is saved.
bool ChooseCaseName(platform::FileChoice& choice, std::string& chosen);

// Asks whether to save the modified data of file kind ExpertsFileKind or ItemsFileKind and
// saves both files on Yes; an unnamed case asks for its name first (a cancelled choice keeps
// the data, as Cancel does; the case takes the name on only once both files are saved).
// canClose is false when the data stays unsaved and unconfirmed.
// Input/output errors of the writers propagate, with caption and cursor restored.
void QuerySaveCase(int kind, bool& canClose);

}  // namespace trindel
