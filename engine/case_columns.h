// What the assessments file and the items file share: fixed-column fields and the ids every
// written record needs.
#pragma once

#include <string>

// text right-aligned in a field of `width` (never cut; the records keep texts within their fields).
std::string RightAligned(const std::string& text, int width);

// The `count` characters of `line` from 1-based `pos` (what is there when the line is shorter),
// trimmed of blanks and control characters.
std::string ColumnText(const std::string& line, int pos, int count);

// A real in the 14-character exponent form of the case files: " 1.00000E+0001".
std::string CaseNumber(float x);

// Index of the last present item (0 when there is none): where the readers start appending.
int LastItemIndex();

// The warning after a read that discarded the records ("experts", "items") beyond the table.
void WarnRecordsDiscarded(const std::string& fileName, const std::string& records, int max);

// Gives every item and data expert that carries anything a default id when it has none, so the
// writers, which leave out records without an id, lose nothing. Empty records may go, as on leaving
// a sheet.
void AssignIdsForWriting();
