#include "common/core/sheet_rules.h"

#include "common/core/pascal_str.h"
#include "common/core/text.h"

std::string RowOperationQuestion(bool cut, const std::string& noun, bool plural) {
    return std::string(cut ? "Cut" : "Delete") + " " + noun + " row" + (plural ? "s" : " ") + "?";
}

bool SameTextOrBothEmpty(const std::string& a, const std::string& b) {
    return (a.empty() && b.empty()) || SameTextNoCase(a, b);
}

bool MakeUniqueId(const std::string& typed, const std::string& stored, std::size_t width,
                  const std::function<bool(const std::string&)>& isDuplicate, std::string& out) {
    std::string text = Trim(typed);
    if (text.empty() || SameTextNoCase(text, stored)) return false;
    // The field keeps `width` characters: test what would be stored, not what was typed.
    text = TrimRight(CutTo(text, width));
    while (!text.empty()) {
        if (SameTextNoCase(text, stored)) return false;
        if (!isDuplicate(text)) {
            out = text;
            return true;
        }
        text = TrimRight(text.substr(0, text.size() - 1));
    }
    return false;
}

NumberEdit ParseNumberEdit(const std::string& typed, char decimalSeparator, float& out) {
    std::string text = Trim(typed);
    if (text.empty()) return NumberEdit::Empty;
    if (decimalSeparator != '.') {
        for (char& c : text)
            if (c == decimalSeparator) c = '.';
    }
    float v = 0;
    if (!ParseReal32(text, v)) return NumberEdit::Invalid;
    out = v;
    return NumberEdit::Number;
}

EditMenuState MakeEditMenuState(const EditMenuInput& in) {
    EditMenuState s;
    s.ToggleEditorMode = true;
    s.UndoCaption = "";
    if (!in.RowEditing) return s;
    s.FilteringChecked = in.FilterEnabled;
    switch (in.Undo.Kind) {
    case UndoKind::Create: s.UndoCaption = "&Undo Create"; break;
    case UndoKind::Paste: s.UndoCaption = "&Undo Paste"; break;
    case UndoKind::Del: s.UndoCaption = "&Undo Del"; break;
    case UndoKind::Cut:
        s.UndoCaption = "&Undo Cut";
        s.Paste = true;
        break;
    case UndoKind::None: s.UndoCaption = "&Undo"; break;
    }
    if (in.RowMode) {
        s.FilterOnOff = in.FilterEnabled && in.DataView;
        s.Cut = in.CutAllowed;
        s.Clear = true;
        if (in.Undo.Kind != UndoKind::None) {
            s.Undo = true;
            s.UndoCaption += in.KindSuffix;
        }
    } else {
        s.Undo = s.Cut = s.Clear = s.Paste = false;
    }
    return s;
}
