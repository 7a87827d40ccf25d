// A scratch folder, scripted prompts and the engine's defaults for the case-file tests, and a
// text picture of the whole case to compare two reads by.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/globals.h"
#include "platform/temp_folder.h"
#include "platform/testing/scripted_prompts.h"

using namespace halvorine;

namespace casefiles_test {

class CaseFileTest : public platform_test::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        ResetGlobals();
        Platform = &prompts_;
    }
    void TearDown() override {
        ResetGlobals();
        Platform = nullptr;
        ScratchTest::TearDown();
    }

    static std::string Fixture(const std::string& name) { return std::string(FIXTURES_DIR) + "/case/" + name; }
    std::string PathOf(const std::string& relative) const { return (root_ / relative).string(); }

    // Writes lines, each ended by eol, to a file below the scratch folder; returns its path.
    std::string PutLines(const std::string& relative, const std::vector<std::string>& lines,
                         const std::string& eol = "\r\n") const {
        std::string bytes;
        for (const auto& l : lines) bytes += l + eol;
        return WriteFile(relative, bytes).string();
    }

    platform::ScriptedPrompts prompts_;
};

inline std::string Bits(float x) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", std::bit_cast<std::uint32_t>(x));
    return buf;
}

// Every item and expert with its fields, and every assessment slot with its item and values.
inline std::vector<std::string> CaseSnapshot() {
    std::vector<std::string> rows;
    rows.push_back("levels " + std::to_string(QuantileCount));
    for (int k = 1; k <= QuantileCount; ++k) rows.back() += " " + Bits(QuantileLevels[k]);
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* t = ItemTable[i].get();
        if (!t) continue;
        rows.push_back("item " + std::to_string(i) + " [" + t->Id.str() + "] [" + t->Name.str() + "] [" +
                       t->Scale.str() + "] " + Bits(t->Realisation) + (t->HasRealisation ? " R" : "") +
                       (t->FilterFlag ? " F" : ""));
    }
    for (int e = 1; e <= ExpertSlotCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        rows.push_back("expert " + std::to_string(e) + " [" + x->Id.str() + "] [" + x->Name.str() + "]" +
                       (x->FilterFlag ? " F" : ""));
        for (int s = 1; s <= MaxItemCount; ++s) {
            const TAssessment* a = x->Assessments[s].get();
            if (!a) continue;
            std::string row = "  slot " + std::to_string(s) + " [" + (a->Item ? a->Item->Id.str() : "?") + "]";
            for (int k = 1; k <= QuantileCount; ++k) row += " " + Bits(a->Values[k]);
            rows.push_back(row);
        }
    }
    return rows;
}

}  // namespace casefiles_test
