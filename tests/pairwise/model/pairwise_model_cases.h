// Shared pieces of the model tests: a reset workspace with scripted prompts, answers tallied
// into the workspace as a run tallies them, and the committed reference numbers.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "common/core/line_io.h"
#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "pairwise/model/globals.h"
#include "pairwise/model/run_tally.h"
#include "pairwise/model/workspace.h"
#include "platform/testing/scripted_prompts.h"

using namespace trindel;

namespace pairmodel_test {

class ModelCase : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        Platform = &prompts;
        RandomNumbers = &prompts;
    }
    void TearDown() override {
        ResetGlobals();
        Platform = nullptr;
        RandomNumbers = nullptr;
    }

    platform::ScriptedPrompts prompts;
};

// The pairs (1,2), (1,3), ..., (1,n), (2,3), ... in the order the answer strings list them.
inline std::vector<std::pair<int, int>> UpperPairs(int n) {
    std::vector<std::pair<int, int>> pairs;
    for (int i = 1; i < n; ++i)
        for (int j = i + 1; j <= n; ++j) pairs.emplace_back(i, j);
    return pairs;
}

// Tallies one answer string per expert ('>' first item preferred, '<' second, '=', ' ' none)
// over the given pairs into N, P, E and Answered, as the run does; n items, one counted
// expert per string.
inline void TallyAnswers(int n, const std::vector<std::string>& experts,
                         const std::vector<std::pair<int, int>>& pairs) {
    ClearCalculation();
    RunItemCount = n;
    RunExpertCount = static_cast<int>(experts.size());
    for (int i = 1; i <= n; ++i) ItemOrder[i] = i;
    for (int e = 1; e <= RunExpertCount; ++e) {
        const std::string& answers = experts[e - 1];
        for (std::size_t k = 0; k < pairs.size() && k < answers.size(); ++k) {
            const auto [l, t] = pairs[k];
            TallyAnswer(e, l, t, answers[k]);
        }
    }
}

inline void TallyAnswers(int n, const std::vector<std::string>& experts) {
    TallyAnswers(n, experts, UpperPairs(n));
}

// The worked case of the references: 4 items, 3 experts, every pair answered.
inline void TallyWorkedCase() {
    TallyAnswers(4, {">>>>>>", "<>>>><", ">=><>>"});
}

// The two reference items and their values; the first is also the NEL reference.
inline void SetReferences(int first, long double firstValue, int second, long double secondValue) {
    RefItem1 = first;
    RefValue1 = firstValue;
    RefItem2 = second;
    RefValue2 = secondValue;
    NelRefItem = first;
    NelRefValue = firstValue;
}

// Rows "key number number ..." of a committed reference file; '#' lines are comments. A key
// that repeats keeps every row.
using ReferenceRows = std::multimap<std::string, std::vector<long double>>;

inline ReferenceRows ReadReference(const std::string& name) {
    ReferenceRows rows;
    for (const std::string& line : ReadTextLines(std::string(FIXTURES_DIR) + "/reference/" + name)) {
        int pos = 1;
        const std::string key = NextWord(line, pos);
        if (key.empty() || key[0] == '#') continue;
        std::vector<long double> numbers;
        for (std::string word = NextWord(line, pos); !word.empty(); word = NextWord(line, pos)) {
            long double x = 0;
            EXPECT_EQ(ValReal(word, x), 0) << name << ": " << line;
            numbers.push_back(x);
        }
        rows.emplace(key, numbers);
    }
    return rows;
}

// The numbers of a key that occurs once.
inline std::vector<long double> Numbers(const ReferenceRows& rows, const std::string& key) {
    EXPECT_EQ(rows.count(key), 1u) << key;
    const auto it = rows.find(key);
    return it == rows.end() ? std::vector<long double>{} : it->second;
}

}  // namespace pairmodel_test
