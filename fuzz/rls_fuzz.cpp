// An items file read into an empty case: read, data check, save, reopen, compare.
#include <cstddef>
#include <cstdint>
#include <string>

#include "case_harness.h"
#include "engine/items_file.h"
#include "engine/tables.h"

using namespace halvorine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fuzzcase;
    FreshCase();
    const std::string path = PutFile("in.rls", std::string(reinterpret_cast<const char*>(data), size));
    (void)ReadItemsFile(path);
    (void)CheckCaseData();
    RoundTrip(SavedSnapshot());
    return 0;
}
