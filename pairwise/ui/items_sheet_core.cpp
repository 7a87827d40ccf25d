#include "pairwise/ui/items_sheet_core.h"

#include <algorithm>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "pairwise/model/formatting.h"
#include "pairwise/model/tables.h"
#include "platform/prompts.h"

namespace trindel {

namespace {

constexpr int GridFontSize = 8;

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

// Insert with Shift while editing, and V without Ctrl or Alt, neither insert nor paste.
bool IgnoredPaste(const SheetKey& k, bool editing) {
    return (k.Code == vk::Insert && k.Shift && editing) || (k.Code == vk::V && !k.Ctrl && !k.Alt);
}

}  // namespace

TPairItem* ItemsSheetCore::ItemOfRow(int row) const {
    return row >= 1 && row <= MaxItemCount ? ItemTable[row].get() : nullptr;
}

std::string ItemsSheetCore::Caption() const {
    if (!IsComparisons()) return "Realisations data: " + CaseFile.CaseName;
    if (!SheetExpert) return "";
    const std::string id = Trim(SheetExpert->Id.str());
    std::string caption = std::string("Comparisons") + " for the Expert: " + id;
    if (id.empty()) caption += "???";
    if (!SheetExpert->Name.empty()) caption += " \" " + SheetExpert->Name.str() + " \" ";
    return caption;
}

void ItemsSheetCore::MarkRowsChanged() const {
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    // The expert data file holds a column per item: it must be written again too, or the
    // old file would bring a deleted item back and shift the answers of the others.
    if (AnyExpertRecord()) CaseFile.FileKinds[ExpertsFileKind].Modified = true;
}

void ItemsSheetCore::MarkItemNamed() const {
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    // The expert data file names the items of its rows by Id (and carries their names): an
    // old one would bring the old item back beside the renamed one.
    if (AnyExpertRecord()) CaseFile.FileKinds[ExpertsFileKind].Modified = true;
}

// ---------------------------------------------------------------- cells

int ItemsSheetCore::GridRows() const {
    return 1 + std::max(1, CountItems());
}

int ItemsSheetCore::GridCols() const {
    return IsComparisons() ? std::max(1, CountItems()) + 2 : 4;
}

std::string ItemsSheetCore::CellText(int col, int row) const {
    std::string text;
    if (IsComparisons()) {
        if (row == 0) {
            if (col == 0) return " Nr.";
            if (col == 1) return " Id";
            return StrInt(col - 1, 2);
        }
        const TPairItem* item = ItemOfRow(row);
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
    const TPairItem* item = ItemOfRow(row);
    if (col == 0) return StrInt(row, 4);
    if (!item) return "";
    switch (col) {
    case 1:
        text = Trim(item->Id.str());
        if (ItemsTextOutput) FitToWidth(text, 14);
        break;
    case 2:
        if (item->HasRealisation && item->Realisation > MissingValue) text = Trim(FormatNumber(item->Realisation));
        if (ItemsTextOutput) FitToWidth(text, FieldWidth);
        break;
    case 3:
        text = Trim(item->Name.str());
        if (ItemsTextOutput) FitToWidth(text, 60);
        break;
    }
    return text;
}

CellStyle ItemsSheetCore::CellStyleAt(int col, int row) const {
    CellStyle s;
    s.Bold = row >= 1 && !(IsComparisons() && col <= 1);
    s.Greyed = row >= 1 && TrulyFiltered(row);
    return s;
}

int ItemsSheetCore::ColumnChars(int col) const {
    if (IsComparisons()) return col == 0 ? 4 : col == 1 ? 14 : 2;
    static const int chars[4] = {4, 14, 0, 60};
    if (col == 2) return FieldWidth;
    return col >= 0 && col < 4 ? chars[col] : 0;
}

int ItemsSheetCore::ColumnPixels(int col) const {
    if (!IsComparisons() && col == 3) return (60 + 1) * (GridFontSize - 3) + 4;
    return (ColumnChars(col) + 1) * (GridFontSize - 1);
}

bool ItemsSheetCore::CanSelect(int col, int row) const {
    if (row < 1) return false;
    return IsComparisons() ? col >= 2 : col >= 1;
}

bool ItemsSheetCore::CanEdit(int col, int row) const {
    if (!CanSelect(col, row) || !ItemOfRow(row) || TrulyFiltered(row)) return false;
    return !(IsComparisons() && col == row + 1);
}

void ItemsSheetCore::SetEditText(int col, int row, const std::string& typed) {
    TPairItem* item = ItemOfRow(row);
    if (!item || col < 1) return;
    if (IsComparisons() && col == row + 1) return;
    if (TrulyFiltered(row)) return;
    const std::string text = typed.empty() ? std::string(" ") : typed;
    unsigned fx = EffectNone;
    if (IsComparisons()) {
        const int top = col - 1;
        const char ch = text[0];
        if (col < 2 || !IsAnswer(ch) || !ItemOfRow(top) || !SheetExpert) return;
        TAnswerRow* left = AnswerRowAt(SheetExpert, row);
        TAnswerRow* mirror = AnswerRowAt(SheetExpert, top);
        if (!left || !mirror) return;
        const char opposite = static_cast<char>(122 - ch);
        if (left->Answers[top] != ch || mirror->Answers[row] != opposite)
            CaseFile.FileKinds[ExpertsFileKind].Modified = true;
        left->Answers[top] = ch;
        mirror->Answers[row] = opposite;
        fx = EffectRepaint;
    } else if (col == 1) {
        const std::string id = CutToCharacters(Trim(text), 14);
        if (id != item->Id.str()) MarkItemNamed();
        item->Id = id;
        fx = EffectRepaint | EffectOtherSheets | EffectRunDialog;
    } else if (col == 2) {
        float value = 0;
        switch (ParseNumberEdit(Trim(text), DecimalSeparator, value)) {
        case NumberEdit::Number:
            if (value != item->Realisation || !item->HasRealisation) CaseFile.FileKinds[ItemsFileKind].Modified = true;
            item->HasRealisation = true;
            item->Realisation = value;
            break;
        case NumberEdit::Empty:
            CaseFile.FileKinds[ItemsFileKind].Modified = true;
            item->Realisation = MissingValue;
            break;
        case NumberEdit::Invalid: break;
        }
        fx = EffectRepaint | EffectOtherSheets | EffectRunDialog;
    } else if (col == 3) {
        const std::string name = CutToCharacters(Trim(text), 60);
        if (name != item->Name.str()) MarkItemNamed();
        item->Name = name;
        fx = EffectRepaint | EffectOtherSheets;
    }
    if (host_) host_->AfterEdit(fx);
}

// ---------------------------------------------------------------- cursor rules

unsigned ItemsSheetCore::MoveTo(int col, int row) {
    col = std::clamp(col, 0, GridCols() - 1);
    row = std::clamp(row, 1, GridRows() - 1);
    if (col == Cursor.Col && row == Cursor.Row) return EffectNone;
    Cursor.Col = col;
    Cursor.Row = Cursor.SelFirst = Cursor.SelLast = row;
    return EffectCursor;
}

unsigned ItemsSheetCore::ConstrainCursor() {
    if (!IsComparisons()) return EffectNone;
    const int cols = GridCols(), rows = GridRows();
    int col = std::max(2, Cursor.Col);
    const int row = Cursor.Row;
    if (row == 1 && col == 2)
        col = 3;
    else if (row == rows - 1 && col == cols - 1)
        col = cols - 2;
    else if (col == row + 1)
        col -= 1;
    return MoveTo(std::min(col, cols - 1), row);
}

unsigned ItemsSheetCore::SkipDot(int d) {
    if (!IsComparisons() || Cursor.Col != Cursor.Row + 1) return EffectNone;
    int c = Cursor.Col + d;
    if (d > 0 && c >= GridCols()) c = GridCols() - 2;
    if (d < 0 && c < 2) c = 3;
    return MoveTo(c, Cursor.Row);
}

unsigned ItemsSheetCore::SkipDotV(int d) {
    if (!IsComparisons() || Cursor.Col != Cursor.Row + 1) return EffectNone;
    int r = Cursor.Row + d;
    if (d > 0 && r >= GridRows()) r = GridRows() - 2;
    if (d < 0 && r <= 0) r = 2;
    return MoveTo(Cursor.Col, r);
}

unsigned ItemsSheetCore::RetargetComparisons() {
    if (!IsComparisons() || !ActiveExpert || ActiveExpert == SheetExpert) return EffectNone;
    SheetExpert = ActiveExpert;
    Cursor.Col = std::max(2, Cursor.Col);
    Cursor.Row = 1;
    ConstrainCursor();
    return EffectCursor | EffectRepaint;
}

// ---------------------------------------------------------------- keys

unsigned ItemsSheetCore::KeyRelease(const SheetKey& k) {
    if (Cursor.Row < 1 || Cursor.Row >= GridRows() || Cursor.Col < 0 || Cursor.Col >= GridCols()) return EffectNone;
    const bool editing = Cursor.EditorOpen;
    unsigned fx = EffectEditMenu;
    switch (k.Code) {
    case vk::Enter:
    case vk::Insert:
    case vk::V: fx |= PasteItemRows(k); break;
    case vk::Delete:
    case vk::X:
        // In an open cell these keys are text for the editor; rows go only in row mode.
        if (!Cursor.EditorOn) fx |= DeleteItemRows(k);
        break;
    case vk::C:
        if (k.Ctrl) fx |= EffectCopy;
        break;
    case vk::Z:
        if (k.Ctrl) fx |= UndoItems();
        break;
    case vk::F2:
        fx |= SetItemsEditorMode(true);
        fx |= ConstrainCursor();
        break;
    case vk::F3:
        if (!IsComparisons()) {
            fx |= ToggleItemsEditorMode();
            fx |= ConstrainCursor();
        }
        break;
    case vk::F4:
        if (!IsComparisons() && !Cursor.EditorOn) fx |= ToggleItemsFilter();
        break;
    case vk::F5: fx |= EnableItemsFiltering(); break;
    case vk::Left:
    case vk::Right:
    case vk::Home:
    case vk::End:
        if (!editing) {
            if (k.Code == vk::Home) fx |= MoveTo(2, Cursor.Row);
            if (k.Code == vk::End) fx |= MoveTo(GridCols() - 1, Cursor.Row);
            fx |= SkipDot(k.Code == vk::Home || k.Code == vk::Left ? -1 : 1);
        }
        fx |= ConstrainCursor();
        break;
    case vk::Up:
    case vk::Down:
        if (IsComparisons() && !editing) fx |= SkipDotV(k.Code == vk::Up ? -1 : 1);
        break;
    case vk::Tab:
        if (IsComparisons()) {
            const int col = Cursor.Col, row = Cursor.Row;
            if (k.Shift) {
                if (row == 1 && col <= 2)
                    fx |= MoveTo(3, 1);
                else
                    fx |= SkipDot(-1);
            } else if (row == GridRows() - 1 && col == GridCols() - 1) {
                fx |= MoveTo(GridCols() - 2, row);
            } else {
                fx |= SkipDot(1);
            }
        }
        break;
    default: break;
    }
    return fx;
}

unsigned ItemsSheetCore::PasteItemRows(const SheetKey& k) {
    const bool editing = Cursor.EditorOn;
    if (IgnoredPaste(k, editing)) return EffectNone;
    const int row = Cursor.Row, col = Cursor.Col;
    const int lastRow = GridRows() - 1, lastCol = GridCols() - 1;
    const bool make = !IsComparisons() && !(k.Code == vk::Enter && row != lastRow);
    if (!make) {
        if (k.Code != vk::Enter) return EffectNone;
        // Enter moves on: along the row, then to the start of the next one.
        unsigned fx = EffectNone;
        if (col >= lastCol) {
            if (row < lastRow) fx |= MoveTo(IsComparisons() ? 3 : 1, row + 1);
        } else {
            fx |= MoveTo(col + 1, row);
            fx |= SkipDot(1);
        }
        return fx | ConstrainCursor();
    }
    // Row r shows the item at position r; with no item at all (an empty items file) the new
    // one goes to row 1, not to a position the sheet would never show.
    const int position = std::min(k.Alt && row != 0 ? row : row + 1, CountItems() + 1);
    const UndoKind kind = k.Code == vk::V || (k.Code == vk::Insert && editing) ? UndoKind::Paste : UndoKind::Create;
    const int result = RecordItemsUndo(kind, position, 1);
    CaseFile.FileKinds[ItemsFileKind].Modified = true;
    if (result == 0) return EffectNone;  // nothing was held to paste: no row changed
    MarkRowsChanged();
    MoveTo(1, k.Alt ? row : row + 1);
    return EffectRelayout | EffectCursor | EffectRepaint | EffectOtherSheets | EffectEditMenu | EffectRunDialog;
}

unsigned ItemsSheetCore::DeleteItemRows(const SheetKey& k) {
    if (IsComparisons() || Cursor.EditorOn) return EffectNone;
    const bool cut = k.Code == vk::X && k.Ctrl;
    if (k.Code != vk::Delete && !cut) return EffectNone;
    const int top = Cursor.SelFirst, bottom = Cursor.SelLast;
    if (top < 1 || bottom < top) return EffectNone;
    if (Platform->Message(platform::MessageKind::Confirmation, RowOperationQuestion(cut, "item", top < bottom),
                          platform::Buttons::YesNo) != platform::Answer::Yes)
        return EffectNone;
    const bool all = top == 1 && bottom >= GridRows() - 1;
    RecordItemsUndo(cut ? UndoKind::Cut : UndoKind::Del, top, bottom - top + 1);
    int row = top;
    if (all || CountItems() == 0) {
        InsertItem("", "", 1);
        AnswerColumnCount = CountItems();
        row = 1;
    }
    row = std::clamp(row, 1, GridRows() - 1);
    Cursor.Row = Cursor.SelFirst = Cursor.SelLast = row;
    Cursor.Col = 1;
    MarkRowsChanged();
    return EffectRelayout | EffectCursor | EffectSelectRow | EffectRepaint | EffectOtherSheets | EffectEditMenu |
           EffectRunDialog;
}

unsigned ItemsSheetCore::UndoItems() {
    if (IsComparisons()) return EffectNone;
    const UndoRecord r = ItemsUndo.Record;
    if (!UndoItemsRecord()) return EffectNone;
    const int row = std::clamp(r.Position, 1, GridRows() - 1);
    Cursor.Row = Cursor.SelFirst = Cursor.SelLast = row;
    Cursor.Col = 1;
    MarkRowsChanged();
    return EffectRelayout | EffectCursor | (Cursor.EditorOn ? 0u : unsigned(EffectSelectRow)) | EffectRepaint |
           EffectOtherSheets | EffectEditMenu | EffectRunDialog;
}

unsigned ItemsSheetCore::ToggleItemsFilter() {
    if (IsComparisons() || Cursor.EditorOn) return EffectNone;
    const int top = Cursor.SelFirst, bottom = Cursor.SelLast;
    if (top < 1 || bottom < 1) return EffectNone;
    for (int r = top; r <= bottom; ++r)
        if (TPairItem* item = ItemOfRow(r)) {
            item->FilterFlag = !item->FilterFlag;
            CaseFile.FileKinds[ItemsFileKind].Modified = true;  // the flag is written with the item
        }
    return EffectRepaint | EffectOtherSheets;
}

unsigned ItemsSheetCore::EnableItemsFiltering() {
    ItemsFilterEnabled = !ItemsFilterEnabled;
    return EffectRepaint | EffectOtherSheets | EffectFilterCheck;
}

unsigned ItemsSheetCore::SetItemsEditorMode(bool on) {
    if (Cursor.EditorOn == on) return EffectNone;
    Cursor.EditorOn = on;
    return EffectEditorMode | EffectEditMenu;
}

unsigned ItemsSheetCore::ToggleItemsEditorMode() {
    if (IsComparisons()) return EffectNone;
    return SetItemsEditorMode(!Cursor.EditorOn);
}

EditMenuState ItemsSheetCore::UpdateItemsEditMenu() const {
    EditMenuInput in;
    in.RowEditing = !IsComparisons();
    in.RowMode = !Cursor.EditorOn;
    in.FilterEnabled = ItemsFilterEnabled;
    in.DataView = ItemsSheetMode == ItemsDataView;
    in.Undo = ItemsUndo.Record;
    in.KindSuffix = " Items (Ctrl-Z)";
    EditMenuState s = MakeEditMenuState(in);
    if (in.Undo.Kind == UndoKind::None) s.UndoCaption.clear();
    return s;
}

}  // namespace trindel
