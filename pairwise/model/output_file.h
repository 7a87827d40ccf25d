// The output of the grid text export: a file the user picks, or the clipboard.
#pragma once

#include <memory>
#include <string>

#include "common/core/line_io.h"

namespace trindel {

// Asks for the output file (offered under the case name, with the given filter); the
// extension (with its point) is added to a name whose last 4 characters hold no '.', and an
// existing file is overwritten only after the question (append keeps its text and adds to
// it). False when the choice or the question is cancelled; nothing is opened then.
bool OpenOutputFile(const std::string& extension, const std::string& filter, std::unique_ptr<TextFileWriter>& file,
                    bool append);

// text to OutFile (toFile) or appended to the clipboard's text, followed by CR LF while
// OutputLineBreak is set. Writing to a file that is not open raises IoError.
void WriteOutputLine(const std::string& text, bool toFile);

// Puts the written file in place and closes it.
void CloseOutputFile(std::unique_ptr<TextFileWriter>& file);

}  // namespace trindel
