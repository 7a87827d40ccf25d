// The experts sheet without its window: the cell texts of its three views, the edit and
// cursor rules, the row operations with their single-level undo, and filtering.
// The window (TExpertsSheet) keeps a GridCursor in step with its grid and does what the
// returned effects ask.
#pragma once

#include <string>
#include <vector>

#include "common/core/sheet_rules.h"
#include "engine/globals.h"
#include "workbench/window_state.h"

namespace halvorine {

// FitToWidth by letters: a field of a text export holds `width` letters, however many bytes
// each letter of a UTF-8 text takes, so that the columns line up.
void FitToLetters(std::string& text, int width);

// The cursor and mode of a sheet's grid, in grid rows and columns.
struct GridCursor {
    int Col = 1;
    int Row = 1;
    int SelFirst = 1;  // selected rows (row mode), else the current row
    int SelLast = 1;
    bool EditorOn = true;     // editor mode, not row mode
    bool EditorOpen = false;  // the cell editor is open now
};

// What the window must do after an operation.
enum SheetEffect : unsigned {
    EffectNone = 0,
    EffectRepaint = 1,         // cell texts changed
    EffectRelayout = 2,        // rows or columns changed
    EffectCursor = 4,          // move the grid's cursor to the GridCursor
    EffectEditorMode = 8,      // apply GridCursor::EditorOn
    EffectEditMenu = 16,       // refresh the Edit menu
    EffectItemsSheets = 32,    // repaint every items sheet
    EffectCopy = 64,           // copy the view to the clipboard
    EffectActiveExpert = 128,  // ActiveExpert changed: refresh its sheet and the realisations sheet
};

// The window side of the row operations.
class ExpertsSheetHost {
public:
    virtual ~ExpertsSheetHost() = default;
    // Before table entries first..last leave the table.
    virtual void CloseSheetsOfEntries(int /*first*/, int /*last*/) {}
    virtual void ResetRunDialogIfOpen() {}
};

// The undo record of the experts sheet kind; the buffer owns exactly the records of the
// last delete or cut, at their old table positions.
struct ExpertsUndoState {
    UndoRecord Record;
    ExpertTableType Buffer;
    // The counters before a delete or cut, put back by its undo.
    int SavedExpertCount = 0;
    int SavedDecisionMakerCount = 0;
    bool HoldsDecisionMakers = false;
    int CutPosition = 0;  // where the rows of a Paste were cut from
};
extern ExpertsUndoState ExpertsUndo;

// Frees what the experts undo record holds and empties it.
void FreeExpertsUndo();

// Removes every decision maker and other result expert (their windows through `host`).
void ClearResultExperts(ExpertsSheetHost* host);

// Experts data view cell texts etc. The sheet reads the global tables; it owns nothing.
class ExpertsSheetCore : public GridSource {
public:
    explicit ExpertsSheetCore(ExpertsSheetHost* host = nullptr) : host_(host) {}

    GridCursor Cursor;
    bool LayoutDone = false;
    int LayoutWidth = 0;
    int LayoutWeightType = -1;
    int LastOpenedRow = 0;

    // ---- shape ----
    int ExpertsNumRows() const;  // data rows (header rows not counted)
    int ExpertsNumCols() const;
    int ExpertsColWidth(int col) const;  // characters
    int ExportWidth(int col) const;      // 0: exported as it is
    std::string ExpertsCellContents(int col, int row) const;
    // Table index of the expert a grid row shows (0 for header rows).
    int EntryOfRow(int row) const;
    int RowOfEntry(int entry) const;
    TExpert* ExpertOfRow(int row) const;
    int FindExpRow() const;  // the row of ActiveExpert, the last row when it is not shown

    std::string Caption() const;
    // The three lines above the grid in the result views; empty in the data view.
    std::vector<std::string> HeaderInfo() const;

    // ---- GridSource ----
    int GridRows() const override;
    int GridCols() const override { return ExpertsNumCols(); }
    int HeaderRows() const override;
    std::string CellText(int col, int row) const override { return ExpertsCellContents(col, row); }
    CellStyle CellStyleAt(int col, int row) const override;
    int ColumnChars(int col) const override { return ExpertsColWidth(col); }
    int ColumnPixels(int col) const override;
    bool CanSelect(int col, int row) const override;
    bool CanEdit(int col, int row) const override;
    void SetEditText(int col, int row, const std::string& text) override;

    // ---- keys and operations; each returns SheetEffect flags ----
    unsigned KeyRelease(const SheetKey& key);
    unsigned PasteExpertRows(const SheetKey& key);
    unsigned DeleteExpertRows(const SheetKey& key);
    unsigned UndoExperts();
    unsigned ToggleExpertsFilter();
    unsigned EnableExpertsFiltering();
    unsigned ToggleExpertsEditorMode();
    unsigned SetMyEditor(bool on);
    EditMenuState UpdateExpertsEditMenu() const;
    // Records a row operation; returns the number of rows inserted (Create, Paste).
    int RecordExpertsUndo(UndoKind kind, int position, int count);

    // ---- view changes ----
    // On activation and paint: when the view changed since the last layout the undo record
    // is emptied and flagged experts leave or rejoin the table. True when the view changed.
    bool FollowViewChange();
    // Deactivation: default ids, empty experts removed (first emptying the undo record they
    // would spoil). True when an expert was removed.
    bool FixEmptyExperts();
    // Rows in a data view with no expert: one empty record at position 1.
    void EnsureOneRow();

private:
    bool InResultView() const { return ExpertsSheetMode != ExpertsDataView; }
    unsigned AfterRowsChanged();
    ExpertsSheetHost* host_;
};

// Text of a header of the result views for the weight type.
std::string WeightTypeText(int weightType);

}  // namespace halvorine
