// The items file as the user opens it: text lines, and the binary form the reader falls back
// to. Whatever part of it is read is checked, saved, reopened and compared.
#include <cstddef>
#include <cstdint>

#include "case_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pairfuzz::FreshCase();
    const std::string path = pairfuzz::WriteInput("input.iy", data, size);
    ReadItemsFile(path);  // a failing line keeps what came before it: that can be saved too
    pairfuzz::CheckTables();
    pairfuzz::SaveReopenCompare();
    return 0;
}
