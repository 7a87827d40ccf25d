// The items sheets: the realisations sheet (no expert: Nr, Id, Realization, Full Name) and
// the comparisons sheet (one expert's answer matrix, left items by top items, kept mirrored).
// Their rules are ItemsSheetCore's; the window keeps the core's cursor in step with the grid.
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>

#include "common/ui/sheet_grid.h"
#include "common/ui/sheet_window.h"
#include "pairwise/ui/items_sheet_core.h"

namespace trindel {

class TItemsSheet : public TSheetWindow, public ItemsSheetHost {
    Q_OBJECT
public:
    // expert null: the realisations sheet.
    TItemsSheet(QMdiArea* area, TPairExpert* expert);
    ~TItemsSheet() override;

    ItemsSheetCore Core;
    SheetGrid* ItemsGrid = nullptr;
    bool SkipCloseQuery = false;  // the experts sheet has asked already
    EditMenuState EditMenu;

    bool IsComparisons() const { return Core.IsComparisons(); }

    void LayoutItemsGrid();
    void DrawItemsCaption();
    void FormActivate();
    void FormDeactivate();
    void FormPaint() override;
    void RetargetComparisons();
    bool FixEmptyRows();
    void UpdateItemsEditMenu();
    // Drawn again after another sheet changed the case: the cursor kept where it can be.
    void Invalidate();
    void ConstrainCursor();

    void PasteItemRows(const SheetKey& key);
    void DeleteItemRows(const SheetKey& key);
    void UndoItems();
    void ToggleItemsFilter();
    void EnableItemsFiltering();
    void SetItemsEditorMode(bool on);
    void ToggleItemsEditorMode();

    bool FormCloseQuery();

    // ItemsSheetHost
    void AfterEdit(unsigned effects) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SyncCursor() override;
    void Apply(unsigned effects) override;
    void KeyReleased(const SheetKey& key);
    void GrowToFit();
};

// Every open items sheet drawn again, the given one excepted.
void InvalidateChildren(TItemsSheet* except = nullptr);
// A comparisons sheet whose expert is no longer in the case closes.
void CloseSheetsOfGoneExperts();

}  // namespace trindel
