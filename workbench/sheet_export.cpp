#include "workbench/sheet_export.h"

#include <algorithm>
#include <iterator>

#include "common/core/pascal_str.h"
#include "common/core/sheet_export.h"
#include "engine/assessments_file.h"
#include "engine/globals.h"
#include "engine/output_files.h"
#include "platform/prompts.h"
#include "workbench/experts_sheet.h"
#include "workbench/items_sheet.h"
#include "workbench/quantiles_form.h"
#include "workbench/window_state.h"

namespace halvorine {

namespace {

// A file export that ends half-way leaves no output file open behind it.
struct OutFileGuard {
    ~OutFileGuard() { OutFile.Abandon(); }
};

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

}  // namespace

std::vector<std::string> ExportSheetLines(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems,
                                          ExportTarget target) {
    std::vector<std::string> lines;
    if (isItems ? !itemsSheet : !expertsSheet) return lines;
    SheetGrid* grid = isItems ? itemsSheet->ItemsGrid : expertsSheet->ExpertsGrid;
    const bool dataView = isItems ? ItemsSheetMode == ItemsDataView : ExpertsSheetMode == ExpertsDataView;
    GridLayout layout = LayoutOf(grid, dataView);
    const bool filter = layout.ManyRowsSelected && dataView;

    OutputLineBreak = true;
    bool& textOutput = isItems ? ItemsTextOutput : ExpertsTextOutput;
    textOutput = true;
    if (target != ExportTarget::ClipboardTabs) {
        std::string date = Platform ? Platform->ShortDate() : std::string();
        lines.push_back(PadTo(PadTo(" Case name : " + CaseFile.CaseName, 37) + date, 61) + "OBRIX version W4.0");
        lines.push_back(std::string(80, '_'));
        for (const std::string& l : isItems ? itemsSheet->Core.HeaderInfo() : expertsSheet->Core.HeaderInfo())
            lines.push_back(l);
    }
    for (std::string& l : ExportTableLines(*grid->Source(), layout, target, filter)) lines.push_back(std::move(l));
    if (target != ExportTarget::ClipboardTabs) {
        lines.push_back(std::string(80, '_'));
        lines.push_back(std::string(62, ' ') + "Halvorine sheet export");
        lines.push_back(std::string(1, '\f'));
    }
    textOutput = false;
    return lines;
}

void ExportSheet(TItemsSheet* itemsSheet, TExpertsSheet* expertsSheet, bool isItems, ExportTarget target) {
    if (isItems ? !itemsSheet : !expertsSheet) return;
    if (target == ExportTarget::File) {
        if (!OpenOutputFile(".txt", "Output save files (*.txt)|*.txt", OutFile, true)) return;
        OutFileGuard guard;
        for (const std::string& l : ExportSheetLines(itemsSheet, expertsSheet, isItems, target))
            WriteOutputLine(l, true);
        OutFile.Close();
        return;
    }
    OpenClipboardOutput();
    for (const std::string& l : ExportSheetLines(itemsSheet, expertsSheet, isItems, target)) WriteOutputLine(l, false);
    CloseClipboardOutput();
}

std::string PercentText(int k) {
    return StrInt(LevelPercent(k), 2) + "%";
}

void WriteQuestionnaire(QWidget* owner) {
    // The levels asked for: the case's, or those the levels dialog shows when it has none.
    int q = QuantileCount;
    int percents[MaxQuantileCount + 1] = {};
    for (int k = 1; k <= q && k <= MaxQuantileCount; ++k) percents[k] = LevelPercent(k);
    if (!ExpertTable[1] || QuantileCount == 0) {
        TQuantilesForm form(owner);
        // OK writes the header of the choice; Cancel leaves it.
        const bool accepted = form.exec() == QDialog::Accepted;
        // Whichever button closed it, the questionnaire asks for the levels shown; only OK
        // makes them the case's, with the bins that go with them.
        q = QuantileCountDialog;
        for (int k = 1; k <= q; ++k) percents[k] = form.Choice.Percents[k];
        if (accepted) {
            const int oldCount = QuantileCount;
            float oldLevels[MaxQuantileCount + 1];
            std::copy(std::begin(QuantileLevels), std::end(QuantileLevels), oldLevels);
            ParseAssessmentHeader(AssessmentHeader);
            bool same = oldCount == QuantileCount;
            for (int k = 1; same && k <= QuantileCount; ++k) same = oldLevels[k] == QuantileLevels[k];
            if (!same) CaseFile.FileKinds[AssessmentsFileKind].Modified = true;
        }
    }
    if (!OpenOutputFile(".txt", "Questionnaire save files (*.txt)|*.txt", OutFile, false)) return;
    OutFileGuard guard;
    OutputLineBreak = true;
    const auto percentText = [&](int k) { return StrInt(percents[k], 2) + "%"; };
    std::string request = "Please fill in your ";
    for (int k = 1; k <= q; ++k) {
        if (k == q && q > 1) request += " and ";
        request += percentText(k);
        if (k < q - 1) request += ", ";
    }
    WriteOutputLine(request + " quantiles for the following uncertain values", true);
    WriteOutputLine("", true);
    std::string answers;
    for (int k = 1; k <= q; ++k) answers += "   " + percentText(k) + AnswerBlank;
    int n = 0;
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* item = ItemTable[i].get();
        if (!item || item->Name.empty()) continue;
        WriteOutputLine(StrInt(++n, 2) + ". " + item->Name.str() + ":", true);
        WriteOutputLine("", true);
        WriteOutputLine(answers, true);
        WriteOutputLine("", true);
    }
    OutFile.Close();
}

}  // namespace halvorine
