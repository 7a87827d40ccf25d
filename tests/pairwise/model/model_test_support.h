// Shared pieces of the paired-comparison model tests: every test starts from the reset
// routine, with scripted prompts and a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pairwise/model/globals.h"
#include "pairwise/model/tables.h"
#include "platform/temp_folder.h"
#include "platform/testing/scripted_prompts.h"

using namespace trindel;

namespace pairtest {

class ModelTest : public platform_test::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
    }
    void TearDown() override {
        ResetGlobals();
        Platform = nullptr;
        RandomNumbers = nullptr;
        ScratchTest::TearDown();
    }

    std::string PathOf(const std::string& relative) const { return (root_ / relative).string(); }
    std::string Fixture(const std::string& name) const { return std::string(FIXTURES_DIR) + "/pairwise/" + name; }

    platform::ScriptedPrompts prompts;
};

// Appends items with the given ids at the first free positions.
inline void AddItems(const std::vector<std::string>& ids) {
    int i = 1;
    for (const std::string& id : ids) {
        while (ItemTable[i]) ++i;
        NewItem(id, "", i);
    }
}

// Appends an expert whose row r is the item at position r, with rows[r-1] as its answers
// from column 1 on; rows beyond the list are not created.
inline TPairExpert* AddExpert(const std::string& id, const std::vector<std::string>& rows) {
    int e = 1;
    while (ExpertTable[e]) ++e;
    TPairExpert* x = NewExpert(id, "", e);
    for (std::size_t r = 1; r <= rows.size(); ++r) {
        TAnswerRow* row = NewAnswerRow(x, static_cast<int>(r));
        row->Item = ItemTable[r].get();
        for (std::size_t c = 0; c < rows[r - 1].size(); ++c) row->Answers[c + 1] = rows[r - 1][c];
    }
    return x;
}

// The answers of each row 1..1000 that exists, cut after the last non-blank one; a missing
// row reads "<none>".
inline std::vector<std::string> Matrix(const TPairExpert* x, int rowCount) {
    std::vector<std::string> m;
    for (int r = 1; r <= rowCount; ++r) {
        const TAnswerRow* row = x->AnswerRows[r].get();
        if (!row) {
            m.push_back("<none>");
            continue;
        }
        std::string s(row->Answers.begin() + 1, row->Answers.end());
        s.erase(s.find_last_not_of(' ') == std::string::npos ? 0 : s.find_last_not_of(' ') + 1);
        m.push_back(s);
    }
    return m;
}

// Rows that exist, counted from 1 up to the first missing one.
inline int RowCount(const TPairExpert* x) {
    int n = 0;
    while (n < MaxItemCount && x->AnswerRows[n + 1]) ++n;
    return n;
}

inline std::vector<std::string> ItemIds() {
    std::vector<std::string> ids;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i]) ids.push_back(ItemTable[i]->Id);
    return ids;
}

inline std::vector<std::string> ExpertIds() {
    std::vector<std::string> ids;
    for (int e = 1; e <= ExpertSlotCount; ++e)
        if (ExpertTable[e]) ids.push_back(ExpertTable[e]->Id);
    return ids;
}

}  // namespace pairtest
