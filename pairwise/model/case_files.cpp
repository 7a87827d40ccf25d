#include "pairwise/model/case_files.h"

#include <memory>
#include <optional>

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

std::size_t FileNameStart(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? 0 : slash + 1;
}

// The case may be saved under a name: the file choice, and the question before overwriting.
// The name chosen goes to `chosen`; the case takes it on once it is saved.
// The message that an interrupted save of the pair was finished or undone on this open.
void TellRecovery(CommitRecovery outcome, const CaseFilePaths& paths) {
    if (outcome == CommitRecovery::None || !Platform) return;
    Platform->Message(outcome == CommitRecovery::Failed ? platform::MessageKind::Warning
                                                        : platform::MessageKind::Information,
                      CommitRecoveryText(outcome, paths.ExpertDataFile, paths.ItemsFile), platform::Buttons::Ok);
}

// Finishes a save of the pair that was killed between its renames, before anything looks at the
// files.
CaseFilePaths Recovered(const CaseFilePaths& paths) {
    TellRecovery(RecoverInterruptedCommit({paths.ExpertDataFile, paths.ItemsFile}), paths);
    return paths;
}

bool ChooseCaseName(int kind, std::string& chosen) {
    platform::FileChoice choice;
    choice.Filter = kind == 2 ? ItemsFilesFilter : ExpertDataFilesFilter;
    if (!Platform->SaveFile(choice)) return false;
    const CaseFilePaths paths = CaseFileNames(choice.FileName);
    if (FileExists(paths.ItemsFile) || FileExists(paths.ExpertDataFile)) {
        const std::string text = "Case " + UpperCaseAscii(CaseNameFromFile(choice.FileName)) +
                                 " already exists. Overwrite?";
        if (Platform->Message(platform::MessageKind::Warning, text, platform::Buttons::OkCancel) !=
            platform::Answer::Ok)
            return false;
    }
    chosen = choice.FileName;
    return true;
}

}  // namespace

void SaveCaseFiles(const CaseFilePaths& paths, bool both, const std::function<void(int kind)>& announce) {
    // The ids are settled first: a change marks both kinds, and both files must then agree.
    MakeFieldsStorable();
    PrepareCaseForSaving();
    const bool write[3] = {false, both || CaseFile.FileKinds[1].Modified, both || CaseFile.FileKinds[2].Modified};
    std::unique_ptr<TextFileWriter> experts, items;
    if (write[1]) {
        if (announce) announce(1);
        experts = std::make_unique<TextFileWriter>(paths.ExpertDataFile);
        WriteExpertDataTo(*experts);
    }
    if (write[2]) {
        if (announce) announce(2);
        items = std::make_unique<TextFileWriter>(paths.ItemsFile);
        WriteItemsTo(*items);
    }
    CommitTogether({experts.get(), items.get()});
    for (int kind = 1; kind <= 2; ++kind)
        if (write[kind]) CaseFile.FileKinds[kind].Modified = false;
}

std::string CaseNameFromFile(const std::string& path) {
    const std::string name = path.substr(FileNameStart(path));
    return name.substr(0, name.find('.'));
}

CaseFilePaths CaseFileNames(const std::string& chosen) {
    std::string name = chosen;
    const std::size_t start = FileNameStart(name);
    auto dotInLastFour = [&]() -> std::size_t {
        if (name.size() - start <= 3) return std::string::npos;
        return name.find('.', name.size() - 4);
    };
    std::size_t dot = dotInLastFour();
    if (dot == std::string::npos) {
        name += "." + CaseFile.FileKinds[2].Ext.str();
        dot = dotInLastFour();
    }
    const std::string ext = name.substr(dot + 1);
    const std::string base = name.substr(0, dot + 1);
    CaseFilePaths paths;
    if (SameTextNoCase(ext, CaseFile.FileKinds[1].Ext)) {
        paths.ExpertDataFile = name;
        paths.ItemsFile = base + CaseFile.FileKinds[2].Ext.str();
    } else {
        paths.ItemsFile = name;
        paths.ExpertDataFile = base + CaseFile.FileKinds[1].Ext.str();
    }
    // A case made on another system may spell its extensions in upper case: an existing file
    // of the pair is named as it is spelt on disk.
    for (std::string* path : {&paths.ItemsFile, &paths.ExpertDataFile})
        if (std::string found = platform::FileInAnyLetterCase(*path); !found.empty()) *path = found;
    return Recovered(paths);
}

bool IsUnnamedCase() {
    return CaseFile.CaseFileName.empty() || CaseFile.CaseName.empty() || CaseFile.CaseName == "NONAME";
}

void QuerySaveCase(int kind, bool& canClose) {
    canClose = true;
    if (kind != 1 && kind != 2) return;
    TFileKind& fileKind = CaseFile.FileKinds[kind];
    if (!fileKind.Modified) return;

    const CaseFilePaths named = CaseFileNames(CaseFile.CaseFileName);
    const std::string& path = kind == 1 ? named.ExpertDataFile : named.ItemsFile;
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
