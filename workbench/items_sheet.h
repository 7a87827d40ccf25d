// The items sheet windows: the realisations sheet, an expert's assessments window (one,
// reused for every data expert) and the result sheets of decision makers.
#pragma once

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include <functional>

#include "common/ui/sheet_grid.h"
#include "common/ui/sheet_window.h"
#include "workbench/items_sheet_core.h"
#include "workbench/window_state.h"

namespace halvorine {

extern bool DistribDlgAccepted;
extern TDistribution SavedDistribution;

class TItemsSheet : public TSheetWindow {
    Q_OBJECT
public:
    // expert null: the realisations sheet.
    TItemsSheet(QMdiArea* area, TExpert* expert);
    ~TItemsSheet() override;

    ItemsSheetCore Core;
    SheetGrid* ItemsGrid = nullptr;
    QLabel* HeaderInfoLabel = nullptr;
    QMenu* DistributionMenu = nullptr;
    TAssessment* PickedAssessment = nullptr;
    EditMenuState EditMenu;

    void LayoutItemsSheet();
    void AdjustHeight();
    // The run information above the solution and robustness views.
    void DrawHeaderInfo();
    void DrawItemsCaption();
    void FormActivate();
    // An assessments window that is not active shows ActiveExpert at once, so that what it
    // shows when the user comes to it is what the keys edit there.
    void FollowActiveExpert();
    void FormDeactivate();
    void FormPaint() override;
    // Row count again after the table changed elsewhere, cursor kept.
    void Reload();
    void SetCursorRow(int row);
    bool FixEmptyRows();
    void UpdateItemsEditMenu();
    // The record the sheet shows is about to be freed: the sheet closes.
    void ExpertGone();
    bool IsGone() const { return gone_; }

    // Right button released over a grid cell.
    void ShowDistributionMenu(int col, int row, const QPoint& globalPos);
    void ChooseDistribution(int family);

    // Edit menu commands, as the keys would call them.
    void UndoItemsCommand();
    void DeleteRowsCommand(bool cut);
    void PasteRowsCommand();
    void ToggleFilterCommand();
    void EnableFilteringCommand();
    void ToggleEditorModeCommand();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SyncCursor() override;
    void Apply(unsigned effects) override;
    void KeyReleased(const SheetKey& key);
    void BuildDistributionMenu();
    int OwnSlot() const;
    bool gone_ = false;
};

}  // namespace halvorine
