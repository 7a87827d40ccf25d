#include "engine/decision_maker.h"

#include <algorithm>
#include <cmath>

#include "common/core/text.h"
#include "engine/calibration.h"
#include "engine/information.h"
#include "engine/nudge.h"
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "engine/weights.h"

namespace {

// One expression for the interval ends and for every expert's breakpoints, so that the walk
// below finds each breakpoint among the interval ends exactly.
long double PoolScale(double v, bool isLog) {
    if (!isLog) return v;
    return v > 0 ? std::log(static_cast<long double>(v)) : 0.0L;
}

float WeightOf(int e, const TAssessment& a) {
    return WeightType == 3 ? a.ItemWeight : ExpertTable[e]->Weight;
}

void MarkMissing(TAssessment& d) {
    for (int k = 1; k <= QuantileCount; ++k) d.Values[k] = NoValue;
    d.Valid = false;
}

// The last data expert who carries the whole weight: of the case, or with item weights of item i.
int SoleExpert(int i) {
    int sole = 0;
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        if (WeightType == 3) {
            const TAssessment* a = AssessmentAt(e, i);
            if (a && a->Item && NearlyEqual(1, a->ItemWeight)) sole = e;
        } else if (NearlyEqual(1, ExpertTable[e]->Weight)) {
            sole = e;
        }
    }
    return sole;
}

void CopyExpert(int e, int dm) {
    for (int i = 1; i <= MaxItemCount; ++i) {
        if (!ItemTable[i]) continue;
        TAssessment* d = AssessmentAt(dm, i);
        if (!d) continue;
        if (const TAssessment* a = AssessmentAt(e, i))
            *d = *a;
        else
            d->Item = nullptr;
    }
}

class ItemPool {
public:
    // Pools item i into d; 0 or a run code.
    int Pool(int i, TAssessment& d);

private:
    int AddExpert(const TAssessment& a, long double frac, bool isLog, float L, float U);

    std::vector<double> points_;
    std::vector<PoolInterval> intervals_;
    int count_ = 0;
};

int ItemPool::Pool(int i, TAssessment& d) {
    const TItem* item = ItemTable[i].get();
    const bool isLog = IsLogItem(item);
    const int q = QuantileCount;

    long double total = 0;
    points_.clear();
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        const TAssessment* a = AssessmentAt(e, i);
        if (!a || !a->Valid) continue;
        total += WeightOf(e, *a);
        for (int k = 1; k <= q; ++k) points_.push_back(NudgeIntegral(a->Values[k]));
    }
    // Nobody answered, or nobody who did carries weight: nothing to pool, nothing to invent.
    if (points_.empty() || total == 0) {
        MarkMissing(d);
        return RunOk;
    }

    // Distinct breakpoints above the clamp, the largest always, between the item's bounds.
    std::sort(points_.begin(), points_.end());
    const float L = item->IntrinsicLow;
    const float U = item->IntrinsicHigh;
    intervals_.assign(1, PoolInterval{});
    long double previous = PoolScale(L, isLog);
    const std::size_t n = points_.size();
    for (std::size_t t = 0; t < n; ++t) {
        const double v = points_[t];
        const bool keep = t + 1 == n || (DefinitelyLess(static_cast<float>(LowerClamp), static_cast<float>(v)) &&
                                         v < points_[t + 1]);
        if (!keep) continue;
        const long double end = PoolScale(v, isLog);
        intervals_.push_back(PoolInterval{previous, end, 0.0f});
        previous = end;
    }
    intervals_.push_back(PoolInterval{previous, PoolScale(U, isLog), 0.0f});
    count_ = static_cast<int>(intervals_.size()) - 1;

    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        const TAssessment* a = AssessmentAt(e, i);
        if (!a || !a->Valid) continue;
        const long double frac = static_cast<long double>(WeightOf(e, *a)) / total;
        // An expert without weight adds nothing anywhere.
        if (frac == 0) continue;
        if (int code = AddExpert(*a, frac, isLog, L, U)) return code;
    }

    DMQuantilesFromDensity(intervals_, count_, d);
    if (isLog)
        for (int k = 1; k <= q; ++k)
            d.Values[k] = static_cast<float>(std::exp(static_cast<long double>(NudgeIntegral(d.Values[k]))));
    for (int k = 1; k <= q; ++k)
        if (!std::isfinite(d.Values[k])) return RunNotFinite;
    d.Valid = true;
    return RunOk;
}

int ItemPool::AddExpert(const TAssessment& a, long double frac, bool isLog, float L, float U) {
    const int q = QuantileCount;
    long double ends[MaxQuantileCount + 2];
    ends[0] = PoolScale(L, isLog);
    for (int k = 1; k <= q; ++k) ends[k] = PoolScale(NudgeIntegral(a.Values[k]), isLog);
    ends[q + 1] = PoolScale(U, isLog);

    long double density[MaxQuantileCount + 2];
    for (int k = 1; k <= q + 1; ++k) {
        const long double width = ends[k] - ends[k - 1];
        // Mass on no width (the bounds collapsed onto a quantile) has no density.
        if (!(width > 0)) return RunDegenerateBin;
        density[k] = frac * static_cast<long double>(BinProbabilities[k]) / width;
        if (!std::isfinite(density[k])) return RunDegenerateBin;
    }

    // Each quantile is found in ascending order from where the previous one was.
    int j = 0;
    for (int k = 1; k <= q; ++k) {
        const int first = j + 1;
        bool found = false;
        while (j < count_ && !found) {
            ++j;
            found = NearlyEqualExtended(intervals_[j].High, ends[k]);
        }
        if (!found) return RunDegenerateBin;
        for (int t = first; t <= j; ++t)
            intervals_[t].Density = static_cast<float>(intervals_[t].Density + density[k]);
    }
    for (int t = j + 1; t <= count_; ++t)
        intervals_[t].Density = static_cast<float>(intervals_[t].Density + density[q + 1]);
    return RunOk;
}

bool Finite(float v) { return std::isfinite(v); }

bool ScoresFinite(const TExpert& x) {
    if (!Finite(x.Calibration) || !Finite(x.CalibrationCut) || !Finite(x.SeedEntropy) || !Finite(x.RawWeight) ||
        !Finite(x.Weight) || !Finite(x.WeightWithDM) || !Finite(x.MeanSeedInformation) ||
        !Finite(x.MeanInformation))
        return false;
    for (const auto& a : x.Assessments) {
        if (!a || !a->Item) continue;
        if (!Finite(a->Information) || !Finite(a->RawItemWeight) || !Finite(a->ItemWeight)) return false;
        for (int k = 1; k <= QuantileCount; ++k)
            if (!Finite(a->Values[k])) return false;
    }
    return true;
}

} // namespace

void DMQuantilesFromDensity(const std::vector<PoolInterval>& intervals, int count, TAssessment& d) {
    long double cum = 0;
    int j = 0;
    for (int k = 1; k <= QuantileCount; ++k) {
        const long double level = QuantileLevels[k];
        while (cum <= level && j < count) {
            ++j;
            cum += (intervals[j].High - intervals[j].Low) * static_cast<long double>(intervals[j].Density);
        }
        if (cum > level) {
            d.Values[k] = static_cast<float>(intervals[j].High - (cum - level) / intervals[j].Density);
        } else {
            const long double before = k == 1 ? intervals[1].Low : static_cast<long double>(d.Values[k - 1]);
            d.Values[k] = static_cast<float>((before + intervals[j].High) / 2);
        }
    }
}

int BuildDecisionMaker() {
    const int dm = ExpertCount + 1;
    if (!ExpertTable[dm]) return RunOk;
    if (int code = CheckBinProbabilities()) return code;

    if (WeightType != 3) {
        if (int sole = SoleExpert(0)) {
            CopyExpert(sole, dm);
            return RunOk;
        }
    }

    ItemPool pool;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        TAssessment* d = AssessmentAt(dm, i);
        if (!d) continue;
        // With item weights the copy holds for the one item only.
        if (WeightType == 3) {
            if (int sole = SoleExpert(i)) {
                *d = *AssessmentAt(sole, i);
                continue;
            }
        }
        if (int code = pool.Pool(i, *d)) {
            ItemCount = i;
            return code;
        }
    }
    return RunOk;
}

void ComputeMinSeedCount() {
    const int dm = ExpertCount + 1;
    MinSeedCount = 32767;
    for (int e = 1; e <= dm; ++e) {
        TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        if (e == dm) {
            x->AssessedCount = 0;
            x->SeedCount = 0;
            CheckExpertData(e);
        }
        MinSeedCount = std::min(MinSeedCount, x->SeedCount);
    }
    if (ExpertTable[dm]) ExpertTable[dm]->MinSeeds = MinSeedCount;
}

int ScoreDecisionMaker() {
    const int dm = ExpertCount + 1;
    const int last = dm;
    const bool itemWeights = WeightType == 3;
    ComputeMinSeedCount();

    if (itemWeights && ExpertTable[dm]) {
        const float calibration = CalibrationScore(dm);
        for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
            if (TAssessment* d = AssessmentAt(dm, i))
                d->RawItemWeight = static_cast<float>(static_cast<long double>(GetItemInformation(dm, i)) *
                                                      static_cast<long double>(calibration));
            long double sum = 0;
            for (int e = 1; e <= last; ++e)
                if (const TAssessment* a = AssessmentAt(e, i)) sum += a->RawItemWeight;
            ItemTable[i]->ItemWeightSum = static_cast<float>(sum);
        }
    }

    const float noWeight = static_cast<float>(static_cast<long double>(MissingValue) - MissingTolerance);
    long double sum = 0;
    for (int e = 1; e <= last; ++e) {
        TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        const float raw = (WeightType == 1 && IsDataExpert(e)) ? x->RawWeight : GlobalWeightRaw(e);
        if (!std::isfinite(raw)) {
            CheckedExpert = e;
            return RunNotFinite;
        }
        x->RawWeight = raw;
        sum += raw;
        if (itemWeights || e == dm) x->Weight = noWeight;
    }
    for (int e = 1; e <= last; ++e) {
        TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        x->WeightWithDM = sum != 0 ? static_cast<float>(static_cast<long double>(x->RawWeight) / sum) : 0.0f;
        if (!itemWeights) continue;
        for (int i = 1; i <= MaxItemCount; ++i) {
            TAssessment* a = AssessmentAt(e, i);
            if (!a) break;
            if (!a->Item) continue;
            const long double itemSum = a->Item->ItemWeightSum;
            a->ItemWeight = itemSum != 0 ? static_cast<float>(static_cast<long double>(a->RawItemWeight) / itemSum) : 0.0f;
        }
    }

    for (int e = 1; e <= last; ++e)
        if (ExpertTable[e] && !ScoresFinite(*ExpertTable[e])) {
            CheckedExpert = e;
            return RunNotFinite;
        }
    return RunOk;
}
