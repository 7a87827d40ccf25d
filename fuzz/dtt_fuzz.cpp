// An assessments file as the open command reads it: read, data check, save, reopen, compare.
#include <cstddef>
#include <cstdint>
#include <string>

#include "case_harness.h"
#include "engine/assessments_file.h"
#include "engine/tables.h"

using namespace halvorine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fuzzcase;
    FreshCase();
    const std::string path = PutFile("in.dtt", std::string(reinterpret_cast<const char*>(data), size));
    // What was read before a failing line stays in the tables; it must save like any case.
    (void)ReadAssessmentsFile(path);
    (void)CheckCaseData();
    RoundTrip(SavedSnapshot());
    return 0;
}
