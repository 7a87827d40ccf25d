#include "engine/case_files.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "common/core/line_io.h"
#include "common/core/text.h"
#include "engine/assessments_file.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/tables.h"
#include "platform/prompts.h"

namespace halvorine {

const char* const ExpertFilesFilter = "Expert Assessment  Files (.dtt)|*.dtt|Item Realizations Files (.rls)|*.rls";
const char* const ItemFilesFilter = "Item Realizations Files (.rls)|*.rls|Expert Assessment  Files (.dtt)|*.dtt";

namespace {

const std::string NoName = "NONAME";

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

// The message that an interrupted save of the pair was finished or undone on this open.
void TellRecovery(CommitRecovery outcome, const CaseFilePaths& paths) {
    if (outcome == CommitRecovery::None || !Platform) return;
    Platform->Message(outcome == CommitRecovery::Failed ? platform::MessageKind::Warning
                                                        : platform::MessageKind::Information,
                      CommitRecoveryText(outcome, paths.Dtt, paths.Rls), platform::Buttons::Ok);
}

bool IsUnnamedCase() {
    return CaseFile.CaseFileName.empty() || CaseFile.CaseName == NoName;
}

// "Saving ... file..." in the caption and the busy cursor while a file is written; the caption
// comes back however the write ends.
class SavingIndicator {
public:
    explicit SavingIndicator(const std::string& kind) : busy_(*Platform), caption_(Platform->Caption()) {
        Platform->SetCaption("Saving " + kind + " file...");
    }
    ~SavingIndicator() { Platform->SetCaption(caption_); }
    SavingIndicator(const SavingIndicator&) = delete;
    SavingIndicator& operator=(const SavingIndicator&) = delete;

private:
    platform::BusyCursor busy_;
    std::string caption_;
};

// The name an unnamed case is to be saved under, through the save-as choice; false when the
// user cancels it or the question about overwriting another case. The case takes the name only
// once it is saved.
bool ChooseCaseName(int kind, std::string& chosen) {
    platform::FileChoice choice;
    choice.Filter = kind == 2 ? ItemFilesFilter : ExpertFilesFilter;
    if (!Platform->SaveFile(choice)) return false;
    const CaseFilePaths names = CaseFileNames(choice.FileName);
    if (FileExists(names.Rls) || FileExists(names.Dtt)) {
        const std::string text = "Case " + UpperCaseAscii(CaseNameFromFile(choice.FileName)) +
                                 " already exists. Overwrite?";
        if (Platform->Message(platform::MessageKind::Warning, text, platform::Buttons::OkCancel) !=
            platform::Answer::Ok)
            return false;
    }
    chosen = choice.FileName;
    return true;
}

// Writes both files of the case under caseFileName, which the case is then named by.
void SaveCase(const std::string& caseFileName) {
    // Records moved aside for a run or a result view belong in the files too.
    RestoreFilteredItems(FilteredItems);
    RestoreFilteredExperts(FilteredExperts);
    std::optional<SavingIndicator> indicator;
    WriteCaseFiles(CaseFileNames(caseFileName), true, true, [&indicator](int kind) {
        indicator.reset();
        indicator.emplace(CaseFile.FileKinds[kind].Kind);
    });
    indicator.reset();
    CaseFile.CaseFileName = caseFileName;
    CaseFile.CaseName = CaseNameFromFile(caseFileName);
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

CaseFilePaths CaseFileNames(const std::string& chosen) {
    const std::string& dttExt = CaseFile.FileKinds[1].Ext;
    const std::string& rlsExt = CaseFile.FileKinds[2].Ext;
    std::string name = chosen;
    if (LacksExtension(name)) name += "." + rlsExt;
    const std::size_t point = name.find('.', name.size() - 4);
    const std::string ext = name.substr(point + 1);
    CaseFilePaths paths;
    if (SameTextNoCase(ext, dttExt)) {
        paths.Dtt = name;
        paths.Rls = name.substr(0, point + 1) + rlsExt;
    } else {
        paths.Rls = name;
        paths.Dtt = name.substr(0, point + 1) + dttExt;
    }
    // A save killed between its renames is finished (or undone) before anything looks at the files,
    // under the spelling the save used.
    TellRecovery(RecoverInterruptedCommit({paths.Dtt, paths.Rls}), paths);
    const CaseFilePaths asSpelt = paths;
    paths.Rls = ExistingSpelling(paths.Rls);
    paths.Dtt = ExistingSpelling(paths.Dtt);
    if (paths.Rls != asSpelt.Rls || paths.Dtt != asSpelt.Dtt)
        TellRecovery(RecoverInterruptedCommit({paths.Dtt, paths.Rls}), paths);
    return paths;
}

void WriteCaseFiles(const CaseFilePaths& names, bool dtt, bool rls, const std::function<void(int)>& showing) {
    std::optional<TextFileWriter> dttFile;
    std::optional<TextFileWriter> rlsFile;
    if (dtt) {
        if (showing) showing(1);
        WriteAssessmentsTo(dttFile.emplace(names.Dtt));
    }
    if (rls) {
        if (showing) showing(2);
        WriteItemsTo(rlsFile.emplace(names.Rls));
    }
    CommitTogether({dttFile ? &*dttFile : nullptr, rlsFile ? &*rlsFile : nullptr});
    if (dtt) CaseFile.FileKinds[1].Modified = false;
    if (rls) CaseFile.FileKinds[2].Modified = false;
}

void QuerySaveCase(int kind, bool& canClose) {
    canClose = true;
    if (kind != 1 && kind != 2) return;
    TFileKind& fileKind = CaseFile.FileKinds[kind];
    if (fileKind.Modified) {
        const std::string caseFile = CaseFile.CaseFileName.empty() ? NoName + "." + CaseFile.FileKinds[2].Ext.str()
                                                                   : CaseFile.CaseFileName;
        const CaseFilePaths names = CaseFileNames(caseFile);
        const std::string text = "Contents of the case file " + (kind == 1 ? names.Dtt : names.Rls) +
                                 " has been changed. Save it?";
        const platform::Answer answer = Platform->Message(platform::MessageKind::Warning, text,
                                                          platform::Buttons::YesNoCancel);
        fileKind.ConfirmClose = answer == platform::Answer::Cancel;
        if (answer == platform::Answer::Yes) {
            // Stays false when the save is abandoned or a write throws: the case stays open.
            canClose = false;
            std::string caseFileName = CaseFile.CaseFileName;
            if (IsUnnamedCase() && !ChooseCaseName(kind, caseFileName)) {
                fileKind.ConfirmClose = true;
                return;
            }
            SaveCase(caseFileName);
            canClose = true;
        } else if (answer == platform::Answer::No) {
            fileKind.Modified = false;
        }
        if (fileKind.Modified) canClose = false;
    } else if (fileKind.ConfirmClose) {
        canClose = Platform->Message(platform::MessageKind::Warning, "Close the current case?",
                                     platform::Buttons::YesNo) == platform::Answer::Yes;
        fileKind.ConfirmClose = !canClose;
    }
}

}  // namespace halvorine
