// The experts sheet without its window: cell texts, the edit rule, the key table and the row
// operations with their undo. The window (TExpertsSheet) keeps the GridCursor in step with
// its grid and does what the returned SheetEffect flags ask.
#pragma once

#include <string>

#include "pairwise/ui/sheet_state.h"

namespace trindel {

// The window side of the rules.
class ExpertsSheetHost {
public:
    virtual ~ExpertsSheetHost() = default;
    // Before the experts at grid rows first..last leave the table.
    virtual void CloseSheetsOfRows(int /*first*/, int /*last*/) {}
    // Experts left the case: windows showing them close.
    virtual void ExpertsLeft() {}
    // A committed edit changed the case.
    virtual void AfterEdit(unsigned /*effects*/) {}
    // The grid's current row as the editor commits (it may have moved on already).
    virtual int CurrentRow() const { return 0; }
};

class ExpertsSheetCore : public GridSource {
public:
    explicit ExpertsSheetCore(ExpertsSheetHost* host = nullptr) : host_(host) {}

    GridCursor Cursor;

    TPairExpert* ExpertOfRow(int row) const;
    std::string ExpertsCellContents(int col, int row) const { return CellText(col, row); }
    std::string Caption() const;
    // The row of ActiveExpert, row 1 when it is not shown.
    int FindExpRow() const;

    // ---- GridSource ----
    int GridRows() const override;
    int GridCols() const override { return 3; }
    int HeaderRows() const override { return 1; }
    std::string CellText(int col, int row) const override;
    CellStyle CellStyleAt(int col, int row) const override;
    int ColumnChars(int col) const override;
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
    unsigned SetExpertsEditorMode(bool on);
    unsigned ToggleExpertsEditorMode();
    EditMenuState UpdateExpertsEditMenu() const;

private:
    ExpertsSheetHost* host_;
};

}  // namespace trindel
