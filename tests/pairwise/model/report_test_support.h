// Shared pieces of the run and report tests: a reset case in a scratch folder that is the
// current directory, a builder for answers given pair by pair, and reading the report back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/core/line_io.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/tables.h"
#include "pairwise/model/workspace.h"
#include "platform/temp_folder.h"
#include "platform/testing/scripted_prompts.h"

using namespace trindel;

namespace reporttest {

class RunTest : public platform_test::ScratchTest {
protected:
    void SetUp() override {
        ScratchTest::SetUp();
        std::filesystem::current_path(root_);
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
        CaseFile.CaseName = "case";
        prompts.SetShortDate("24/05/2024");
    }
    void TearDown() override {
        ResetGlobals();
        Platform = nullptr;
        RandomNumbers = nullptr;
        ScratchTest::TearDown();
    }

    // Opens the report in the scratch folder for a section writer.
    void OpenReport() { ReportFile = std::make_unique<TextFileWriter>(ReportPath()); }
    // Closes it and gives its lines (CR removed).
    std::vector<std::string> CloseReport() {
        ReportFile->Commit();
        ReportFile.reset();
        return ReadTextLines(ReportPath());
    }
    std::string ReportPath() const { return (root_ / (CaseFile.CaseName + ".ouc")).string(); }
    bool ReportExists() const { return std::filesystem::exists(ReportPath()); }

    platform::ScriptedPrompts prompts;
};

// Items with the given ids at positions 1, 2, ...
inline void AddItems(const std::vector<std::string>& ids) {
    for (std::size_t i = 0; i < ids.size(); ++i) NewItem(ids[i], "", static_cast<int>(i) + 1);
    AnswerColumnCount = CountItems();
}

inline void AddItemsNumbered(int count) {
    std::vector<std::string> ids;
    for (int i = 1; i <= count; ++i) ids.push_back("it" + std::to_string(i));
    AddItems(ids);
}

inline char Mirror(char c) {
    return c == '>' ? '<' : c == '<' ? '>' : c;
}

// An expert at the first free slot with one row per item; `pairs` holds the answers for
// (1,2), (1,3), ..., (1,n), (2,3), ..., (n-1,n), blanks allowed (spaces between answers are
// not allowed: one character a pair). Each answer is stored mirrored as the sheets keep it.
inline TPairExpert* AddExpert(const std::string& id, const std::string& pairs) {
    int slot = 1;
    while (ExpertTable[slot]) ++slot;
    TPairExpert* x = NewExpert(id, "", slot);
    const int n = AnswerColumnCount;
    for (int r = 1; r <= n; ++r) NewAnswerRow(x, r)->Item = ItemTable[r].get();
    std::size_t p = 0;
    for (int l = 1; l < n; ++l)
        for (int t = l + 1; t <= n; ++t, ++p) {
            const char c = p < pairs.size() ? pairs[p] : ' ';
            x->AnswerRows[l]->Answers[t] = c;
            x->AnswerRows[t]->Answers[l] = Mirror(c);
        }
    return x;
}

// The worked example: four items, three experts, every pair answered.
inline void BuildWorkedExample() {
    AddItems({"A1", "A2", "A3", "A4"});
    AddExpert("A", ">>>>>>");
    AddExpert("B", "><>>>>");
    AddExpert("C", "=>><>>");
}

}  // namespace reporttest
