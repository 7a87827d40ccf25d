#include "workbench/experts_sheet.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QVBoxLayout>

#include "engine/tables.h"
#include "platform/prompts.h"
#include "workbench/items_sheet.h"
#include "workbench/record_links.h"
#include "workbench/services.h"
#include "workbench/sheet_export.h"
#include "workbench/sheet_windows.h"
#include "workbench/window_state.h"

namespace halvorine {

TExpertsSheet::TExpertsSheet(QMdiArea* area) : TSheetWindow(nullptr), Core(this) {
    setObjectName(QStringLiteral("ExpertsSheet"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Experts Data"));
    setStatusTip(QStringLiteral("Ctrl-C to copy the window contents to Clipboard"));

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(4);
    HeaderInfoLabel = new QLabel(body);
    HeaderInfoLabel->setObjectName(QStringLiteral("HeaderInfo"));
    QFont f(QStringLiteral("Arial"), 8);
    HeaderInfoLabel->setFont(f);
    HeaderInfoLabel->hide();
    ExpertsGrid = new SheetGrid(&Core, body);
    ExpertsGrid->setObjectName(QStringLiteral("ExpertsGrid"));
    layout->addWidget(HeaderInfoLabel);
    layout->addWidget(ExpertsGrid, 1);
    setWidget(body);

    ExpertsGrid->OnKeyRelease = [this](const SheetKey& k) { KeyReleased(k); };
    ExpertsGrid->OnRowModeClick = [this](int row) {
        Core.Cursor.EditorOn = false;
        ExpertsGrid->SetEditorMode(false);
        ExpertsGrid->SetCursor(std::max(1, ExpertsGrid->Col()), row);
        SyncCursor();
        UpdateExpertsEditMenu();
    };
    ExpertsGrid->OnMouseUp = [this](Qt::MouseButton, int, int row) {
        if (ExpertsSheetMode != ExpertsDataView || row < 1) return;
        if (TExpert* x = Core.ExpertOfRow(row)) {
            ActiveExpert = x;
            if (row <= ChildSheetSlots && ChildSheets[row]) ChildSheets[row]->FormPaint();
        }
        SyncCursor();
        FollowActiveExpert();
    };
    ExpertsGrid->OnDoubleClick = [this](int col, int row) {
        if (row < 1) return;
        if (Core.CanSelect(col, row) || Core.CanSelect(1, row))
            ExpertsGrid->SetCursor(Core.CanSelect(col, row) ? col : 1, row);
        SyncCursor();
        if (Core.Cursor.Row != row) Core.Cursor.Row = row;
        OpenExpertItemsSheet(0);
    };
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates old, Qt::WindowStates now) {
        if (!(old & Qt::WindowActive) && (now & Qt::WindowActive)) FormActivate();
        if ((old & Qt::WindowActive) && !(now & Qt::WindowActive)) FormDeactivate();
    });

    // FormCreate
    RestoreFilteredExperts(FilteredExperts);
    ExpertsLayoutMode = NewLayout;
    Core.LayoutWeightType = -1;
    ExpertsSheet = this;
    area->addSubWindow(this);
    Core.EnsureOneRow();
    FormAdjust();
    Core.LastOpenedRow = 0;
    if (!ItemsSheet) move(0, 0);
    FreeExpertsUndo();
}

TExpertsSheet::~TExpertsSheet() {
    // The base class still reports state changes while it goes.
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, nullptr);
    if (ExpertsSheet == this) ExpertsSheet = nullptr;
}

void TExpertsSheet::SyncCursor() {
    Core.Cursor.Row = ExpertsGrid->Row();
    Core.Cursor.Col = ExpertsGrid->Col();
    ExpertsGrid->SelectedRows(Core.Cursor.SelFirst, Core.Cursor.SelLast);
    if (Core.Cursor.EditorOn) Core.Cursor.SelFirst = Core.Cursor.SelLast = Core.Cursor.Row;
    Core.Cursor.EditorOn = ExpertsGrid->EditorMode();
    Core.Cursor.EditorOpen = ExpertsGrid->EditorOpen();
}

void TExpertsSheet::Apply(unsigned fx) {
    // Rows came or went: the grid takes the new row count; mode and cursor stay the sheet's.
    if (fx & EffectRelayout) ExpertsGrid->Model()->Reset();
    if (fx & EffectEditorMode) ExpertsGrid->SetEditorMode(Core.Cursor.EditorOn);
    if (fx & (EffectCursor | EffectRelayout)) {
        int row = std::clamp(Core.Cursor.Row, Core.HeaderRows(), Core.GridRows() - 1);
        int col = std::max(1, Core.Cursor.Col);
        ExpertsGrid->SetCursor(col, row);
        if (Core.Cursor.EditorOn) ExpertsGrid->OpenEditor();
    }
    if (fx & EffectRepaint) ExpertsGrid->Refresh();
    if (fx & EffectItemsSheets) InvalidateChildren();
    if (fx & EffectActiveExpert) {
        int row = Core.Cursor.Row;
        if (row >= 1 && row <= ChildSheetSlots && ChildSheets[row]) ChildSheets[row]->FormPaint();
        if (ChildSheets[0]) ChildSheets[0]->ItemsGrid->Refresh();
    }
    if (fx & EffectCopy) ExportSheet(nullptr, this, false, ExportTarget::Clipboard);
    if (fx & (EffectEditMenu | EffectRelayout | EffectEditorMode)) UpdateExpertsEditMenu();
    SyncCursor();
    if (fx & EffectActiveExpert) FollowActiveExpert();
}

void TExpertsSheet::FollowActiveExpert() {
    if (ExpertsSheetMode != ExpertsDataView || !ActiveExpert) return;
    const int last = Core.LastOpenedRow;
    TItemsSheet* shown = last > 0 && last <= ChildSheetSlots ? ChildSheets[last] : nullptr;
    if (!shown || shown->IsGone() || shown->Core.Expert == ActiveExpert) return;
    const int row = Core.FindExpRow();
    if (Core.ExpertOfRow(row) != ActiveExpert || row < 1 || row > ChildSheetSlots ||
        (ChildSheets[row] && ChildSheets[row] != shown))
        return;
    // The window keeps the slot of the row it shows, as opening it from that row would.
    ChildSheets[last] = nullptr;
    ChildSheets[row] = shown;
    Core.LastOpenedRow = row;
    shown->FollowActiveExpert();
}

void TExpertsSheet::KeyReleased(const SheetKey& key) {
    Forward(Core, &ExpertsSheetCore::KeyRelease, key);
}

void TExpertsSheet::FormAdjust() {
    Core.LayoutDone = false;
    const bool result = ExpertsSheetMode != ExpertsDataView;
    ExpertsGrid->Layout();
    HeaderInfoLabel->setVisible(result);
    if (result) {
        ExpertsGrid->SetEditorMode(false);
        ExpertsGrid->setSelectionMode(QAbstractItemView::SingleSelection);
        int row = ExpertCount > 0 ? ExpertCount + 2 : 2;
        ExpertsGrid->SetCursor(1, std::min(row, Core.GridRows() - 1));
        Core.Cursor.EditorOn = ExpertsSheetMode == ExpertsRobustnessView;
    } else {
        Core.Cursor.EditorOn = Core.ExpertOfRow(1) != nullptr;
        ExpertsGrid->SetEditorMode(Core.Cursor.EditorOn);
        if (!ExpertsGrid->currentIndex().isValid()) ExpertsGrid->SetCursor(1, 1);
    }
    if (result) {
        QStringList lines;
        for (const std::string& l : Core.HeaderInfo()) lines << platform::QStringFromBytes(l);
        HeaderInfoLabel->setText(lines.join(QLatin1Char('\n')));
    }
    Core.LayoutWidth = ExpertsGrid->ContentWidth();
    if (QMdiArea* a = mdiArea())
        ExpertsGrid->MaxSize = QSize(std::max(200, a->width() - 50), std::max(120, a->height() - (result ? 180 : 140)));
    ExpertsGrid->updateGeometry();
    widget()->adjustSize();
    adjustSize();
    ExpertsGrid->ScrollHome();
    KeepClearOfRunDialog(this);
    ExpertsLayoutMode = ExpertsSheetMode;
    Core.LayoutWeightType = WeightType;
    Core.LayoutDone = true;
    SyncCursor();
}

void TExpertsSheet::AdjustHeight() {
    // The grid follows the window through its layout; nothing to do beyond that.
}

void TExpertsSheet::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    if (Core.LayoutDone || ExpertsSheetMode == ExpertsDataView) AdjustHeight();
}

void TExpertsSheet::DrawCaption() {
    setWindowTitle(platform::QStringFromBytes(Core.Caption()));
}

void TExpertsSheet::UpdateExpertsEditMenu() {
    EditMenu = Core.UpdateExpertsEditMenu();
}

void TExpertsSheet::FormActivate() {
    UpdateExpertsEditMenu();
    DrawCaption();
    bool changed = Core.FollowViewChange();
    if (changed || Core.LayoutWeightType != WeightType || ExpertsLayoutMode != ExpertsSheetMode) FormAdjust();
    int row = Core.FindExpRow();
    if (Core.CanSelect(std::max(1, ExpertsGrid->Col()), row) || ExpertsSheetMode == ExpertsDataView)
        ExpertsGrid->SetCursor(std::max(1, ExpertsGrid->Col()), row);
    ExpertsGrid->OpenEditor();
    SyncCursor();
}

void TExpertsSheet::FormPaint() {
    UpdateExpertsEditMenu();
    DrawCaption();
    bool changed = Core.FollowViewChange();
    if (!changed && ExpertsLayoutMode == ExpertsSheetMode && Core.LayoutWeightType == WeightType) {
        // Records came or went since the grid last counted them (a run, a merge).
        if (ExpertsGrid->verticalHeader()->count() != ExpertsGrid->model()->rowCount()) Apply(EffectRelayout);
        ExpertsGrid->Refresh();
        return;
    }
    if (ExpertsSheetMode == ExpertsDataView) {
        if (!ActiveExpert) ActiveExpert = Core.ExpertOfRow(1);
        ExpertsGrid->SetCursor(1, 1);
    }
    FormAdjust();
    ExpertsGrid->Refresh();
}

void TExpertsSheet::FormDeactivate() {
    EditMenu = EditMenuState{};
    if (closingCase_) return;
    if (ExpertsSheetMode != ExpertsRobustnessView) {
        if (ExpertsSheetMode == ExpertsScoresView && Core.ExpertsNumRows() - ExpertCount > 2) {
            ExpertsGrid->SetEditorMode(false);
            Core.Cursor.EditorOn = false;
        }
        if (Core.FixEmptyExperts()) {
            FormAdjust();
            InvalidateChildren();
        }
        ExpertsGrid->Refresh();
    }
}

// ---------------------------------------------------------------- assessments windows

void TExpertsSheet::OpenExpertItemsSheet(int itemRow) {
    SyncCursor();
    const int row = Core.Cursor.Row;
    if (row <= 0) return;
    const bool result = ExpertsSheetMode != ExpertsDataView;
    if (result) {
        const int entry = Core.EntryOfRow(row);
        if (entry <= ExpertCount || !ExpertTable[entry]) return;
        if (int slot = FindResultSheet(entry)) {
            mdiArea()->setActiveSubWindow(ChildSheets[slot]);
            return;
        }
        ActiveExpert = ExpertTable[entry].get();
        ExpertsGrid->SetEditorMode(false);
        Core.Cursor.EditorOn = false;
    } else {
        TExpert* x = Core.ExpertOfRow(row);
        if (!x) return;
        ActiveExpert = x;
    }

    TItemsSheet* reused = (!result && Core.LastOpenedRow > 0) ? ChildSheets[Core.LastOpenedRow] : nullptr;
    if (!reused) {
        if (ActiveExpert && ActiveExpert->Id.empty()) {
            if (Platform)
                Platform->Message(platform::MessageKind::Information, "Please specify Expert`s Id first",
                                  platform::Buttons::Ok);
            return;
        }
        int slot = result ? FindFreeResultSlot() : row;
        if (slot == 0) {
            if (Platform)
                Platform->Message(platform::MessageKind::Information,
                                  "Too many result windows are open. Close one of them first.", platform::Buttons::Ok);
            return;
        }
        auto* sheet = new TItemsSheet(mdiArea(), ActiveExpert);
        if (!ItemsSheet) ItemsSheet = sheet;
        ChildSheets[slot] = sheet;
        sheet->show();
        KeepClearOfRunDialog(sheet);
        if (itemRow > 0) sheet->SetCursorRow(itemRow);
        mdiArea()->setActiveSubWindow(sheet);
    } else {
        const bool same = Core.LastOpenedRow == row;
        if (!same) {
            ChildSheets[row] = reused;
            ChildSheets[Core.LastOpenedRow] = nullptr;
        }
        mdiArea()->setActiveSubWindow(reused);
        reused->FormActivate();
        if (itemRow > 0) reused->SetCursorRow(itemRow);
        reused->FormPaint();
        if (same) ExpertsLayoutMode = NewLayout;
    }
    if (!result) Core.LastOpenedRow = row;
}

void TExpertsSheet::SelectExpertRow(int row, int itemRow) {
    ExpertsGrid->SetCursor(std::max(1, ExpertsGrid->Col()), row);
    ExpertsGrid->Refresh();
    OpenExpertItemsSheet(itemRow);
}

void TExpertsSheet::CloseSheetsOfEntries(int first, int last) {
    if (ExpertsSheetMode == ExpertsDataView) {
        for (int r = first; r <= last && r <= MaxExpertCount; ++r)
            if (ChildSheets[r]) ChildSheets[r]->close();
    } else {
        for (int e = first; e <= last; ++e)
            if (int slot = FindResultSheet(e)) ChildSheets[slot]->close();
    }
}

void TExpertsSheet::ResetRunDialogIfOpen() {
    if (ExpertCount != 0) Services().ResetRunDialog();
}

// ---------------------------------------------------------------- Edit menu commands

void TExpertsSheet::UndoExpertsCommand() {
    Forward(EffectRepaint, Core, &ExpertsSheetCore::UndoExperts);
}

void TExpertsSheet::DeleteRowsCommand(bool cut) {
    Forward(EffectRepaint, Core, &ExpertsSheetCore::DeleteExpertRows, MakeSheetKey(cut ? vk::X : vk::Delete, cut));
}

void TExpertsSheet::PasteRowsCommand() {
    Forward(EffectRepaint, Core, &ExpertsSheetCore::PasteExpertRows, MakeSheetKey(vk::V, true));
}

void TExpertsSheet::ToggleFilterCommand() {
    Forward(EffectRepaint, Core, &ExpertsSheetCore::ToggleExpertsFilter);
}

void TExpertsSheet::EnableFilteringCommand() {
    Apply(Core.EnableExpertsFiltering());
}

void TExpertsSheet::ToggleEditorModeCommand() {
    Forward(Core, &ExpertsSheetCore::ToggleExpertsEditorMode);
}

void TExpertsSheet::SetEditorModeCommand(bool on) {
    Forward(Core, &ExpertsSheetCore::SetMyEditor, on);
}

// ---------------------------------------------------------------- closing

bool TExpertsSheet::FormCloseQuery() {
    // Closing this sheet closes the case: text still open in any of its cells is typed text.
    SheetGrid::StoreEditors(mdiArea() ? static_cast<QWidget*>(mdiArea()) : this);
    FreeExpertsUndo();
    PutBackSideTables();
    return Services().QuerySaveCase(AssessmentsFileKind);
}

bool TExpertsSheet::CloseCase() {
    closingCase_ = true;
    for (int r = 1; r <= MaxExpertCount; ++r) {
        if (!ChildSheets[r]) continue;
        if (!ChildSheets[r]->close()) {
            closingCase_ = false;
            return false;
        }
    }
    for (int r = FirstResultSlot; r <= ChildSheetSlots; ++r)
        if (ChildSheets[r]) ChildSheets[r]->close();
    FreeExpertsUndo();
    for (auto& e : FilteredExperts) FreeExpertSlot(e);
    for (int e = 1; e <= ExpertSlotCount; ++e) FreeExpertSlot(ExpertTable[e]);
    ExpertCount = 0;
    ExpertCountBeforeFilter = 0;
    DecisionMakerCount = 0;
    Services().CloseRunDialog();
    if (ChildSheets[0] && !ChildSheets[0]->close()) {
        closingCase_ = false;
        return false;
    }
    FreeItemsUndo();
    FreeCaseRecords();
    return true;
}

void TExpertsSheet::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    if (!CloseCase()) {
        event->ignore();
        showMinimized();
        return;
    }
    ExpertsSheet = nullptr;
    QMdiSubWindow::closeEvent(event);
}

}  // namespace halvorine
