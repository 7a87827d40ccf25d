#include "pairwise/model/agreement.h"

#include "common/core/calc_error.h"
#include "pairwise/model/triads.h"
#include "pairwise/model/workspace.h"

Real48 AgreementU;
Real48 ConcordanceW;

namespace {

// a / b, raising what the floating-point unit would report for a zero divisor.
long double Divide(long double a, long double b) {
    if (b == 0) throw CalcError(a == 0 ? CalcErrorKind::InvalidOperation : CalcErrorKind::ZeroDivide);
    return a / b;
}

}  // namespace

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
    AgreementU = Divide(2 * num, den) - 1;

    if (!NoQueryAnswers) return;
    Real48 total = 0;
    for (int i = 1; i <= n; ++i) total = total + ItemScoreTotal[i];
    const Real48 mean = Divide(total, n);
    Real48 s = 0;
    for (int i = 1; i <= n; ++i) {
        const long double d = ItemScoreTotal[i] - mean;
        s = s + d * d;
    }
    ConcordanceW = Divide(Divide(Divide(s, static_cast<long double>(m) * m), static_cast<long double>(n) * n - 1) * 12, n);
}
