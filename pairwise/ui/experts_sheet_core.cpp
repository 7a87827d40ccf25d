#include "pairwise/ui/experts_sheet_core.h"

#include <algorithm>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "pairwise/model/tables.h"
#include "platform/prompts.h"

namespace trindel {

namespace {

constexpr int GridFontSize = 8;

}  // namespace

TPairExpert* ExpertsSheetCore::ExpertOfRow(int row) const {
    return row >= 1 && row <= MaxExpertCount ? ExpertTable[row].get() : nullptr;
}

std::string ExpertsSheetCore::Caption() const {
    return "Experts data: " + CaseFile.CaseName;
}

int ExpertsSheetCore::FindExpRow() const {
    const int rows = GridRows();
    for (int r = 1; r < rows && r <= MaxExpertCount; ++r)
        if (ActiveExpert && ExpertTable[r].get() == ActiveExpert) return r;
    return 1;
}

// ---------------------------------------------------------------- cells

int ExpertsSheetCore::GridRows() const {
    return 1 + std::max(1, CountExperts());
}

std::string ExpertsSheetCore::CellText(int col, int row) const {
    const TPairExpert* x = ExpertOfRow(row == 0 ? 1 : row);
    if (!x) return "";
    if (row == 0) {
        static const char* const headers[3] = {"   Nr.", " Id", "  Full Name"};
        return col >= 0 && col < 3 ? headers[col] : "";
    }
    std::string text;
    switch (col) {
    case 0: return StrInt(row, 6);
    case 1:
        text = Trim(x->Id.str());
        if (ExpertsTextOutput) FitToWidth(text, 8);
        return text;
    case 2:
        text = Trim(x->Name.str());
        if (ExpertsTextOutput) FitToWidth(text, 50);
        return text;
    }
    return "";
}

CellStyle ExpertsSheetCore::CellStyleAt(int, int row) const {
    CellStyle s;
    s.Bold = row >= 1;
    const TPairExpert* x = ExpertOfRow(row);
    s.Greyed = row >= 1 && x && x->FilterFlag && ExpertsFilterEnabled;
    return s;
}

int ExpertsSheetCore::ColumnChars(int col) const {
    static const int chars[3] = {4, 9, 51};
    return col >= 0 && col < 3 ? chars[col] : 0;
}

int ExpertsSheetCore::ColumnPixels(int col) const {
    return (ColumnChars(col) + 1) * (GridFontSize - 2);
}

bool ExpertsSheetCore::CanSelect(int col, int row) const {
    return row >= 1 && col >= 1 && col <= 2;
}

bool ExpertsSheetCore::CanEdit(int col, int row) const {
    return CanSelect(col, row) && ExpertOfRow(row) != nullptr;
}

void ExpertsSheetCore::SetEditText(int col, int row, const std::string& typed) {
    TPairExpert* x = ExpertOfRow(row);
    if (!x || (col != 1 && col != 2)) return;
    const std::string text = Trim(typed);
    // Compared as stored: a change of letter case alone is a change the file must get.
    if (col == 1) {
        const std::string id = CutToCharacters(text, 8);
        if (id != x->Id.str()) CaseFile.FileKinds[ExpertsFileKind].Modified = true;
        x->Id = id;
    } else {
        const std::string name = CutToCharacters(text, 50);
        if (name != x->Name.str()) CaseFile.FileKinds[ExpertsFileKind].Modified = true;
        x->Name = name;
    }
    const int current = host_ ? host_->CurrentRow() : Cursor.Row;
    if (!x->Id.empty())
        if (TPairExpert* now = ExpertOfRow(current)) ActiveExpert = now;
    if (host_) host_->AfterEdit(EffectRepaint | EffectActiveExpert);
}

// ---------------------------------------------------------------- keys

unsigned ExpertsSheetCore::KeyRelease(const SheetKey& k) {
    if (Cursor.Row < 1 || Cursor.Row >= GridRows() || Cursor.Col < 0 || Cursor.Col >= GridCols()) return EffectNone;
    unsigned fx = EffectEditMenu;
    switch (k.Code) {
    case vk::Enter:
    case vk::Insert:
    case vk::V:
        fx |= PasteExpertRows(k);
        fx |= SetExpertsEditorMode(true);
        break;
    case vk::Delete:
    case vk::X:
        // In an open cell these keys are text for the editor; rows go only in row mode.
        if (!Cursor.EditorOn) fx |= DeleteExpertRows(k);
        break;
    case vk::C:
        if (k.Ctrl) fx |= EffectCopy;
        break;
    case vk::Z:
        if (k.Ctrl) fx |= UndoExperts();
        break;
    case vk::F2: fx |= SetExpertsEditorMode(true); break;
    case vk::F3: fx |= ToggleExpertsEditorMode(); break;
    case vk::F4:
        if (!Cursor.EditorOn) fx |= ToggleExpertsFilter();
        break;
    case vk::F5: fx |= EnableExpertsFiltering(); break;
    case vk::Left:
        if (Cursor.Col == 2) {
            Cursor.Col = 1;
            fx |= EffectCursor;
        }
        break;
    case vk::Right:
        if (Cursor.Col <= 1) {
            ++Cursor.Col;
            fx |= EffectCursor;
        }
        break;
    case vk::Up:
    case vk::Down:
        ActiveExpert = ExpertOfRow(Cursor.Row);
        fx |= EffectActiveExpert;
        break;
    default: break;
    }
    return fx;
}

namespace {

// Insert with Shift while editing, and V without Ctrl or Alt, neither insert nor paste.
bool IgnoredPaste(const SheetKey& k, bool editing) {
    return (k.Code == vk::Insert && k.Shift && editing) || (k.Code == vk::V && !k.Ctrl && !k.Alt);
}

}  // namespace

unsigned ExpertsSheetCore::PasteExpertRows(const SheetKey& k) {
    const bool editing = Cursor.EditorOn;
    if (IgnoredPaste(k, editing)) return EffectNone;
    const int row = Cursor.Row;
    const int lastRow = GridRows() - 1;
    const bool make = !(k.Code == vk::Enter && row != lastRow);
    // Row r shows the expert in slot r. With no expert at all (an empty expert data file) row
    // 1 is empty, and the new expert goes there: in slot 2 the sheet would never show it,
    // while the file would get it.
    const int position = std::min(k.Alt && row != 0 ? row : row + 1, CountExperts() + 1);
    unsigned fx = EffectNone;
    if (make) {
        const UndoKind kind = k.Code == vk::V || (k.Code == vk::Insert && editing) ? UndoKind::Paste : UndoKind::Create;
        const int result = RecordExpertsUndo(kind, position, 1);
        CaseFile.FileKinds[ExpertsFileKind].Modified = true;
        if (result == 0) return EffectNone;  // nothing was held to paste: no row changed
        fx |= EffectRelayout | EffectEditMenu;
    }
    Cursor.Row = std::clamp(k.Alt ? row : row + 1, 1, GridRows() - 1);
    Cursor.Col = 1;
    Cursor.SelFirst = Cursor.SelLast = Cursor.Row;
    fx |= EffectCursor;
    if (make) fx |= EffectRepaint;
    return fx;
}

unsigned ExpertsSheetCore::DeleteExpertRows(const SheetKey& k) {
    if (Cursor.EditorOn) return EffectNone;
    const bool cut = k.Code == vk::X && k.Ctrl;
    if (k.Code != vk::Delete && !cut) return EffectNone;
    const int top = Cursor.SelFirst, bottom = Cursor.SelLast;
    if (top < 1 || bottom < top) return EffectNone;
    if (Platform->Message(platform::MessageKind::Confirmation, RowOperationQuestion(cut, "expert", top < bottom),
                          platform::Buttons::YesNo) != platform::Answer::Yes)
        return EffectNone;
    if (host_) host_->CloseSheetsOfRows(top, bottom);
    const int lastRow = GridRows() - 1;
    RecordExpertsUndo(cut ? UndoKind::Cut : UndoKind::Del, top, bottom - top + 1);
    int row = bottom >= lastRow ? top - 1 : top;
    if (CountExperts() == 0) {
        InsertExpert("", "", 1);
        row = 1;
    }
    row = std::clamp(row, 1, GridRows() - 1);
    Cursor.Row = Cursor.SelFirst = Cursor.SelLast = row;
    Cursor.Col = 1;
    CaseFile.FileKinds[ExpertsFileKind].Modified = true;
    ActiveExpert = ExpertOfRow(row);
    if (host_) host_->ExpertsLeft();
    return EffectRelayout | EffectCursor | EffectSelectRow | EffectRepaint | EffectActiveExpert | EffectEditMenu;
}

unsigned ExpertsSheetCore::UndoExperts() {
    const UndoRecord r = ExpertsUndo.Record;
    if (!UndoExpertsRecord()) return EffectNone;
    const int row = std::clamp(r.Position, 1, GridRows() - 1);
    Cursor.Row = Cursor.SelFirst = Cursor.SelLast = row;
    Cursor.Col = 1;
    CaseFile.FileKinds[ExpertsFileKind].Modified = true;
    if (host_) host_->ExpertsLeft();
    return EffectRelayout | EffectCursor | (Cursor.EditorOn ? 0u : unsigned(EffectSelectRow)) | EffectRepaint |
           EffectEditMenu;
}

unsigned ExpertsSheetCore::ToggleExpertsFilter() {
    if (Cursor.EditorOn) return EffectNone;
    const int top = Cursor.SelFirst, bottom = Cursor.SelLast;
    if (top < 1 || bottom < 1) return EffectNone;
    for (int r = top; r <= bottom; ++r)
        if (TPairExpert* x = ExpertOfRow(r)) {
            x->FilterFlag = !x->FilterFlag;
            CaseFile.FileKinds[ExpertsFileKind].Modified = true;  // the flag is written with the expert
        }
    return EffectRepaint;
}

unsigned ExpertsSheetCore::EnableExpertsFiltering() {
    ExpertsFilterEnabled = !ExpertsFilterEnabled;
    return EffectRepaint | EffectFilterCheck;
}

unsigned ExpertsSheetCore::SetExpertsEditorMode(bool on) {
    if (Cursor.EditorOn == on) return EffectNone;
    Cursor.EditorOn = on;
    return EffectEditorMode | EffectEditMenu;
}

unsigned ExpertsSheetCore::ToggleExpertsEditorMode() {
    return SetExpertsEditorMode(!Cursor.EditorOn);
}

EditMenuState ExpertsSheetCore::UpdateExpertsEditMenu() const {
    EditMenuInput in;
    in.RowMode = !Cursor.EditorOn;
    in.FilterEnabled = ExpertsFilterEnabled;
    in.Undo = ExpertsUndo.Record;
    in.KindSuffix = " Experts (Ctrl-Z)";
    EditMenuState s = MakeEditMenuState(in);
    if (in.Undo.Kind == UndoKind::None) s.UndoCaption.clear();
    return s;
}

}  // namespace trindel
