// The experts sheet: one MDI child listing the experts of the case (Nr, Id, Full Name). It
// owns the case: closing it closes the other sheets and the run dialog and frees the case.
#pragma once

#include <QMdiArea>
#include <QMdiSubWindow>

#include "common/ui/sheet_grid.h"

class TExpertsSheet : public QMdiSubWindow, public GridSource {
    Q_OBJECT
public:
    explicit TExpertsSheet(QMdiArea* area);
    ~TExpertsSheet() override;

    SheetGrid* ExpertsGrid = nullptr;
    int ComparisonsRow = 0;  // the experts-grid row whose slot holds the comparisons sheet
    EditMenuState EditMenu;  // what the Edit menu shows while this sheet is active

    // GridSource
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

    std::string ExpertsCellContents(int col, int row) const { return CellText(col, row); }
    void FormAdjust();
    void DrawCaption();
    void FormActivate();
    void FormDeactivate();
    void FormPaint();
    int FindExpRow() const;
    void OpenExpertItemsSheet();
    void UpdateExpertsEditMenu();

    // The row operations and modes, as the keys and the Edit menu call them.
    bool PasteExpertRows(const SheetKey& key);
    bool DeleteExpertRows(const SheetKey& key);
    bool UndoExperts();
    void ToggleExpertsFilter();
    void EnableExpertsFiltering();
    void SetExpertsEditorMode(bool on);
    void ToggleExpertsEditorMode();

    // The save question decides only once the sheet is minimised.
    bool FormCloseQuery();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void KeyReleased(const SheetKey& key);
    void RowChanged();
    bool CloseCase();
    bool closingCase_ = false;
};
