// The output routines of every text export: file names made safe, the current output file opened
// beside the case or through the save choice, one line writer for a file or the clipboard, and the
// 101-point percentile table of an assessment.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class TextFileWriter;

namespace halvorine {

// A text file being written. A created file replaces an old one only when it is closed complete;
// an appended file is the old text with the new at its end, and likewise replaces the old file
// only when closed. Every failure throws IoError.
class OutputFile {
public:
    OutputFile();
    ~OutputFile();  // abandons what is still open
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Create(const std::string& path);
    void Append(const std::string& path);  // creates the file when it does not exist
    void Write(const std::string& text);
    void Close();
    // Closes without replacing the old file of a created one.
    void Abandon() noexcept;

    bool IsOpen() const;
    const std::string& Path() const { return path_; }

private:
    std::unique_ptr<TextFileWriter> created_;
    std::string path_;
};

// '$', '0'..'9', the characters 'A'..'z' and '~' are kept; every other character becomes '_'.
char SafeFileNameChar(char c);
std::string SafeFileName(const std::string& text);

// Opens file as the case's folder + SafeFileName(name) + ext: for appending when append is set
// and the file exists, else new.
void OpenNamedOutputFile(OutputFile& file, const std::string& name, const std::string& ext, bool append);

// Opens file through the save choice (preset with the case name and filter); defaultExt (with its
// point) is added to a name without extension, and an existing file is overwritten only after
// the question. False when the choice or the question is cancelled.
bool OpenOutputFile(const std::string& defaultExt, const std::string& filter, OutputFile& file, bool append);

// A clipboard export: its text is collected from OpenClipboardOutput on and set on the clipboard
// in one piece by CloseClipboardOutput.
void OpenClipboardOutput();
void CloseClipboardOutput();

// text to OutFile (toFile) or to the clipboard, then CR LF when OutputLineBreak is set.
void WriteOutputLine(const std::string& text, bool toFile);

// False, after a warning naming them, when two of the names (expert id + "_" + item id) give the
// same output file once made safe; the export must then not write any of them.
bool OutputNamesDistinct(const std::vector<std::string>& names, const std::string& ext);

// The label of percent point k: " 0.25" for 0, " 1.00" .. "99.00", "99.75" for 100.
std::string PercentileLabel(int k);

// PercentileTable[k] in the display format, or the reason the last table could not be built.
std::string PercentileText(int k);

// Fills PercentileTable from the assessment in slot `slot` of expert e and its item's intrinsic
// range. False, with PercentileTableNote saying why and the entries missing, when the assessment,
// its values, the range or the levels do not allow a table.
bool BuildPercentileTable(int e, int slot);

}  // namespace halvorine
