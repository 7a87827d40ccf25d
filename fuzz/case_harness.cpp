#include "case_harness.h"

#include <stdlib.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>

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

std::string Hex(const std::string& s) {
    std::string out;
    for (unsigned char c : s) {
        if (c >= 32 && c < 127 && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        }
    }
    return out;
}

// The value as loaded, to the bit: a save must give it back as it was, and so in its class.
// Only the missing values a file cannot tell apart stand for one.
std::string Value(float x) {
    if (!std::isfinite(x)) x = NoValue;
    char buf[16];
    std::snprintf(buf, sizeof buf, " %08x", std::bit_cast<std::uint32_t>(x == 0 ? 0.0f : x));
    return buf;
}

}  // namespace

const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                              std::string("/halvorine-fuzz-XXXXXX");
        if (!mkdtemp(pattern.data())) Fault("no scratch folder");
        return pattern;
    }();
    return folder;
}

std::string ScratchPath(const std::string& name) {
    return ScratchFolder() + "/" + name;
}

std::string PutFile(const std::string& name, const std::string& bytes) {
    const std::string path = ScratchPath(name);
    TextFileWriter out(path);
    out.Write(bytes);
    out.Commit();
    return path;
}

void FreshCase() {
    ResetGlobals();
    Platform = &quiet;
}

std::vector<std::string> Snapshot() {
    std::vector<std::string> rows;
    rows.push_back("header [" + Hex(TrimRight(AssessmentHeader)) + "] levels " + std::to_string(QuantileCount));
    for (int k = 1; k <= QuantileCount && k <= MaxQuantileCount; ++k)
        rows.back() += " " + std::to_string(QuantileLevels[k]);
    std::map<const TItem*, int> index;
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* t = ItemTable[i].get();
        if (!t) continue;
        index[t] = i;
        rows.push_back("item " + std::to_string(i) + " [" + Hex(t->Id.str()) + "] [" + Hex(t->Name.str()) + "] [" +
                       Hex(t->Scale.str()) + "] " + Value(t->Realisation) + (t->FilterFlag ? " F" : ""));
    }
    for (int e = 1; e <= MaxExpertCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x || x->IsDecisionMaker) continue;
        rows.push_back("expert [" + Hex(x->Id.str()) + "] [" + Hex(x->Name.str()) + "]" + (x->FilterFlag ? " F" : ""));
        std::map<int, std::string> byItem;
        for (int s = 1; s <= MaxItemCount; ++s) {
            const TAssessment* a = x->Assessments[s].get();
            if (!a || !a->Item || byItem.count(index[a->Item])) continue;  // the first slot of an item counts
            std::string values;
            bool any = false;
            for (int k = 1; k <= QuantileCount && k <= MaxQuantileCount; ++k) {
                values += Value(a->Values[k]);
                any = any || !IsMissing(a->Values[k]);
            }
            byItem[index[a->Item]] = any ? values : std::string();
        }
        for (const auto& [i, values] : byItem)
            if (!values.empty()) rows.push_back("  item " + std::to_string(i) + values);
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
    std::vector<std::string> previous = read;
    for (int pass = 1; pass <= 2; ++pass) {
        const CaseFilePaths names{ScratchPath("saved.rls"), ScratchPath("saved.dtt")};
        WriteCaseFiles(names, true, true);
        FreshCase();
        const int dtt = ReadAssessmentsFile(names.Dtt);
        if (dtt != 0) Fault("the saved assessments file fails at line " + std::to_string(dtt));
        const int rls = ReadItemsFile(names.Rls);
        if (rls != 0) Fault("the saved items file fails at line " + std::to_string(rls));
        const std::vector<std::string> again = Snapshot();
        ExpectSame(previous, again, pass == 1 ? "save and reopen" : "second save and reopen");
        previous = again;
    }
}

}  // namespace fuzzcase
