#include "pairwise/ui/sheet_export.h"

#include "common/core/sheet_export.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/output_file.h"
#include "pairwise/ui/experts_sheet.h"
#include "pairwise/ui/items_sheet.h"
#include "pairwise/ui/window_state.h"
#include "platform/prompts.h"

namespace trindel {

namespace {

std::string PadTo(std::string s, std::size_t n) {
    if (s.size() < n) s.append(n - s.size(), ' ');
    return s;
}

// The text-output flag of a sheet kind, set while the copy reads the cells.
struct TextOutput {
    int& flag;
    explicit TextOutput(int& f) : flag(f) { flag = 1; }
    ~TextOutput() { flag = 0; }
};

}  // namespace

std::vector<std::string> ExportSheetLines(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems) {
    std::vector<std::string> lines;
    if (isItems ? !itemsSheet : !expertsSheet) return lines;
    SheetGrid* grid = isItems ? itemsSheet->ItemsGrid : expertsSheet->ExpertsGrid;
    GridSource* source = grid->Source();
    GridLayout layout;
    for (int c = 0; c < source->GridCols() && c < 101; ++c) layout.ColumnPixels.push_back(grid->columnWidth(c));
    layout.Rows = source->GridRows();
    layout.FixedRows = source->HeaderRows();
    grid->SelectedRows(layout.SelFirst, layout.SelLast);
    layout.ManyRowsSelected = layout.SelLast - layout.SelFirst >= 2;
    const bool dataView = isItems ? ItemsSheetMode == ItemsDataView : ExpertsSheetMode == ExpertsDataView;
    const bool selectionOnly = layout.ManyRowsSelected && dataView;

    OutputLineBreak = true;
    TextOutput output(isItems ? ItemsTextOutput : ExpertsTextOutput);
    const std::string date = Platform ? Platform->ShortDate() : std::string();
    lines.push_back(PadTo(PadTo(" Case name : " + CaseFile.CaseName, 37) + date, 61) + "OBRIX version W4.0");
    lines.push_back(std::string(80, '_'));
    for (std::string& l : ExportTableLines(*source, layout, ExportTarget::Clipboard, selectionOnly))
        lines.push_back(std::move(l));
    lines.push_back(std::string(80, '_'));
    lines.push_back(std::string(62, ' ') + "WTrindel sheet copy");
    lines.push_back(std::string(1, '\f'));
    return lines;
}

void ExportSheet(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems, ExportTarget target) {
    if (target != ExportTarget::Clipboard || !Platform) return;
    const std::vector<std::string> lines = ExportSheetLines(itemsSheet, expertsSheet, isItems);
    if (lines.empty()) return;
    Platform->SetClipboardText("");
    for (const std::string& l : lines) WriteOutputLine(l, false);
}

}  // namespace trindel
