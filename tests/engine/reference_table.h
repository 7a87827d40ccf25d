// Reads the reference tables that the scripts in tests/fixtures/reference write from scipy.
// A line is a tag followed by numbers, separated by blanks; '#' starts a comment line.
#pragma once

#include <charconv>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

struct ReferenceRow {
    std::string tag;
    std::vector<double> values;
    int line = 0;
};

inline std::vector<ReferenceRow> ReadReferenceTable(const std::string& name) {
    const std::string path = std::string(FIXTURES_DIR) + "/reference/" + name;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<ReferenceRow> rows;
    std::string text;
    int lineNumber = 0;
    while (std::getline(in, text)) {
        ++lineNumber;
        if (text.empty() || text[0] == '#') continue;
        std::istringstream fields(text);
        ReferenceRow row;
        row.line = lineNumber;
        fields >> row.tag;
        std::string field;
        while (fields >> field) {
            double v = 0.0;
            const auto [end, err] = std::from_chars(field.data(), field.data() + field.size(), v);
            if (err != std::errc() || end != field.data() + field.size()) {
                throw std::runtime_error(path + ":" + std::to_string(lineNumber) + ": bad number " + field);
            }
            row.values.push_back(v);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

// The rows of one tag, each checked to carry `width` numbers.
inline std::vector<ReferenceRow> RowsTagged(const std::vector<ReferenceRow>& rows, const std::string& tag,
                                            std::size_t width) {
    std::vector<ReferenceRow> out;
    for (const auto& r : rows) {
        if (r.tag != tag) continue;
        if (r.values.size() != width) {
            throw std::runtime_error("line " + std::to_string(r.line) + ": expected " + std::to_string(width) +
                                     " numbers after " + tag);
        }
        out.push_back(r);
    }
    return out;
}
