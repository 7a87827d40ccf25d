#include "common/core/case_file_names.h"

#include <filesystem>
#include <system_error>

#include "common/core/line_io.h"
#include "common/core/text.h"

namespace {

// The name as spelt when such a file exists, else the first file of its folder (by name) that
// matches it in another letter case, else the name as spelt.
std::string ExistingSpelling(const std::string& path) {
    if (FileExists(path)) return path;
    const std::string folder = FolderOf(path);
    const std::string name = path.substr(FileNameStart(path));
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? std::string(".") : folder, ec);
    if (ec) return path;
    std::string best;
    for (const auto& entry : it) {
        const std::string candidate = entry.path().filename().string();
        if (!SameTextNoCase(candidate, name) || !entry.is_regular_file(ec)) continue;
        if (best.empty() || candidate < best) best = candidate;
    }
    return best.empty() ? path : folder + best;
}

// Finishes a save of the pair killed between its renames, and says so.
void Recover(const CasePair& pair, const std::function<void(bool, const std::string&)>& tell) {
    const CommitRecovery outcome = RecoverInterruptedCommit({pair.Experts, pair.Items});
    if (outcome != CommitRecovery::None && tell)
        tell(outcome == CommitRecovery::Failed, CommitRecoveryText(outcome, pair.Experts, pair.Items));
}

}  // namespace

std::size_t FileNameStart(const std::string& path) {
    const std::size_t sep = path.find_last_of("/\\");
    return sep == std::string::npos ? 0 : sep + 1;
}

std::string FolderOf(const std::string& path) {
    return path.substr(0, FileNameStart(path));
}

bool LacksExtension(const std::string& path) {
    const std::string name = path.substr(FileNameStart(path));
    return name.size() < 4 || name.find('.', name.size() - 4) == std::string::npos;
}

std::string CaseNameFromFile(const std::string& path) {
    const std::string name = path.substr(FileNameStart(path));
    return name.substr(0, name.find('.'));
}

CasePair CasePairNames(const std::string& chosen, const std::string& expertsExt, const std::string& itemsExt,
                       const std::function<void(bool failed, const std::string& text)>& tell) {
    std::string name = chosen;
    if (LacksExtension(name)) name += "." + itemsExt;
    const std::size_t point = name.find('.', name.size() - 4);
    const std::string stem = name.substr(0, point + 1);
    CasePair pair;
    if (SameTextNoCase(name.substr(point + 1), expertsExt)) {
        pair.Experts = name;
        pair.Items = stem + itemsExt;
    } else {
        pair.Items = name;
        pair.Experts = stem + expertsExt;
    }
    Recover(pair, tell);
    const CasePair asSpelt = pair;
    pair.Experts = ExistingSpelling(pair.Experts);
    pair.Items = ExistingSpelling(pair.Items);
    if (pair.Experts != asSpelt.Experts || pair.Items != asSpelt.Items) Recover(pair, tell);
    return pair;
}

bool MayOverwriteCase(const std::string& chosen, const CasePair& pair,
                      const std::function<bool(const std::string& question)>& confirm) {
    if (!FileExists(pair.Items) && !FileExists(pair.Experts)) return true;
    return confirm("Case " + UpperCaseAscii(CaseNameFromFile(chosen)) + " already exists. Overwrite?");
}
