#include "pairwise/model/run_tally.h"

#include <algorithm>

#include "pairwise/model/globals.h"
#include "pairwise/model/tables.h"
#include "pairwise/model/workspace.h"

namespace trindel {

namespace {

bool TakesPart(const TPairExpert* x) {
    return x && !(ExpertsFilterEnabled && x->FilterFlag);
}

char AnswerAt(const TPairExpert& x, int row, int column) {
    const TAnswerRow* answers = x.AnswerRows[row].get();
    return answers ? answers->Answers[column] : ' ';
}

}  // namespace

std::vector<int> RunItemPositions() {
    std::vector<int> items;
    const int last = std::min(AnswerColumnCount, MaxItemCount);
    for (int k = 1; k <= last; ++k) {
        const TPairItem* item = ItemTable[k].get();
        if (item && !(ItemsFilterEnabled && item->FilterFlag)) items.push_back(k);
    }
    return items;
}

int CountRunExperts() {
    int count = 0;
    for (int x = 1; x <= MaxExpertCount; ++x)
        if (TakesPart(ExpertTable[x].get())) ++count;
    return count;
}

RunReferenceItems FindRunReferenceItems(const std::vector<int>& items) {
    RunReferenceItems r;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TPairItem* item = ItemTable[items[i]].get();
        if (!IsReferenceItem(item)) continue;
        const int position = static_cast<int>(i) + 1;
        if (++r.Count == 1) {
            r.First = position;
            r.FirstValue = item->Realisation;
        } else {
            r.Second = position;
            r.SecondValue = item->Realisation;
        }
    }
    return r;
}

std::string RunRefusal(const std::vector<int>& items) {
    if (static_cast<int>(items.size()) > MaxRunItems)
        return "Number of items must not exceed " + std::to_string(MaxRunItems);
    if (CountRunExperts() > MaxRunExperts) return "Number of experts must not exceed " + std::to_string(MaxRunExperts);
    if (ScaleTransformation && FindRunReferenceItems(items).Count != 2)
        return "Number of realizations is not equal to 2";
    return {};
}

void TallyAnswer(int e, int l, int t, char c) {
    if (c != '>' && c != '<' && c != '=') return;
    MarkTallied(e, std::max(l, t));
    ++PairCount[l][t];
    ++PairCount[t][l];
    Answered[l][e] = true;
    Answered[t][e] = true;
    if (c == '>') {
        ExpertPreference[e][l][t] = 1;
        PreferenceCount[l][t] += 1;
    } else if (c == '<') {
        ExpertPreference[e][t][l] = 1;
        PreferenceCount[t][l] += 1;
    } else {
        ExpertPreference[e][l][t] = 0.5L;
        ExpertPreference[e][t][l] = 0.5L;
        PreferenceCount[l][t] += 0.5L;
        PreferenceCount[t][l] += 0.5L;
        NoTieAnswers = false;
    }
}

void TallyAnswers(const std::vector<int>& items) {
    ClearCalculation();
    const int n = std::min(static_cast<int>(items.size()), MaxRunItems);
    for (int i = 1; i <= n; ++i) ItemOrder[i] = items[static_cast<std::size_t>(i) - 1];

    int m = 0;
    for (int x = 1; x <= MaxExpertCount && m < MaxRunExperts; ++x) {
        const TPairExpert* expert = ExpertTable[x].get();
        if (!TakesPart(expert)) continue;
        ++m;
        for (int l = 1; l < n; ++l)
            for (int t = l + 1; t <= n; ++t) TallyAnswer(m, l, t, AnswerAt(*expert, ItemOrder[l], ItemOrder[t]));
        RunExpertNumber[m] = x;
        RunExpertId[m] = expert->Id;
    }
    RunExpertCount = m;
    RunItemCount = n;
}

}  // namespace trindel
