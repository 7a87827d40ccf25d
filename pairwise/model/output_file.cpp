#include "pairwise/model/output_file.h"

#include "common/core/text.h"
#include "pairwise/model/case_files.h"
#include "pairwise/model/globals.h"
#include "platform/prompts.h"

namespace trindel {

bool OpenOutputFile(const std::string& extension, const std::string& filter, std::unique_ptr<TextFileWriter>& file,
                    bool append) {
    platform::FileChoice choice;
    choice.FileName = CaseFile.CaseName;
    choice.Filter = filter;
    if (!Platform->SaveFile(choice)) return false;

    // The extension first, so that the file asked about is the file written.
    std::string name = choice.FileName;
    const std::size_t slash = name.find_last_of("/\\");
    const std::string fileName = slash == std::string::npos ? name : name.substr(slash + 1);
    if (fileName.size() < 4 || fileName.find('.', fileName.size() - 4) == std::string::npos) name += extension;

    const bool exists = FileExists(name);
    if (exists && !append) {
        const std::string text = "Output file " + UpperCaseAscii(CaseNameFromFile(name)) +
                                 " already exists. Overwrite?";
        if (Platform->Message(platform::MessageKind::Warning, text, platform::Buttons::OkCancel) !=
            platform::Answer::Ok)
            return false;
    }
    auto writer = std::make_unique<TextFileWriter>(name);
    if (append && exists) writer->Write(ReadFileBytes(name));
    file = std::move(writer);
    return true;
}

void WriteOutputLine(const std::string& text, bool toFile) {
    if (toFile) {
        if (!OutFile) throw IoError("", "no output file is open");
        OutFile->Write(text);
        if (OutputLineBreak) OutFile->Write("\r\n");
        return;
    }
    std::string clipboard = Platform->ClipboardText() + text;
    if (OutputLineBreak) clipboard += "\r\n";
    Platform->SetClipboardText(clipboard);
}

void CloseOutputFile(std::unique_ptr<TextFileWriter>& file) {
    if (!file) return;
    file->Commit();
    file.reset();
}

}  // namespace trindel
