// The expert data file (".ey"): a header line "* TRINDEL ASCII OUTPUT FILE. NQ=" with the
// number of answer columns, then one fixed-column line per expert and answer row.
#pragma once

#include <cstddef>
#include <string>

class TextFileWriter;

namespace trindel {

// The header for `count` answer columns, trailing blanks removed.
std::string ExpertDataHeaderText(int count);

// The header line: "NQ=" (else "nq="), blanks, then the digits of a count 0..1000 followed
// by a blank or the end of the line. Stores the line in ExpertDataHeader and the count in
// AnswerColumnCount; false when there is no count.
bool ParseExpertDataHeader(const std::string& line);

// One data line; false when the line cannot be taken (see the reader).
bool ParseExpertDataLine(const std::string& line);

// The largest expert data file read: a full table, 1000 experts with a line for each of 1000
// items, each line its 39 columns, 1000 answers of 2 bytes and its line end (2041 bytes), plus
// each item's name once (61) and on each expert's first line an item name field, the expert's
// name and flag (113), and the header. Anything larger holds no case the tables can take and is
// refused (IoError) before it is read: a file of 2 GiB is.
constexpr std::size_t MaxExpertDataFileBytes = std::size_t{1000} * 1000 * (39 + 2 * 1000 + 2) + std::size_t{1000} * 61 +
                                               std::size_t{1000} * (61 + 50 + 2) + 64;
static_assert(MaxExpertDataFileBytes < (std::size_t{2} << 30));

// The longest line read: a written line of 1000 answers has about 2150 bytes. A longer line is
// refused with its number before it is copied.
constexpr std::size_t MaxExpertDataLineBytes = 4096;

// Reads the experts and their answers into a new expert table (the items stay): 0 when every
// line was taken, else the number of the first line that was not; 1 when the file does not
// exist. Afterwards every expert has a row for every item, blank where the file had none.
// An existing file that cannot be read, or a file beyond MaxExpertDataFileBytes, raises IoError.
int ReadExpertDataFile(const std::string& path);

// Writes the file (CR LF, through a temporary file); raises IoError. Filtered records are put
// back and ids made unique first (PrepareCaseForSaving), and AnswerColumnCount is recounted.
bool WriteExpertDataFile(const std::string& path);

// The same lines into a file being written, which the caller commits (the case's pair).
void WriteExpertDataTo(TextFileWriter& out);

}  // namespace trindel
