// What the paired-comparison harnesses share: a private scratch folder, the checks of what a
// reader left in the tables, and the save, reopen and compare of the case.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <dirent.h>
#include <unistd.h>

#include "common/core/line_io.h"
#include "common/core/pascal_str.h"
#include "pairwise/model/case_files.h"
#include "pairwise/model/expert_data_file.h"
#include "pairwise/model/file_fields.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/items_file.h"
#include "pairwise/model/tables.h"
#include "tests/pairwise/model/case_snapshot.h"

using namespace trindel;

namespace pairfuzz {

[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "round trip: %s\n", what.c_str());
    std::abort();
}

inline const std::string& Scratch();

// Leaves nothing behind in /dev/shm when the process ends normally; a fault keeps the folder
// for a look at what was written.
inline void RemoveScratch() {
    if (DIR* dir = ::opendir(Scratch().c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                ::unlink((Scratch() + "/" + entry->d_name).c_str());
        ::closedir(dir);
    }
    ::rmdir(Scratch().c_str());
}

// Made once per process, in memory when /dev/shm is there. Scratch files need no sync: a sync
// to disk costs more than the whole round trip.
inline const std::string& Scratch() {
    // Never destroyed: the removal at exit still needs the name.
    static const std::string* const folder = new std::string([] {
        std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/pairfuzz-XXXXXX");
        if (!mkdtemp(pattern.data())) Fail("no scratch folder");
        SkipSyncsForTests(true);
        std::atexit(RemoveScratch);
        return pattern;
    }());
    return *folder;
}

// A new, empty case; the rest of the globals at their defaults (set in full once: the
// calculation workspace, which no file touches, is large).
inline void FreshCase() {
    static const bool once = (ResetGlobals(), true);
    (void)once;
    FreeCase();
    CaseFile.FileKinds[ExpertsFileKind].Modified = false;
    CaseFile.FileKinds[ItemsFileKind].Modified = false;
    ExpertDataHeader.clear();
}

inline std::string WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    const std::string path = Scratch() + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0) Fail("cannot write " + path);
    return path;
}

// What every reader leaves, whatever it was given: at most 1000 items in 1..ItemCount without
// gaps, ids and names a file can carry, and every expert with one row per item, in the item's
// slot, holding only answer characters.
inline void CheckTables() {
    int last = 0;
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TPairItem* item = ItemTable[i].get();
        if (!item) continue;
        if (i != last + 1) Fail("a gap before item " + std::to_string(i));
        last = i;
        if (!IsStorableId(item->Id.str()) || OneLineText(item->Name.str()) != item->Name.str())
            Fail("item " + std::to_string(i) + " holds what no file can carry");
    }
    for (int e = 1; e <= ExpertSlotCount; ++e) {
        const TPairExpert* x = ExpertTable[e].get();
        if (!x) continue;
        if (e > MaxExpertCount) Fail("an expert beyond slot 1000");
        if (!IsStorableId(x->Id.str()) || OneLineText(x->Name.str()) != x->Name.str())
            Fail("expert " + std::to_string(e) + " holds what no file can carry");
        for (int k = 1; k <= MaxItemCount; ++k) {
            const TAnswerRow* row = x->AnswerRows[k].get();
            if (!ItemTable[k]) continue;
            if (!row || row->Item != ItemTable[k].get())
                Fail("expert " + std::to_string(e) + " lacks the row of item " + std::to_string(k));
            for (int t = 1; t <= MaxItemCount; ++t) {
                const char c = row->Answers[t];
                if (c != '<' && c != '=' && c != '>' && c != ' ') Fail("an answer that is no answer");
            }
        }
    }
}

// The realisation's field has 12 columns; a value whose shortest digits do not fit them in any
// form a number field takes cannot be written as it is. Worked out here from the C library's
// digits, not from the writer: the fewest digits k that read back as x, then the shortest of
// d.dddE-n, ddddE-n and fixed point, with a '-' for a negative value.
inline bool FieldHolds(float x, int width) {
    if (!std::isfinite(x)) return true;
    for (int k = 1; k <= 9; ++k) {
        char e[64];
        std::snprintf(e, sizeof e, "%.*e", k - 1, static_cast<double>(x));
        float back = 0;
        if (!ParseReal32(e, back) || back != x) continue;
        const std::string text = e;
        const std::size_t at = text.find('e');
        const int exponent = std::atoi(text.c_str() + at + 1);
        const int sign = x < 0 ? 1 : 0;
        const int expDigits = static_cast<int>(std::to_string(std::abs(exponent)).size()) + (exponent < 0 ? 1 : 0);
        const int wholeExp = exponent - k + 1;
        const int wholeDigits = static_cast<int>(std::to_string(std::abs(wholeExp)).size()) + (wholeExp < 0 ? 1 : 0);
        int shortest = sign + (k > 1 ? k + 1 : 1) + 1 + expDigits;  // d.dddE-n
        shortest = std::min(shortest, sign + k + 1 + wholeDigits);  // ddddE-n
        char f[128];
        std::snprintf(f, sizeof f, "%.*f", std::max(0, k - 1 - exponent), static_cast<double>(x));
        if (ParseReal32(f, back) && back == x) shortest = std::min(shortest, static_cast<int>(std::strlen(f)));
        return shortest <= width;
    }
    return false;
}

// What a save must give back: every field as loaded, the realisation to the bit (and so in its
// class). Only a value its field cannot hold may come back as a near one: within a millionth
// (seven digits fit at least), and of the same class.
inline pairtest::CaseFields AsWritten(pairtest::CaseFields c, const pairtest::CaseFields& reopened) {
    for (std::size_t k = 0; k < c.Items.size() && k < reopened.Items.size(); ++k) {
        pairtest::ItemFields& item = c.Items[k];
        const float back = reopened.Items[k].Realisation;
        if (FieldHolds(item.Realisation, 12)) continue;
        if (std::fabs(back - item.Realisation) > std::fabs(item.Realisation) * 1e-6f ||
            (back > MissingValue) != (item.Realisation > MissingValue))
            Fail("a realisation its field cannot hold comes back as " + pairtest::Bits(back) + ", not near " +
                 pairtest::Bits(item.Realisation));
        item.Realisation = back;
    }
    return c;
}

inline void Saved(std::string& items, std::string& experts) {
    const CaseFilePaths paths = CaseFileNames(Scratch() + "/saved.iy");
    SaveCaseFiles(paths, true);
    items = ReadFileBytes(paths.ItemsFile);
    experts = ReadFileBytes(paths.ExpertDataFile);
}

inline void Reopen() {
    FreshCase();
    const CaseFilePaths paths = CaseFileNames(Scratch() + "/saved.iy");
    if (const int n = ReadItemsFile(paths.ItemsFile)) Fail("the saved items file fails at line " + std::to_string(n));
    if (const int n = ReadExpertDataFile(paths.ExpertDataFile))
        Fail("the saved expert data file fails at line " + std::to_string(n));
    CheckTables();
}

// Saves what the tables hold, reopens it and compares every field; a second save must write
// the same bytes.
inline void SaveReopenCompare() {
    std::string items, experts;
    Saved(items, experts);
    const pairtest::CaseFields loaded = pairtest::Snapshot();
    Reopen();
    const pairtest::CaseFields reopened = pairtest::Snapshot();
    const pairtest::CaseFields written = AsWritten(loaded, reopened);
    if (!(reopened == written))
        Fail("the reopened case differs\nsaved:\n" + pairtest::Describe(written) + "reopened:\n" +
             pairtest::Describe(reopened));
    std::string items2, experts2;
    Saved(items2, experts2);
    if (items2 != items || experts2 != experts) Fail("a second save writes other bytes");
    FreshCase();
}

}  // namespace pairfuzz
