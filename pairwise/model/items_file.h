// The items file (".iy"): one fixed-column line per item with its position, Id, realisation,
// scale, name and filter flag. An older binary form is read as a fallback.
#pragma once

#include <cstddef>
#include <string>

class TextFileWriter;

namespace trindel {

// One item line; false when it cannot be taken (no number, no or unprintable Id, a 1001st
// item). The realisation is stored only on an item that has none yet.
bool ParseItemLine(const std::string& line);

// The largest items file read, text or binary: a thousand items take about 100 KiB, so a
// larger file is no items file and is refused (IoError) before it is read.
constexpr std::size_t MaxItemsFileBytes = 16u << 20;

// The longest text line read (a written one has 100 bytes); a longer one fails the text read.
constexpr std::size_t MaxItemLineBytes = 4096;

// Reads a new case's items (every table and side table starts empty): 0 when every line was
// taken, else the number of the first line that was not; 1 when the file does not exist.
// When no line could be taken before the failing one, or the file holds NUL bytes, the file
// is read as a binary items file, whose success (at least one item imported) gives 0.
// Sets AnswerColumnCount := CountItems() whatever the outcome. An existing file that cannot
// be read, or a file beyond MaxItemsFileBytes, raises IoError.
int ReadItemsFile(const std::string& path);

// Writes every item with an Id (CR LF, through a temporary file); raises IoError. Filtered
// records are put back and ids made unique first (PrepareCaseForSaving).
bool WriteItemsFile(const std::string& path);

// The same lines into a file being written, which the caller commits (the case's pair).
void WriteItemsTo(TextFileWriter& out);

}  // namespace trindel
