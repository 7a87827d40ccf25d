#include "pairwise/model/triads.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pairwise/model/calc_tables.h"
#include "pairwise/model/proportions.h"
#include "pairwise/model/report.h"
#include "pairwise/model/run_comparison.h"

namespace trindel {

Real48 ItemScore[MaxRunItems + 1][MaxRunExperts + 1];
Real48 ItemScoreTotal[MaxRunItems + 1];
int TriadCount[MaxRunExperts + 1] = {};

char PairRelation(int e, int a, int b) {
    const long double x = ExpertPreference[e][a][b];
    if (x < 0.1L) return '<';
    if (x < 0.6L) return '=';
    return '>';
}

int TriadKind(const std::string& pattern) {
    struct Entry {
        const char* Pattern;
        int Kind;
    };
    static constexpr std::array<Entry, 14> kinds{{
        {"<><", 1},
        {"><>", 1},
        {"=<>", 2},
        {"=><", 2},
        {"<=<", 2},
        {"<>=", 2},
        {">=>", 2},
        {"><=", 2},
        {"==<", 3},
        {"==>", 3},
        {"=<=", 3},
        {"=>=", 3},
        {"<==", 3},
        {">==", 3},
    }};
    for (const Entry& k : kinds)
        if (pattern == k.Pattern) return k.Kind;
    return 0;
}

namespace {

// Relations as codes: 0 '<', 1 '=', 2 '>'; a triple's pattern is then one number 0..26.
constexpr char RelationChars[3] = {'<', '=', '>'};

int RelationCode(char relation) {
    return relation == '<' ? 0 : relation == '=' ? 1 : 2;
}

// TriadKind of every pattern, by its number r(A,B) * 9 + r(A,C) * 3 + r(B,C).
const std::array<std::uint8_t, 27>& KindOfPattern() {
    static const std::array<std::uint8_t, 27> kinds = [] {
        std::array<std::uint8_t, 27> k{};
        for (int code = 0; code < 27; ++code)
            k[static_cast<std::size_t>(code)] = static_cast<std::uint8_t>(
                TriadKind({RelationChars[code / 9], RelationChars[code / 3 % 3], RelationChars[code % 3]}));
        return k;
    }();
    return kinds;
}

}  // namespace

void CountCircularTriads() {
    const int n = RunItemCount;
    const int m = RunExpertCount;
    for (int i = 1; i <= n; ++i) ItemScoreTotal[i] = 0;
    const std::array<std::uint8_t, 27>& kinds = KindOfPattern();
    TriadListing listing;

    // The items expert e answered, and the relations among them: 3 r and r per pair, so that a
    // triple's pattern number is a sum of three of them.
    std::vector<int> items;
    std::vector<std::uint8_t> times9;
    std::vector<std::uint8_t> times3;
    std::vector<std::uint8_t> once;
    for (int e = 1; e <= m; ++e) {
        ReportRunStep("Calculating: circular triads, expert " + std::to_string(e) + " of " + std::to_string(m));
        items.clear();
        for (int i = 1; i <= n; ++i)
            if (Answered[i][e]) items.push_back(i);
        const auto a = items.size();
        times9.assign(a * a, 0);
        times3.assign(a * a, 0);
        once.assign(a * a, 0);
        for (std::size_t p = 0; p < a; ++p)
            for (std::size_t q = p + 1; q < a; ++q) {
                const int r = RelationCode(PairRelation(e, items[p], items[q]));
                times9[p * a + q] = static_cast<std::uint8_t>(9 * r);
                times3[p * a + q] = static_cast<std::uint8_t>(3 * r);
                once[p * a + q] = static_cast<std::uint8_t>(r);
            }

        int counts[4] = {0, 0, 0, 0};
        TriadCount[e] = 0;
        bool firstTriad = true;
        for (std::size_t p = 0; p + 2 < a; ++p)
            for (std::size_t q = p + 1; q + 1 < a; ++q) {
                const int base = times9[p * a + q];
                const std::uint8_t* fromP = &times3[p * a];
                const std::uint8_t* fromQ = &once[q * a];
                for (std::size_t r = q + 1; r < a; ++r) {
                    const int kind = kinds[static_cast<std::size_t>(base + fromP[r] + fromQ[r])];
                    if (kind == 0) continue;
                    ++counts[kind];
                    listing.Line(e, items[p], items[q], items[r], kind, firstTriad);
                    firstTriad = false;
                }
            }
        if (!firstTriad) listing.Total(counts[1], counts[2], counts[3]);
        TriadCount[e] = counts[1] + counts[2] + counts[3];
    }
    listing.Close();

    CalcVector sums{};
    for (int e = 1; e <= m; ++e) {
        RowSumsOffDiagonal(sums, ExpertPreference[e]);
        for (int i = 1; i <= n; ++i) {
            const auto k = static_cast<std::size_t>(i);
            ItemScore[i][e] = sums[k];
            if (Answered[i][e]) ItemScoreTotal[i] = ItemScoreTotal[i] + sums[k];
        }
    }
}

}  // namespace trindel
