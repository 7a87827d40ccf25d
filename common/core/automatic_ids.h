// The automatic identifiers both programs give items and experts without an id of their own.
#pragma once

#include <cstddef>
#include <string>

// prefix + n right-aligned in `minDigits`, the prefix shortened where the number is wider so
// that the whole fits `limit` and two ids never coincide after the cut ("_exp1000", not the
// "_exp 100" of expert 100).
std::string NumberedId(const std::string& prefix, int minDigits, int n, std::size_t limit);

// "_item" + position in 3 (14 at most); "_exp " + position in 3 (8 at most).
std::string DefaultItemId(int position);
std::string DefaultExpertId(int position);

// An id beginning with "_exp ", or the wide form "_exp" + digits.
bool IsDefaultExpertId(const std::string& id);
