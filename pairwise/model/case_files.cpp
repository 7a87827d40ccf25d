#include "pairwise/model/case_files.h"

#include <memory>
#include <optional>

#include "common/core/case_file_names.h"
#include "common/core/line_io.h"
#include "common/core/text.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/file_fields.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/items_file.h"
#include "pairwise/model/tables.h"
#include "platform/prompts.h"

namespace trindel {

namespace {

bool ChooseCaseName(int kind, std::string& chosen) {
    platform::FileChoice choice;
    choice.Filter = kind == ItemsFileKind ? ItemsFilesFilter : ExpertDataFilesFilter;
    return trindel::ChooseCaseName(choice, chosen);
}

}  // namespace

bool ChooseCaseName(platform::FileChoice& choice, std::string& chosen) {
    if (!Platform->SaveFile(choice)) return false;
    const CaseFilePaths paths = CaseFileNames(choice.FileName);
    const auto confirm = [](const std::string& question) {
        return Platform->Message(platform::MessageKind::Warning, question, platform::Buttons::OkCancel) ==
               platform::Answer::Ok;
    };
    if (!MayOverwriteCase(choice.FileName, CasePair{paths.ExpertDataFile, paths.ItemsFile}, confirm)) return false;
    chosen = choice.FileName;
    return true;
}

void SaveCaseFiles(const CaseFilePaths& paths, bool both, const std::function<void(int kind)>& announce) {
    // The ids are settled first: a change marks both kinds, and both files must then agree.
    MakeFieldsStorable();
    PrepareCaseForSaving();
    const bool write[3] = {false, both || CaseFile.FileKinds[ExpertsFileKind].Modified,
                           both || CaseFile.FileKinds[ItemsFileKind].Modified};
    std::unique_ptr<TextFileWriter> experts, items;
    if (write[ExpertsFileKind]) {
        if (announce) announce(ExpertsFileKind);
        experts = std::make_unique<TextFileWriter>(paths.ExpertDataFile);
        WriteExpertDataTo(*experts);
    }
    if (write[ItemsFileKind]) {
        if (announce) announce(ItemsFileKind);
        items = std::make_unique<TextFileWriter>(paths.ItemsFile);
        WriteItemsTo(*items);
    }
    CommitTogether({experts.get(), items.get()});
    for (int kind = ExpertsFileKind; kind <= ItemsFileKind; ++kind)
        if (write[kind]) CaseFile.FileKinds[kind].Modified = false;
}

CaseFilePaths CaseFileNames(const std::string& chosen) {
    const CasePair pair = CasePairNames(
        chosen, CaseFile.FileKinds[ExpertsFileKind].Ext.str(), CaseFile.FileKinds[ItemsFileKind].Ext.str(),
        [](bool failed, const std::string& text) {
            if (!Platform) return;
            Platform->Message(failed ? platform::MessageKind::Warning : platform::MessageKind::Information, text,
                              platform::Buttons::Ok);
        });
    return {pair.Items, pair.Experts};
}

bool IsUnnamedCase() {
    return CaseFile.CaseFileName.empty() || CaseFile.CaseName.empty() || CaseFile.CaseName == "NONAME";
}

void QuerySaveCase(int kind, bool& canClose) {
    canClose = true;
    if (kind != ExpertsFileKind && kind != ItemsFileKind) return;
    TFileKind& fileKind = CaseFile.FileKinds[kind];
    if (!fileKind.Modified) return;

    const CaseFilePaths named = CaseFileNames(CaseFile.CaseFileName);
    const std::string& path = kind == ExpertsFileKind ? named.ExpertDataFile : named.ItemsFile;
    // The path as spelt: an upper-cased one names no file on a case-sensitive system.
    const std::string text = "Contents of the case file " + path + " has been changed. Save it?";
    const platform::Answer answer = Platform->Message(platform::MessageKind::Warning, text,
                                                      platform::Buttons::YesNoCancel);

    if (answer == platform::Answer::Yes) {
        // A case without a name of its own is saved under one the user picks, never as "NONAME".
        std::string chosen = CaseFile.CaseFileName;
        if (!IsUnnamedCase() || ChooseCaseName(kind, chosen)) {
            // Each file under its own caption and hour-glass; the caption comes back before the
            // cursor, also when a writer raises.
            const std::string caption = Platform->Caption();
            std::optional<platform::BusyCursor> busy;
            auto back = [&] {
                if (!busy) return;
                Platform->SetCaption(caption);
                busy.reset();
            };
            struct Back {
                decltype(back)& restore;
                ~Back() { restore(); }
            } restoreAtEnd{back};
            SaveCaseFiles(CaseFileNames(chosen), true, [&](int saving) {
                back();
                busy.emplace(*Platform);
                Platform->SetCaption("Saving " + CaseFile.FileKinds[saving].Kind.str() + " file...");
            });
            CaseFile.CaseFileName = chosen;
            CaseFile.CaseName = CaseNameFromFile(chosen);
        }
    } else if (answer == platform::Answer::No) {
        fileKind.Modified = false;
    }
    if (fileKind.Modified) canClose = false;
}

}  // namespace trindel
