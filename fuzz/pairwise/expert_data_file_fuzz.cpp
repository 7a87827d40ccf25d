// The expert data file, read over the items of a small case (the reader creates the items it
// does not find). Whatever part of it is read is checked, saved, reopened and compared.
#include <cstddef>
#include <cstdint>

#include "case_round_trip.h"

namespace {

// The items a case has when its expert data file is read: as its items file gave them.
void BaseItems() {
    struct Base {
        const char* id;
        const char* name;
        const char* scale;
        float realisation;
        bool flagged;
    } const items[] = {
        {"A", "Apples", "UNI", 12.5f, false},
        {"B", "", "LOG", NoValue, true},
        {"C\xC3\xA9", "Cherries \xC3\xA9t\xC3\xA9", "uni", -2.5f, false},
    };
    int i = 0;
    for (const Base& b : items) {
        TPairItem* item = NewItem(b.id, b.name, ++i);
        item->Scale = b.scale;
        item->Realisation = b.realisation;
        item->HasRealisation = true;
        item->FilterFlag = b.flagged;
    }
    AnswerColumnCount = i;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pairfuzz::FreshCase();
    BaseItems();
    const std::string path = pairfuzz::WriteInput("input.ey", data, size);
    ReadExpertDataFile(path);  // a failing line keeps what came before it: that can be saved too
    pairfuzz::CheckTables();
    pairfuzz::SaveReopenCompare();
    return 0;
}
