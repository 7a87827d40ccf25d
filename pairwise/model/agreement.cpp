#include "pairwise/model/agreement.h"

#include "pairwise/model/checked_math.h"
#include "pairwise/model/triads.h"
#include "pairwise/model/workspace.h"

namespace trindel {

Real48 AgreementU;
Real48 ConcordanceW;

void AgreementAndConcordance() {
    const int n = RunItemCount;
    const int m = RunExpertCount;

    Real48 num = 0;
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j) {
            const long double p = PreferenceCount[i][j];
            if (i != j && p > 1.5L) num = num + p * (p - 1) / 2;
        }
    Real48 den = 0;
    for (int i = 1; i <= n - 1; ++i)
        for (int j = i + 1; j <= n; ++j) {
            const int count = PairCount[i][j];
            if (count > 1.5) den = den + static_cast<long double>(count * (count - 1)) / 2;
        }
    AgreementU = CheckedDivide(2 * num, den) - 1;

    if (!NoQueryAnswers) return;
    Real48 total = 0;
    for (int i = 1; i <= n; ++i) total = total + ItemScoreTotal[i];
    const Real48 mean = CheckedDivide(total, n);
    Real48 s = 0;
    for (int i = 1; i <= n; ++i) {
        const long double d = ItemScoreTotal[i] - mean;
        s = s + d * d;
    }
    // 12 S / (m^2 n (n^2 - 1)), divided in that order.
    const long double perExperts = CheckedDivide(s, static_cast<long double>(m) * m);
    const long double perItems = CheckedDivide(perExperts, static_cast<long double>(n) * n - 1);
    ConcordanceW = CheckedDivide(perItems * 12, n);
}

}  // namespace trindel
