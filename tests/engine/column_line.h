// Builds a fixed-column line for the reader tests: each text right-aligned in its columns
// (1-based, inclusive), blanks between.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace casefiles_test {

struct Field {
    int first;
    int last;
    std::string text;
};

inline std::string ColumnLine(const std::vector<Field>& fields) {
    std::string line;
    for (const Field& f : fields) {
        const std::size_t width = static_cast<std::size_t>(f.last - f.first + 1);
        EXPECT_LE(f.text.size(), width) << f.text;
        EXPECT_LE(line.size(), static_cast<std::size_t>(f.first - 1)) << "fields overlap at " << f.first;
        line.resize(static_cast<std::size_t>(f.first - 1), ' ');
        line += std::string(width - f.text.size(), ' ') + f.text;
    }
    return line;
}

// An assessments line for three quantiles: expert number and id, item number and id, scale and
// the three value words; names and flag only when given.
inline std::string AssessmentRow(const std::string& number, const std::string& expertId, const std::string& itemNumber,
                                 const std::string& itemId, const std::string& scale,
                                 const std::vector<std::string>& values, const std::string& itemName = "",
                                 const std::string& expertName = "", bool flag = false) {
    std::vector<Field> f = {{2, 5, number}, {7, 14, expertId}, {16, 19, itemNumber}, {21, 34, itemId}, {36, 38, scale}};
    for (std::size_t k = 0; k < values.size(); ++k) {
        const int first = 40 + 15 * static_cast<int>(k);
        f.push_back({first, first + 13, values[k]});
    }
    if (!itemName.empty() || !expertName.empty() || flag) f.push_back({85, 257, itemName});
    if (!expertName.empty() || flag) f.push_back({259, 308, expertName});
    if (flag) f.push_back({310, 310, "F"});
    return ColumnLine(f);
}

// An items line: number, id, realisation word, scale, name and flag.
inline std::string ItemRow(const std::string& number, const std::string& id, const std::string& realisation,
                           const std::string& scale, const std::string& name = "", bool flag = false) {
    std::vector<Field> f = {{2, 5, number}, {7, 20, id}, {22, 35, realisation}, {37, 39, scale}};
    if (!name.empty() || flag) f.push_back({41, 213, name});
    if (flag) f.push_back({215, 215, "F"});
    return ColumnLine(f);
}

}  // namespace casefiles_test
