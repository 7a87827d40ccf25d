// What the fields of the case files can hold, so that whatever one reader takes the writers
// put down in a form every reader takes again.
#pragma once

#include <string>

namespace trindel {

// An id the case files can carry: no control character (0..31, 127). Bytes above 127 are
// letters of the user's text (Latin-1 or UTF-8); the binary items file and the expert data
// file have always held them, so every reader takes them and the writers write them as they are.
bool IsStorableId(const std::string& id);

// The text with every control character turned into a blank: what a record read from the
// binary items file keeps, where a name or id may hold any byte.
std::string WithoutControlCharacters(const std::string& text);

// The text with CR and LF turned into blanks: a field never ends its line in a file.
std::string OneLineText(const std::string& text);

// Before a save, in every table a save writes from (the filtered records too): an id loses
// its control characters (blanks, then trimmed), a name its line ends. Marks both file kinds
// modified when a record changed; true then. Ids made equal here are told apart by the
// save's own rule for repeated ids.
bool MakeFieldsStorable();

}  // namespace trindel
