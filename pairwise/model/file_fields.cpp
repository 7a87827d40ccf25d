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
        CaseFile.FileKinds[ExpertsFileKind].Modified = true;
        CaseFile.FileKinds[ItemsFileKind].Modified = true;
    }
    return changed;
}

}  // namespace trindel
