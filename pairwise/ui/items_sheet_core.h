// The items sheets without their windows: the realisations view (no expert) and the
// comparisons view (one expert's answer matrix, kept mirrored), with their cell texts, edit
// rules, the cursor rules around the diagonal, the key table and the row operations with
// their undo. The window (TItemsSheet) keeps the GridCursor in step with its grid and does
// what the returned SheetEffect flags ask.
#pragma once

#include <string>

#include "pairwise/ui/sheet_state.h"

namespace trindel {

class ItemsSheetHost {
public:
    virtual ~ItemsSheetHost() = default;
    // A committed edit changed the case.
    virtual void AfterEdit(unsigned /*effects*/) {}
};

class ItemsSheetCore : public GridSource {
public:
    // expert null: the realisations view.
    explicit ItemsSheetCore(TPairExpert* expert, ItemsSheetHost* host = nullptr)
        : SheetExpert(expert), host_(host), comparisons_(expert != nullptr) {}

    TPairExpert* SheetExpert;
    GridCursor Cursor;

    bool IsComparisons() const { return comparisons_; }
    TPairItem* ItemOfRow(int row) const;
    std::string ItemsCellContents(int col, int row) const { return CellText(col, row); }
    std::string Caption() const;

    // ---- GridSource ----
    int GridRows() const override;
    int GridCols() const override;
    int HeaderRows() const override { return 1; }
    std::string CellText(int col, int row) const override;
    CellStyle CellStyleAt(int col, int row) const override;
    int ColumnChars(int col) const override;
    int ColumnPixels(int col) const override;
    bool CanSelect(int col, int row) const override;
    bool CanEdit(int col, int row) const override;
    void SetEditText(int col, int row, const std::string& text) override;

    // ---- cursor rules of the comparisons view (the realisations view: nothing) ----
    unsigned ConstrainCursor();
    unsigned SkipDot(int d);
    unsigned SkipDotV(int d);
    // The comparisons view follows ActiveExpert: row 1, the cursor kept off the diagonal.
    unsigned RetargetComparisons();

    // ---- keys and operations; each returns SheetEffect flags ----
    unsigned KeyRelease(const SheetKey& key);
    unsigned PasteItemRows(const SheetKey& key);
    unsigned DeleteItemRows(const SheetKey& key);
    unsigned UndoItems();
    unsigned ToggleItemsFilter();
    unsigned EnableItemsFiltering();
    unsigned SetItemsEditorMode(bool on);
    unsigned ToggleItemsEditorMode();
    EditMenuState UpdateItemsEditMenu() const;

private:
    unsigned MoveTo(int col, int row);
    // Answers of every expert change with the items' rows and columns.
    void MarkRowsChanged() const;
    // Ids and names of items are written with the answers too.
    void MarkItemNamed() const;
    ItemsSheetHost* host_;
    const bool comparisons_;
};

}  // namespace trindel
