// What the assessments file and the items file share: fixed-column fields and the ids every
// written record needs.
#pragma once

#include <cstddef>
#include <string>

#include "engine/constants.h"

namespace halvorine {

// The largest files the readers take: every line a full table can need, each given a kilobyte
// (no line of either file is longer), with room for blank and repeated lines in the items file.
// Anything larger is no case of this program and is refused before it is read.
constexpr std::size_t CaseLineBytes = 1024;
constexpr std::size_t MaxAssessmentsFileBytes = (static_cast<std::size_t>(MaxExpertCount) * MaxItemCount + 1) *
                                                CaseLineBytes;
constexpr std::size_t MaxItemsFileBytes = static_cast<std::size_t>(MaxItemCount) * CaseLineBytes * 16;
// A longer line is no line of a case: the readers refuse it with its number before it is gathered.
constexpr std::size_t MaxCaseLineBytes = CaseLineBytes;

// text right-aligned in a field of `width` (never cut; the records keep texts within their fields).
std::string RightAligned(const std::string& text, int width);

// The `count` characters of `line` from 1-based `pos` (what is there when the line is shorter),
// trimmed of blanks and control characters.
std::string ColumnText(const std::string& line, int pos, int count);

// A real in the 14-character exponent form of the case files: " 1.00000E+0001"; a value those six
// digits would change is written with the digits it needs in the same field (" 1.2345678E+01").
std::string CaseNumber(float x);

// Index of the last present item (0 when there is none): where the readers start appending.
int LastItemIndex();

// The warning after a read that discarded the records ("experts", "items") beyond the table.
void WarnRecordsDiscarded(const std::string& fileName, const std::string& records, int max);

// The warning after a read that took values which are no number a real can hold (1e39, nan,
// inf) for missing ones: once per file, naming the first line that held one.
void WarnValuesReadAsMissing(const std::string& fileName, int line);

// The warning that a header level (as written) lies at or outside 0 and 100 percent.
void WarnLevelOutside(const std::string& fileName, const std::string& level);

// Gives every item and data expert that carries anything a default id when it has none, so the
// writers, which leave out records without an id, lose nothing. Empty records may go, as on leaving
// a sheet.
void AssignIdsForWriting();

}  // namespace halvorine
