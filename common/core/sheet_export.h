// The framed or tab-separated text of a sheet grid, as the sheets' text exports write it.
#pragma once

#include <string>
#include <vector>

#include "common/core/sheet_rules.h"

// What the export takes from a grid: the width of each column in pixels, the rows, the
// header rows and the selection.
struct GridLayout {
    std::vector<int> ColumnPixels;
    int Rows = 0;
    int FixedRows = 0;
    int SelFirst = 0;
    int SelLast = 0;
    bool ManyRowsSelected = false;  // last - first > 1
};

enum class ExportTarget { File = 0, Clipboard = 2, ClipboardTabs = 3 };

// The table lines: rules, header separator and one line per row (framed), or the rows
// alone separated by tabs. Cell texts come from the source (its text-output mode must be
// on). Rows outside the selection are left out when selectionFilter is set.
std::vector<std::string> ExportTableLines(const GridSource& source, const GridLayout& layout, ExportTarget target,
                                          bool selectionFilter);
