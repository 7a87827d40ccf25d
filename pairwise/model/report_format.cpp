#include "pairwise/model/report_format.h"

#include <algorithm>

namespace trindel {

std::string PadRight(const std::string& s, int w) {
    if (w <= 0) return {};
    std::string out = s.substr(0, static_cast<std::size_t>(w));
    out.resize(static_cast<std::size_t>(w), ' ');
    return out;
}

std::string RepeatChar(char c, int k) {
    return std::string(static_cast<std::size_t>(std::clamp(k, 0, 80)), c);
}

}  // namespace trindel
