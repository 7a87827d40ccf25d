#include "common/core/automatic_ids.h"

#include <algorithm>

#include "common/core/pascal_str.h"

std::string NumberedId(const std::string& prefix, int minDigits, int n, std::size_t limit) {
    const std::string num = StrInt(n, minDigits);
    const std::size_t keep = num.size() >= limit ? 0 : limit - num.size();
    return prefix.substr(0, std::min(keep, prefix.size())) + num;
}

std::string DefaultItemId(int position) {
    return NumberedId("_item", 3, position, 14);
}

std::string DefaultExpertId(int position) {
    return NumberedId("_exp ", 3, position, 8);
}

bool IsDefaultExpertId(const std::string& id) {
    if (id.rfind("_exp ", 0) == 0) return true;
    if (id.rfind("_exp", 0) != 0 || id.size() == 4) return false;
    return std::all_of(id.begin() + 4, id.end(), [](char c) { return c >= '0' && c <= '9'; });
}
