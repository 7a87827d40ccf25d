#include "engine/bayesian_update.h"

#include "engine/calibration.h"
#include "engine/globals.h"
#include "engine/intrinsic_range.h"
#include "engine/nudge.h"
#include "engine/run_codes.h"
#include "engine/tables.h"

namespace halvorine {

namespace {

// The items the data check counted: a flagged item is left out while filtering is on.
bool CountedSeed(const TItem* item) {
    return IsSeedItem(item) && !(ItemsFilterEnabled && item->FilterFlag);
}

// The new quantiles of a, on the bins between its entered values and the item's bounds.
void UpdateAssessment(TAssessment& a, const float* mass) {
    const int q = QuantileCount;
    const TItem* item = a.Item;
    const bool isLog = IsLogItem(item);
    float x[MaxQuantileCount + 2];
    x[0] = item->IntrinsicLow;
    for (int k = 1; k <= q; ++k) x[k] = NudgeIntegral(a.Values[k]);
    x[q + 1] = item->IntrinsicHigh;

    float updated[MaxQuantileCount + 1];
    int j = 1;
    float before = 0;  // the mass of the bins before bin j
    for (int t = 1; t <= q; ++t) {
        const float level = QuantileLevels[t];
        float cum = static_cast<float>(before + mass[j]);
        // The masses sum to 1 but for rounding: the search ends in the last bin in any case.
        while (!(cum > level) && j < q + 1) {
            before = cum;
            ++j;
            cum = static_cast<float>(before + mass[j]);
        }
        const long double width = static_cast<long double>(x[j]) - x[j - 1];
        float v = x[j];
        if (cum > level && mass[j] > 0 && width > 0)
            v = static_cast<float>(x[j] - (static_cast<long double>(cum) - level) / (mass[j] / width));
        // Interpolating linearly, rounding may leave a value at the foot of a wide bin at or below 0;
        // the bin starts above 0 on a LOG item.
        if (isLog && !(v > 0)) v = x[j - 1];
        updated[t] = v;
    }
    for (int t = 1; t <= q; ++t) a.Values[t] = updated[t];
}

}  // namespace

int BayesianUpdate() {
    if (int code = CheckBinProbabilities()) return code;
    if (int code = ComputeIntrinsicRanges()) return code;
    const int q = QuantileCount;
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        TExpert* x = ExpertTable[e].get();
        int hits[MaxQuantileCount + 2] = {};
        for (int s = 1; s <= MaxItemCount; ++s) {
            const TAssessment* a = x->Assessments[s].get();
            if (!a || !a->Item) break;
            if (!a->Valid || !CountedSeed(a->Item)) continue;
            int bin = q + 1;
            for (int k = 1; k <= q; ++k)
                if (a->Item->Realisation <= NudgeIntegral(a->Values[k])) {
                    bin = k;
                    break;
                }
            ++hits[bin];
        }

        const long double n = x->SeedCount;
        float mass[MaxQuantileCount + 2] = {};
        float total = 0;
        for (int k = 1; k <= q + 1; ++k) {
            mass[k] = static_cast<float>((hits[k] + 1) / (n + 1 / static_cast<long double>(BinProbabilities[k])));
            total = static_cast<float>(static_cast<long double>(total) + mass[k]);
        }
        for (int k = 1; k <= q + 1; ++k) mass[k] = static_cast<float>(mass[k] / static_cast<long double>(total));

        for (int s = 1; s <= MaxItemCount; ++s) {
            TAssessment* a = x->Assessments[s].get();
            if (!a || !a->Item) break;
            if (a->Valid) UpdateAssessment(*a, mass);
        }
    }
    return RunOk;
}

}  // namespace halvorine
