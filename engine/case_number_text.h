// The numbers of the case files, the common forms quickly: a full-size case holds three million.
// Both give exactly what the general routines give (StrExp, ParseReal32), which they fall back on.
#pragma once

#include <string>
#include <string_view>

namespace halvorine {

// Appends x in the 14-character exponent form of the case files, as StrExp(x, 14) writes it.
void AppendCaseNumber(std::string& out, float x);

// text as a 32-bit real, rounded to nearest as ParseReal32 rounds it: true with out set when the
// text is a plain decimal ("-1.23456E+0002", "12.5", "7") of a value well inside the range of the
// normal 32-bit reals; false, out untouched, for any other text (the caller reads it the general way).
bool ParseCommonCaseNumber(std::string_view text, float& out);

}  // namespace halvorine
