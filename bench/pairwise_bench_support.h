// Shared pieces of WTrindel's benchmarks: platform services that answer nothing and draw from a
// fixed seed, and generated cases put into the tables as the case files would give them.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

#include "pairwise/model/globals.h"
#include "pairwise/model/tables.h"
#include "platform/prompts.h"

namespace pairbench {

// Only the date and the random source are read by a run; Randomize starts the same stream again.
class BenchPrompts : public platform::Prompts {
public:
    platform::Answer Message(platform::MessageKind, const std::string&, platform::Buttons) override {
        return platform::Answer::Ok;
    }
    bool OpenFile(platform::FileChoice&) override { return false; }
    bool SaveFile(platform::FileChoice&) override { return false; }
    std::string Caption() override { return ""; }
    void SetCaption(const std::string&) override {}
    void BeginBusy() override {}
    void EndBusy() override {}
    std::string ClipboardText() override { return ""; }
    void SetClipboardText(const std::string&) override {}
    bool ShowHelp(const std::string&) override { return false; }
    bool StartProgram(const std::string&) override { return false; }
    std::string ShortDate() override { return "01/01/2026"; }
    void Randomize() override { generator_.seed(12345); }
    double Random() override { return static_cast<double>(generator_() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 generator_{12345};
};

// A case of n items and m experts in the tables, named "gen_N_M": item i beats j with
// probability v(i) / (v(i) + v(j)), log v standard normal; 5 % of the answers are ties and 2 %
// are left blank. Items 1 and n carry the realisations 10 and 1.
inline void BuildGeneratedCase(int n, int m) {
    ResetGlobals();
    std::mt19937_64 g(2026);
    std::normal_distribution<double> logValue(0, 1);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<double> v(static_cast<std::size_t>(n) + 1);
    for (int i = 1; i <= n; ++i) {
        TPairItem* item = NewItem("it" + std::to_string(i), "item " + std::to_string(i), i);
        v[static_cast<std::size_t>(i)] = std::exp(logValue(g));
        if (i == 1 || i == n) {
            item->HasRealisation = true;
            item->Realisation = i == 1 ? 10.0f : 1.0f;
        }
    }
    AnswerColumnCount = n;
    for (int e = 1; e <= m; ++e) {
        TPairExpert* x = NewExpert("ex" + std::to_string(e), "expert " + std::to_string(e), e);
        for (int r = 1; r <= n; ++r) NewAnswerRow(x, r)->Item = ItemTable[r].get();
        for (int l = 1; l < n; ++l)
            for (int t = l + 1; t <= n; ++t) {
                const double a = u(g);
                char c = ' ';
                if (a < 0.02)
                    c = ' ';
                else if (a < 0.07)
                    c = '=';
                else
                    c = u(g) < v[static_cast<std::size_t>(l)] / (v[static_cast<std::size_t>(l)] + v[static_cast<std::size_t>(t)]) ? '>' : '<';
                x->AnswerRows[l]->Answers[t] = c;
                x->AnswerRows[t]->Answers[l] = c == '>' ? '<' : c == '<' ? '>' : c;
            }
    }
    CaseFile.CaseName = "gen_" + std::to_string(n) + "_" + std::to_string(m);
}

}  // namespace pairbench
