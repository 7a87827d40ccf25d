#include "case_harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "common/core/text.h"
#include "engine/assessments_file.h"
#include "engine/case_columns.h"
#include "engine/case_files.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/tables.h"
#include "platform/quiet_prompts.h"

using namespace halvorine;

namespace fuzzcase {

namespace {

platform::QuietPrompts quiet;

// The pictures are taken six times an input: they are built by appending, without a format call
// per value, so that they cost little beside the reads and saves they check.
const char* const HexDigits = "0123456789abcdef";

void AppendHex(std::string& out, const std::string& s) {
    for (unsigned char c : s) {
        if (c >= 32 && c < 127 && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += HexDigits[c >> 4];
            out += HexDigits[c & 15];
        }
    }
}

// The value as loaded, to the bit: a save must give it back as it was, and so in its class.
// Only the missing values a file cannot tell apart stand for one.
void AppendValue(std::string& out, float x) {
    if (!std::isfinite(x)) x = NoValue;
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(x == 0 ? 0.0f : x);
    out += ' ';
    for (int shift = 28; shift >= 0; shift -= 4) out += HexDigits[(bits >> shift) & 15];
}

// Leaves nothing behind in /dev/shm when the process ends normally; a fault keeps the folder
// for a look at what was written.
void RemoveScratchFolder() {
    const std::string& folder = ScratchFolder();
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                ::unlink((folder + "/" + entry->d_name).c_str());
        ::closedir(dir);
    }
    ::rmdir(folder.c_str());
}

}  // namespace

const std::string& ScratchFolder() {
    // Never destroyed: the removal at exit still needs the name.
    static const std::string* const folder = new std::string([] {
        std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                              std::string("/halvorine-fuzz-XXXXXX");
        if (!mkdtemp(pattern.data())) Fault("no scratch folder");
        // Scratch files need no sync; a sync to disk costs more than the whole round trip.
        SkipSyncsForTests(true);
        std::atexit(RemoveScratchFolder);
        return pattern;
    }());
    return *folder;
}

std::string ScratchPath(const std::string& name) {
    return ScratchFolder() + "/" + name;
}

// Written in place: the input is no save, and the writer's own steps are tried by the saves.
std::string PutFile(const std::string& name, const std::string& bytes) {
    const std::string path = ScratchPath(name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) || ::close(fd) != 0)
        Fault("cannot write " + path);
    return path;
}

void FreshCase() {
    ResetGlobals();
    Platform = &quiet;
}

std::vector<std::string> Snapshot() {
    std::vector<std::string> rows;
    std::string row = "header [";
    AppendHex(row, TrimRight(AssessmentHeader));
    row += "] levels " + std::to_string(QuantileCount);
    for (int k = 1; k <= QuantileCount && k <= MaxQuantileCount; ++k) row += " " + std::to_string(QuantileLevels[k]);
    rows.push_back(std::move(row));
    std::unordered_map<const TItem*, int> index;
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* t = ItemTable[i].get();
        if (!t) continue;
        index.emplace(t, i);
        row = "item " + std::to_string(i) + " [";
        AppendHex(row, t->Id.str());
        row += "] [";
        AppendHex(row, t->Name.str());
        row += "] [";
        AppendHex(row, t->Scale.str());
        row += "] ";
        AppendValue(row, t->Realisation);
        if (t->FilterFlag) row += " F";
        rows.push_back(std::move(row));
    }
    const int levels = std::min(QuantileCount, MaxQuantileCount);
    // Per item of the table: the values of the expert's first slot that refers to it, "" when
    // every one is missing.
    std::vector<std::string> byItem(MaxItemCount + 1);
    std::vector<char> seen(MaxItemCount + 1);
    for (int e = 1; e <= MaxExpertCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x || x->IsDecisionMaker) continue;
        row = "expert [";
        AppendHex(row, x->Id.str());
        row += "] [";
        AppendHex(row, x->Name.str());
        row += "]";
        if (x->FilterFlag) row += " F";
        rows.push_back(std::move(row));
        std::fill(seen.begin(), seen.end(), 0);
        for (int s = 1; s <= MaxItemCount; ++s) {
            const TAssessment* a = x->Assessments[s].get();
            if (!a || !a->Item) continue;
            const auto at = index.find(a->Item);
            const int i = at == index.end() ? 0 : at->second;  // an item outside the table counts as 0
            if (seen[i]) continue;                             // the first slot of an item counts
            seen[i] = 1;
            std::string& values = byItem[i];
            values.clear();
            bool any = false;
            for (int k = 1; k <= levels; ++k) {
                AppendValue(values, a->Values[k]);
                any = any || !IsMissing(a->Values[k]);
            }
            if (!any) values.clear();
        }
        for (int i = 0; i <= MaxItemCount; ++i)
            if (seen[i] && !byItem[i].empty()) rows.push_back("  item " + std::to_string(i) + byItem[i]);
    }
    return rows;
}

std::vector<std::string> SavedSnapshot() {
    AssignIdsForWriting();
    return Snapshot();
}

void Fault(const std::string& message) {
    std::fprintf(stderr, "FUZZ FAULT: %s\n", message.c_str());
    std::fflush(stderr);
    std::abort();
}

void ExpectSame(const std::vector<std::string>& before, const std::vector<std::string>& after, const char* what) {
    if (before == after) return;
    std::string text = std::string(what) + ": the case changed\n--- before\n";
    for (const auto& r : before) text += r + "\n";
    text += "--- after\n";
    for (const auto& r : after) text += r + "\n";
    Fault(text);
}

void RoundTrip(const std::vector<std::string>& read) {
    const CaseFilePaths names{ScratchPath("saved.rls"), ScratchPath("saved.dtt")};
    WriteCaseFiles(names, true, true);
    FreshCase();
    const int dtt = ReadAssessmentsFile(names.Dtt);
    if (dtt != 0) Fault("the saved assessments file fails at line " + std::to_string(dtt));
    const int rls = ReadItemsFile(names.Rls);
    if (rls != 0) Fault("the saved items file fails at line " + std::to_string(rls));
    ExpectSame(read, Snapshot(), "save and reopen");
    // The reopened case saved again must give the same bytes: then it also reads as the same case.
    const std::string dttBytes = ReadFileBytes(names.Dtt), rlsBytes = ReadFileBytes(names.Rls);
    WriteCaseFiles(names, true, true);
    if (ReadFileBytes(names.Dtt) != dttBytes) Fault("a second save writes another assessments file");
    if (ReadFileBytes(names.Rls) != rlsBytes) Fault("a second save writes another items file");
    // Nothing of the input stays allocated: an input that leaves more allocations than it frees
    // is run again by libFuzzer with a whole-heap leak check, and after a thousand of them leak
    // checks are given up.
    FreshCase();
}

}  // namespace fuzzcase
