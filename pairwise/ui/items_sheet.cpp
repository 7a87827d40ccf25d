#include "pairwise/ui/items_sheet.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QVBoxLayout>

#include <algorithm>

#include "pairwise/model/case_files.h"
#include "pairwise/model/tables.h"
#include "pairwise/ui/experts_sheet.h"
#include "pairwise/ui/main_form.h"
#include "pairwise/ui/pair_grid.h"
#include "pairwise/ui/run_dialog.h"
#include "pairwise/ui/sheet_export.h"
#include "pairwise/ui/window_state.h"

namespace trindel {

namespace {

bool ExpertInCase(const TPairExpert* x) {
    bool found = false;
    ForEachExpertRecord([&](TPairExpert* e) { found = found || e == x; });
    return found;
}

// The NEL reference buttons name what the run will use, after every change of the items.
void RecheckRunDialogs() {
    if (!MainForm || !MainForm->MdiArea) return;
    for (QMdiSubWindow* w : MainForm->MdiArea->subWindowList())
        if (auto* dialog = qobject_cast<TRunDlgFrm*>(w)) dialog->CheckTransform(false);
}

}  // namespace

void InvalidateChildren(TItemsSheet* except) {
    for (TItemsSheet* s : ChildSheets)
        if (s && s != except) s->Invalidate();
}

void CloseSheetsOfGoneExperts() {
    for (TItemsSheet* s : ChildSheets)
        if (s && s->IsComparisons() && !ExpertInCase(s->Core.SheetExpert)) {
            s->Core.SheetExpert = nullptr;  // nothing of it may be read any more
            s->close();
        }
}

TItemsSheet::TItemsSheet(QMdiArea* area, TPairExpert* expert) : TSheetWindow(nullptr), Core(expert, this) {
    setObjectName(QStringLiteral("ItemsSheet"));
    setAttribute(Qt::WA_DeleteOnClose);
    setToolTip(QStringLiteral("Ctrl-C to copy the window contents to Clipboard"));
    setStatusTip(toolTip());

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    ItemsGrid = new TPairGrid(&Core, this, body);
    ItemsGrid->setObjectName(QStringLiteral("ItemsGrid"));
    layout->addWidget(ItemsGrid, 1);
    setWidget(body);

    ItemsGrid->OnKeyRelease = [this](const SheetKey& k) { KeyReleased(k); };
    ItemsGrid->OnRowModeClick = [this](int row) {
        if (!IsComparisons()) {
            ItemsGrid->SetEditorMode(!ItemsGrid->EditorMode());
            ItemsGrid->SetCursor(std::max(1, ItemsGrid->Col()), std::max(1, row));
            if (!ItemsGrid->EditorMode())
                ItemsGrid->SelectRows(std::max(1, row), std::max(1, row));
            else
                static_cast<TPairGrid*>(ItemsGrid)->CaretToEnd();
            UpdateItemsEditMenu();
            if (MainForm) MainForm->UpdateMenuItems();
        }
        ConstrainCursor();
    };
    ItemsGrid->OnMouseUp = [this](Qt::MouseButton, int, int) { ConstrainCursor(); };
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates old, Qt::WindowStates now) {
        if (!(old & Qt::WindowActive) && (now & Qt::WindowActive)) FormActivate();
        if ((old & Qt::WindowActive) && !(now & Qt::WindowActive)) FormDeactivate();
    });

    // FormCreate
    if (!IsComparisons()) ChildSheets[0] = this;
    area->addSubWindow(this);
    DrawItemsCaption();
    LayoutItemsGrid();
    ItemsLayoutMode = NewLayout;
    UpdateItemsEditMenu();
}

TItemsSheet::~TItemsSheet() {
    // The grid is a child window and goes after Core: it lets go of the core first, and its open
    // editor, dropped without being stored, cannot write into a core that is gone.
    ItemsGrid->Model()->SetSource(nullptr);
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, nullptr);
    for (QPointer<TItemsSheet>& s : ChildSheets)
        if (s == this) s = nullptr;
    if (ItemsSheet == this) ItemsSheet = nullptr;
}

// ---------------------------------------------------------------- the core's cursor

void TItemsSheet::SyncCursor() {
    GridCursor& c = Core.Cursor;
    c.Row = ItemsGrid->Row();
    c.Col = ItemsGrid->Col();
    c.EditorOn = ItemsGrid->EditorMode();
    c.EditorOpen = ItemsGrid->EditorOpen();
    ItemsGrid->SelectedRows(c.SelFirst, c.SelLast);
    if (c.EditorOn) c.SelFirst = c.SelLast = c.Row;
}

void TItemsSheet::Apply(unsigned fx) {
    if (fx & EffectRelayout) {
        if (IsComparisons())
            LayoutItemsGrid();
        else
            ItemsGrid->Model()->Reset();
        GrowToFit();
    }
    if (fx & EffectEditorMode) ItemsGrid->SetEditorMode(Core.Cursor.EditorOn);
    if (fx & (EffectCursor | EffectRelayout)) {
        const int minCol = IsComparisons() ? 2 : 1;
        ItemsGrid->SetCursor(std::clamp(Core.Cursor.Col, minCol, Core.GridCols() - 1),
                             std::clamp(Core.Cursor.Row, 1, Core.GridRows() - 1));
        if (fx & EffectSelectRow && !Core.Cursor.EditorOn) ItemsGrid->SelectRows(ItemsGrid->Row(), ItemsGrid->Row());
    }
    if (fx & EffectRepaint) ItemsGrid->Refresh();
    if (fx & EffectOtherSheets) InvalidateChildren(this);
    if (fx & EffectRunDialog) RecheckRunDialogs();
    if (fx & EffectFilterCheck && MainForm) MainForm->ShowFilterChecked(ItemsFilterEnabled);
    if (fx & EffectCopy) ExportSheet(this, nullptr, true, ExportTarget::Clipboard);
    if (ItemsGrid->EditorMode()) {
        ItemsGrid->OpenEditor();
        if (fx & EffectEditorMode) static_cast<TPairGrid*>(ItemsGrid)->CaretToEnd();
    }
    if (fx & (EffectEditMenu | EffectRelayout | EffectEditorMode)) UpdateItemsEditMenu();
    if (MainForm) MainForm->UpdateMenuItems();
    SyncCursor();
}

void TItemsSheet::KeyReleased(const SheetKey& k) {
    if (!ItemsGrid->currentIndex().isValid()) return;
    if (TPairGrid::IsRowOperationKey(k)) ItemsGrid->StoreEditor();
    Forward(Core, &ItemsSheetCore::KeyRelease, k);
}

void TItemsSheet::AfterEdit(unsigned fx) {
    if (fx & EffectOtherSheets) InvalidateChildren(this);
    if (fx & EffectRunDialog) RecheckRunDialogs();
    if (IsComparisons() && (fx & EffectRepaint)) ItemsGrid->Refresh();
    if (MainForm) MainForm->File1Click();
}

// The sheet grows with its rows and columns, and never so narrow that its caption (the
// expert's Id) is cut, as far as the frame leaves room.
void TItemsSheet::GrowToFit() {
    ItemsGrid->updateGeometry();
    QSize want = widget()->sizeHint() + (size() - widget()->size());
    const int titleWidth = QFontMetrics(font()).horizontalAdvance(windowTitle()) + 110;
    want.setWidth(std::max(want.width(), titleWidth));
    if (QMdiArea* a = mdiArea()) want = want.boundedTo(a->viewport()->size());
    if (want.height() > height() || want.width() > width())
        resize(std::max(width(), want.width()), std::max(height(), want.height()));
}

// ---------------------------------------------------------------- layout and activation

void TItemsSheet::LayoutItemsGrid() {
    AnswerColumnCount = CountItems();
    ItemsGrid->Layout();
    ItemsGrid->SetEditorMode(true);
    if (!ItemsGrid->currentIndex().isValid()) {
        if (IsComparisons())
            ItemsGrid->SetCursor(3, 1);
        else
            ItemsGrid->SetCursor(1, 1);
    }
    ConstrainCursor();
    if (QMdiArea* a = mdiArea())
        ItemsGrid->MaxSize = QSize(std::max(200, a->width() - 50),
                                   std::max(120, a->height() - (IsComparisons() ? 150 : 140)));
    ItemsGrid->updateGeometry();
    widget()->adjustSize();
    adjustSize();
    GrowToFit();
    ItemsGrid->ScrollHome();
    ItemsLayoutMode = ItemsSheetMode;
    SyncCursor();
}

void TItemsSheet::DrawItemsCaption() {
    setWindowTitle(platform::QStringFromBytes(Core.Caption()));
}

void TItemsSheet::RetargetComparisons() {
    if (!IsComparisons() || !ActiveExpert || ActiveExpert == Core.SheetExpert) return;
    // The editor closes without storing, so nothing typed for the old expert reaches the new.
    ItemsGrid->SetEditorMode(false);
    SyncCursor();
    const unsigned fx = Core.RetargetComparisons();
    ItemsGrid->SetEditorMode(true);
    DrawItemsCaption();
    Apply(fx | EffectCursor);
    GrowToFit();
}

void TItemsSheet::Invalidate() {
    const int col = ItemsGrid->Col(), row = ItemsGrid->Row();
    if (IsComparisons())
        LayoutItemsGrid();
    else
        ItemsGrid->Model()->Reset();
    ItemsGrid->SetCursor(std::max(col, IsComparisons() ? 2 : 1), std::clamp(row, 1, Core.GridRows() - 1));
    ConstrainCursor();
    ItemsGrid->Refresh();
}

void TItemsSheet::FormActivate() {
    RetargetComparisons();
    DrawItemsCaption();
    bool relayout = ItemsLayoutMode != ItemsSheetMode;
    if (IsComparisons()) {
        ItemsTextOutput = 0;
        ItemsSheetMode = ItemsDataView;
        ConstrainCursor();
        if (RestoreFilteredItems(FilteredItems) > 0) relayout = true;
    } else {
        ItemsTextOutput = 0;
        ItemsSheetMode = ItemsDataView;
        if (RestoreFilteredItems(FilteredItems) > 0) relayout = true;
        if (relayout) InvalidateChildren(this);
        FixEmptyRows();
    }
    if (relayout) LayoutItemsGrid();
    ItemsGrid->Refresh();
    ItemsGrid->OpenEditor();
    SyncCursor();
    UpdateItemsEditMenu();
    if (MainForm) MainForm->UpdateMenuItems();
}

void TItemsSheet::FormDeactivate() {
    EditMenu.Cut = EditMenu.Clear = EditMenu.Paste = EditMenu.Undo = false;
    if (!IsComparisons()) FixEmptyRows();
}

void TItemsSheet::FormPaint() {
    DrawItemsCaption();
    if (ItemsLayoutMode != ItemsSheetMode) LayoutItemsGrid();
    ItemsGrid->Refresh();
}

bool TItemsSheet::FixEmptyRows() {
    if (IsComparisons()) return false;
    if (!DefaultItemNames()) return false;
    // Rows may have gone: a recorded position would now name another item.
    FreeItemsUndo();
    const int col = ItemsGrid->Col(), row = ItemsGrid->Row();
    LayoutItemsGrid();
    ItemsGrid->SetCursor(std::max(1, col), std::clamp(row, 1, Core.GridRows() - 1));
    ItemsGrid->Refresh();
    InvalidateChildren(this);
    RecheckRunDialogs();
    return true;
}

void TItemsSheet::UpdateItemsEditMenu() {
    SyncCursor();
    EditMenu = Core.UpdateItemsEditMenu();
}

void TItemsSheet::ConstrainCursor() {
    if (!IsComparisons() || !ItemsGrid->currentIndex().isValid()) return;
    SyncCursor();
    if (Core.ConstrainCursor()) ItemsGrid->SetCursor(Core.Cursor.Col, Core.Cursor.Row);
}

// ---------------------------------------------------------------- operations

void TItemsSheet::PasteItemRows(const SheetKey& k) {
    ItemsGrid->StoreEditor();
    Forward(Core, &ItemsSheetCore::PasteItemRows, k);
}

void TItemsSheet::DeleteItemRows(const SheetKey& k) {
    Forward(Core, &ItemsSheetCore::DeleteItemRows, k);
}

void TItemsSheet::UndoItems() {
    Forward(Core, &ItemsSheetCore::UndoItems);
}

void TItemsSheet::ToggleItemsFilter() {
    Forward(Core, &ItemsSheetCore::ToggleItemsFilter);
}

void TItemsSheet::EnableItemsFiltering() {
    Forward(Core, &ItemsSheetCore::EnableItemsFiltering);
}

void TItemsSheet::SetItemsEditorMode(bool on) {
    Forward(Core, &ItemsSheetCore::SetItemsEditorMode, on);
}

void TItemsSheet::ToggleItemsEditorMode() {
    Forward(Core, &ItemsSheetCore::ToggleItemsEditorMode);
}

// ---------------------------------------------------------------- closing

bool TItemsSheet::FormCloseQuery() {
    // Text still open in a cell is typed text: the question below must know of it.
    ItemsGrid->StoreEditor();
    FixEmptyRows();
    if (IsComparisons() || SkipCloseQuery) return true;
    bool canClose = true;
    QuerySaveCase(ItemsFileKind, canClose);
    return canClose;
}

void TItemsSheet::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    for (QPointer<TItemsSheet>& s : ChildSheets)
        if (s == this) s = nullptr;
    if (ItemsSheet == this) ItemsSheet = nullptr;
    if (IsComparisons()) {
        if (ExpertsSheet) ExpertsSheet->ComparisonsRow = 0;
    } else if (!ExpertsSheet) {
        CloseRunDialogs();
        FreeItemsUndo();
        FreeCase();
    }
    QMdiSubWindow::closeEvent(event);
    if (MainForm) MainForm->UpdateMenuItems();
}

}  // namespace trindel
