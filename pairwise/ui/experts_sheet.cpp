#include "pairwise/ui/experts_sheet.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include <algorithm>

#include "common/core/text.h"
#include "pairwise/model/case_files.h"
#include "pairwise/model/tables.h"
#include "pairwise/ui/items_sheet.h"
#include "pairwise/ui/main_form.h"
#include "pairwise/ui/pair_grid.h"
#include "pairwise/ui/run_dialog.h"
#include "pairwise/ui/sheet_export.h"
#include "pairwise/ui/window_state.h"
#include "platform/prompts.h"

namespace trindel {

TExpertsSheet::TExpertsSheet(QMdiArea* area) : TSheetWindow(nullptr), Core(this) {
    setObjectName(QStringLiteral("ExpertsSheet"));
    setAttribute(Qt::WA_DeleteOnClose);
    setToolTip(QStringLiteral("Ctrl-C to copy the window contents to Clipboard"));
    setStatusTip(toolTip());

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    ExpertsGrid = new TPairGrid(&Core, this, body);
    ExpertsGrid->setObjectName(QStringLiteral("ExpertsGrid"));
    ExpertsGrid->setShowGrid(true);
    layout->addWidget(ExpertsGrid, 1);
    setWidget(body);

    ExpertsGrid->OnKeyRelease = [this](const SheetKey& k) { KeyReleased(k); };
    ExpertsGrid->OnRowModeClick = [this](int row) {
        SetExpertsEditorMode(false);
        ExpertsGrid->SetCursor(1, std::max(1, row));
        RowChanged();
    };
    // The cell clicked is the current one, whatever came between press and release: the
    // sheet's activation on the press puts the cursor on the active expert's row.
    ExpertsGrid->OnMouseUp = [this](Qt::MouseButton button, int col, int row) {
        if (row < 1) return;
        if (button == Qt::LeftButton && col >= 1 && (row != ExpertsGrid->Row() || col != ExpertsGrid->Col()))
            ExpertsGrid->SetCursor(std::clamp(col, 1, 2), row);
        RowChanged();
    };
    // Any data row, the cell under an open editor included.
    ExpertsGrid->OnDoubleClick = [this](int col, int row) {
        if (row < 1) return;
        ExpertsGrid->SetCursor(std::clamp(col, 1, 2), row);
        OpenExpertItemsSheet();
    };
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates old, Qt::WindowStates now) {
        if (!(old & Qt::WindowActive) && (now & Qt::WindowActive)) FormActivate();
        if ((old & Qt::WindowActive) && !(now & Qt::WindowActive)) FormDeactivate();
    });

    // FormCreate
    RestoreFilteredExperts(FilteredExperts);
    ExpertsLayoutMode = NewLayout;
    ExpertsSheet = this;
    area->addSubWindow(this);
    FormAdjust();
    ComparisonsRow = 0;
    FreeExpertsUndo();
    if (!CurrentWindowFlags()[RealisationsOpen]) move(0, 0);
    DrawCaption();
}

TExpertsSheet::~TExpertsSheet() {
    // The grid is a child window and goes after Core: it lets go of the core first, and its open
    // editor, dropped without being stored, cannot write into a core that is gone.
    ExpertsGrid->Model()->SetSource(nullptr);
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, nullptr);
    if (ExpertsSheet == this) ExpertsSheet = nullptr;
}

// ---------------------------------------------------------------- the core's cursor

void TExpertsSheet::SyncCursor() {
    GridCursor& c = Core.Cursor;
    c.Row = ExpertsGrid->Row();
    c.Col = ExpertsGrid->Col();
    c.EditorOn = ExpertsGrid->EditorMode();
    c.EditorOpen = ExpertsGrid->EditorOpen();
    ExpertsGrid->SelectedRows(c.SelFirst, c.SelLast);
    if (c.EditorOn) c.SelFirst = c.SelLast = c.Row;
}

void TExpertsSheet::Apply(unsigned fx) {
    if (fx & EffectRelayout) {
        ExpertsGrid->Model()->Reset();
        GrowToRows();
    }
    if (fx & EffectEditorMode) ExpertsGrid->SetEditorMode(Core.Cursor.EditorOn);
    if (fx & (EffectCursor | EffectRelayout)) {
        ExpertsGrid->SetCursor(std::clamp(Core.Cursor.Col, 1, 2), std::clamp(Core.Cursor.Row, 1, Core.GridRows() - 1));
        if (fx & EffectSelectRow && !Core.Cursor.EditorOn)
            ExpertsGrid->SelectRows(ExpertsGrid->Row(), ExpertsGrid->Row());
    }
    if (fx & EffectRepaint) ExpertsGrid->Refresh();
    if (fx & EffectActiveExpert) RowChanged();
    if (fx & EffectFilterCheck && MainForm) MainForm->ShowFilterChecked(ExpertsFilterEnabled);
    if (fx & EffectCopy) ExportSheet(nullptr, this, false, ExportTarget::Clipboard);
    if (ExpertsGrid->EditorMode()) {
        ExpertsGrid->OpenEditor();
        if (fx & EffectEditorMode) static_cast<TPairGrid*>(ExpertsGrid)->CaretToEnd();
    }
    if (fx & (EffectEditMenu | EffectRelayout | EffectEditorMode)) UpdateExpertsEditMenu();
    if (MainForm) MainForm->UpdateMenuItems();
    SyncCursor();
}

void TExpertsSheet::KeyReleased(const SheetKey& k) {
    if (!ExpertsGrid->currentIndex().isValid()) return;
    if (TPairGrid::IsRowOperationKey(k)) ExpertsGrid->StoreEditor();
    Forward(Core, &ExpertsSheetCore::KeyRelease, k);
}

// The grid grows with its rows, as far as the frame leaves room.
void TExpertsSheet::GrowToRows() {
    ExpertsGrid->updateGeometry();
    const QSize want = widget()->sizeHint() + (size() - widget()->size());
    if (want.height() > height() || want.width() > width())
        resize(std::max(width(), want.width()), std::max(height(), want.height()));
}

// ---------------------------------------------------------------- layout and activation

void TExpertsSheet::FormAdjust() {
    ExpertsGrid->Layout();
    ExpertsGrid->SetEditorMode(Core.ExpertOfRow(1) != nullptr);
    if (!ExpertsGrid->currentIndex().isValid()) ExpertsGrid->SetCursor(1, 1);
    if (QMdiArea* a = mdiArea())
        ExpertsGrid->MaxSize = QSize(std::max(200, a->width() - 50), std::max(120, a->height() - 140));
    ExpertsGrid->updateGeometry();
    widget()->adjustSize();
    adjustSize();
    ExpertsGrid->ScrollHome();
    ExpertsLayoutMode = ExpertsSheetMode;
    SyncCursor();
}

void TExpertsSheet::DrawCaption() {
    setWindowTitle(platform::QStringFromBytes(Core.Caption()));
}

void TExpertsSheet::FormActivate() {
    UpdateExpertsEditMenu();
    DrawCaption();
    if (ExpertsLayoutMode != ExpertsSheetMode) {
        FreeExpertsUndo();
        RestoreFilteredExperts(FilteredExperts);
        ExpertsGrid->SetEditorMode(true);
        FormAdjust();
    }
    ExpertsGrid->SetCursor(std::max(1, ExpertsGrid->Col()), Core.FindExpRow());
    ExpertsGrid->OpenEditor();
    SyncCursor();
    if (MainForm) MainForm->UpdateMenuItems();
}

void TExpertsSheet::FormDeactivate() {
    EditMenu.Cut = EditMenu.Clear = EditMenu.Paste = EditMenu.Undo = false;
    if (closingCase_) return;
    if (DefaultExpertNames()) {
        ForgetAnswersOfGoneExperts();
        ExpertsGrid->Refresh();
        FormAdjust();
        CloseSheetsOfGoneExperts();
    }
}

void TExpertsSheet::FormPaint() {
    UpdateExpertsEditMenu();
    DrawCaption();
    if (ExpertsLayoutMode != ExpertsSheetMode) {
        if (!ActiveExpert) ActiveExpert = Core.ExpertOfRow(1);
        FormAdjust();
        ExpertsGrid->SetCursor(1, 1);
    }
    ExpertsGrid->Refresh();
    SyncCursor();
}

void TExpertsSheet::UpdateExpertsEditMenu() {
    EditMenu = Core.UpdateExpertsEditMenu();
}

// ---------------------------------------------------------------- host side of the rules

void TExpertsSheet::RowChanged() {
    const int row = ExpertsGrid->Row();
    if (row < 1) return;
    ActiveExpert = Core.ExpertOfRow(row);
    if (row <= ChildSheetSlots && ChildSheets[row]) ChildSheets[row]->FormPaint();
    if (ChildSheets[0]) ChildSheets[0]->ItemsGrid->Refresh();
}

void TExpertsSheet::CloseSheetsOfRows(int first, int last) {
    for (int r = first; r <= last && r <= MaxExpertCount; ++r)
        if (ChildSheets[r]) ChildSheets[r]->close();
}

void TExpertsSheet::ExpertsLeft() {
    CloseSheetsOfGoneExperts();
}

void TExpertsSheet::AfterEdit(unsigned) {
    // A comparisons sheet of this expert shows the Id in its caption.
    for (TItemsSheet* s : ChildSheets)
        if (s && s->Core.IsComparisons()) s->DrawItemsCaption();
    if (MainForm) MainForm->File1Click();
}

// ---------------------------------------------------------------- operations

void TExpertsSheet::PasteExpertRows(const SheetKey& k) {
    ExpertsGrid->StoreEditor();
    Forward(Core, &ExpertsSheetCore::PasteExpertRows, k);
}

void TExpertsSheet::DeleteExpertRows(const SheetKey& k) {
    Forward(Core, &ExpertsSheetCore::DeleteExpertRows, k);
}

void TExpertsSheet::UndoExperts() {
    Forward(Core, &ExpertsSheetCore::UndoExperts);
}

void TExpertsSheet::ToggleExpertsFilter() {
    Forward(Core, &ExpertsSheetCore::ToggleExpertsFilter);
}

void TExpertsSheet::EnableExpertsFiltering() {
    Forward(Core, &ExpertsSheetCore::EnableExpertsFiltering);
}

void TExpertsSheet::SetExpertsEditorMode(bool on) {
    Forward(Core, &ExpertsSheetCore::SetExpertsEditorMode, on);
}

void TExpertsSheet::ToggleExpertsEditorMode() {
    Forward(Core, &ExpertsSheetCore::ToggleExpertsEditorMode);
}

// ---------------------------------------------------------------- comparisons sheet

void TExpertsSheet::OpenExpertItemsSheet() {
    const int r = ExpertsGrid->Row();
    if (r < 1 || r > MaxExpertCount) return;
    ActiveExpert = Core.ExpertOfRow(r);
    if (!ActiveExpert) return;
    if (ComparisonsRow > 0 && ChildSheets[ComparisonsRow]) {
        TItemsSheet* sheet = ChildSheets[ComparisonsRow];
        if (ComparisonsRow != r) {
            ChildSheets[r] = sheet;
            ChildSheets[ComparisonsRow] = nullptr;
        }
        ComparisonsRow = r;
        if (sheet->isMinimized()) sheet->showNormal();
        mdiArea()->setActiveSubWindow(sheet);
        sheet->RetargetComparisons();
        sheet->ItemsGrid->Refresh();
        return;
    }
    if (Trim(ActiveExpert->Id.str()).empty()) {
        Platform->Message(platform::MessageKind::Information, "Please specify Expert`s Id first",
                          platform::Buttons::Ok);
        return;
    }
    auto* sheet = new TItemsSheet(mdiArea(), ActiveExpert);
    if (!ItemsSheet) ItemsSheet = sheet;
    ChildSheets[r] = sheet;
    ComparisonsRow = r;
    sheet->show();
    KeepInsideArea(sheet);
    mdiArea()->setActiveSubWindow(sheet);
}

// ---------------------------------------------------------------- closing

bool TExpertsSheet::FormCloseQuery(bool atOnce) {
    // Text still open in a cell is typed text: the question below must know of it.
    ExpertsGrid->StoreEditor();
    if (!atOnce && !CloseForCommand && !isMinimized()) {
        showMinimized();
        return false;
    }
    bool canClose = true;
    QuerySaveCase(ExpertsFileKind, canClose);
    return canClose;
}

bool TExpertsSheet::CloseCase() {
    closingCase_ = true;
    for (int r = 1; r <= MaxExpertCount; ++r) {
        if (ChildSheets[r] && !ChildSheets[r]->close()) {
            closingCase_ = false;
            return false;
        }
    }
    CloseRunDialogs();
    // The realisations sheet is asked before anything is freed, so that a refusal leaves
    // the case whole.
    TItemsSheet* realisations = ChildSheets[0];
    if (realisations && !realisations->FormCloseQuery()) {
        closingCase_ = false;
        return false;
    }
    FreeExpertsUndo();
    FreeItemsUndo();
    for (auto& x : ExpertTable) x.reset();
    for (auto& x : FilteredExperts) x.reset();
    ActiveExpert = nullptr;
    if (realisations) {
        realisations->SkipCloseQuery = true;
        realisations->close();
    }
    FreeCase();
    return true;
}

void TExpertsSheet::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery() || !CloseCase()) {
        event->ignore();
        return;
    }
    ExpertsSheet = nullptr;
    QMdiSubWindow::closeEvent(event);
    if (MainForm) MainForm->UpdateMenuItems();
}

}  // namespace trindel
