// Text helpers of the comparison report that the Str forms of common/core/pascal_str.h do not
// cover: fields padded on the right and runs of one character.
#pragma once

#include <string>

namespace trindel {

// The first w characters of s followed by blanks up to exactly w characters ("" for w <= 0).
std::string PadRight(const std::string& s, int w);

// k copies of c: nothing for k < 0, at most 80.
std::string RepeatChar(char c, int k);

}  // namespace trindel
