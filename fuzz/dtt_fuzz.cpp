// An assessments file as the open command reads it: read, data check, save, reopen, compare.
// Read once more a few bytes at a time: the lines that straddle the pieces must give the case
// the whole file gives.
#include <cstddef>
#include <cstdint>
#include <string>

#include "case_harness.h"
#include "common/core/line_io.h"
#include "engine/assessments_file.h"
#include "engine/case_columns.h"
#include "engine/tables.h"

using namespace halvorine;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fuzzcase;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = PutFile("in.dtt", bytes);

    FreshCase();
    const int whole = ReadAssessmentLines(path, SplitTextLines(bytes));
    const std::vector<std::string> read = Snapshot();
    FreshCase();
    const int inPieces = ReadAssessmentsFile(path, 1 + size % 13, MaxAssessmentsFileBytes);
    if (inPieces != whole)
        Fault("read in pieces the file fails at line " + std::to_string(inPieces) + ", read whole at " +
              std::to_string(whole));
    ExpectSame(read, Snapshot(), "read in pieces");

    FreshCase();
    // What was read before a failing line stays in the tables; it must save like any case.
    (void)ReadAssessmentsFile(path);
    ExpectSame(read, Snapshot(), "read as the open command reads");
    (void)CheckCaseData();
    RoundTrip(SavedSnapshot());
    return 0;
}
