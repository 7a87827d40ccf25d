#include "engine/case_files.h"

#include <optional>

#include "common/core/case_file_names.h"
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

bool ChooseCaseName(int kind, std::string& chosen) {
    platform::FileChoice choice;
    choice.Filter = kind == ItemsFileKind ? ItemFilesFilter : ExpertFilesFilter;
    return halvorine::ChooseCaseName(choice, chosen);
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

bool ChooseCaseName(platform::FileChoice& choice, std::string& chosen) {
    if (!Platform->SaveFile(choice)) return false;
    const CaseFilePaths paths = CaseFileNames(choice.FileName);
    const auto confirm = [](const std::string& question) {
        return Platform->Message(platform::MessageKind::Warning, question, platform::Buttons::OkCancel) ==
               platform::Answer::Ok;
    };
    if (!MayOverwriteCase(choice.FileName, CasePair{paths.Dtt, paths.Rls}, confirm)) return false;
    chosen = choice.FileName;
    return true;
}

CaseFilePaths CaseFileNames(const std::string& chosen) {
    const CasePair pair = CasePairNames(
        chosen, CaseFile.FileKinds[AssessmentsFileKind].Ext.str(), CaseFile.FileKinds[ItemsFileKind].Ext.str(),
        [](bool failed, const std::string& text) {
            if (!Platform) return;
            Platform->Message(failed ? platform::MessageKind::Warning : platform::MessageKind::Information, text,
                              platform::Buttons::Ok);
        });
    return {pair.Items, pair.Experts};
}

void WriteCaseFiles(const CaseFilePaths& names, bool dtt, bool rls, const std::function<void(int)>& showing) {
    std::optional<TextFileWriter> dttFile;
    std::optional<TextFileWriter> rlsFile;
    if (dtt) {
        if (showing) showing(AssessmentsFileKind);
        WriteAssessmentsTo(dttFile.emplace(names.Dtt));
    }
    if (rls) {
        if (showing) showing(ItemsFileKind);
        WriteItemsTo(rlsFile.emplace(names.Rls));
    }
    CommitTogether({dttFile ? &*dttFile : nullptr, rlsFile ? &*rlsFile : nullptr});
    if (dtt) CaseFile.FileKinds[AssessmentsFileKind].Modified = false;
    if (rls) CaseFile.FileKinds[ItemsFileKind].Modified = false;
}

void QuerySaveCase(int kind, bool& canClose) {
    canClose = true;
    if (kind != AssessmentsFileKind && kind != ItemsFileKind) return;
    TFileKind& fileKind = CaseFile.FileKinds[kind];
    if (fileKind.Modified) {
        const std::string caseFile = CaseFile.CaseFileName.empty()
                                         ? NoName + "." + CaseFile.FileKinds[ItemsFileKind].Ext.str()
                                         : CaseFile.CaseFileName;
        const CaseFilePaths names = CaseFileNames(caseFile);
        const std::string text = "Contents of the case file " + (kind == AssessmentsFileKind ? names.Dtt : names.Rls) +
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
