// The items sheets without their windows: the realisations sheet (no expert), an expert's
// assessments sheet and a decision maker's result sheet. Cell texts, edit and cursor rules,
// the item row operations with their single-level undo, and filtering.
#pragma once

#include <string>
#include <vector>

#include "common/core/sheet_rules.h"
#include "engine/globals.h"
#include "workbench/experts_sheet_core.h"
#include "workbench/window_state.h"

namespace halvorine {

struct ItemsUndoState {
    UndoRecord Record;
    ItemTableType Buffer;
    int CutPosition = 0;  // where the rows of a Paste were cut from
};
extern ItemsUndoState ItemsUndo;

// Frees what the items undo record holds (the items' assessments first) and empties it.
void FreeItemsUndo();

// The percentage of quantile level k rounded as the headers show it (ties to even).
int LevelPercent(int k);

// True while a robustness run's results keep items flagged.
bool RobustnessItemFilterShown();

// The item is flagged by the user (not by a robustness run) while filtering is on.
bool TrulyFiltered(int index);

// The n-th seed item (1-based) in table order; null when there are fewer.
TItem* NthSeedItem(int n);

// Six times the asymmetric linear loss of quantile k of the assessment against its item's
// realisation; MissingValue when there is no assessment or item, the item is no seed item or
// the quantile is missing.
float QuantileLoss(const TAssessment* a, int k);

// The three lines of run information above a decision maker's solution or robustness view,
// from the settings the decision maker was made with.
std::vector<std::string> ResultHeaderInfo(const TExpert& dm, bool robustness);

class ItemsSheetCore : public GridSource {
public:
    // The expert whose items the sheet shows; null for the realisations sheet.
    explicit ItemsSheetCore(TExpert* expert = nullptr);

    TExpert* Expert = nullptr;
    bool IsResultSheet = false;
    bool IsRobustnessSheet = false;
    GridCursor Cursor;
    bool LayoutDone = false;
    int LayoutWidth = 0;
    bool LayoutBayesian = false;

    enum class View { Realisations, Assessments, Solution, Loss, Robustness };
    View CurrentView() const;
    bool IsRealisations() const { return Expert == nullptr; }
    bool IsLossView() const { return Expert && ItemsSheetMode == ItemsLossView; }
    bool IsAssessments() const { return Expert && !IsResultSheet && CurrentView() == View::Assessments; }

    // ---- shape ----
    int ItemsNumRows() const;  // data rows
    int ItemsNumCols() const;
    int ItemsColWidth(int col) const;  // characters
    int ExportWidth(int col) const;    // 0: exported as it is
    std::string ItemsCellContents(int col, int row) const;
    TItem* ItemOfRow(int row) const;
    int FirstEditableCol() const;
    int LastEditableCol() const;
    // The item a right click on this grid row stands for; null for header, total or empty rows.
    TItem* ItemUnderRow(int row) const;

    std::string Caption() const;
    // The run information above the solution and robustness views; empty in the other views.
    std::vector<std::string> HeaderInfo() const;

    // Sum of the sheet expert's losses on quantile k over the seed items it assessed.
    float TotalLoss(int k) const;

    // ---- GridSource ----
    int GridRows() const override;
    int GridCols() const override { return ItemsNumCols(); }
    int HeaderRows() const override;
    std::string CellText(int col, int row) const override { return ItemsCellContents(col, row); }
    CellStyle CellStyleAt(int col, int row) const override;
    int ColumnChars(int col) const override { return ItemsColWidth(col); }
    int ColumnPixels(int col) const override;
    bool CanSelect(int col, int row) const override;
    bool CanEdit(int col, int row) const override;
    void SetEditText(int col, int row, const std::string& text) override;

    // ---- keys and operations; each returns SheetEffect flags ----
    unsigned KeyRelease(const SheetKey& key);
    unsigned PasteItemRows(const SheetKey& key);
    unsigned DeleteItemRows(const SheetKey& key);
    unsigned UndoItems();
    unsigned ToggleItemsFilter();
    unsigned EnableItemsFiltering();
    unsigned ToggleItemsEditorMode();
    unsigned SetMyEditor(bool on);
    void ConstrainCursor();
    EditMenuState UpdateItemsEditMenu() const;
    int RecordItemsUndo(UndoKind kind, int position, int count);

    // Realisations sheet: default ids, empty items removed (first emptying the undo record
    // they would spoil). True when anything was removed.
    bool FixEmptyRows();
    // A reused assessments window takes ActiveExpert. True when the expert changed.
    bool RetargetAssessments();

private:
    std::string LossCell(int col, int row) const;
    std::string RobustnessCell(int col, int row) const;
    bool ColumnEditable(int col) const;
    unsigned StepOverLockedColumn(bool back);
    unsigned EnterMove();
};

}  // namespace halvorine
