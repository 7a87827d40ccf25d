#include "pairwise/ui/items_sheet.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include <algorithm>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "pairwise/model/case_files.h"
#include "pairwise/model/formatting.h"
#include "pairwise/model/tables.h"
#include "pairwise/ui/experts_sheet.h"
#include "pairwise/ui/main_form.h"
#include "pairwise/ui/pair_grid.h"
#include "pairwise/ui/run_dialog.h"
#include "pairwise/ui/sheet_export.h"
#include "pairwise/ui/window_state.h"
#include "platform/prompts.h"

namespace {

constexpr int GridFontSize = 8;

TPairItem* ItemAt(int row) {
    return row >= 1 && row <= MaxItemCount ? ItemTable[row].get() : nullptr;
}

bool IsAnswer(char c) {
    return c == '<' || c == '=' || c == '>';
}

// The expert's row of the item at a position, made when the expert has none there.
TAnswerRow* AnswerRowAt(TPairExpert* x, int position) {
    if (!x || position < 1 || position > MaxItemCount) return nullptr;
    if (!x->AnswerRows[position]) {
        TAnswerRow* row = NewAnswerRow(x, position);
        if (row) row->Item = ItemTable[position].get();
    }
    return x->AnswerRows[position].get();
}

bool ExpertInCase(const TPairExpert* x) {
    for (const auto& e : ExpertTable)
        if (e.get() == x) return true;
    for (const auto& e : FilteredExperts)
        if (e.get() == x) return true;
    return false;
}

}  // namespace

void InvalidateChildren(TItemsSheet* except) {
    for (TItemsSheet* s : ChildSheets) {
        if (!s || s == except) continue;
        const int col = s->ItemsGrid->Col(), row = s->ItemsGrid->Row();
        if (s->IsComparisons()) s->LayoutItemsGrid();
        else s->ItemsGrid->Model()->Reset();
        s->ItemsGrid->SetCursor(std::max(col, s->IsComparisons() ? 2 : 1), std::clamp(row, 1, s->GridRows() - 1));
        s->ConstrainCursor();
        s->ItemsGrid->Refresh();
    }
}

void CloseSheetsOfGoneExperts() {
    for (TItemsSheet* s : ChildSheets)
        if (s && s->IsComparisons() && !ExpertInCase(s->SheetExpert)) {
            s->SheetExpert = nullptr;  // nothing of it may be read any more
            s->close();
        }
}

TItemsSheet::TItemsSheet(QMdiArea* area, TPairExpert* expert) : QMdiSubWindow(nullptr), SheetExpert(expert), comparisons_(expert != nullptr) {
    setObjectName(QStringLiteral("ItemsSheet"));
    setAttribute(Qt::WA_DeleteOnClose);
    setToolTip(QStringLiteral("Ctrl-C to copy the window contents to Clipboard"));
    setStatusTip(toolTip());

    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    ItemsGrid = new TPairGrid(this, this, body);
    ItemsGrid->setObjectName(QStringLiteral("ItemsGrid"));
    layout->addWidget(ItemsGrid, 1);
    setWidget(body);

    ItemsGrid->OnKeyRelease = [this](const SheetKey& k) { KeyReleased(k); };
    ItemsGrid->OnRowModeClick = [this](int row) {
        if (!IsComparisons()) {
            SetItemsEditorMode(!ItemsGrid->EditorMode());
            ItemsGrid->SetCursor(std::max(1, ItemsGrid->Col()), std::max(1, row));
            if (!ItemsGrid->EditorMode()) ItemsGrid->SelectRows(std::max(1, row), std::max(1, row));
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
    if (IsComparisons()) {
        WindowFlags[4] = WindowFlags[5] = true;
        WindowFlags[1] = false;
    } else {
        ChildSheets[0] = this;
        WindowFlags[0] = WindowFlags[1] = true;
        WindowFlags[5] = false;
    }
    WindowFlags[3] = false;
    area->addSubWindow(this);
    LayoutItemsGrid();
    ItemsLayoutMode = -1;
    DrawItemsCaption();
    UpdateItemsEditMenu();
}

TItemsSheet::~TItemsSheet() {
    disconnect(this, &QMdiSubWindow::windowStateChanged, this, nullptr);
    for (TItemsSheet*& s : ChildSheets)
        if (s == this) s = nullptr;
    if (ItemsSheet == this) ItemsSheet = nullptr;
}

// ---------------------------------------------------------------- cells

int TItemsSheet::GridRows() const {
    return 1 + std::max(1, CountItems());
}

int TItemsSheet::GridCols() const {
    return IsComparisons() ? std::max(1, CountItems()) + 2 : 4;
}

std::string TItemsSheet::CellText(int col, int row) const {
    std::string text;
    if (IsComparisons()) {
        if (row == 0) {
            if (col == 0) return " Nr.";
            if (col == 1) return " Id";
            return StrInt(col - 1, 2);
        }
        const TPairItem* item = ItemAt(row);
        if (col == 0) return StrInt(row, 4);
        if (col == 1) {
            text = item ? Trim(item->Id.str()) : std::string();
            if (ItemsTextOutput) FitToWidth(text, 14);
            return text;
        }
        if (col == row + 1) return " .";
        const TAnswerRow* answers = SheetExpert && row <= MaxItemCount ? SheetExpert->AnswerRows[row].get() : nullptr;
        const int top = col - 1;
        return std::string(" ") + (answers && top <= MaxItemCount ? answers->Answers[top] : ' ');
    }
    if (row == 0) {
        static const char* const headers[4] = {" Nr.", " Id", " Realization", "  Full Name"};
        return col >= 0 && col < 4 ? headers[col] : "";
    }
    const TPairItem* item = ItemAt(row);
    if (col == 0) return StrInt(row, 4);
    if (!item) return "";
    switch (col) {
    case 1: text = Trim(item->Id.str()); if (ItemsTextOutput) FitToWidth(text, 14); break;
    case 2:
        if (item->HasRealisation && item->Realisation > MissingValue) text = Trim(FormatNumber(item->Realisation));
        if (ItemsTextOutput) FitToWidth(text, FieldWidth);
        break;
    case 3: text = Trim(item->Name.str()); if (ItemsTextOutput) FitToWidth(text, 60); break;
    }
    return text;
}

CellStyle TItemsSheet::CellStyleAt(int col, int row) const {
    CellStyle s;
    s.Bold = row >= 1 && !(IsComparisons() && col <= 1);
    s.Greyed = row >= 1 && TrulyFiltered(row);
    return s;
}

int TItemsSheet::ColumnChars(int col) const {
    if (IsComparisons()) return col == 0 ? 4 : col == 1 ? 14 : 2;
    static const int chars[4] = {4, 14, 0, 60};
    if (col == 2) return FieldWidth;
    return col >= 0 && col < 4 ? chars[col] : 0;
}

int TItemsSheet::ColumnPixels(int col) const {
    if (!IsComparisons() && col == 3) return (60 + 1) * (GridFontSize - 3) + 4;
    return (ColumnChars(col) + 1) * (GridFontSize - 1);
}

bool TItemsSheet::CanSelect(int col, int row) const {
    if (row < 1) return false;
    return IsComparisons() ? col >= 2 : col >= 1;
}

bool TItemsSheet::CanEdit(int col, int row) const {
    if (!CanSelect(col, row) || !ItemAt(row) || TrulyFiltered(row)) return false;
    return !(IsComparisons() && col == row + 1);
}

void TItemsSheet::SetEditText(int col, int row, const std::string& typed) {
    if (SkipNextEdit) {
        SkipNextEdit = false;
        return;
    }
    TPairItem* item = ItemAt(row);
    if (!item || col < 1) return;
    if (IsComparisons() && col == row + 1) return;
    if (TrulyFiltered(row)) return;
    const std::string text = typed.empty() ? std::string(" ") : typed;
    if (IsComparisons()) {
        const int top = col - 1;
        const char ch = text[0];
        if (col < 2 || !IsAnswer(ch) || !ItemAt(top) || !SheetExpert) return;
        TAnswerRow* left = AnswerRowAt(SheetExpert, row);
        TAnswerRow* mirror = AnswerRowAt(SheetExpert, top);
        if (!left || !mirror) return;
        const char opposite = static_cast<char>(122 - ch);
        if (left->Answers[top] != ch || mirror->Answers[row] != opposite) CaseFile.FileKinds[1].Modified = true;
        left->Answers[top] = ch;
        mirror->Answers[row] = opposite;
        ItemsGrid->Refresh();
    } else if (col == 1) {
        const std::string id = CutTo(Trim(text), 14);
        if (id != item->Id.str()) CaseFile.FileKinds[2].Modified = true;
        item->Id = id;
    } else if (col == 2) {
        float value = 0;
        switch (ParseNumberEdit(Trim(text), DecimalSeparator, value)) {
        case NumberEdit::Number:
            if (value != item->Realisation || !item->HasRealisation) CaseFile.FileKinds[2].Modified = true;
            item->HasRealisation = true;
            item->Realisation = value;
            break;
        case NumberEdit::Empty:
            CaseFile.FileKinds[2].Modified = true;
            item->Realisation = MissingValue;
            break;
        case NumberEdit::Invalid: break;
        }
    } else if (col == 3) {
        const std::string name = CutTo(Trim(text), 60);
        if (name != item->Name.str()) CaseFile.FileKinds[2].Modified = true;
        item->Name = name;
    }
    if (!IsComparisons()) InvalidateChildren(this);
    if (MainForm) MainForm->File1Click();
}

// ---------------------------------------------------------------- layout and activation

void TItemsSheet::LayoutItemsGrid() {
    AnswerColumnCount = CountItems();
    ItemsGrid->Layout();
    ItemsGrid->SetEditorMode(true);
    if (!ItemsGrid->currentIndex().isValid()) {
        if (IsComparisons()) ItemsGrid->SetCursor(3, 1);
        else ItemsGrid->SetCursor(1, 1);
    }
    ConstrainCursor();
    if (QMdiArea* a = mdiArea())
        ItemsGrid->MaxSize =
            QSize(std::max(200, a->width() - 50), std::max(120, a->height() - (IsComparisons() ? 150 : 140)));
    ItemsGrid->updateGeometry();
    widget()->adjustSize();
    adjustSize();
    ItemsGrid->ScrollHome();
    ItemsLayoutMode = ItemsSheetMode;
}

void TItemsSheet::DrawItemsCaption() {
    std::string caption;
    if (!IsComparisons()) {
        caption = "Realisations data: " + CaseFile.CaseName;
    } else if (SheetExpert) {
        const std::string id = Trim(SheetExpert->Id.str());
        caption = std::string("Comparisons") + " for the Expert: " + id;
        if (id.empty()) caption += "???";
        if (!SheetExpert->Name.empty()) caption += " \" " + SheetExpert->Name.str() + " \" ";
    }
    setWindowTitle(SheetText(caption));
}

void TItemsSheet::RetargetComparisons() {
    if (!IsComparisons() || !ActiveExpert || ActiveExpert == SheetExpert) return;
    // The editor closes without storing, so nothing typed for the old expert reaches the new.
    ItemsGrid->SetEditorMode(false);
    SheetExpert = ActiveExpert;
    ItemsGrid->SetEditorMode(true);
    ItemsGrid->SetCursor(std::max(2, ItemsGrid->Col()), 1);
    ConstrainCursor();
    ItemsGrid->Refresh();
}

void TItemsSheet::FormActivate() {
    RetargetComparisons();
    DrawItemsCaption();
    bool relayout = ItemsLayoutMode != ItemsSheetMode;
    if (IsComparisons()) {
        WindowFlags[5] = true;
        WindowFlags[1] = WindowFlags[3] = false;
        ItemsTextOutput = 0;
        ItemsSheetMode = 0;
        ConstrainCursor();
        if (RestoreFilteredItems(FilteredItems) > 0) relayout = true;
    } else {
        ItemsTextOutput = 0;
        ItemsSheetMode = 0;
        if (RestoreFilteredItems(FilteredItems) > 0) relayout = true;
        if (relayout) InvalidateChildren(this);
        FixEmptyRows();
        WindowFlags[1] = true;
        WindowFlags[5] = false;
    }
    if (relayout) LayoutItemsGrid();
    WindowFlags[3] = false;
    ItemsGrid->Refresh();
    ItemsGrid->OpenEditor();
    UpdateItemsEditMenu();
    if (MainForm) MainForm->UpdateMenuItems();
}

void TItemsSheet::FormDeactivate() {
    EditMenu.Cut = EditMenu.Clear = EditMenu.Paste = EditMenu.Undo = false;
    if (IsComparisons()) {
        WindowFlags[5] = false;
    } else {
        FixEmptyRows();
        WindowFlags[1] = false;
    }
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
    ItemsGrid->SetCursor(std::max(1, col), std::clamp(row, 1, GridRows() - 1));
    ItemsGrid->Refresh();
    InvalidateChildren(this);
    return true;
}

void TItemsSheet::UpdateItemsEditMenu() {
    EditMenuInput in;
    in.RowEditing = !IsComparisons();
    in.RowMode = !ItemsGrid->EditorMode();
    in.FilterEnabled = ItemsFilterEnabled;
    in.DataView = ItemsSheetMode == 0;
    in.Undo = ItemsUndo.Record;
    in.KindSuffix = " Items (Ctrl-Z)";
    EditMenu = MakeEditMenuState(in);
    if (in.Undo.Kind == UndoKind::None) EditMenu.UndoCaption.clear();
}

// ---------------------------------------------------------------- cursor rules

void TItemsSheet::MoveCursor(int col, int row) {
    ItemsGrid->SetCursor(std::clamp(col, 0, GridCols() - 1), std::clamp(row, 1, GridRows() - 1));
}

void TItemsSheet::ConstrainCursor() {
    if (!IsComparisons() || !ItemsGrid->currentIndex().isValid()) return;
    const int cols = GridCols(), rows = GridRows();
    int col = std::max(2, ItemsGrid->Col());
    const int row = ItemsGrid->Row();
    if (row == 1 && col == 2) col = 3;
    else if (row == rows - 1 && col == cols - 1) col = cols - 2;
    else if (col == row + 1) col -= 1;
    if (col != ItemsGrid->Col()) MoveCursor(std::min(col, cols - 1), row);
}

void TItemsSheet::SkipDot(int d) {
    if (!IsComparisons()) return;
    const int col = ItemsGrid->Col(), row = ItemsGrid->Row();
    if (col != row + 1) return;
    int c = col + d;
    if (d > 0 && c >= GridCols()) c = GridCols() - 2;
    if (d < 0 && c < 2) c = 3;
    MoveCursor(c, row);
}

void TItemsSheet::SkipDotV(int d) {
    if (!IsComparisons()) return;
    const int col = ItemsGrid->Col(), row = ItemsGrid->Row();
    if (col != row + 1) return;
    int r = row + d;
    if (d > 0 && r >= GridRows()) r = GridRows() - 2;
    if (d < 0 && r <= 0) r = 2;
    MoveCursor(col, r);
}

// ---------------------------------------------------------------- keys

void TItemsSheet::KeyReleased(const SheetKey& k) {
    if (!ItemsGrid->currentIndex().isValid()) return;
    const bool editing = ItemsGrid->EditorOpen();
    switch (k.Code) {
    case vk::Enter:
    case vk::Insert:
    case vk::V: PasteItemRows(k); break;
    case vk::Delete:
    case vk::X:
        if (DeleteItemRows(k)) ItemsGrid->Refresh();
        break;
    case vk::C:
        if (k.Ctrl) ExportSheet(this, nullptr, true, 2);
        break;
    case vk::Z:
        if (k.Ctrl && UndoItems()) ItemsGrid->Refresh();
        break;
    case vk::F2:
        SetItemsEditorMode(true);
        ConstrainCursor();
        break;
    case vk::F3:
        if (!IsComparisons()) {
            ToggleItemsEditorMode();
            ConstrainCursor();
        }
        break;
    case vk::F4:
        if (!IsComparisons()) {
            ToggleItemsFilter();
            ItemsGrid->Refresh();
        }
        break;
    case vk::F5: EnableItemsFiltering(); break;
    case vk::Left:
    case vk::Right:
        SkipDot(k.Code == vk::Left ? -1 : 1);
        ConstrainCursor();
        break;
    case vk::Home:
    case vk::End:
        if (!editing) {
            MoveCursor(k.Code == vk::Home ? (IsComparisons() ? 2 : 1) : GridCols() - 1, ItemsGrid->Row());
            SkipDot(k.Code == vk::Home ? -1 : 1);
        }
        ConstrainCursor();
        break;
    case vk::Up:
    case vk::Down:
        if (IsComparisons() && !editing) SkipDotV(k.Code == vk::Up ? -1 : 1);
        break;
    case vk::Tab:
        if (IsComparisons()) {
            const int col = ItemsGrid->Col(), row = ItemsGrid->Row();
            if (k.Shift) {
                if (row == 1 && col <= 2) MoveCursor(3, 1);
                else SkipDot(-1);
            } else if (row == GridRows() - 1 && col == GridCols() - 1) {
                MoveCursor(GridCols() - 2, row);
            } else {
                SkipDot(1);
            }
        }
        break;
    default: break;
    }
    if (ItemsGrid->EditorMode()) ItemsGrid->OpenEditor();
    UpdateItemsEditMenu();
    if (MainForm) MainForm->UpdateMenuItems();
}

bool TItemsSheet::PasteItemRows(const SheetKey& k) {
    const bool editing = ItemsGrid->EditorMode();
    if (IgnoredPasteKey(k, editing)) return false;
    const int row = ItemsGrid->Row(), col = ItemsGrid->Col();
    const int lastRow = GridRows() - 1, lastCol = GridCols() - 1;
    const bool make = !IsComparisons() && !(k.Code == vk::Enter && row != lastRow);
    if (!make) {
        if (k.Code != vk::Enter) return false;
        // Enter moves on: along the row, then to the start of the next one.
        if (col >= lastCol) {
            if (row < lastRow) MoveCursor(IsComparisons() ? 3 : 1, row + 1);
        } else {
            MoveCursor(col + 1, row);
            SkipDot(1);
        }
        ConstrainCursor();
        return false;
    }
    int position = row + 1;
    if (k.Alt && row != 0) position = row;
    int result = 0;
    if (k.Code == vk::V || (k.Code == vk::Insert && editing))
        result = RecordItemsUndo(UndoKind::Paste, position, 1);
    else
        result = RecordItemsUndo(UndoKind::Create, position, 1);
    CaseFile.FileKinds[2].Modified = true;
    ItemsGrid->Model()->Reset();
    if (result == 0) {
        MoveCursor(std::max(1, col), row);
        return false;
    }
    InvalidateChildren(this);
    MoveCursor(1, k.Alt ? row : row + 1);
    ItemsGrid->Refresh();
    return true;
}

bool TItemsSheet::DeleteItemRows(const SheetKey& k) {
    if (IsComparisons()) return false;
    bool cut = false, handled = false;
    int top = 0, bottom = 0;
    if (!AskRowOperation(ItemsGrid, k, "item", cut, top, bottom, handled)) return handled;
    const bool all = top == 1 && bottom >= GridRows() - 1;
    RecordItemsUndo(cut ? UndoKind::Cut : UndoKind::Del, top, bottom - top + 1);
    int row = top;
    if (all || CountItems() == 0) {
        InsertItem("", "", 1);
        AnswerColumnCount = CountItems();
        row = 1;
    }
    ItemsGrid->Model()->Reset();
    row = std::clamp(row, 1, GridRows() - 1);
    MoveCursor(1, row);
    ItemsGrid->SelectRows(row, row);
    CaseFile.FileKinds[2].Modified = true;
    InvalidateChildren(this);
    return true;
}

bool TItemsSheet::UndoItems() {
    if (IsComparisons()) return false;
    const UndoRecord r = ItemsUndo.Record;
    if (!UndoItemsRecord()) return false;
    ItemsGrid->Model()->Reset();
    const int row = std::clamp(r.Position, 1, GridRows() - 1);
    MoveCursor(1, row);
    if (!ItemsGrid->EditorMode()) ItemsGrid->SelectRows(row, row);
    CaseFile.FileKinds[2].Modified = true;
    InvalidateChildren(this);
    ItemsGrid->Refresh();
    UpdateItemsEditMenu();
    return true;
}

void TItemsSheet::ToggleItemsFilter() {
    if (IsComparisons() || ItemsGrid->EditorMode()) return;
    int top = 0, bottom = 0;
    ItemsGrid->SelectedRows(top, bottom);
    if (top == 0 || bottom == 0) return;
    for (int r = top; r <= bottom; ++r)
        if (TPairItem* item = ItemAt(r)) item->FilterFlag = !item->FilterFlag;
    ItemsGrid->Refresh();
    InvalidateChildren(this);
}

void TItemsSheet::EnableItemsFiltering() {
    ItemsFilterEnabled = !ItemsFilterEnabled;
    if (MainForm) MainForm->EnableFiltering1->setChecked(ItemsFilterEnabled);
    ItemsGrid->Refresh();
    InvalidateChildren(this);
}

void TItemsSheet::SetItemsEditorMode(bool on) {
    ItemsGrid->SetEditorMode(on);
}

void TItemsSheet::ToggleItemsEditorMode() {
    if (IsComparisons()) return;
    SetItemsEditorMode(!ItemsGrid->EditorMode());
    UpdateItemsEditMenu();
}

// ---------------------------------------------------------------- closing

bool TItemsSheet::FormCloseQuery() {
    FixEmptyRows();
    if (IsComparisons() || SkipCloseQuery) return true;
    bool canClose = true;
    QuerySaveCase(2, canClose);
    return canClose;
}

void TItemsSheet::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    for (TItemsSheet*& s : ChildSheets)
        if (s == this) s = nullptr;
    if (ItemsSheet == this) ItemsSheet = nullptr;
    if (IsComparisons()) {
        WindowFlags[4] = WindowFlags[5] = false;
        if (ExpertsSheet) ExpertsSheet->ComparisonsRow = 0;
    } else {
        WindowFlags[0] = WindowFlags[1] = false;
        if (!ExpertsSheet) {
            if (RunDialog) RunDialog->close();
            RunDialog = nullptr;
            FreeItemsUndo();
            FreeCase();
        }
    }
    QMdiSubWindow::closeEvent(event);
    if (MainForm) MainForm->UpdateMenuItems();
}
