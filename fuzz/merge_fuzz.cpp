// A merge into an open case: the file is checked and, when the check passes, merged from the
// same lines; a file the check passes must merge whole, and one it refuses leaves the case as
// it was. Then data check, save, reopen, compare.
// Before that, the same bytes come through a pipe to a reader that takes one byte less than
// they are: a read that breaks off on its last piece must leave the case as it was.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "case_harness.h"
#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "engine/assessments_file.h"
#include "engine/items_file.h"
#include "engine/tables.h"

using namespace halvorine;

namespace {

const char* const BaseDtt = "* OBRIX ASCII OUTPUT FILE. NQ=   3   QU=   5  50  95\r\n"
                            "    1       E1    1             X1 UNI  1.00000E+0001  1.20000E+0001  1.50000E+0001 \r\n"
                            "    1       E1    2             X2 LOG  1.00000E+0000  2.00000E+0000  4.00000E+0000 \r\n"
                            "    2       E2    1             X1 UNI  9.00000E+0000  1.10000E+0001  1.40000E+0001 \r\n";
const char* const BaseRls = "    1             X1  1.25000E+0001 UNI \r\n";

// Reads bytes from a named pipe, a piece at a time, allowing one byte less than there are; the
// case must be as before unless a line failed before the last piece.
void BreakOffInTheLastPiece(const std::string& bytes, const std::vector<std::string>& base) {
    using namespace fuzzcase;
    const std::string path = ScratchPath("pipe.dtt");
    ::unlink(path.c_str());
    if (bytes.empty() || ::mkfifo(path.c_str(), 0600) != 0) return;
    // Held open for writing, the pipe keeps what is written until the reader takes it.
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK);
    if (fd < 0) Fault("the pipe does not open");
    ::fcntl(fd, F_SETPIPE_SZ, 1 << 20);
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
        ::close(fd);  // more than the pipe holds
        return;
    }
    bool threw = false;
    int failed = 0;
    try {
        failed = ReadAssessmentsFile(path, 1 + bytes.size() % 11, bytes.size() - 1);
    } catch (const IoError&) {
        threw = true;
    }
    ::close(fd);
    ::unlink(path.c_str());
    if (threw) {
        ExpectSame(base, Snapshot(), "a read broken off in its last piece");
        return;
    }
    if (failed == 0) Fault("the whole file was read without reading its last byte");
    // A line failed before the last piece: what came before it stays; start from the base again.
    FreshCase();
    if (ReadAssessmentsFile(PutFile("base.dtt", BaseDtt)) != 0 || ReadItemsFile(PutFile("base.rls", BaseRls)) != 0)
        Fault("the base case does not read");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace fuzzcase;
    FreshCase();
    if (ReadAssessmentsFile(PutFile("base.dtt", BaseDtt)) != 0 || ReadItemsFile(PutFile("base.rls", BaseRls)) != 0)
        Fault("the base case does not read");
    const std::vector<std::string> base = Snapshot();
    BreakOffInTheLastPiece(std::string(reinterpret_cast<const char*>(data), size), base);

    const std::string path = PutFile("merged.dtt", std::string(reinterpret_cast<const char*>(data), size));
    const std::vector<std::string> lines = ReadAssessmentsFileLines(path);
    if (FirstFailingAssessmentsLine(lines) == 0) {
        const int failed = ReadAssessmentLines(path, lines);
        if (failed != 0) Fault("the merge check passed but the merge fails at line " + std::to_string(failed));
    } else {
        ExpectSame(base, Snapshot(), "a refused merge");
    }
    (void)CheckCaseData();
    RoundTrip(SavedSnapshot());
    return 0;
}
