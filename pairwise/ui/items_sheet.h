// The items sheets: the realisations sheet (no expert: Nr, Id, Realization, Full Name) and
// the comparisons sheet (one expert's answer matrix, left items by top items, kept mirrored).
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>

#include "common/ui/sheet_grid.h"
#include "pairwise/model/globals.h"

class TItemsSheet : public QMdiSubWindow, public GridSource {
    Q_OBJECT
public:
    // expert null: the realisations sheet.
    TItemsSheet(QMdiArea* area, TPairExpert* expert);
    ~TItemsSheet() override;

    SheetGrid* ItemsGrid = nullptr;
    TPairExpert* SheetExpert = nullptr;
    bool SkipNextEdit = false;    // the next committed edit is ignored once
    bool SkipCloseQuery = false;  // the experts sheet has asked already
    EditMenuState EditMenu;

    bool IsComparisons() const { return comparisons_; }

    // GridSource
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

    std::string ItemsCellContents(int col, int row) const { return CellText(col, row); }
    void LayoutItemsGrid();
    void DrawItemsCaption();
    void FormActivate();
    void FormDeactivate();
    void FormPaint();
    void RetargetComparisons();
    bool FixEmptyRows();
    void UpdateItemsEditMenu();

    // Cursor rules of the comparisons view around the diagonal.
    void ConstrainCursor();
    void SkipDot(int d);
    void SkipDotV(int d);

    bool PasteItemRows(const SheetKey& key);
    bool DeleteItemRows(const SheetKey& key);
    bool UndoItems();
    void ToggleItemsFilter();
    void EnableItemsFiltering();
    void SetItemsEditorMode(bool on);
    void ToggleItemsEditorMode();

    bool FormCloseQuery();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    const bool comparisons_;
    void KeyReleased(const SheetKey& key);
    void MoveCursor(int col, int row);
};

// Every open items sheet drawn again, the given one excepted.
void InvalidateChildren(TItemsSheet* except = nullptr);
// A comparisons sheet whose expert is no longer in the case closes.
void CloseSheetsOfGoneExperts();
