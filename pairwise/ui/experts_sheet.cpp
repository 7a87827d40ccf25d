#include "pairwise/ui/experts_sheet.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include <algorithm>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "pairwise/model/case_files.h"
#include "pairwise/model/tables.h"
#include "pairwise/ui/items_sheet.h"
#include "pairwise/ui/pair_grid.h"
#include "pairwise/ui/main_form.h"
#include "pairwise/ui/run_dialog.h"
#include "pairwise/ui/sheet_export.h"
#include "pairwise/ui/window_state.h"
#include "platform/prompts.h"

namespace {

constexpr int GridFontSize = 8;

TPairExpert* ExpertAt(int row) {
    return row >= 1 && row <= MaxExpertCount ? ExpertTable[row].get() : nullptr;
}

}  // namespace

TExpertsSheet::TExpertsSheet(QMdiArea* area) : QMdiSubWindow(nullptr) {
    setObjectName(QStringLiteral("ExpertsSheet"));
    setAttribute(Qt::WA_DeleteOnClose);
    setToolTip(QStringLiteral("Ctrl-C to copy the window contents to Clipboard"));
    setStatusTip(toolTip());

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    ExpertsGrid = new TPairGrid(this, this, body);
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
    ExpertsGrid->OnMouseUp = [this](Qt::MouseButton, int, int row) {
        if (row >= 1) RowChanged();
    };
    ExpertsGrid->OnDoubleClick = [this](int col, int row) {
        if (row < 1) return;
        ExpertsGrid->SetCursor(std::max(1, col), row);
        OpenExpertItemsSheet();
    };
    connect(this, &QMdiSubWindow::windowStateChanged, this, [this](Qt::WindowStates old, Qt::WindowStates now) {
        if (!(old & Qt::WindowActive) && (now & Qt::WindowActive)) FormActivate();
        if ((old & Qt::WindowActive) && !(now & Qt::WindowActive)) FormDeactivate();
    });

    // FormCreate
    RestoreFilteredExperts(FilteredExperts);
    ExpertsLayoutMode = -1;
    WindowFlags[2] = WindowFlags[3] = true;
    WindowFlags[1] = WindowFlags[5] = false;
    ExpertsSheet = this;
    area->addSubWindow(this);
    FormAdjust();
    ComparisonsRow = 0;
    FreeExpertsUndo();
    if (!WindowFlags[0]) move(0, 0);
    DrawCaption();
}

TExpertsSheet::~TExpertsSheet() {
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, nullptr);
    if (ExpertsSheet == this) ExpertsSheet = nullptr;
}

// ---------------------------------------------------------------- cells

int TExpertsSheet::GridRows() const {
    return 1 + std::max(1, CountExperts());
}

std::string TExpertsSheet::CellText(int col, int row) const {
    const TPairExpert* x = ExpertAt(row == 0 ? 1 : row);
    if (!x) return "";
    if (row == 0) {
        static const char* const headers[3] = {"   Nr.", " Id", "  Full Name"};
        return col >= 0 && col < 3 ? headers[col] : "";
    }
    std::string text;
    switch (col) {
    case 0: return StrInt(row, 6);
    case 1: text = Trim(x->Id.str()); if (ExpertsTextOutput) FitToWidth(text, 8); return text;
    case 2: text = Trim(x->Name.str()); if (ExpertsTextOutput) FitToWidth(text, 50); return text;
    }
    return "";
}

CellStyle TExpertsSheet::CellStyleAt(int, int row) const {
    CellStyle s;
    s.Bold = row >= 1;
    const TPairExpert* x = ExpertAt(row);
    s.Greyed = row >= 1 && x && x->FilterFlag && ExpertsFilterEnabled;
    return s;
}

int TExpertsSheet::ColumnChars(int col) const {
    static const int chars[3] = {4, 9, 51};
    return col >= 0 && col < 3 ? chars[col] : 0;
}

int TExpertsSheet::ColumnPixels(int col) const {
    return (ColumnChars(col) + 1) * (GridFontSize - 2);
}

bool TExpertsSheet::CanSelect(int col, int row) const {
    return row >= 1 && col >= 1 && col <= 2;
}

bool TExpertsSheet::CanEdit(int col, int row) const {
    return CanSelect(col, row) && ExpertAt(row) != nullptr;
}

void TExpertsSheet::SetEditText(int col, int row, const std::string& typed) {
    TPairExpert* x = ExpertAt(row);
    if (!x || (col != 1 && col != 2)) return;
    const std::string text = Trim(typed);
    if (col == 1) {
        if (!SameTextNoCase(text, x->Id.str())) CaseFile.FileKinds[1].Modified = true;
        x->Id = text;
    } else {
        if (!SameTextNoCase(text, x->Name.str())) CaseFile.FileKinds[1].Modified = true;
        x->Name = text;
    }
    if (!x->Id.empty()) ActiveExpert = ExpertAt(ExpertsGrid->Row());
    if (MainForm) MainForm->File1Click();
}

// ---------------------------------------------------------------- layout and activation

void TExpertsSheet::FormAdjust() {
    ExpertsGrid->Layout();
    const bool editor = ExpertAt(1) != nullptr;
    ExpertsGrid->SetEditorMode(editor);
    if (!ExpertsGrid->currentIndex().isValid()) ExpertsGrid->SetCursor(1, 1);
    if (QMdiArea* a = mdiArea())
        ExpertsGrid->MaxSize = QSize(std::max(200, a->width() - 50), std::max(120, a->height() - 140));
    ExpertsGrid->updateGeometry();
    widget()->adjustSize();
    adjustSize();
    ExpertsGrid->ScrollHome();
    ExpertsLayoutMode = ExpertsSheetMode;
}

void TExpertsSheet::DrawCaption() {
    setWindowTitle(SheetText("Experts data: " + CaseFile.CaseName));
}

int TExpertsSheet::FindExpRow() const {
    const int rows = GridRows();
    for (int r = 1; r < rows && r <= MaxExpertCount; ++r)
        if (ActiveExpert && ExpertTable[r].get() == ActiveExpert) return r;
    return 1;
}

void TExpertsSheet::FormActivate() {
    UpdateExpertsEditMenu();
    DrawCaption();
    if (ExpertsLayoutMode != ExpertsSheetMode) {
        FreeExpertsUndo();
        RestoreFilteredExperts(FilteredExperts);
        SetExpertsEditorMode(true);
        FormAdjust();
    }
    WindowFlags[3] = true;
    WindowFlags[1] = WindowFlags[5] = false;
    ExpertsGrid->SetCursor(std::max(1, ExpertsGrid->Col()), FindExpRow());
    ExpertsGrid->OpenEditor();
    if (MainForm) MainForm->UpdateMenuItems();
}

void TExpertsSheet::FormDeactivate() {
    EditMenu.Cut = EditMenu.Clear = EditMenu.Paste = EditMenu.Undo = false;
    if (closingCase_) return;
    if (DefaultExpertNames()) {
        ExpertsGrid->Refresh();
        FormAdjust();
        CloseSheetsOfGoneExperts();
    }
    WindowFlags[3] = false;
}

void TExpertsSheet::FormPaint() {
    UpdateExpertsEditMenu();
    DrawCaption();
    if (ExpertsLayoutMode != ExpertsSheetMode) {
        if (!ActiveExpert) ActiveExpert = ExpertAt(1);
        FormAdjust();
        ExpertsGrid->SetCursor(1, 1);
    }
    ExpertsGrid->Refresh();
}

void TExpertsSheet::UpdateExpertsEditMenu() {
    EditMenuInput in;
    in.RowMode = !ExpertsGrid->EditorMode();
    in.FilterEnabled = ExpertsFilterEnabled;
    in.Undo = ExpertsUndo.Record;
    in.KindSuffix = " Experts (Ctrl-Z)";
    EditMenu = MakeEditMenuState(in);
    if (in.Undo.Kind == UndoKind::None) EditMenu.UndoCaption.clear();
}

// ---------------------------------------------------------------- keys and mouse

void TExpertsSheet::RowChanged() {
    const int row = ExpertsGrid->Row();
    if (row < 1) return;
    ActiveExpert = ExpertAt(row);
    if (row <= ChildSheetSlots && ChildSheets[row]) ChildSheets[row]->FormPaint();
    if (ChildSheets[0]) ChildSheets[0]->ItemsGrid->Refresh();
}

void TExpertsSheet::KeyReleased(const SheetKey& k) {
    if (!ExpertsGrid->currentIndex().isValid()) return;
    switch (k.Code) {
    case vk::Enter:
    case vk::Insert:
    case vk::V:
        PasteExpertRows(k);
        SetExpertsEditorMode(true);
        break;
    case vk::Delete:
    case vk::X:
        if (DeleteExpertRows(k)) ExpertsGrid->Refresh();
        break;
    case vk::C:
        if (k.Ctrl) ExportSheet(nullptr, this, false, 2);
        break;
    case vk::Z:
        if (k.Ctrl && UndoExperts()) ExpertsGrid->Refresh();
        break;
    case vk::F2: SetExpertsEditorMode(true); break;
    case vk::F3: ToggleExpertsEditorMode(); break;
    case vk::F4:
        ToggleExpertsFilter();
        ExpertsGrid->Refresh();
        break;
    case vk::F5: EnableExpertsFiltering(); break;
    case vk::Left:
        if (ExpertsGrid->Col() == 2) ExpertsGrid->SetCursor(1, ExpertsGrid->Row());
        break;
    case vk::Right:
        if (ExpertsGrid->Col() <= 1) ExpertsGrid->SetCursor(ExpertsGrid->Col() + 1, ExpertsGrid->Row());
        break;
    case vk::Up:
    case vk::Down: RowChanged(); break;
    default: break;
    }
    if (ExpertsGrid->EditorMode()) ExpertsGrid->OpenEditor();
    UpdateExpertsEditMenu();
    if (MainForm) MainForm->UpdateMenuItems();
}

bool TExpertsSheet::PasteExpertRows(const SheetKey& k) {
    const bool editing = ExpertsGrid->EditorMode();
    if (IgnoredPasteKey(k, editing)) return false;
    const int row = ExpertsGrid->Row();
    const int lastRow = GridRows() - 1;
    const bool make = !(k.Code == vk::Enter && row != lastRow);
    int position = row + 1;
    if (k.Alt && row != 0) position = row;
    int result = 1;  // Enter below the last row only moves on
    if (make) {
        if (k.Code == vk::V || (k.Code == vk::Insert && editing))
            result = RecordExpertsUndo(UndoKind::Paste, position, 1);
        else
            result = RecordExpertsUndo(UndoKind::Create, position, 1);
        CaseFile.FileKinds[1].Modified = true;
        ExpertsGrid->Model()->Reset();
    }
    if (result == 0) {
        ExpertsGrid->SetCursor(std::max(1, ExpertsGrid->Col()), std::min(row, GridRows() - 1));
        return false;
    }
    const int target = k.Alt ? row : row + 1;
    ExpertsGrid->SetCursor(1, std::clamp(target, 1, GridRows() - 1));
    if (make) ExpertsGrid->Refresh();
    return true;
}

bool TExpertsSheet::DeleteExpertRows(const SheetKey& k) {
    bool cut = false, handled = false;
    int top = 0, bottom = 0;
    if (!AskRowOperation(ExpertsGrid, k, "expert", cut, top, bottom, handled)) return handled;
    const int lastRow = GridRows() - 1;
    for (int r = top; r <= bottom && r <= MaxExpertCount; ++r)
        if (ChildSheets[r]) ChildSheets[r]->close();
    RecordExpertsUndo(cut ? UndoKind::Cut : UndoKind::Del, top, bottom - top + 1);
    int row = bottom >= lastRow ? top - 1 : top;
    if (CountExperts() == 0) {
        InsertExpert("", "", 1);
        row = 1;
    }
    ExpertsGrid->Model()->Reset();
    row = std::clamp(row, 1, GridRows() - 1);
    ExpertsGrid->SetCursor(1, row);
    ExpertsGrid->SelectRows(row, row);
    CaseFile.FileKinds[1].Modified = true;
    CloseSheetsOfGoneExperts();
    RowChanged();
    ExpertsGrid->Refresh();
    return true;
}

bool TExpertsSheet::UndoExperts() {
    const UndoRecord r = ExpertsUndo.Record;
    if (!UndoExpertsRecord()) return false;
    ExpertsGrid->Model()->Reset();
    int row = r.Position;
    if (row > GridRows() - 1) row = GridRows() - 1;
    ExpertsGrid->SetCursor(1, std::max(1, row));
    if (!ExpertsGrid->EditorMode()) ExpertsGrid->SelectRows(std::max(1, row), std::max(1, row));
    CloseSheetsOfGoneExperts();
    CaseFile.FileKinds[1].Modified = true;
    ExpertsGrid->Refresh();
    UpdateExpertsEditMenu();
    return true;
}

void TExpertsSheet::ToggleExpertsFilter() {
    if (ExpertsGrid->EditorMode()) return;
    int top = 0, bottom = 0;
    ExpertsGrid->SelectedRows(top, bottom);
    if (top == 0 || bottom == 0) return;
    for (int r = top; r <= bottom; ++r)
        if (TPairExpert* x = ExpertAt(r)) x->FilterFlag = !x->FilterFlag;
    ExpertsGrid->Refresh();
}

void TExpertsSheet::EnableExpertsFiltering() {
    ExpertsFilterEnabled = !ExpertsFilterEnabled;
    if (MainForm) MainForm->EnableFiltering1->setChecked(ExpertsFilterEnabled);
    ExpertsGrid->Refresh();
}

void TExpertsSheet::SetExpertsEditorMode(bool on) {
    ExpertsGrid->SetEditorMode(on);
}

void TExpertsSheet::ToggleExpertsEditorMode() {
    SetExpertsEditorMode(!ExpertsGrid->EditorMode());
    UpdateExpertsEditMenu();
}

// ---------------------------------------------------------------- comparisons sheet

void TExpertsSheet::OpenExpertItemsSheet() {
    const int r = ExpertsGrid->Row();
    if (r < 1 || r > MaxExpertCount) return;
    ActiveExpert = ExpertAt(r);
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
        Platform->Message(platform::MessageKind::Information, "Please specify Expert`s Id first", platform::Buttons::Ok);
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

bool TExpertsSheet::FormCloseQuery() {
    if (!isMinimized()) {
        showMinimized();
        return false;
    }
    bool canClose = true;
    QuerySaveCase(1, canClose);
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
    if (RunDialog) RunDialog->close();
    RunDialog = nullptr;
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
    for (int i = 2; i <= 5; ++i) WindowFlags[i] = false;
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
