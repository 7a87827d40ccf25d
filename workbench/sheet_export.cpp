#include "workbench/sheet_export.h"

#include "common/core/sheet_export.h"
#include "engine/globals.h"
#include "platform/prompts.h"
#include "workbench/experts_sheet.h"
#include "workbench/items_sheet.h"

std::function<bool(const std::vector<std::string>&)> WriteExportFileHandler;

namespace {

std::string PadTo(std::string s, std::size_t n) {
    if (s.size() < n) s.append(n - s.size(), ' ');
    return s;
}

GridLayout LayoutOf(SheetGrid* grid, bool dataView) {
    GridLayout g;
    GridSource* s = grid->Source();
    for (int c = 0; c < s->GridCols(); ++c) g.ColumnPixels.push_back(grid->columnWidth(c));
    g.Rows = s->GridRows();
    g.FixedRows = s->HeaderRows();
    grid->SelectedRows(g.SelFirst, g.SelLast);
    g.ManyRowsSelected = !grid->EditorMode() && g.SelLast - g.SelFirst > 1;
    (void)dataView;
    return g;
}

} // namespace

std::vector<std::string> ExportSheetLines(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems,
                                          int target) {
    std::vector<std::string> lines;
    if (isItems ? !itemsSheet : !expertsSheet) return lines;
    SheetGrid* grid = isItems ? itemsSheet->ItemsGrid : expertsSheet->ExpertsGrid;
    const bool dataView = isItems ? ItemsSheetMode == 0 : ExpertsSheetMode == 0;
    GridLayout layout = LayoutOf(grid, dataView);
    const bool filter = layout.ManyRowsSelected && dataView;

    OutputLineBreak = true;
    bool& textOutput = isItems ? ItemsTextOutput : ExpertsTextOutput;
    textOutput = true;
    const ExportTarget t = static_cast<ExportTarget>(target);
    if (t != ExportTarget::ClipboardTabs) {
        std::string date = Platform ? Platform->ShortDate() : std::string();
        lines.push_back(PadTo(PadTo(" Case name : " + CaseFile.CaseName, 37) + date, 61) + "OBRIX version W4.0");
        lines.push_back(std::string(80, '_'));
        for (const std::string& l : isItems ? itemsSheet->Core.HeaderInfo() : expertsSheet->Core.HeaderInfo())
            lines.push_back(l);
    }
    for (std::string& l : ExportTableLines(*grid->Source(), layout, t, filter)) lines.push_back(std::move(l));
    if (t != ExportTarget::ClipboardTabs) {
        lines.push_back(std::string(80, '_'));
        lines.push_back(std::string(62, ' ') + "Halvorine sheet export");
        lines.push_back(std::string(1, '\f'));
    }
    textOutput = false;
    return lines;
}

void ExportSheet(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems, int target) {
    if (target == 0) {
        if (!WriteExportFileHandler) return;
        WriteExportFileHandler(ExportSheetLines(itemsSheet, expertsSheet, isItems, target));
        return;
    }
    if (!Platform) return;
    std::string text;
    for (const std::string& l : ExportSheetLines(itemsSheet, expertsSheet, isItems, target)) text += l + "\r\n";
    Platform->SetClipboardText(text);
}
