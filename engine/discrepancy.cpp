#include "engine/discrepancy.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/run_codes.h"
#include "engine/tables.h"

namespace halvorine {

namespace {

// As the information floors a bin that is not positive.
constexpr long double SmallestWidth = 1e-5L;

struct Bins {
    long double End[MaxQuantileCount + 2];      // the breakpoints, bounds included
    long double Density[MaxQuantileCount + 2];  // of bins 1..q+1
};

void MakeBins(int q, const float* p, const float* values, bool isLog, float upper, float lower, Bins& bins) {
    for (int k = 0; k <= q + 1; ++k) {
        // An assessment made on another range (an earlier decision maker's) is taken into this one.
        float v = k == 0 ? lower : k == q + 1 ? upper : std::clamp(values[k], lower, upper);
        bins.End[k] = isLog ? std::log(static_cast<long double>(v)) : static_cast<long double>(v);
    }
    for (int k = 1; k <= q + 1; ++k) {
        long double width = bins.End[k] - bins.End[k - 1];
        if (!(width > 0)) width = SmallestWidth;
        bins.Density[k] = static_cast<long double>(p[k]) / width;
    }
}

// A segment of no length adds nothing, whatever the densities on it.
long double Segment(long double length, long double fx, long double fy) {
    return length > 0 ? length * fx * std::log(fx / fy) : 0.0L;
}

// a with respect to b on their item's range and scale.
float DiscrepancyOf(const TAssessment& a, const TAssessment& b, const TItem& item) {
    return RelativeInformation(QuantileCount, BinProbabilities, a.Values, IsLogItem(&item), item.IntrinsicHigh,
                               item.IntrinsicLow, b.Values);
}

struct MapRestore {
    IndexMapType* Saved = ItemIndexMap;
    ~MapRestore() { ItemIndexMap = Saved; }
};

}  // namespace

float RelativeInformation(int q, const float* p, const float* a, bool isLog, float upper, float lower, const float* b) {
    // No range to measure on: not a number, which the callers refuse.
    if (!(lower <= upper)) return std::numeric_limits<float>::quiet_NaN();
    Bins x;
    Bins y;
    MakeBins(q, p, a, isLog, upper, lower, x);
    MakeBins(q, p, b, isLog, upper, lower, y);
    long double sum = 0;
    int j = 1;
    for (int i = 1; i <= q + 1; ++i) {
        long double start = x.End[i - 1];
        // Y's last breakpoint is the upper bound, which no X breakpoint passes.
        while (j < q + 1 && y.End[j] < x.End[i]) {
            sum += Segment(y.End[j] - start, x.Density[i], y.Density[j]);
            start = y.End[j];
            ++j;
        }
        sum += Segment(x.End[i] - start, x.Density[i], y.Density[j]);
    }
    return static_cast<float>(sum);
}

void ComputeDiscrepancies(int& code) {
    code = RunOk;
    const int dm = ExpertCount + 1;
    for (int e = 1; e <= MaxExpertCount && ExpertTable[e]; ++e) {
        if (e == dm) continue;
        for (int i = 1; i <= MaxItemCount; ++i) {
            TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item) continue;
            a->Discrepancy = 0;
            const TAssessment* d = AssessmentAt(dm, i);
            if (!a->Valid || !d || !d->Valid) continue;
            const float r = DiscrepancyOf(*a, *d, *a->Item);
            if (!std::isfinite(r)) {
                CheckedExpert = e;
                ItemCount = i;
                code = RunNotFinite;
                return;
            }
            a->Discrepancy = r;
        }
    }
}

void ComputeMeanDiscrepancies() {
    const int dm = ExpertCount + 1;
    for (int e = 1; e <= MaxExpertCount && ExpertTable[e]; ++e) {
        TExpert* x = ExpertTable[e].get();
        x->MeanDiscrepancy = 0;
        x->MeanSeedDiscrepancy = 0;
        if (e == dm) continue;
        long double sum = 0;
        long double seedSum = 0;
        int count = 0;
        int seedCount = 0;
        for (int i = 1; i <= MaxItemCount; ++i) {
            const TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item || !a->Valid) continue;
            sum += a->Discrepancy;
            ++count;
            if (IsSeedItem(a->Item)) {
                seedSum += a->Discrepancy;
                ++seedCount;
            }
        }
        if (count > 0) x->MeanDiscrepancy = static_cast<float>(sum / count);
        if (seedCount > 0) x->MeanSeedDiscrepancy = static_cast<float>(seedSum / seedCount);
    }
}

void ResetDiscrepancies() {
    for (int e = 1; e <= ExpertSlotCount && ExpertTable[e]; ++e) {
        ExpertTable[e]->MeanDiscrepancy = MissingValue;
        ExpertTable[e]->MeanSeedDiscrepancy = MissingValue;
    }
}

void RobustnessDiscrepancy(int& code, int excluded, TRobustness& R) {
    code = RunOk;
    R.DMDiscrepancy = 0;
    R.DMSeedDiscrepancy = 0;
    const int n = ExpertCount;
    const MapRestore restore;
    long double sum = 0;
    long double seedSum = 0;
    int count = 0;
    int seedCount = 0;
    int k = 0;
    for (int i = 1; i <= MaxItemCount; ++i) {
        if (i == excluded) continue;
        ++k;
        ItemIndexMap = restore.Saved;
        const TAssessment* b = AssessmentAt(n + 2, i);
        if (!b || !b->Item) break;
        // The left-out run's decision maker lies in the slots of the left-out run's item map.
        ItemIndexMap = &RobustItemColumnMap;
        const TAssessment* r = AssessmentAt(n + 1, k);
        ItemIndexMap = restore.Saved;
        if (!r || !r->Valid || !b->Valid) continue;
        const TItem* item = b->Item;
        const float d = DiscrepancyOf(*r, *b, *item);
        if (!std::isfinite(d)) {
            ItemCount = i;
            code = RunNotFinite;
            return;
        }
        sum += d;
        ++count;
        if (IsSeedItem(item)) {
            seedSum += d;
            ++seedCount;
        }
    }
    if (count > 0) R.DMDiscrepancy = static_cast<float>(sum / count);
    if (seedCount > 0) R.DMSeedDiscrepancy = static_cast<float>(seedSum / seedCount);
}

}  // namespace halvorine
