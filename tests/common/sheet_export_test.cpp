// The text of a sheet grid as both programs' exports write it: a framed table (file and
// clipboard) or tab-separated rows (clipboard). Each case gives a small grid and the exact
// lines, written out by hand.
#include "common/core/sheet_export.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// A grid of fixed texts, row by row.
class FixedGrid : public GridSource {
public:
    FixedGrid(std::vector<Lines> rows, int headerRows) : rows_(std::move(rows)), headers_(headerRows) {}
    int GridRows() const override { return static_cast<int>(rows_.size()); }
    int GridCols() const override { return rows_.empty() ? 0 : static_cast<int>(rows_[0].size()); }
    int HeaderRows() const override { return headers_; }
    std::string CellText(int col, int row) const override { return rows_[row][col]; }
    int ColumnChars(int) const override { return 0; }
    int ColumnPixels(int) const override { return 0; }
    bool CanSelect(int, int) const override { return true; }
    bool CanEdit(int, int) const override { return false; }
    void SetEditText(int, int, const std::string&) override {}

private:
    std::vector<Lines> rows_;
    int headers_;
};

struct ExportCase {
    const char* name;
    std::vector<Lines> rows;
    int headerRows;
    std::vector<int> pixels;
    int selFirst, selLast;
    bool filter;
    ExportTarget target;
    Lines expected;
};

class SheetExportTable : public ::testing::TestWithParam<ExportCase> {};

TEST_P(SheetExportTable, WritesTheExpectedLines) {
    const ExportCase& c = GetParam();
    const FixedGrid grid(c.rows, c.headerRows);
    GridLayout layout;
    layout.ColumnPixels = c.pixels;
    layout.Rows = grid.GridRows();
    layout.FixedRows = c.headerRows;
    layout.SelFirst = c.selFirst;
    layout.SelLast = c.selLast;
    layout.ManyRowsSelected = c.selLast - c.selFirst > 1;
    EXPECT_EQ(ExportTableLines(grid, layout, c.target, c.filter), c.expected);
}

const std::vector<Lines> Small = {{" No", " Id  ", " Value"}, {"  1", " A   ", "   1.5"}, {"  2", " B   ", "  20.0"}};

INSTANTIATE_TEST_SUITE_P(Grids, SheetExportTable,
                         ::testing::Values(
                             // Rule, header, the rule under the header with '|' where the columns part, rows, rule.
                             // "  1| A   |   1.5" is 16 letters; the bars stand at 3 and 9.
                             ExportCase{"Framed",
                                        Small,
                                        1,
                                        {30, 40, 60},
                                        1,
                                        1,
                                        false,
                                        ExportTarget::File,
                                        {"________________", " No| Id  | Value", "___|_____|______", "  1| A   |   1.5",
                                         "  2| B   |  20.0", "________________"}},
                             // The clipboard's framed copy is the same table.
                             ExportCase{"FramedToTheClipboard",
                                        Small,
                                        1,
                                        {30, 40, 60},
                                        1,
                                        1,
                                        false,
                                        ExportTarget::Clipboard,
                                        {"________________", " No| Id  | Value", "___|_____|______", "  1| A   |   1.5",
                                         "  2| B   |  20.0", "________________"}},
                             // Tab-separated: no rules, a tab after every cell, trailing blanks and tabs trimmed.
                             ExportCase{"Tabs",
                                        Small,
                                        1,
                                        {30, 40, 60},
                                        1,
                                        1,
                                        false,
                                        ExportTarget::ClipboardTabs,
                                        {" No\t Id  \t Value", "  1\t A   \t   1.5", "  2\t B   \t  20.0"}},
                             // A column of 8 pixels or fewer is hidden and left out; the bar goes with the column.
                             ExportCase{
                                 "NarrowColumnLeftOut",
                                 Small,
                                 1,
                                 {30, 8, 60},
                                 1,
                                 1,
                                 false,
                                 ExportTarget::File,
                                 {"__________", " No| Value", "___|______", "  1|   1.5", "  2|  20.0", "__________"}},
                             // The selection filter keeps the header and the selected rows 2..4 of a longer grid; the
                             // frame is as wide as the widest row of the whole grid.
                             ExportCase{"SelectedRowsOnly",
                                        {{"No", "Id"}, {" 1", "a"}, {" 2", "b"}, {" 3", "c"}, {" 4", "d"}, {" 5", "e"}},
                                        1,
                                        {30, 30},
                                        2,
                                        4,
                                        true,
                                        ExportTarget::File,
                                        {"_____", "No|Id", "__|__", " 2|b", " 3|c", " 4|d", "_____"}},
                             // Without the filter every row is written, whatever is selected.
                             ExportCase{"SelectionIgnoredWithoutTheFilter",
                                        {{"No", "Id"}, {" 1", "a"}, {" 2", "b"}, {" 3", "c"}},
                                        1,
                                        {30, 30},
                                        2,
                                        3,
                                        false,
                                        ExportTarget::ClipboardTabs,
                                        {"No\tId", " 1\ta", " 2\tb", " 3\tc"}},
                             // Trailing blanks of the last cell go, so the frame is as wide as the widest trimmed
                             // line; a blank last cell leaves its row ending at the bar.
                             ExportCase{"TrailingBlanksTrimmed",
                                        {{"No", "Name  "}, {" 1", "x     "}, {" 2", "      "}},
                                        1,
                                        {30, 30},
                                        1,
                                        1,
                                        false,
                                        ExportTarget::File,
                                        {"_______", "No|Name", "__|____", " 1|x", " 2|", "_______"}},
                             // No header rows: the parting rule comes first, right under the top rule.
                             ExportCase{"NoHeader",
                                        {{"a", "b"}, {"c", "d"}},
                                        0,
                                        {30, 30},
                                        0,
                                        0,
                                        false,
                                        ExportTarget::File,
                                        {"___", "_|_", "a|b", "c|d", "___"}}),
                         [](const ::testing::TestParamInfo<ExportCase>& info) { return std::string(info.param.name); });

// A line stops at 255 bytes: the cells beyond are cut, and the bar after them.
TEST(SheetExport, ALineStopsAt255Bytes) {
    const std::string wide(200, 'w');
    const FixedGrid grid({{wide, wide, "tail"}}, 0);
    GridLayout layout;
    layout.ColumnPixels = {30, 30, 30};
    layout.Rows = 1;
    const Lines framed = ExportTableLines(grid, layout, ExportTarget::File, false);
    ASSERT_EQ(framed.size(), 4u);
    EXPECT_EQ(framed[2], wide + "|" + std::string(54, 'w'));
    const Lines tabs = ExportTableLines(grid, layout, ExportTarget::ClipboardTabs, false);
    EXPECT_EQ(tabs, (Lines{wide + "\t" + std::string(54, 'w')}));
}

}  // namespace
