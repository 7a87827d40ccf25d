#include "engine/information.h"

#include <algorithm>
#include <cmath>

#include "engine/calibration.h"
#include "engine/nudge.h"
#include "engine/run_codes.h"
#include "engine/tables.h"

namespace {

// Stands in for a width that is not positive (equal or reversed neighbours, or a bound that does
// not enclose the quantiles), so the information stays finite.
constexpr float SmallestWidth = 1e-5f;

long double ScaledValue(float v, bool isLog) {
    const long double nudged = NudgeIntegral(v);
    if (!isLog) return nudged;
    return std::log(std::max(static_cast<long double>(LowerClamp), nudged));
}

} // namespace

float BinWidth(const TAssessment& a, int k, int j) {
    const bool isLog = IsLogItem(a.Item);
    const float width = static_cast<float>(ScaledValue(a.Values[k], isLog) - ScaledValue(a.Values[j], isLog));
    return width <= 0 ? SmallestWidth : width;
}

float ItemInformation(int e, int i) {
    TAssessment* a = AssessmentAt(e, i);
    if (!a || !a->Valid || !a->Item) return 0;
    const int q = QuantileCount;
    a->Values[0] = a->Item->IntrinsicLow;
    a->Values[q + 1] = a->Item->IntrinsicHigh;
    // Each value on the item's scale once (the logarithms dominate the cost); the widths are
    // formed from them exactly as BinWidth forms them.
    const bool isLog = IsLogItem(a->Item);
    long double scaled[MaxQuantileCount + 2];
    for (int k = 0; k <= q + 1; ++k) scaled[k] = ScaledValue(a->Values[k], isLog);
    auto width = [&](int k, int j) {
        const float w = static_cast<float>(scaled[k] - scaled[j]);
        return static_cast<long double>(w <= 0 ? SmallestWidth : w);
    };
    long double info = std::log(width(q + 1, 0));
    for (int k = 1; k <= q + 1; ++k) {
        const long double p = BinProbabilities[k];
        info += p * std::log(p / width(k, k - 1));
    }
    return static_cast<float>(info);
}

float GetItemInformation(int e, int i) {
    if (!IsDataExpert(e)) return ItemInformation(e, i);
    const TAssessment* a = AssessmentAt(e, i);
    return a ? a->Information : 0.0f;
}

int ComputeAllInformation() {
    if (int code = CheckBinProbabilities()) return code;
    for (int e = 1; e <= ExpertCount; ++e) {
        for (int i = 1; i <= MaxItemCount; ++i) {
            TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item) continue;
            const float info = ItemInformation(e, i);
            if (!std::isfinite(info)) {
                CheckedExpert = e;
                ItemCount = i;
                return RunNotFinite;
            }
            a->Information = info;
        }
    }
    return RunOk;
}

InformationMeans MeanInformationOf(int e) {
    const TExpert* x = (e >= 1 && e <= ExpertSlotCount) ? ExpertTable[e].get() : nullptr;
    InformationMeans means;
    if (!x) return means;
    long double total = 0;
    long double seedTotal = 0;
    for (int i = 1; i <= MaxItemCount; ++i) {
        TAssessment* a = AssessmentAt(e, i);
        if (!a || !a->Item) continue;
        a->Information = GetItemInformation(e, i);
        total += a->Information;
        if (IsSeedItem(a->Item)) seedTotal += a->Information;
    }
    if (x->SeedCount != 0) means.Seed = static_cast<float>(seedTotal / x->SeedCount);
    // An expert without any assessed item has no information to average.
    if (x->AssessedCount != 0) means.All = static_cast<float>(total / x->AssessedCount);
    return means;
}

float ComputeMeanInformation(int e) {
    TExpert* x = (e >= 1 && e <= ExpertSlotCount) ? ExpertTable[e].get() : nullptr;
    if (!x) return 0;
    const InformationMeans means = MeanInformationOf(e);
    x->MeanSeedInformation = means.Seed;
    x->MeanInformation = means.All;
    return x->MeanSeedInformation;
}
