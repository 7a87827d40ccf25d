// A whole case, both files: the input is the assessments file, then the line "--rls--", then
// the items file. Read as the open command reads (assessments first), data check, save, reopen,
// compare.
#include <cstddef>
#include <cstdint>
#include <string>

#include "case_harness.h"
#include "engine/assessments_file.h"
#include "engine/items_file.h"
#include "engine/tables.h"

using namespace halvorine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fuzzcase;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string separator = "\n--rls--\n";
    const std::size_t at = bytes.find(separator);
    const std::string dtt = at == std::string::npos ? bytes : bytes.substr(0, at);
    const std::string rls = at == std::string::npos ? std::string() : bytes.substr(at + separator.size());
    FreshCase();
    // The open command stops at a file that fails; the tables then hold what was read.
    if (ReadAssessmentsFile(PutFile("in.dtt", dtt)) == 0) (void)ReadItemsFile(PutFile("in.rls", rls));
    (void)CheckCaseData();
    RoundTrip(SavedSnapshot());
    return 0;
}
