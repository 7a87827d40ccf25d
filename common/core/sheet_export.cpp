#include "common/core/sheet_export.h"

#include <algorithm>

namespace {

constexpr std::size_t MaxLine = 255;
constexpr int NarrowestShown = 8;  // columns this narrow or narrower are left out

std::string TrimTrailing(std::string s) {
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.pop_back();
    return s;
}

}  // namespace

std::vector<std::string> ExportTableLines(const GridSource& source, const GridLayout& layout, ExportTarget target,
                                          bool selectionFilter) {
    const bool framed = target != ExportTarget::ClipboardTabs;
    const int cols = static_cast<int>(layout.ColumnPixels.size());
    std::vector<int> visible;
    for (int c = 0; c < cols && c < 101; ++c)
        if (layout.ColumnPixels[c] > NarrowestShown) visible.push_back(c);

    std::vector<std::size_t> separator(cols, 0);
    std::size_t width = 0;
    std::vector<std::string> out;
    for (int pass = 1; pass <= 2; ++pass) {
        if (pass == 2 && framed) out.push_back(std::string(width, '_'));
        for (int r = 0; r < layout.Rows; ++r) {
            if (pass == 2 && framed && r == layout.FixedRows) {
                std::string rule(width, '_');
                for (int c : visible)
                    if (c != cols - 1 && separator[c] < rule.size()) rule[separator[c]] = '|';
                out.push_back(rule);
            }
            if (pass == 2 && selectionFilter && r >= layout.FixedRows && (r < layout.SelFirst || r > layout.SelLast))
                continue;
            std::string line;
            for (int c : visible) {
                line += source.CellText(c, r);
                if (line.size() > MaxLine) line.resize(MaxLine);
                if (framed) {
                    if (pass == 1) separator[c] = line.size();
                    if (c != cols - 1) line += '|';
                } else {
                    line += '\t';
                }
                if (line.size() > MaxLine) line.resize(MaxLine);
            }
            line = TrimTrailing(line);
            if (pass == 1)
                width = std::max(width, line.size());
            else
                out.push_back(line);
        }
        if (pass == 2 && framed) out.push_back(std::string(width, '_'));
    }
    return out;
}
