// Shared pieces of WTrindel's benchmarks: platform services that answer nothing and draw from a
// fixed seed, and generated cases put into the tables as the case files would give them.
#pragma once

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "pairwise/model/globals.h"
#include "pairwise/model/tables.h"
#include "platform/quiet_prompts.h"

using namespace trindel;

namespace pairbench {

// Only the date and the random source are read by a run; Randomize starts the same stream again.
using BenchPrompts = platform::QuietPrompts;

// The shape of a generated case: item i beats j with probability v(i) / (v(i) + v(j)), with
// log v normal of the given spread; a share of the answers are ties and a share left blank.
struct CaseShape {
    int items = 20;
    int experts = 10;
    double spread = 6;
    double ties = 0.05;
    double blanks = 0.02;
};

// The case in the tables, named "gen_N_M"; items 1 and n carry the realisations 10 and 1.
inline void BuildGeneratedCase(const CaseShape& shape) {
    ResetGlobals();
    const int n = shape.items;
    std::mt19937_64 g(2026);
    std::normal_distribution<double> logValue(0, shape.spread);
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<double> v(static_cast<std::size_t>(n) + 1);
    for (int i = 1; i <= n; ++i) {
        TPairItem* item = NewItem("it" + std::to_string(i), "item " + std::to_string(i), i);
        v[static_cast<std::size_t>(i)] = logValue(g);
        if (i == 1 || i == n) {
            item->HasRealisation = true;
            item->Realisation = i == 1 ? 10.0f : 1.0f;
        }
    }
    AnswerColumnCount = n;
    for (int e = 1; e <= shape.experts; ++e) {
        TPairExpert* x = NewExpert("ex" + std::to_string(e), "expert " + std::to_string(e), e);
        for (int r = 1; r <= n; ++r) NewAnswerRow(x, r)->Item = ItemTable[r].get();
        for (int l = 1; l < n; ++l)
            for (int t = l + 1; t <= n; ++t) {
                const double a = u(g);
                // P(l beats t) = 1 / (1 + exp(log v(t) - log v(l))).
                const double p = 1 / (1 + std::exp(v[static_cast<std::size_t>(t)] - v[static_cast<std::size_t>(l)]));
                char c = ' ';
                if (a < shape.blanks)
                    c = ' ';
                else if (a < shape.blanks + shape.ties)
                    c = '=';
                else
                    c = u(g) < p ? '>' : '<';
                x->AnswerRows[l]->Answers[t] = c;
                x->AnswerRows[t]->Answers[l] = c == '>' ? '<' : c == '<' ? '>' : c;
            }
    }
    CaseFile.CaseName = "gen_" + std::to_string(n) + "_" + std::to_string(shape.experts);
}

}  // namespace pairbench
