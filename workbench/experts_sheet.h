// The experts sheet window: one MDI child listing the experts in their data, scores and
// robustness views.
#pragma once

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "common/ui/sheet_grid.h"
#include "common/ui/sheet_window.h"
#include "workbench/experts_sheet_core.h"

namespace halvorine {

class TItemsSheet;

class TExpertsSheet : public TSheetWindow, public ExpertsSheetHost {
    Q_OBJECT
public:
    explicit TExpertsSheet(QMdiArea* area);
    ~TExpertsSheet() override;

    ExpertsSheetCore Core;
    SheetGrid* ExpertsGrid = nullptr;
    QLabel* HeaderInfoLabel = nullptr;
    // The Edit menu state the sheet last asked for (the main window shows it).
    EditMenuState EditMenu;

    void FormAdjust();
    void AdjustHeight();
    void DrawCaption();
    void FormActivate();
    void FormDeactivate();
    void FormPaint() override;
    void OpenExpertItemsSheet(int itemRow);
    void SelectExpertRow(int row, int itemRow);
    void UpdateExpertsEditMenu();

    // Edit menu commands, as the keys would call them.
    void UndoExpertsCommand();
    void DeleteRowsCommand(bool cut);
    void PasteRowsCommand();
    void ToggleFilterCommand();
    void EnableFilteringCommand();
    void ToggleEditorModeCommand();
    // Editor mode (on) or row mode, as the main window sets it after a merge.
    void SetEditorModeCommand(bool on);

    // ExpertsSheetHost
    void CloseSheetsOfEntries(int first, int last) override;
    void ResetRunDialogIfOpen() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SyncCursor() override;
    void Apply(unsigned effects) override;
    // The open assessments window shows the expert of the current row as soon as it changes.
    void FollowActiveExpert();
    void KeyReleased(const SheetKey& key);
    bool FormCloseQuery();
    bool CloseCase();
    bool applying_ = false;
    bool closingCase_ = false;
};

}  // namespace halvorine
