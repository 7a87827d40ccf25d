#include "engine/pooling.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <span>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define HALVORINE_X86_KERNELS 1
#endif

#include "common/core/text.h"
#include "engine/calibration.h"
#include "engine/nudge.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "engine/weights.h"
#include "engine/worker_pool.h"

namespace halvorine {

// ---------------------------------------------------------------- adding a density to a range

// The sum f + d of a 32-bit density and an extended one is rounded twice: to the 64 bits of the
// extended format, then to 32. Formed in double precision instead (f + d rounded to 53 bits), the
// sum is off by at most one unit of its last place (f and d are not negative, so nothing cancels),
// and the 32-bit result can differ only where that lies within a few units of a midpoint between
// two floats: there the low 29 bits of the double's significand are close to 2^28. Such sums are
// formed again the plain way. Below 2^-125 the floats are subnormal and the test does not apply.

namespace {

constexpr std::uint64_t Low29Bits = (std::uint64_t{1} << 29) - 1;
constexpr std::uint64_t NearMidpoint = (std::uint64_t{1} << 28) - 8;
constexpr std::uint64_t MidpointSpan = 17;
constexpr double SmallestSafeSum = 0x1p-125;

bool NearAMidpoint(double s) {
    return ((std::bit_cast<std::uint64_t>(s) & Low29Bits) - NearMidpoint) < MidpointSpan;
}

void AddInDouble(float* density, int count, double dh, long double d) {
    for (int t = 0; t < count; ++t) {
        const double s = static_cast<double>(density[t]) + dh;
        density[t] = NearAMidpoint(s) ? static_cast<float>(density[t] + d) : static_cast<float>(s);
    }
}

#ifdef HALVORINE_X86_KERNELS
__attribute__((target("avx2"))) void AddInDoubleAvx2(float* density, int count, double dh, long double d) {
    const __m256d add = _mm256_set1_pd(dh);
    const __m256i low = _mm256_set1_epi64x(static_cast<long long>(Low29Bits));
    const __m256i base = _mm256_set1_epi64x(static_cast<long long>(NearMidpoint));
    const __m256i below = _mm256_set1_epi64x(-1);
    const __m256i span = _mm256_set1_epi64x(static_cast<long long>(MidpointSpan));
    int t = 0;
    for (; t + 4 <= count; t += 4) {
        const __m256d s = _mm256_add_pd(_mm256_cvtps_pd(_mm_loadu_ps(density + t)), add);
        // (low 29 bits) - base lies in 0..16 near a midpoint; as signed numbers, since it fits.
        const __m256i v = _mm256_sub_epi64(_mm256_and_si256(_mm256_castpd_si256(s), low), base);
        const __m256i near = _mm256_and_si256(_mm256_cmpgt_epi64(v, below), _mm256_cmpgt_epi64(span, v));
        if (!_mm256_testz_si256(near, near)) {
            AddInDouble(density + t, 4, dh, d);
            continue;
        }
        _mm_storeu_ps(density + t, _mm256_cvtpd_ps(s));
    }
    AddInDouble(density + t, count - t, dh, d);
}

// GCC 12 takes the intrinsics' own "undefined" pass-through operand for an uninitialised variable.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
__attribute__((target("avx512f,avx512dq,avx512vl"))) void AddInDoubleAvx512(float* density, int count, double dh,
                                                                            long double d) {
    const __m512d add = _mm512_set1_pd(dh);
    const __m512i low = _mm512_set1_epi64(static_cast<long long>(Low29Bits));
    const __m512i base = _mm512_set1_epi64(static_cast<long long>(NearMidpoint));
    const __m512i span = _mm512_set1_epi64(static_cast<long long>(MidpointSpan));
    int t = 0;
    for (; t + 8 <= count; t += 8) {
        const __m512d s = _mm512_add_pd(_mm512_cvtps_pd(_mm256_loadu_ps(density + t)), add);
        const __m512i v = _mm512_sub_epi64(_mm512_and_si512(_mm512_castpd_si512(s), low), base);
        if (_mm512_cmplt_epu64_mask(v, span) != 0) {
            AddInDouble(density + t, 8, dh, d);
            continue;
        }
        _mm256_storeu_ps(density + t, _mm512_cvtpd_ps(s));
    }
    AddInDouble(density + t, count - t, dh, d);
}
#pragma GCC diagnostic pop
#endif

using AddKernel = void (*)(float*, int, double, long double);

AddKernel KernelOf(DensityKernel kernel) {
#ifdef HALVORINE_X86_KERNELS
    __builtin_cpu_init();
    if (kernel == DensityKernel::Avx512 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
        __builtin_cpu_supports("avx512vl"))
        return AddInDoubleAvx512;
    if (kernel == DensityKernel::Avx2 && __builtin_cpu_supports("avx2")) return AddInDoubleAvx2;
#endif
    return kernel == DensityKernel::Double ? AddInDouble : nullptr;
}

AddKernel WidestKernel() {
    for (DensityKernel kernel : {DensityKernel::Avx512, DensityKernel::Avx2})
        if (AddKernel k = KernelOf(kernel)) return k;
    return AddInDouble;
}

void AddWith(AddKernel kernel, float* density, int count, long double d) {
    const double dh = static_cast<double>(d);
    if (!(dh >= SmallestSafeSum)) {
        AddDensityPlain(density, count, d);
        return;
    }
    kernel(density, count, dh, d);
}

}  // namespace

void AddDensityPlain(float* density, int count, long double d) {
    for (int t = 0; t < count; ++t) density[t] = static_cast<float>(density[t] + d);
}

void AddDensity(float* density, int count, long double d) {
    static const AddKernel kernel = WidestKernel();
    AddWith(kernel, density, count, d);
}

bool DensityKernelRuns(DensityKernel kernel) {
    return KernelOf(kernel) != nullptr;
}

void AddDensityWith(DensityKernel kernel, float* density, int count, long double d) {
    const AddKernel k = KernelOf(kernel);
    AddWith(k ? k : AddInDouble, density, count, d);
}

// ---------------------------------------------------------------- the pooled decision maker

namespace {

// One expression for the interval ends and for every expert's breakpoints, so that each
// breakpoint is found among the interval ends exactly. The interval table holds 32-bit reals,
// so a logarithm is stored as one when it enters the table.
long double PoolScale(double v, bool isLog) {
    if (!isLog) return v;
    return v > 0 ? static_cast<float>(std::log(static_cast<long double>(v))) : 0.0L;
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
        if (WeightType == ItemWeighting) {
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

// The first interval j in from..count whose end is NearlyEqual to b, as a walk from `from` would
// find it; 0 when there is none. ends[1..count-1] ascend (the distinct breakpoints), so the ends
// within the tolerance of b form one run around the first end not below b; ends[count] is the
// upper bound, which rounding may have left below the last breakpoint.
int FindEnd(const std::vector<long double>& ends, int from, int count, long double b) {
    const int inner = count - 1;
    if (from <= inner) {
        const int p = static_cast<int>(std::lower_bound(ends.begin() + from, ends.begin() + inner + 1, b) -
                                       ends.begin());
        int j = p;
        while (j > from && NearlyEqualExtended(ends[j - 1], b)) --j;
        if (j < p) return j;
        if (p <= inner && NearlyEqualExtended(ends[p], b)) return p;
    }
    if (from <= count && NearlyEqualExtended(ends[count], b)) return count;
    return 0;
}

// DefinitelyLess(LowerClamp, v) in 32 bits, which holds for every value from -9e12 up.
bool AboveTheClamp(double v) {
    return v >= -9e12 || DefinitelyLess(static_cast<float>(LowerClamp), static_cast<float>(v));
}

// Bounds within which any non-negative weights keep every density, quantile and its exponential
// finite as 32-bit reals.
constexpr long double LargestEnd = 1e30L;
constexpr long double LargestLogEnd = 85;  // exp(85.001) < 1e37
constexpr long double LargestDensity = 1e37L;

// Full layouts kept between builds stop growing here; further items are laid out again each time.
constexpr std::size_t KeptLayoutBytes = std::size_t{512} << 20;

}  // namespace

// A radix sort of the values' bit patterns turned into unsigned numbers that order as the values
// do, a byte at a time from the lowest; a byte that every value shares is passed over. Equal values
// end up next to each other, which is all the breakpoints need of their order.
void DecisionMakerPool::SortByValue(Worker& w) {
    std::vector<Point>& points = w.Points;
    std::vector<Point>& spare = w.Spare;
    const std::size_t m = points.size();
    auto key = [](double v) {
        const auto bits = std::bit_cast<std::uint64_t>(v);
        return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
    };
    std::size_t counts[8][256] = {};
    for (const Point& p : points) {
        const std::uint64_t k = key(p.Value);
        for (int b = 0; b < 8; ++b) ++counts[b][(k >> (8 * b)) & 0xFF];
    }
    spare.resize(m);
    for (int b = 0; b < 8; ++b) {
        std::size_t* count = counts[b];
        if (count[(key(points[0].Value) >> (8 * b)) & 0xFF] == m) continue;
        std::size_t next = 0;
        for (int d = 0; d < 256; ++d) {
            const std::size_t c = count[d];
            count[d] = next;
            next += c;
        }
        for (const Point& p : points) spare[count[(key(p.Value) >> (8 * b)) & 0xFF]++] = p;
        points.swap(spare);
    }
}

const DecisionMakerPool::SortedAnswers* DecisionMakerPool::KnownAnswers(int i, Worker& w) {
    if (!store_ || !store_->answersFixed_ || !sortedSlots_) return nullptr;
    const FullRunReuse* reuse = FullRunReuse::Open();
    const int s = (*ItemIndexMap)[i];
    if (!reuse || !reuse->ExpertsAsChecked() || !reuse->SlotAsChecked(s)) return nullptr;
    SortedAnswers& known = store_->sorted_[static_cast<std::size_t>(s)];
    const bool isLog = IsLogItem(ItemTable[i].get());
    if (known.Built && known.IsLog == isLog) return &known;
    // Every data expert of the full run who answered validly, as Lay gathers them.
    const int q = QuantileCount;
    known.Built = true;
    known.Positions = reuse->ValidInSlot(s);
    known.NotFinite.assign(known.Positions.size(), 0);
    std::vector<Point>& points = w.Points;
    points.clear();
    for (std::size_t t = 0; t < known.Positions.size(); ++t) {
        const TAssessment& a = *reuse->ExpertAt(known.Positions[t])->Assessments[static_cast<std::size_t>(s)];
        for (int k = 1; k <= q; ++k) {
            const double v = NudgeIntegral(a.Values[k]);
            if (std::isnan(v)) known.NotFinite[t] = 1;
            points.push_back(Point{v, static_cast<std::uint32_t>(t * q + k - 1)});
        }
    }
    if (!points.empty()) SortByValue(w);
    known.Points = points;
    known.IsLog = isLog;
    known.Scaled.resize(points.size());
    for (std::size_t j = 0; j < points.size(); ++j) known.Scaled[j] = PoolScale(points[j].Value, isLog);
    // Each expert's bins as Lay forms them, its quantiles being its own ends.
    const TItem* item = ItemTable[i].get();
    const std::size_t n = known.Positions.size();
    known.OwnBins = std::find(known.NotFinite.begin(), known.NotFinite.end(), 1) == known.NotFinite.end();
    for (const Point& point : points)
        if (point.Value == 0) known.OwnBins = false;
    known.Low = std::bit_cast<std::uint32_t>(item->IntrinsicLow);
    known.High = std::bit_cast<std::uint32_t>(item->IntrinsicHigh);
    known.Bins.assign(BinProbabilities + 1, BinProbabilities + q + 2);
    if (known.OwnBins) {
        std::vector<long double> own(n * static_cast<std::size_t>(q + 2));
        for (std::size_t t = 0; t < n; ++t) {
            own[t * (q + 2)] = PoolScale(item->IntrinsicLow, isLog);
            own[t * (q + 2) + q + 1] = PoolScale(item->IntrinsicHigh, isLog);
        }
        for (std::size_t j = 0; j < points.size(); ++j) {
            const std::uint32_t origin = points[j].Origin;
            own[(origin / q) * (q + 2) + origin % q + 1] = known.Scaled[j];
        }
        known.Widths.assign(n * static_cast<std::size_t>(q + 1), 0);
        known.Largest.assign(n, 0);
        known.NoWidth.assign(n, 0);
        for (std::size_t t = 0; t < n; ++t) {
            const long double* o = &own[t * (q + 2)];
            bool broken = false;
            long double largest = 0;
            for (int k = 1; k <= q + 1; ++k) {
                const long double width = o[k] - o[k - 1];
                if (!(width > 0)) broken = true;
                known.Widths[t * (q + 1) + (k - 1)] = width;
                if (!broken) largest = std::max(largest, static_cast<long double>(BinProbabilities[k]) / width);
            }
            known.Largest[t] = largest;
            known.NoWidth[t] = broken;
        }
    }
    points.clear();
    return &known;
}

void DecisionMakerPool::Lay(int i, Layout& layout, bool full, Worker& w) {
    std::vector<Point>& points = w.Points;
    std::vector<int>& endOfValue = w.EndOf;
    const TItem* item = ItemTable[i].get();
    const int q = QuantileCount;
    layout.Built = true;
    layout.Full = full;
    layout.IsLog = IsLogItem(item);
    layout.NotFinite = false;
    layout.Safe = false;
    layout.Count = 0;
    layout.Ends.clear();
    layout.Experts.clear();
    layout.Answers.clear();
    layout.Broken.clear();
    layout.BrokenExperts.clear();
    layout.Widths.clear();
    layout.Last.clear();
    layout.Item = item;
    layout.Low = item->IntrinsicLow;
    layout.High = item->IntrinsicHigh;
    layout.Values.clear();
    layout.Owners.clear();
    layout.Slot = (*ItemIndexMap)[i];
    layout.Bins.assign(BinProbabilities + 1, BinProbabilities + q + 2);
    layout.NudgingOff = NudgingOff();

    points.clear();
    // A store whose answers stay fixed does not compare the quantiles.
    const bool valuesFixed = store_ && store_->answersFixed_;
    const SortedAnswers* known = KnownAnswers(i, w);
    if (known) {
        // The full run's experts but the one left out, with their values in the order sorting
        // them gives (the sort keeps the order of equal values).
        const FullRunReuse& reuse = *FullRunReuse::Open();
        const int leftOut = reuse.LeftOutPosition();
        const int s = (*ItemIndexMap)[i];
        std::vector<int>& place = w.EndOf;
        place.assign(known->Positions.size(), -1);
        w.Places.clear();
        for (std::size_t t = 0; t < known->Positions.size(); ++t) {
            const int p = known->Positions[t];
            if (p == leftOut) continue;
            const TExpert* x = reuse.ExpertAt(p);
            TAssessment* a = x->Assessments[static_cast<std::size_t>(s)].get();
            place[t] = static_cast<int>(layout.Experts.size());
            w.Places.push_back(static_cast<int>(t));
            layout.Experts.push_back(leftOut >= 0 && p > leftOut ? p : p + 1);
            layout.Answers.push_back(a);
            layout.Owners.push_back(x);
            if (!valuesFixed) layout.Values.insert(layout.Values.end(), a->Values + 1, a->Values + q + 1);
            if (known->NotFinite[t]) layout.NotFinite = true;
        }
        w.Scaled.clear();
        for (std::size_t j = 0; j < known->Points.size(); ++j) {
            const Point& point = known->Points[j];
            const int at = place[point.Origin / static_cast<std::uint32_t>(q)];
            if (at < 0) continue;
            points.push_back(Point{point.Value, static_cast<std::uint32_t>(at * q) + point.Origin % q});
            w.Scaled.push_back(known->Scaled[j]);
        }
    } else {
        for (int e = 1; e <= ExpertCount; ++e) {
            if (!IsDataExpert(e)) continue;
            TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Valid) continue;
            const auto origin = static_cast<std::uint32_t>(layout.Experts.size() * q);
            layout.Experts.push_back(e);
            layout.Answers.push_back(a);
            layout.Owners.push_back(ExpertTable[e].get());
            if (!valuesFixed) layout.Values.insert(layout.Values.end(), a->Values + 1, a->Values + q + 1);
            for (int k = 1; k <= q; ++k) {
                const double v = NudgeIntegral(a->Values[k]);
                if (std::isnan(v)) layout.NotFinite = true;
                points.push_back(Point{v, origin + static_cast<std::uint32_t>(k - 1)});
            }
        }
    }
    const int n = static_cast<int>(layout.Experts.size());
    layout.AllExperts = n == dataExperts_;
    layout.Broken.assign(n, 0);
    if (n == 0 || layout.NotFinite) return;

    // Distinct breakpoints above the clamp, the largest always, between the item's bounds. Every
    // expert's value remembers which end it became (-1: none, it lies at or below the clamp).
    if (!known) SortByValue(w);
    const bool isLog = layout.IsLog;
    const float L = item->IntrinsicLow;
    const float U = item->IntrinsicHigh;
    std::vector<long double>& ends = layout.Ends;
    ends.push_back(PoolScale(L, isLog));
    endOfValue.assign(static_cast<std::size_t>(n) * q, -1);
    const std::size_t m = points.size();
    std::size_t run = 0;  // the first of the values equal to the current one
    for (std::size_t t = 0; t < m; ++t) {
        const double v = points[t].Value;
        const bool last = t + 1 == m;
        if (!last && !(v < points[t + 1].Value)) continue;  // an equal value follows: the last one stands
        int end = -1;
        if (last || AboveTheClamp(v)) {
            ends.push_back(known ? w.Scaled[t] : PoolScale(v, isLog));
            end = static_cast<int>(ends.size()) - 1;
        }
        for (; run <= t; ++run) endOfValue[points[run].Origin] = end;
    }
    ends.push_back(PoolScale(U, isLog));
    const int count = static_cast<int>(ends.size()) - 1;
    layout.Count = count;

    bool moderate = true;
    for (long double v : ends)
        if (!(std::fabs(v) < LargestEnd) || (isLog && !(v < LargestLogEnd))) moderate = false;

    if (full) {
        layout.Widths.assign(static_cast<std::size_t>(n) * (q + 1), 0);
        layout.Last.assign(static_cast<std::size_t>(n) * q, 0);
    }
    long double densityBound = 0;
    long double own[MaxQuantileCount + 2];
    // The bins of the experts from the sorted answers, where they were formed on these bounds.
    const bool ownBins = known && known->OwnBins && known->Low == std::bit_cast<std::uint32_t>(L) &&
                         known->High == std::bit_cast<std::uint32_t>(U) &&
                         std::equal(known->Bins.begin(), known->Bins.end(), BinProbabilities + 1);
    for (int t = 0; t < n; ++t) {
        const TAssessment& a = *layout.Answers[t];
        const int* endOf = &endOfValue[static_cast<std::size_t>(t) * q];
        own[0] = ends[0];
        // The same value on the same scale as its interval end (computed once).
        for (int k = 1; k <= q; ++k)
            own[k] = endOf[k - 1] >= 0 ? ends[endOf[k - 1]] : PoolScale(NudgeIntegral(a.Values[k]), isLog);
        own[q + 1] = ends[count];
        bool broken = false;
        long double largest = 0;
        if (ownBins) {
            const auto at = static_cast<std::size_t>(w.Places[static_cast<std::size_t>(t)]);
            broken = known->NoWidth[at] != 0;
            largest = known->Largest[at];
            if (full)
                std::copy_n(&known->Widths[at * (q + 1)], q + 1, &layout.Widths[static_cast<std::size_t>(t) * (q + 1)]);
        } else {
            for (int k = 1; k <= q + 1; ++k) {
                const long double width = own[k] - own[k - 1];
                // Mass on no width (the bounds collapsed onto a quantile) has no density.
                if (!(width > 0)) broken = true;
                if (full) layout.Widths[static_cast<std::size_t>(t) * (q + 1) + (k - 1)] = width;
                if (!broken) largest = std::max(largest, static_cast<long double>(BinProbabilities[k]) / width);
            }
        }
        // Each quantile is found in ascending order from where the previous one was: the first end
        // within the tolerance, which is the value's own end or lies just before it.
        int j = 0;
        for (int k = 1; k <= q && !broken; ++k) {
            const int from = j + 1;
            int x = endOf[k - 1];
            if (x >= from) {
                while (x - 1 >= from && NearlyEqualExtended(ends[x - 1], own[k])) --x;
                j = x;
            } else {
                j = FindEnd(ends, from, count, own[k]);
            }
            if (j == 0)
                broken = true;
            else if (full)
                layout.Last[static_cast<std::size_t>(t) * q + (k - 1)] = static_cast<std::uint16_t>(j);
        }
        layout.Broken[t] = broken;
        if (broken)
            layout.BrokenExperts.push_back(t);
        else
            densityBound += largest;
    }
    layout.Safe = moderate && densityBound < LargestDensity;
    if (!full) {
        layout.Ends.clear();
        layout.Ends.shrink_to_fit();
    }
}

DecisionMakerPool::Fractions DecisionMakerPool::WeightFractions(const Layout& layout, Worker& w) {
    // Every item that all data experts answered validly has the fractions of the build.
    if (WeightType != ItemWeighting && layout.AllExperts) return all_;
    const int n = static_cast<int>(layout.Experts.size());
    auto weight = [&](int t) {
        return WeightType == ItemWeighting ? layout.Answers[t]->ItemWeight : weights_[layout.Experts[t]];
    };
    Fractions f;
    for (int t = 0; t < n; ++t) f.Total += weight(t);
    std::vector<long double>& fracs = w.Fracs;
    fracs.resize(n);
    for (int t = 0; t < n; ++t) {
        fracs[t] = f.Total != 0 ? static_cast<long double>(weight(t)) / f.Total : 0;
        if (fracs[t] < 0) f.Negative = true;
    }
    f.Of = fracs.data();
    return f;
}

// The fractions of the n data experts in expert order, as WeightFractions forms them for an item
// they all answered.
DecisionMakerPool::Fractions DecisionMakerPool::Shared(std::vector<long double>& fracs, int n) {
    Fractions f;
    std::vector<float> weight;
    weight.reserve(n);
    for (int e = 1; e <= ExpertCount; ++e)
        if (IsDataExpert(e)) weight.push_back(weights_[e]);
    for (int t = 0; t < n; ++t) f.Total += weight[t];
    fracs.resize(n);
    for (int t = 0; t < n; ++t) {
        fracs[t] = f.Total != 0 ? static_cast<long double>(weight[t]) / f.Total : 0;
        if (fracs[t] < 0) f.Negative = true;
    }
    f.Of = fracs.data();
    return f;
}

int DecisionMakerPool::Pool(const Layout& layout, TAssessment& d, Worker& w) {
    const int q = QuantileCount;
    const Fractions fractions = WeightFractions(layout, w);
    const bool negative = fractions.Negative;
    const long double total = fractions.Total;
    // Nobody answered, or nobody who did carries weight: nothing to pool, nothing to invent.
    if (layout.Experts.empty() || total == 0) {
        MarkMissing(d);
        return RunOk;
    }
    if (layout.NotFinite) return RunNotFinite;

    const int n = static_cast<int>(layout.Experts.size());
    const int count = layout.Count;
    w.Density.assign(static_cast<std::size_t>(count) + 1, 0.0f);
    float* density = w.Density.data();

    // No interval's density lies below `floor` (every expert adds to every interval); a term below
    // a quarter of the floor's last place then leaves every sum as it is, and is not added.
    float floor = 0;
    long double negligible = 0;
    long double add[MaxQuantileCount + 2];
    for (int t = 0; t < n; ++t) {
        const long double frac = fractions.Of[t];
        // An expert without weight adds nothing anywhere.
        if (frac == 0) continue;
        if (layout.Broken[t]) return RunDegenerateBin;
        const long double* width = &layout.Widths[static_cast<std::size_t>(t) * (q + 1)];
        long double smallest = std::numeric_limits<long double>::infinity();
        for (int k = 1; k <= q + 1; ++k) {
            add[k] = frac * static_cast<long double>(BinProbabilities[k]) / width[k - 1];
            if (!std::isfinite(add[k])) return RunDegenerateBin;
            smallest = std::min(smallest, add[k]);
        }
        const std::uint16_t* last = &layout.Last[static_cast<std::size_t>(t) * q];
        int from = 1;
        for (int k = 1; k <= q + 1; ++k) {
            const int to = k <= q ? last[k - 1] : count;
            if (to >= from) {
                if (negative)
                    AddDensityPlain(density + from, to - from + 1, add[k]);
                else if (!(add[k] < negligible))
                    AddDensity(density + from, to - from + 1, add[k]);
            }
            from = to + 1;
        }
        if (!negative) {
            const float bound = static_cast<float>(smallest);
            if (bound > floor && std::isnormal(bound) && std::isfinite(std::nextafter(bound, HUGE_VALF))) {
                floor = bound;
                negligible = static_cast<long double>(std::nextafter(floor, HUGE_VALF) - floor) / 4;
            }
        }
    }

    const long double* ends = layout.Ends.data();
    QuantilesFromDensity(
        count, [ends](int j) { return ends[j - 1]; }, [ends](int j) { return ends[j]; },
        [density](int j) { return density[j]; }, d);
    if (layout.IsLog)
        for (int k = 1; k <= q; ++k)
            d.Values[k] = static_cast<float>(std::exp(static_cast<long double>(NudgeIntegral(d.Values[k]))));
    for (int k = 1; k <= q; ++k)
        if (!std::isfinite(d.Values[k])) return RunNotFinite;
    d.Valid = true;
    return RunOk;
}

int DecisionMakerPool::Shadow(int i, Layout& layout, TAssessment& d, Worker& w) {
    const Fractions fractions = WeightFractions(layout, w);
    if (layout.Experts.empty() || fractions.Total == 0) {
        MarkMissing(d);
        return RunOk;
    }
    if (fractions.Negative || !layout.Safe || layout.NotFinite)
        return Pool(layout.Full ? layout : ScratchLayout(i, w), d, w);
    // Pooling could fail only on a weighted expert's bin without width or a lost breakpoint.
    for (int t : layout.BrokenExperts)
        if (fractions.Of[t] != 0) return RunDegenerateBin;
    return RunOk;
}

const DecisionMakerPool::Layout& DecisionMakerPool::ScratchLayout(int i, Worker& w) {
    if (w.ScratchItem != i) {
        Lay(i, w.Scratch, true, w);
        w.ScratchItem = i;
    }
    return w.Scratch;
}

// One item of a build; its own assessment of the decision maker is all it writes (and its own
// layout, or the worker's scratch).
int DecisionMakerPool::PoolItem(int i, bool seedItemsOnly, bool keep, Worker& w) {
    TAssessment* d = AssessmentAt(ExpertCount + 1, i);
    if (!d) return RunOk;
    // With item weights the copy holds for the one item only.
    if (WeightType == ItemWeighting) {
        if (int sole = SoleExpert(i)) {
            *d = *AssessmentAt(sole, i);
            return RunOk;
        }
    }
    const bool seed = IsSeedItem(ItemTable[i].get());
    if (!reuse_) return Pool(ScratchLayout(i, w), *d, w);
    Layout& layout = layouts_[i];
    if (!layout.Built) {
        if (keep) {
            Lay(i, layout, true, w);
        } else {
            // Only what the passes over the seed items read of it is kept.
            const Layout& full = ScratchLayout(i, w);
            layout.Built = true;
            layout.Full = false;
            layout.IsLog = full.IsLog;
            layout.NotFinite = full.NotFinite;
            layout.Safe = full.Safe;
            layout.AllExperts = full.AllExperts;
            layout.Experts = full.Experts;
            layout.Answers = full.Answers;
            layout.Broken = full.Broken;
            layout.BrokenExperts = full.BrokenExperts;
            layout.Item = full.Item;
            layout.Low = full.Low;
            layout.High = full.High;
            layout.Values = full.Values;
            layout.Owners = full.Owners;
            layout.Slot = full.Slot;
            layout.Bins = full.Bins;
            layout.NudgingOff = full.NudgingOff;
        }
    }
    if (seedItemsOnly && !seed) return Shadow(i, layout, *d, w);
    return Pool(layout.Full ? layout : ScratchLayout(i, w), *d, w);
}

namespace {

bool SameBits(const float* a, const float* b, std::size_t n) {
    return std::memcmp(a, b, n * sizeof(float)) == 0;
}

}  // namespace

DecisionMakerPool::~DecisionMakerPool() {
    if (!store_) return;
    for (Layout& layout : layouts_)
        if (layout.Built && layout.Item) store_->layouts_[layout.Item] = std::move(layout);
}

// Whether Lay(i) would lay out item i exactly as `layout` is: the same item with the same bounds and
// scale, the same data experts answering validly with the same assessments and quantiles, the same
// bins and nudging. In a store whose answers stay fixed, the same expert's record in the same slot
// is the same assessment with the same quantiles.
bool DecisionMakerPool::LaidOutFromTheSame(int i, const Layout& layout) const {
    const TItem* item = ItemTable[i].get();
    const int q = QuantileCount;
    if (layout.Item != item || IsLogItem(item) != layout.IsLog ||
        std::bit_cast<std::uint32_t>(layout.Low) != std::bit_cast<std::uint32_t>(item->IntrinsicLow) ||
        std::bit_cast<std::uint32_t>(layout.High) != std::bit_cast<std::uint32_t>(item->IntrinsicHigh) ||
        layout.NudgingOff != NudgingOff() || layout.Bins.size() != static_cast<std::size_t>(q) + 1 ||
        !SameBits(layout.Bins.data(), BinProbabilities + 1, layout.Bins.size()))
        return false;
    const std::size_t n = layout.Experts.size();
    if (store_->answersFixed_ && scores_ && i <= scores_->Items()) {
        // Who answered validly as the run's scores read it; the same experts in the same places,
        // with the item in the same slot, hold the same assessments.
        const std::span<const int> valid = scores_->ValidExperts(i);
        if (valid.size() != n || !std::equal(valid.begin(), valid.end(), layout.Experts.begin()) ||
            layout.Slot != (*ItemIndexMap)[i])
            return false;
        for (std::size_t t = 0; t < n; ++t)
            if (ExpertTable[layout.Experts[t]].get() != layout.Owners[t]) return false;
        return true;
    }
    std::size_t t = 0;
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        const TAssessment* a = AssessmentAt(e, i);
        if (!a || !a->Valid) continue;
        if (t == n || layout.Experts[t] != e || layout.Answers[t] != a ||
            (!store_->answersFixed_ && !SameBits(&layout.Values[t * q], a->Values + 1, static_cast<std::size_t>(q))))
            return false;
        ++t;
    }
    return t == n;
}

// Items 1..items take over the stored layouts that still hold, side by side (each task touches its
// own item's layout and stored entry only).
void DecisionMakerPool::TakeFromStore(int items) {
    if (!store_ || store_->layouts_.empty()) return;
    const int dm = ExpertCount + 1;
    std::vector<char> taken(static_cast<std::size_t>(items) + 1, 0);
    ForEachTask(items, [&](int, int task) {
        const int i = task + 1;
        Layout& layout = layouts_[static_cast<std::size_t>(i)];
        if (layout.Built || !AssessmentAt(dm, i)) return;
        const auto found = store_->layouts_.find(ItemTable[i].get());
        if (found == store_->layouts_.end() || !found->second.Built || !LaidOutFromTheSame(i, found->second)) return;
        layout = std::move(found->second);
        found->second.Built = false;
        // Who else answered is the case's, not the layout's.
        layout.AllExperts = static_cast<int>(layout.Experts.size()) == dataExperts_;
        taken[static_cast<std::size_t>(i)] = 1;
    });
    const std::size_t bytes = static_cast<std::size_t>(ExpertCount) * (QuantileCount + 2) * 40;
    for (int i = 1; i <= items; ++i)
        if (taken[static_cast<std::size_t>(i)] && layouts_[static_cast<std::size_t>(i)].Full) keptBytes_ += bytes;
}

int DecisionMakerPool::Build(bool seedItemsOnly) {
    const int dm = ExpertCount + 1;
    if (!ExpertTable[dm]) return RunOk;
    if (int code = CheckBinProbabilities()) return code;

    if (WeightType != ItemWeighting) {
        if (int sole = SoleExpert(0)) {
            CopyExpert(sole, dm);
            return RunOk;
        }
    }

    int items = 0;
    while (items < MaxItemCount && ItemTable[items + 1]) ++items;
    if (reuse_ && layouts_.empty()) layouts_.resize(MaxItemCount + 1);
    // The weights of this build, read once; with item weights they are the assessments' own.
    dataExperts_ = 0;
    weights_.assign(ExpertCount + 1, 0.0f);
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        ++dataExperts_;
        weights_[e] = ExpertTable[e]->Weight;
    }
    if (WeightType != ItemWeighting) all_ = Shared(allFracs_, dataExperts_);
    if (reuse_) TakeFromStore(items);
    // The sorted answers of a slot serve the one item in it.
    sortedSlots_ = false;
    if (store_ && store_->answersFixed_) {
        if (store_->sorted_.size() != static_cast<std::size_t>(MaxItemCount) + 1 ||
            store_->sortedQuantiles_ != QuantileCount || store_->sortedNudgingOff_ != NudgingOff()) {
            store_->sorted_.assign(static_cast<std::size_t>(MaxItemCount) + 1, {});
            store_->sortedQuantiles_ = QuantileCount;
            store_->sortedNudgingOff_ = NudgingOff();
        }
        std::vector<char> used(static_cast<std::size_t>(MaxItemCount) + 1, 0);
        sortedSlots_ = true;
        for (int i = 1; i <= items; ++i) {
            const int s = (*ItemIndexMap)[i];
            if (s < 1 || s > MaxItemCount) continue;
            if (used[static_cast<std::size_t>(s)]) sortedSlots_ = false;
            used[static_cast<std::size_t>(s)] = 1;
        }
    }

    // Which new layouts are kept whole: the seed items' in item order, up to the bound, as the
    // items come to be laid out (an item the decision maker has no assessment of, or with item
    // weights an item one expert carries alone, is not laid out).
    std::vector<char> keep(static_cast<std::size_t>(items) + 1, 0);
    if (reuse_) {
        const std::size_t bytes = static_cast<std::size_t>(ExpertCount) * (QuantileCount + 2) * 40;
        for (int i = 1; i <= items; ++i) {
            if (layouts_[i].Built || !IsSeedItem(ItemTable[i].get()) || !AssessmentAt(dm, i)) continue;
            if (WeightType == ItemWeighting && SoleExpert(i)) continue;
            if (keptBytes_ + bytes <= KeptLayoutBytes) {
                keep[static_cast<std::size_t>(i)] = 1;
                keptBytes_ += bytes;
            }
        }
    }

    const int threads = RunWorkerCount();
    if (static_cast<int>(workers_.size()) < threads) workers_.resize(static_cast<std::size_t>(threads));
    for (Worker& w : workers_) w.ScratchItem = 0;
    std::vector<int> codes(static_cast<std::size_t>(items) + 1, RunOk);
    ForEachTask(items, [&](int worker, int task) {
        const int i = task + 1;
        codes[static_cast<std::size_t>(i)] = PoolItem(i, seedItemsOnly, keep[static_cast<std::size_t>(i)] != 0,
                                                      workers_[static_cast<std::size_t>(worker)]);
    });
    for (int i = 1; i <= items; ++i)
        if (const int code = codes[static_cast<std::size_t>(i)]; code != RunOk) {
            ItemCount = i;
            return code;
        }
    return RunOk;
}

bool DecisionMakerPool::NoBuildCanFail() {
    const int dm = ExpertCount + 1;
    if (!reuse_ || layouts_.empty() || workers_.empty()) return false;
    Worker& w = workers_.front();
    w.ScratchItem = 0;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        if (!AssessmentAt(dm, i)) continue;
        const Layout& layout = layouts_[i].Built ? layouts_[i] : ScratchLayout(i, w);
        if (layout.Experts.empty()) continue;
        if (layout.NotFinite || !layout.Safe || !layout.BrokenExperts.empty()) return false;
    }
    w.ScratchItem = 0;
    return true;
}

}  // namespace halvorine
