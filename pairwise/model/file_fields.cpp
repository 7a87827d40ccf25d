#include "pairwise/model/file_fields.h"

#include "common/core/text.h"
#include "pairwise/model/globals.h"

namespace trindel {

namespace {

bool IsControlCharacter(unsigned char c) {
    return c < 32 || c == 127;
}

}  // namespace

bool IsStorableId(const std::string& id) {
    for (unsigned char c : id)
        if (IsControlCharacter(c)) return false;
    return true;
}

std::string WithoutControlCharacters(const std::string& text) {
    std::string r = text;
    for (char& c : r)
        if (IsControlCharacter(static_cast<unsigned char>(c))) c = ' ';
    return r;
}

std::string OneLineText(const std::string& text) {
    std::string r = text;
    for (char& c : r)
        if (c == '\r' || c == '\n') c = ' ';
    return r;
}

namespace {

bool IsUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        std::size_t follow = 0;
        unsigned int code = 0, least = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1, code = c & 0x1Fu, least = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2, code = c & 0x0Fu, least = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3, code = c & 0x07u, least = 0x10000;
        } else {
            return false;
        }
        if (s.size() - i <= follow) return false;
        for (std::size_t k = 1; k <= follow; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            code = (code << 6) | (t & 0x3Fu);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += follow + 1;
    }
    return true;
}

}  // namespace

std::size_t CharacterCutLength(std::string_view text, std::size_t n) {
    if (text.size() <= n) return text.size();
    std::size_t cut = n;
    const auto follows = [&](std::size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
    if (follows(cut) && IsUtf8(text))
        while (cut > 0 && follows(cut)) --cut;
    return cut;
}

std::string CutToCharacters(const std::string& text, std::size_t n) {
    return text.substr(0, CharacterCutLength(text, n));
}

namespace {

template <typename Table>
bool MakeStorable(Table& table) {
    bool changed = false;
    for (auto& record : table) {
        if (!record) continue;
        if (!IsStorableId(record->Id.str())) {
            record->Id = Trim(WithoutControlCharacters(record->Id.str()));
            changed = true;
        }
        const std::string name = OneLineText(record->Name.str());
        if (name != record->Name.str()) {
            record->Name = name;
            changed = true;
        }
    }
    return changed;
}

}  // namespace

bool MakeFieldsStorable() {
    bool changed = MakeStorable(ItemTable);
    changed = MakeStorable(FilteredItems) || changed;
    changed = MakeStorable(ExpertTable) || changed;
    changed = MakeStorable(FilteredExperts) || changed;
    if (changed) {
        CaseFile.FileKinds[1].Modified = true;
        CaseFile.FileKinds[2].Modified = true;
    }
    return changed;
}

}  // namespace trindel
