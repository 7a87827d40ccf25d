// The rules every editable sheet grid of both programs follows, without any window:
// the keys it acts on, the single-level undo record, the id, text and number edit rules,
// the Edit menu state and the plain interface a grid reads its cells from.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// A key as the sheets see it on release: the virtual-key code and the modifiers held.
struct SheetKey {
    int Code = 0;
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
};

namespace vk {
constexpr int Tab = 9;
constexpr int Enter = 13;
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Left = 37;
constexpr int Up = 38;
constexpr int Right = 39;
constexpr int Down = 40;
constexpr int Insert = 45;
constexpr int Delete = 46;
constexpr int C = 67;
constexpr int V = 86;
constexpr int X = 88;
constexpr int Z = 90;
constexpr int F2 = 113;
constexpr int F3 = 114;
constexpr int F4 = 115;
constexpr int F5 = 116;
}  // namespace vk

inline SheetKey MakeSheetKey(int code, bool ctrl = false) {
    SheetKey k;
    k.Code = code;
    k.Ctrl = ctrl;
    return k;
}

// The text rule's test: equal ignoring ASCII case, two empty texts included.
bool SameTextOrBothEmpty(const std::string& a, const std::string& b);

// The single-level undo of a sheet kind's row operations.
enum class UndoKind : std::uint8_t { None = 0, Create = 1, Paste = 2, Del = 3, Cut = 4 };

struct UndoRecord {
    UndoKind Kind = UndoKind::None;
    int Position = 0;  // table index of the first row concerned
    int Count = 0;     // number of rows
};

// "Delete expert rows?", "Cut item row ?": verb, noun, then "s" or a blank.
std::string RowOperationQuestion(bool cut, const std::string& noun, bool plural);

// The Id rule: the typed text trimmed; when it equals the stored id ignoring case, or is
// empty, nothing changes. Otherwise the text, cut to `width` and right-trimmed, is tried and
// loses its last character until no other record has it (isDuplicate). Returns true and the
// new id in `out` when one was found.
bool MakeUniqueId(const std::string& typed, const std::string& stored, std::size_t width,
                  const std::function<bool(const std::string&)>& isDuplicate, std::string& out);

// The number rule of a typed cell: a parsed number, an empty text (store the missing value),
// or anything else (leave the value as it is). The locale's decimal separator is taken
// as well as the point, so the text a cell shows always reads back.
enum class NumberEdit { Number, Empty, Invalid };
NumberEdit ParseNumberEdit(const std::string& typed, char decimalSeparator, float& out);

// The state of the Edit menu items that follow the active sheet.
struct EditMenuState {
    bool Undo = false, Cut = false, Clear = false, Paste = false;
    bool FilterOnOff = false;
    bool ToggleEditorMode = true;
    bool FilteringChecked = false;
    std::string UndoCaption;  // "&Undo", "&Undo Del Experts (Ctrl-Z)", ...
};

struct EditMenuInput {
    bool RowEditing = true;  // the view allows row operations at all
    bool RowMode = false;    // row mode, not editor mode
    bool FilterEnabled = false;
    bool DataView = true;
    bool CutAllowed = true;
    UndoRecord Undo;
    std::string KindSuffix;  // " Experts (Ctrl-Z)", " Items (Ctrl-Z)"
};
EditMenuState MakeEditMenuState(const EditMenuInput& in);

// Where a grid gets everything it shows: one cell-contents function and the layout around it.
// Rows and columns are the grid's own, header rows and the number column included.
struct CellStyle {
    bool Bold = false;
    bool Greyed = false;
    std::uint32_t Colour = 0;  // 0: the normal text colour, else 0xRRGGBB
};

class GridSource {
public:
    virtual ~GridSource() = default;
    virtual int GridRows() const = 0;  // header rows included
    virtual int GridCols() const = 0;  // number column included
    virtual int HeaderRows() const = 0;
    virtual std::string CellText(int col, int row) const = 0;
    virtual CellStyle CellStyleAt(int /*col*/, int /*row*/) const { return {}; }
    // Width in characters as the layout uses it; 0 hides the column.
    virtual int ColumnChars(int col) const = 0;
    virtual int ColumnPixels(int col) const = 0;
    // May the cursor go there / may it be edited there.
    virtual bool CanSelect(int col, int row) const = 0;
    virtual bool CanEdit(int col, int row) const = 0;
    // Stores an edit under the sheet's rules.
    virtual void SetEditText(int col, int row, const std::string& text) = 0;
};
