// A case is two files side by side with one stem: the experts' file (Halvorine's assessments,
// WTrindel's expert data) and the items file. How both names follow from the file the user chose,
// and the question before a new name overwrites another case, for both programs; each program
// gives its own extensions and puts the messages through its own service.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace platform {
struct FileChoice;
class Prompts;
}  // namespace platform

// The two files of one case.
struct CasePair {
    std::string Experts;
    std::string Items;
};

// Where the file name of a path starts: after its last folder separator ('/' or '\').
std::size_t FileNameStart(const std::string& path);

// The folder part of a path with its separator ("" for a bare file name).
std::string FolderOf(const std::string& path);

// True when the file name of path is shorter than 4 characters or has no '.' in its last 4.
bool LacksExtension(const std::string& path);

// The file name without folder, cut at its first '.' ("a.b.dtt" gives "a").
std::string CaseNameFromFile(const std::string& path);

// The two files of the case of a chosen file. A name lacking an extension gets the items one;
// a name whose extension is the experts' one (in any letter case) names the experts' file and
// the items file beside it; any other names the items file and the experts' file beside it.
// Only the file name is looked at, never the folders. A file of the pair that does not exist as
// spelt, but does in another letter case in its folder (a case made on another system), is given
// in the spelling found.
// A save of the pair killed between its renames is finished (or, failing that, undone) first,
// under the names as spelt (those the save used), and once more under the spelling found when
// that differs; tell(failed, text) then gives the message that says so (failed: neither worked).
CasePair CasePairNames(const std::string& chosen, const std::string& expertsExt, const std::string& itemsExt,
                       const std::function<void(bool failed, const std::string& text)>& tell);

// True when a case may be saved as chosen (pair its files): neither file exists, or
// confirm(question) says yes to "Case NAME already exists. Overwrite?".
bool MayOverwriteCase(const std::string& chosen, const CasePair& pair,
                      const std::function<bool(const std::string& question)>& confirm);
