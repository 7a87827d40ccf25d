#include "engine/information.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/calibration.h"
#include "engine/nudge.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "engine/worker_pool.h"

namespace halvorine {

namespace {

// Stands in for a width that is not positive (equal or reversed neighbours, or a bound that does
// not enclose the quantiles), so the information stays finite.
constexpr float SmallestWidth = 1e-5f;

long double ScaledValue(float v, bool isLog) {
    const long double nudged = NudgeIntegral(v);
    if (!isLog) return nudged;
    return std::log(std::max(static_cast<long double>(LowerClamp), nudged));
}

// What the information of every assessment of an item shares: its bounds on the item's scale
// and the logarithm of the range's width.
struct ItemBounds {
    const TItem* Item = nullptr;
    bool IsLog = false;
    long double Low = 0;
    long double High = 0;
    long double LogWidth = 0;
};

float FlooredWidth(long double from, long double to) {
    const float width = static_cast<float>(to - from);
    return width <= 0 ? SmallestWidth : width;
}

ItemBounds BoundsOf(const TItem* item) {
    ItemBounds b;
    b.Item = item;
    b.IsLog = IsLogItem(item);
    b.Low = ScaledValue(item->IntrinsicLow, b.IsLog);
    b.High = ScaledValue(item->IntrinsicHigh, b.IsLog);
    b.LogWidth = std::log(static_cast<long double>(FlooredWidth(b.Low, b.High)));
    return b;
}

// Fills the bound slots of a (valid, with its item) and returns its information. Each value is
// taken to the item's scale once; the widths are formed from them exactly as BinWidth forms them.
float InformationOf(TAssessment& a, const ItemBounds& b) {
    const int q = QuantileCount;
    a.Values[0] = a.Item->IntrinsicLow;
    a.Values[q + 1] = a.Item->IntrinsicHigh;
    long double scaled[MaxQuantileCount + 2];
    scaled[0] = b.Low;
    for (int k = 1; k <= q; ++k) scaled[k] = ScaledValue(a.Values[k], b.IsLog);
    scaled[q + 1] = b.High;
    long double info = b.LogWidth;
    for (int k = 1; k <= q + 1; ++k) {
        const long double p = BinProbabilities[k];
        info += p * std::log(p / static_cast<long double>(FlooredWidth(scaled[k - 1], scaled[k])));
    }
    return static_cast<float>(info);
}

// A decision maker's information is computed wherever it is read, and the optimisation reads it
// once per candidate level while most of its items keep their quantiles. What was computed is
// remembered with everything it was computed from and taken again while all of that is as it
// was; one per thread, so nothing is shared.
class KnownInformation {
public:
    // Before a series of look-ups: forgets everything when the levels or the nudging changed.
    void Begin() {
        const bool plain = NudgingOff();
        bool same = q_ == QuantileCount && plain_ == plain && known_.size() < 65536;
        for (int k = 1; same && k <= QuantileCount + 1; ++k)
            same = std::bit_cast<std::uint32_t>(bins_[k]) == std::bit_cast<std::uint32_t>(BinProbabilities[k]);
        if (same) return;
        known_.clear();
        q_ = QuantileCount;
        plain_ = plain;
        for (int k = 1; k <= QuantileCount + 1; ++k) bins_[k] = BinProbabilities[k];
    }

    // ItemInformation of a (valid, with its item).
    float Of(TAssessment& a) {
        const TItem* item = a.Item;
        const int q = q_;
        Entry key;
        key.Item = item;
        key.IsLog = IsLogItem(item);
        for (int k = 1; k <= q; ++k) key.Bits[k] = std::bit_cast<std::uint32_t>(a.Values[k]);
        key.Bits[0] = std::bit_cast<std::uint32_t>(item->IntrinsicLow);
        key.Bits[q + 1] = std::bit_cast<std::uint32_t>(item->IntrinsicHigh);
        Entry& known = known_[&a];
        if (known.Item == key.Item && known.IsLog == key.IsLog && std::equal(key.Bits, key.Bits + q + 2, known.Bits)) {
            a.Values[0] = item->IntrinsicLow;
            a.Values[q + 1] = item->IntrinsicHigh;
            return known.Information;
        }
        key.Information = InformationOf(a, BoundsOf(item));
        known = key;
        return key.Information;
    }

private:
    struct Entry {
        const TItem* Item = nullptr;
        bool IsLog = false;
        std::uint32_t Bits[MaxQuantileCount + 2] = {};
        float Information = 0;
    };
    std::unordered_map<const TAssessment*, Entry> known_;
    int q_ = -1;
    bool plain_ = false;
    float bins_[MaxQuantileCount + 2] = {};
};

thread_local KnownInformation Known;

}  // namespace

float BinWidth(const TAssessment& a, int k, int j) {
    const bool isLog = IsLogItem(a.Item);
    return FlooredWidth(ScaledValue(a.Values[j], isLog), ScaledValue(a.Values[k], isLog));
}

float ItemInformation(int e, int i) {
    TAssessment* a = AssessmentAt(e, i);
    if (!a || !a->Valid || !a->Item) return 0;
    return InformationOf(*a, BoundsOf(a->Item));
}

float GetItemInformation(int e, int i) {
    if (!IsDataExpert(e)) return ItemInformation(e, i);
    const TAssessment* a = AssessmentAt(e, i);
    return a ? a->Information : 0.0f;
}

int ComputeAllInformation() {
    if (int code = CheckBinProbabilities()) return code;
    // One task per expert: it writes its own assessments only. Each thread keeps its own bounds
    // of the items it met; the bounds depend on nothing but the item.
    const int n = ExpertCount;
    std::vector<std::vector<ItemBounds>> bounds(static_cast<std::size_t>(std::min(RunWorkerCount(), std::max(n, 1))));
    std::vector<int> failedItem(static_cast<std::size_t>(n) + 1, 0);
    ForEachTask(n, [&](int worker, int task) {
        const int e = task + 1;
        std::vector<ItemBounds>& known = bounds[static_cast<std::size_t>(worker)];
        if (known.empty()) known.resize(MaxItemCount + 1);
        for (int i = 1; i <= MaxItemCount; ++i) {
            TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item) continue;
            float info = 0;
            if (a->Valid) {
                if (known[i].Item != a->Item) known[i] = BoundsOf(a->Item);
                info = InformationOf(*a, known[i]);
            }
            if (!std::isfinite(info)) {
                failedItem[static_cast<std::size_t>(e)] = i;
                return;
            }
            a->Information = info;
        }
    });
    for (int e = 1; e <= n; ++e)
        if (const int i = failedItem[static_cast<std::size_t>(e)]) {
            CheckedExpert = e;
            ItemCount = i;
            return RunNotFinite;
        }
    return RunOk;
}

int ComputeInformationOfItems(const std::vector<int>& slots, const std::function<void(TAssessment&)>& keep) {
    if (int code = CheckBinProbabilities()) return code;
    const int n = ExpertCount;
    for (int i : slots)
        for (int e = 1; e <= n; ++e)
            if (TAssessment* a = AssessmentAt(e, i); a && a->Item) keep(*a);
    // One task per item: it writes the assessments of its own item only. Per item, the first
    // expert whose information is not finite.
    std::vector<int> failedExpert(slots.size(), 0);
    ForEachTask(static_cast<int>(slots.size()), [&](int, int task) {
        const int i = slots[static_cast<std::size_t>(task)];
        const TItem* item = nullptr;
        ItemBounds bounds;
        for (int e = 1; e <= n; ++e) {
            TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item) continue;
            float info = 0;
            if (a->Valid) {
                if (item != a->Item) {
                    item = a->Item;
                    bounds = BoundsOf(item);
                }
                info = InformationOf(*a, bounds);
            }
            if (!std::isfinite(info)) {
                if (!failedExpert[static_cast<std::size_t>(task)]) failedExpert[static_cast<std::size_t>(task)] = e;
                continue;
            }
            a->Information = info;
        }
    });
    // ComputeAllInformation names the first expert that fails and its first failing item.
    int expert = 0;
    int slot = 0;
    for (std::size_t t = 0; t < slots.size(); ++t) {
        const int e = failedExpert[t];
        if (!e) continue;
        if (!expert || e < expert || (e == expert && slots[t] < slot)) {
            expert = e;
            slot = slots[t];
        }
    }
    if (expert) {
        CheckedExpert = expert;
        ItemCount = slot;
        return RunNotFinite;
    }
    return RunOk;
}

InformationMeans MeanInformationOf(int e) {
    const TExpert* x = (e >= 1 && e <= ExpertSlotCount) ? ExpertTable[e].get() : nullptr;
    InformationMeans means;
    if (!x) return means;
    const bool data = IsDataExpert(e);
    // A left-out run of a robustness run changes a data expert's sums by a few items only.
    if (const FullRunReuse* reuse = data ? FullRunReuse::Open() : nullptr; reuse && reuse->MeansOf(x, means))
        return means;
    long double total = 0;
    long double seedTotal = 0;
    if (!data) Known.Begin();
    for (int i = 1; i <= MaxItemCount; ++i) {
        TAssessment* a = AssessmentAt(e, i);
        if (!a || !a->Item) continue;
        if (data)
            a->Information = GetItemInformation(e, i);
        else
            a->Information = a->Valid ? Known.Of(*a) : 0.0f;
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

}  // namespace halvorine
