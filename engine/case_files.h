// A case is two files side by side with one stem: the assessments file ".dtt" and the items file
// ".rls". Deriving both names from the file the user chose, and the save question of the sheets.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace halvorine {

// The filters of the case file choices: assessments first, or items first.
extern const char* const ExpertFilesFilter;
extern const char* const ItemFilesFilter;

struct CaseFilePaths {
    std::string Rls;  // items file
    std::string Dtt;  // assessments file
};

// Where the file name of a path starts: after its last folder separator ('/' or '\').
std::size_t FileNameStart(const std::string& path);

// The folder part of a path with its separator ("" for a bare file name).
std::string FolderOf(const std::string& path);

// True when the file name of path is shorter than 4 characters or has no '.' in its last 4.
bool LacksExtension(const std::string& path);

// The file name without folder, cut at its first '.' ("a.b.dtt" gives "a").
std::string CaseNameFromFile(const std::string& path);

// The two files of the case of a chosen file, the extension taken from the file name only.
// A name that does not exist as spelt, but does in another letter case in its folder (a case
// made on another system), is given in the spelling found.
// Every open and save of a case names its files here: a save of the pair that was killed between
// its renames is finished (or, failing that, undone) first, and a message says so.
CaseFilePaths CaseFileNames(const std::string& chosen);

// Writes the assessments file (when dtt) and the items file (when rls) to names as one pair:
// both temporaries are written and synced before either file is replaced, so a failure of either
// leaves both old files. Before each file is written, showing(kind) is called (1 assessments,
// 2 items: the caption). Clears Modified of the written kinds once both are in place; throws
// IoError with every flag unchanged.
void WriteCaseFiles(const CaseFilePaths& names, bool dtt, bool rls, const std::function<void(int)>& showing = {});

// The question a sheet of kind 1 (assessments) or 2 (items) asks before it closes; canClose
// says whether it may. Yes saves both files (an unnamed case through a save-as choice first).
// A failed write throws IoError with canClose false and the kind still modified.
void QuerySaveCase(int kind, bool& canClose);

}  // namespace halvorine
