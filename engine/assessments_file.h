// The experts' assessments file (".dtt"): one '*' header line with the quantile levels, then one
// fixed-column line per expert and assessed item.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class TextFileWriter;

namespace halvorine {

struct TExpert;
struct TItem;

// The header line of the program's form for `count` levels given as whole percents:
// "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95 ".
std::string MakeAssessmentHeader(int count, const int* percents);

// Sets AssessmentHeader, QuantileCount, QuantileLevels and BinProbabilities from a header line;
// false, with all of them unchanged, when the header is malformed: no "NQ="/"QU=", a count
// outside 1..25, a level that does not parse, lies outside (0, 100) percent or falls below the
// one before it. Equal levels are taken.
bool ParseAssessmentHeader(const std::string& line);

// Reads (or, into a case that already has experts, merges) an assessments file. 0 on success,
// else the 1-based number of the first line that failed; what was read before stays. Afterwards
// every expert's slot i holds an assessment of ItemTable[i], empty where the file had none.
// Throws IoError when the file cannot be read, with the case as it was before the read.
// A value word that is not a number a real can hold (1e39, nan, inf, text) is read as missing;
// a warning names the first line that held one. A header level of 0 % or of 100 % and more fails
// the header with a warning that says why; so does the check below.
int ReadAssessmentsFile(const std::string& fileName);

// The same, reading the file pieceBytes at a time (normally about a MiB, so that the file is never
// held whole) and refusing one of more than maxBytes. A read that throws half-way leaves the case
// as it was.
int ReadAssessmentsFile(const std::string& fileName, std::size_t pieceBytes, std::size_t maxBytes);

// The lines of an assessments file; one far larger than the tables can hold is refused with
// IoError before it is read.
std::vector<std::string> ReadAssessmentsFileLines(const std::string& fileName);

// ReadAssessmentsFile on lines already read from fileName (a merge checks and reads one buffer).
int ReadAssessmentLines(const std::string& fileName, const std::vector<std::string>& lines);

// The number of the line ReadAssessmentsFile would stop at in this case, 0 when it would read
// the whole file; changes nothing. Throws IoError when the file cannot be read.
int FirstFailingAssessmentsLine(const std::string& fileName);
int FirstFailingAssessmentsLine(const std::vector<std::string>& lines);

// One data line; false when a required field is empty or no quantile levels are known.
bool ParseAssessmentLine(const std::string& line);

// Reader lookups with creation; null beyond the table limits (TooManyRecords is then set).
TExpert* FindOrCreateExpert(const std::string& id);
TItem* FindOrCreateItem(const std::string& id);

// Writes the whole file (replacing the old one only once it is complete); true when written.
// While a Bayesian update holds the entered quantiles aside, those are what is written.
// Throws IoError.
bool WriteAssessmentsFile(const std::string& fileName);

// The same lines into a writer the caller commits (the two files of a case go together).
void WriteAssessmentsTo(TextFileWriter& out);

}  // namespace halvorine
