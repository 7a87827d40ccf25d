// The experts sheet: one MDI child listing the experts of the case (Nr, Id, Full Name). It
// owns the case: closing it closes the other sheets and the run dialog and frees the case.
// Its rules are ExpertsSheetCore's; the window keeps the core's cursor in step with the grid.
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>

#include "common/ui/sheet_grid.h"
#include "common/ui/sheet_window.h"
#include "pairwise/ui/experts_sheet_core.h"

namespace trindel {

class TExpertsSheet : public TSheetWindow, public ExpertsSheetHost {
    Q_OBJECT
public:
    explicit TExpertsSheet(QMdiArea* area);
    ~TExpertsSheet() override;

    ExpertsSheetCore Core;
    SheetGrid* ExpertsGrid = nullptr;
    int ComparisonsRow = 0;  // the experts-grid row whose slot holds the comparisons sheet
    EditMenuState EditMenu;  // what the Edit menu shows while this sheet is active

    void FormAdjust();
    void DrawCaption();
    void FormActivate();
    void FormDeactivate();
    void FormPaint() override;
    void OpenExpertItemsSheet();
    void UpdateExpertsEditMenu();

    // The row operations and modes, as the keys and the Edit menu call them.
    void PasteExpertRows(const SheetKey& key);
    void DeleteExpertRows(const SheetKey& key);
    void UndoExperts();
    void ToggleExpertsFilter();
    void EnableExpertsFiltering();
    void SetExpertsEditorMode(bool on);
    void ToggleExpertsEditorMode();

    // The save question decides only once the sheet is minimised, unless the close is a step
    // of a command of the frame (Open, New, Close All, Exit), which then asks at once.
    bool FormCloseQuery(bool atOnce = false);
    bool CloseForCommand = false;

    // ExpertsSheetHost
    void CloseSheetsOfRows(int first, int last) override;
    void ExpertsLeft() override;
    void AfterEdit(unsigned effects) override;
    int CurrentRow() const override { return ExpertsGrid->Row(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void SyncCursor() override;
    void Apply(unsigned effects) override;
    void KeyReleased(const SheetKey& key);
    void RowChanged();
    void GrowToRows();
    bool CloseCase();
    bool closingCase_ = false;
};

}  // namespace trindel
