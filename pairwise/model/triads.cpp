#include "pairwise/model/triads.h"

#include <array>

#include "pairwise/model/calc_tables.h"
#include "pairwise/model/proportions.h"
#include "pairwise/model/report.h"

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
        {"<><", 1}, {"><>", 1},
        {"=<>", 2}, {"=><", 2}, {"<=<", 2}, {"<>=", 2}, {">=>", 2}, {"><=", 2},
        {"==<", 3}, {"==>", 3}, {"=<=", 3}, {"=>=", 3}, {"<==", 3}, {">==", 3},
    }};
    for (const Entry& k : kinds)
        if (pattern == k.Pattern) return k.Kind;
    return 0;
}

void CountCircularTriads() {
    const int n = RunItemCount;
    const int m = RunExpertCount;
    for (int i = 1; i <= n; ++i) ItemScoreTotal[i] = 0;
    bool legendWritten = false;

    for (int e = 1; e <= m; ++e) {
        int counts[4] = {0, 0, 0, 0};
        TriadCount[e] = 0;
        bool firstTriad = true;
        for (int i = 1; i <= n - 2; ++i) {
            if (!Answered[i][e]) continue;
            for (int j = i + 1; j <= n - 1; ++j) {
                if (!Answered[j][e]) continue;
                for (int k = j + 1; k <= n; ++k) {
                    if (!Answered[k][e]) continue;
                    const std::string pattern{PairRelation(e, i, j), PairRelation(e, i, k), PairRelation(e, j, k)};
                    const int kind = TriadKind(pattern);
                    if (kind == 0) continue;
                    if (!legendWritten) {
                        WriteTriadLegend();
                        legendWritten = true;
                    }
                    ++counts[kind];
                    WriteTriadLine(e, i, j, k, kind, firstTriad);
                    firstTriad = false;
                }
            }
        }
        if (!firstTriad) WriteTriadTotal(counts[1], counts[2], counts[3]);
        TriadCount[e] = counts[1] + counts[2] + counts[3];
    }
    if (legendWritten) WriteReportLine("");

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
