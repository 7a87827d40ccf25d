#include "engine/dm_screening.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <limits>
#include <numeric>
#include <optional>

#include "engine/calibration.h"
#include "engine/constants.h"
#include "engine/globals.h"
#include "engine/nudge.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "engine/worker_pool.h"

namespace halvorine {

// Going from the highest level down, the experts who take part are only added, each with a weight
// that does not change: each seed item keeps its unnormalised mixture CDF at all its breakpoints in
// double precision (sums of terms that are not negative, so nothing cancels). At each level the
// decision maker's quantiles are found on that CDF with an interval around each that holds the
// exact pooling's quantile (32-bit densities, rounding, the nudge of whole values); from those
// intervals follow the bins the realisation can fall in and bounds of the information, hence of
// the score. A realisation whose bin the intervals leave open is tried in every bin it can take.

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double Unit32 = 0x1p-24;  // the relative rounding of a 32-bit real
constexpr int MostCombinations = 256;

enum class Validity : unsigned char { Missing, Valid, Undecided };

struct Cell {
    Validity State = Validity::Missing;
    unsigned char BinLow = 0;
    unsigned char BinHigh = 0;
    double InfoLow = 0;
    double InfoHigh = 0;
};

// The pooling scale of a value, as the pooling forms it (logarithms stored as 32-bit reals).
double PoolScale(double v, bool isLog) {
    if (!isLog) return v;
    return v > 0 ? static_cast<float>(std::log(static_cast<long double>(v))) : 0.0;
}

// The scale of the information's widths, as the information forms it.
long double InfoScale(float v, bool isLog) {
    const long double nudged = NudgeIntegral(v);
    if (!isLog) return nudged;
    return std::log(std::max(static_cast<long double>(LowerClamp), nudged));
}

bool HoldsWhole(double lo, double hi) {
    return std::ceil(lo) <= hi;
}

// How far the exact quantile's value, as every later step reads it, may lie outside [lo, hi] on
// the pooling scale: the rounding to 32 bits (and on a LOG item through exp and back), the nudge
// of a whole value, and the tolerance of the comparisons with a realisation.
double Slack(double lo, double hi, bool isLog) {
    const double a = std::max(std::fabs(lo), std::fabs(hi));
    double slack = 4 * Unit32 * a + 2e-9 * a + 1e-300;
    const bool nudged = HoldsWhole(lo, hi) || a >= 0x1p23;
    if (nudged) slack += 1.1e-5 * a + 1.1e-5;
    if (isLog) {
        slack += 4 * Unit32 + 2e-9;
        const double vlo = std::exp(lo);
        const double vhi = std::exp(hi);
        if (HoldsWhole(vlo, vhi) || vhi >= 0x1p23) slack += 1.1e-5;
    }
    return slack;
}

// An expert's answer on the item; its points and their places among the item's ends are kept
// apart, so that ordering the experts moves no more than this.
struct ItemExpert {
    float Calibration;
    double Weight;
    const double* Points;
    const std::uint32_t* Ends;  // where each point is among the item's ends; null: to be searched
};

// The points (and their places among the ends) that the experts of one item refer to.
struct ItemPoints {
    std::vector<double> Own;
    std::vector<std::uint32_t> Ends;
};

// The mixture CDF of the experts added so far at the ends, as sums over the experts of linear
// pieces: each expert adds, from the end where each of its bins starts, the change of its CDF's
// intercept and slope, into two Fenwick trees. Adding an expert and reading the CDF at one end
// take a logarithmic number of steps, where updating the CDF at every end takes as many as there
// are ends. The sums are formed in another order than the plain loop's, so each value carries a
// bound of its rounding error, which the quantile intervals are widened by.
class PiecewiseCdf {
public:
    PiecewiseCdf(const std::vector<double>& ends) : ends_(ends), m_(ends.size()), slope_(m_ + 1), cut_(m_ + 1) {
        // Positions from the first end, where they are smallest (the ends are exact there).
        at_.resize(m_);
        for (std::size_t j = 0; j < m_; ++j) at_[j] = ends[j] - ends[0];
        top_ = 1;
        while (top_ * 2 <= m_) top_ *= 2;
    }

    // Adds weight x the CDF of an expert with the given points (indices into the ends) and bins.
    void Add(double weight, const double* points, const std::size_t* index, int q) {
        double before = 0;
        double lastCut = 0;
        double lastSlope = 0;
        for (int k = 1; k <= q + 1; ++k) {
            const double p0 = points[k - 1] - ends_[0];
            const double slope = BinProbabilities[k] / (points[k] - points[k - 1]);
            const double cut = before - slope * p0;
            Put(index[k - 1], weight * (cut - lastCut), weight * (slope - lastSlope));
            magnitude_ += weight * (std::fabs(cut) + std::fabs(slope) * at_[m_ - 1] + before + 1);
            lastCut = cut;
            lastSlope = slope;
            before += BinProbabilities[k];
        }
        Put(index[q + 1], weight * (before - lastCut), -weight * lastSlope);
        entries_ += q + 2;
    }

    // A bound of the rounding error of every CDF value read.
    double Error() const { return (static_cast<double>(entries_) + 64) * 4 * 0x1p-52 * magnitude_; }

    // The smallest position whose CDF reaches target, by linear interpolation between the ends.
    double Inverse(double target) const {
        std::size_t pos = 0;  // ends 0..pos-1 lie below target
        double cut = 0;
        double slope = 0;
        for (std::size_t step = top_; step > 0; step /= 2) {
            const std::size_t next = pos + step;
            if (next > m_) continue;
            const double c = cut + cut_[next];
            const double s = slope + slope_[next];
            if (c + s * at_[next - 1] < target) {
                pos = next;
                cut = c;
                slope = s;
            }
        }
        if (pos == 0) return ends_[0];
        if (pos == m_) return ends_[m_ - 1];
        const double c0 = cut + slope * at_[pos - 1];
        const double c1 = At(pos);
        if (!(c1 > c0)) return ends_[pos];
        return ends_[pos - 1] + (target - c0) / (c1 - c0) * (ends_[pos] - ends_[pos - 1]);
    }

private:
    void Put(std::size_t index, double cut, double slope) {
        for (std::size_t j = index + 1; j <= m_; j += j & (~j + 1)) {
            cut_[j] += cut;
            slope_[j] += slope;
        }
    }
    double At(std::size_t index) const {
        double cut = 0;
        double slope = 0;
        for (std::size_t j = index + 1; j > 0; j -= j & (~j + 1)) {
            cut += cut_[j];
            slope += slope_[j];
        }
        return cut + slope * at_[index];
    }

    const std::vector<double>& ends_;
    std::size_t m_;
    std::vector<double> at_;
    std::vector<double> slope_;
    std::vector<double> cut_;
    std::size_t top_ = 1;
    double magnitude_ = 0;
    long entries_ = 0;
};

enum class Screened { Yes, No, Plain };

// The points of an answer a of item i on the screening's scale into points[0..Q+1]: false when
// they do not ascend or are not finite.
bool AnswerPoints(const TItem& item, const TAssessment& a, double* points) {
    const int q = QuantileCount;
    const bool isLog = IsLogItem(&item);
    points[0] = PoolScale(item.IntrinsicLow, isLog);
    for (int k = 1; k <= q; ++k) points[k] = PoolScale(NudgeIntegral(a.Values[k]), isLog);
    points[q + 1] = PoolScale(item.IntrinsicHigh, isLog);
    for (int k = 1; k <= q + 1; ++k)
        if (!(points[k] > points[k - 1]) || !std::isfinite(points[k])) return false;
    return true;
}

double WeightOf(const ScreenWeights& weights, int e, int i) {
    return weights.ItemWeights ? weights.ItemRaw[static_cast<std::size_t>(e) * (MaxItemCount + 1) + i] : weights.Raw[e];
}

// The data experts' valid answers of seed item i with a weight above 0, and the distinct ends of
// their points, ascending; false when the item cannot be screened.
bool Gather(int i, const ScreenWeights& weights, std::vector<ItemExpert>& experts, std::vector<double>& ends,
            ItemPoints& store) {
    const TItem* item = ItemTable[i].get();
    const int q = QuantileCount;
    const std::size_t width = static_cast<std::size_t>(q + 2);
    double points[MaxQuantileCount + 2];
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        const TAssessment* a = AssessmentAt(e, i);
        if (!a || !a->Valid) continue;
        ItemExpert x{};
        x.Calibration = weights.Calibration[e];
        x.Weight = WeightOf(weights, e, i);
        if (!(x.Weight >= 0) || !std::isfinite(x.Weight)) return false;
        if (!AnswerPoints(*item, *a, points)) return false;
        if (!(x.Weight > 0)) continue;
        store.Own.insert(store.Own.end(), points, points + width);
        experts.push_back(x);
    }
    for (std::size_t t = 0; t < experts.size(); ++t) experts[t].Points = &store.Own[t * width];
    ends.reserve(experts.size() * width);
    for (const ItemExpert& x : experts) ends.insert(ends.end(), x.Points, x.Points + width);
    std::sort(ends.begin(), ends.end());
    ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
    return true;
}

// What Gather finds, from the points of a left-out run before: the experts are the full run's but
// the one at place leftOut (-1: none), each at its place + 1 in the table or one before after it.
// The points carry no zero and no NaN, so the ends come in the order sorting them gives.
bool GatherFrom(const ScreenPoints::Item& known, int leftOut, int i, const ScreenWeights& weights,
                std::vector<ItemExpert>& experts, std::vector<double>& ends, ItemPoints& store) {
    const int q = QuantileCount;
    const std::size_t n = known.Positions.size();
    store.Ends.assign(n * static_cast<std::size_t>(q + 2), 0);
    std::vector<int> taken(n, -1);  // the place in experts
    experts.reserve(n);
    for (std::size_t t = 0; t < n; ++t) {
        const int p = known.Positions[t];
        if (p == leftOut) continue;
        const int e = leftOut >= 0 && p > leftOut ? p : p + 1;
        ItemExpert x{};
        x.Calibration = weights.Calibration[e];
        x.Weight = WeightOf(weights, e, i);
        if (!(x.Weight >= 0) || !std::isfinite(x.Weight) || known.Bad[t]) return false;
        if (!(x.Weight > 0)) continue;
        x.Points = &known.Points[t * static_cast<std::size_t>(q + 2)];
        x.Ends = &store.Ends[t * static_cast<std::size_t>(q + 2)];
        taken[t] = static_cast<int>(experts.size());
        experts.push_back(x);
    }
    // Each point's end is the one equal to it, where a search for its value would find it.
    ends.reserve(experts.size() * (q + 2));
    for (const auto& [v, origin] : known.Sorted) {
        if (taken[static_cast<std::size_t>(origin / (q + 2))] < 0) continue;
        if (ends.empty() || ends.back() != v) ends.push_back(v);
        store.Ends[static_cast<std::size_t>(origin)] = static_cast<std::uint32_t>(ends.size() - 1);
    }
    return true;
}

// Forms the points of seed item i (in slot s) of the full run's experts who answered it validly.
void KnowPoints(ScreenPoints::Item& known, const FullRunReuse& reuse, int i, int s) {
    const TItem* item = ItemTable[i].get();
    const int q = QuantileCount;
    known = {};
    known.Built = true;
    known.Low = std::bit_cast<std::uint32_t>(item->IntrinsicLow);
    known.High = std::bit_cast<std::uint32_t>(item->IntrinsicHigh);
    known.Usable = true;
    known.Positions = reuse.ValidInSlot(s);
    const std::size_t n = known.Positions.size();
    known.Bad.assign(n, 0);
    known.Points.assign(n * static_cast<std::size_t>(q + 2), 0.0);
    for (std::size_t t = 0; t < n; ++t) {
        const TExpert* x = reuse.ExpertAt(known.Positions[t]);
        double* points = &known.Points[t * static_cast<std::size_t>(q + 2)];
        if (!AnswerPoints(*item, *x->Assessments[static_cast<std::size_t>(s)], points)) {
            known.Bad[t] = 1;
            continue;
        }
        for (int k = 0; k <= q + 1; ++k) {
            if (points[k] == 0) known.Usable = false;
            known.Sorted.emplace_back(points[k], static_cast<int>(t) * (q + 2) + k);
        }
    }
    std::sort(known.Sorted.begin(), known.Sorted.end(),
              [](const std::pair<double, int>& a, const std::pair<double, int>& b) { return a.first < b.first; });
}

// Screens seed item i at every level into cells[0..levels-1]; No when it cannot be screened, Plain
// when the sums of the CDF's pieces could be too inexact for this item (then the CDF is to be kept
// at every end, plain = true). known: its points from a left-out run before, if usable.
Screened ScreenItem(int i, const std::vector<float>& levels, const ScreenWeights& weights, Cell* cells, bool plain,
                    const ScreenPoints::Item* known, int leftOut) {
    const TItem* item = ItemTable[i].get();
    const int q = QuantileCount;
    const bool isLog = IsLogItem(item);

    std::vector<ItemExpert> experts;
    std::vector<double> ends;
    ItemPoints store;
    if (!(known ? GatherFrom(*known, leftOut, i, weights, experts, ends, store)
                : Gather(i, weights, experts, ends, store)))
        return Screened::No;
    const std::size_t m = ends.size();
    // Ends this close are told apart by the pooling's tolerance, not by their values.
    for (std::size_t j = 1; j < m; ++j)
        if (!(ends[j] - ends[j - 1] > 1e-8 * std::fabs(ends[j]) + 1e-15)) return Screened::No;
    std::vector<double> cdf(plain ? m : 0, 0.0);
    std::optional<PiecewiseCdf> pieces;
    if (!plain) pieces.emplace(ends);
    {
        // Sorted by calibration through small stand-ins: the sort compares the same calibrations in
        // the same places and so leaves equal ones in the order it would leave the experts in.
        struct Key {
            float Calibration;
            std::uint32_t At;
        };
        std::vector<Key> keys(experts.size());
        for (std::size_t t = 0; t < experts.size(); ++t)
            keys[t] = {experts[t].Calibration, static_cast<std::uint32_t>(t)};
        std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) { return a.Calibration > b.Calibration; });
        std::vector<ItemExpert> sorted;
        sorted.reserve(experts.size());
        for (const Key& k : keys) sorted.push_back(experts[k.At]);
        experts.swap(sorted);
    }

    // The information's bounds of the item, as the information forms them.
    const long double infoLow = InfoScale(item->IntrinsicLow, isLog);
    const long double infoHigh = InfoScale(item->IntrinsicHigh, isLog);
    const float range = static_cast<float>(infoHigh - infoLow);
    const double logWidth = std::log(static_cast<double>(range <= 0 ? 1e-5f : range));
    const double realisation = isLog ? (item->Realisation > 0 ? std::log(static_cast<double>(item->Realisation)) : NAN)
                                     : static_cast<double>(item->Realisation);
    if (!std::isfinite(realisation)) return Screened::No;

    // The smallest position x with cdf(x) = target, by linear interpolation between the ends.
    auto inverse = [&](double target) {
        if (!plain) return pieces->Inverse(target);
        const auto it = std::lower_bound(cdf.begin(), cdf.end(), target);
        if (it == cdf.begin()) return ends[0];
        if (it == cdf.end()) return ends[m - 1];
        const std::size_t j = static_cast<std::size_t>(it - cdf.begin());
        const double c0 = cdf[j - 1];
        const double c1 = cdf[j];
        return ends[j - 1] + (target - c0) / (c1 - c0) * (ends[j] - ends[j - 1]);
    };

    std::size_t added = 0;
    double total = 0;
    for (int t = static_cast<int>(levels.size()) - 1; t >= 0; --t) {
        // A level that adds no expert keeps the CDF, hence everything found on it, of the one above.
        if (t + 1 < static_cast<int>(levels.size()) &&
            !(added < experts.size() && experts[added].Calibration >= levels[t])) {
            cells[t] = cells[t + 1];
            continue;
        }
        while (added < experts.size() && experts[added].Calibration >= levels[t]) {
            const ItemExpert& x = experts[added++];
            if (!plain) {
                std::size_t index[MaxQuantileCount + 2];
                for (int k = 0; k <= q + 1; ++k)
                    index[k] = x.Ends ? x.Ends[k]
                                      : static_cast<std::size_t>(
                                            std::lower_bound(ends.begin(), ends.end(), x.Points[k]) - ends.begin());
                pieces->Add(x.Weight, x.Points, index, q);
                total += x.Weight * (std::accumulate(BinProbabilities + 1, BinProbabilities + q + 2, 0.0));
                continue;
            }
            // cdf[j] += weight x the expert's CDF at ends[j].
            int k = 1;
            double before = 0;
            const double* p = x.Points;
            for (std::size_t j = 0; j < m; ++j) {
                const double v = ends[j];
                while (k <= q + 1 && v >= p[k]) {
                    before += BinProbabilities[k];
                    ++k;
                }
                if (k > q + 1) {
                    for (; j < m; ++j) cdf[j] += x.Weight * before;
                    break;
                }
                cdf[j] += x.Weight * (before + BinProbabilities[k] * (v - p[k - 1]) / (p[k] - p[k - 1]));
            }
        }
        Cell& cell = cells[t];
        if (plain) total = cdf[m - 1];
        if (added == 0 || !(total > 0)) {
            cell.State = Validity::Missing;
            continue;
        }
        cell.State = Validity::Valid;
        const double margin = QuantileLevelMargin(static_cast<int>(added));
        // The CDF read off the pieces may be off by `error`: the targets move out by as much.
        const double error = plain ? 0 : pieces->Error();
        if (!plain && !(error <= 1e-3 * margin * total)) return Screened::Plain;
        double lo[MaxQuantileCount + 2];
        double hi[MaxQuantileCount + 2];
        for (int k = 1; k <= q; ++k) {
            const double level = QuantileLevels[k];
            if (!(level - margin > 0) || !(level + margin < 1)) {
                cell.State = Validity::Undecided;
                break;
            }
            const double a = inverse((level - margin) * total - error);
            const double b = inverse((level + margin) * total + error);
            const double s = Slack(a, b, isLog);
            lo[k] = a - s;
            hi[k] = b + s;
            // Strictly ascending quantiles, finite and positive on a LOG item, none read as missing.
            if (k > 1 && !(hi[k - 1] < lo[k])) cell.State = Validity::Undecided;
            if (isLog ? !(lo[k] > -80 && hi[k] < 85) : !(hi[k] < MissingValue - 1 || lo[k] > MissingValue + 1))
                cell.State = Validity::Undecided;
        }
        if (cell.State != Validity::Valid) continue;

        int certain = 0;   // quantiles the realisation definitely exceeds
        int possible = 0;  // quantiles it may exceed
        for (int k = 1; k <= q; ++k) {
            if (hi[k] < realisation) ++certain;
            if (lo[k] <= realisation) ++possible;
        }
        cell.BinLow = static_cast<unsigned char>(certain + 1);
        cell.BinHigh = static_cast<unsigned char>(possible + 1);

        lo[0] = hi[0] = static_cast<double>(infoLow);
        lo[q + 1] = hi[q + 1] = static_cast<double>(infoHigh);
        double infoMin = logWidth;
        double infoMax = logWidth;
        for (int k = 1; k <= q + 1; ++k) {
            const double narrowest = (lo[k] - hi[k - 1]) * (1 - 4 * Unit32);
            const double widest = (hi[k] - lo[k - 1]) * (1 + 4 * Unit32);
            const double p = BinProbabilities[k];
            infoMin += p * std::log(p / std::max(widest, 1e-5));
            infoMax = narrowest > 1e-30 ? infoMax + p * std::log(p / narrowest) : Inf;
        }
        cell.InfoLow = infoMin - 1e-6 * (std::fabs(infoMin) + 1);
        cell.InfoHigh = infoMax + 1e-6 * (std::fabs(infoMax) + 1);
    }
    return Screened::Yes;
}

// The calibration's smallest and largest value over every way the open hits can fall.
bool CalibrationRange(int hits[], const std::vector<const Cell*>& open, std::size_t from, int seeds, int n,
                      float& least, float& most) {
    if (from == open.size()) {
        const float c = CalibrationOfCount(n, RelativeEntropyOfHits(hits, seeds));
        least = std::min(least, c);
        most = std::max(most, c);
        return std::isfinite(c);
    }
    const Cell& cell = *open[from];
    for (int b = cell.BinLow; b <= cell.BinHigh; ++b) {
        ++hits[b];
        const bool ok = CalibrationRange(hits, open, from + 1, seeds, n, least, most);
        --hits[b];
        if (!ok) return false;
    }
    return true;
}

}  // namespace

double QuantileLevelMargin(int n) {
    return 1e-4 + 4.0 * n * Unit32;
}

std::vector<ScreenedLevel> ScreenLevels(const std::vector<float>& levels, const ScreenWeights& weights) {
    const int dm = ExpertCount + 1;
    std::vector<int> seeds;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i)
        if (IsSeedItem(ItemTable[i].get()) && AssessmentAt(dm, i)) seeds.push_back(i);
    const std::size_t count = levels.size();
    if (count == 0) return {};

    std::vector<Cell> cells(seeds.size() * count);
    std::vector<char> ok(seeds.size(), 0);
    // In a left-out run the points of an item whose range stays are those of the runs before; each
    // seed item in a slot of its own.
    FullRunReuse* reuse = FullRunReuse::Open();
    ScreenPoints* known = reuse && reuse->ExpertsAsChecked() ? &reuse->Screening() : nullptr;
    if (known) {
        if (known->Quantiles != QuantileCount || known->NudgingOff != NudgingOff() ||
            known->Slots.size() != static_cast<std::size_t>(MaxItemCount) + 1) {
            known->Quantiles = QuantileCount;
            known->NudgingOff = NudgingOff();
            known->Slots.assign(static_cast<std::size_t>(MaxItemCount) + 1, {});
        }
        std::vector<char> used(static_cast<std::size_t>(MaxItemCount) + 1, 0);
        for (const int i : seeds) {
            const int s = (*ItemIndexMap)[i];
            if (s < 1 || s > MaxItemCount || used[static_cast<std::size_t>(s)]) known = nullptr;
            if (!known) break;
            used[static_cast<std::size_t>(s)] = 1;
        }
    }
    const int leftOut = reuse ? reuse->LeftOutPosition() : -1;
    ForEachTask(static_cast<int>(seeds.size()), [&](int, int task) {
        const int i = seeds[static_cast<std::size_t>(task)];
        Cell* at = &cells[static_cast<std::size_t>(task) * count];
        const ScreenPoints::Item* points = nullptr;
        if (const int s = (*ItemIndexMap)[i]; known && reuse->SlotAsChecked(s)) {
            ScreenPoints::Item& slot = known->Slots[static_cast<std::size_t>(s)];
            const TItem* item = ItemTable[i].get();
            if (!slot.Built || slot.Low != std::bit_cast<std::uint32_t>(item->IntrinsicLow) ||
                slot.High != std::bit_cast<std::uint32_t>(item->IntrinsicHigh))
                KnowPoints(slot, *reuse, i, s);
            if (slot.Usable) points = &slot;
        }
        Screened done = ScreenItem(i, levels, weights, at, false, points, leftOut);
        if (done == Screened::Plain) done = ScreenItem(i, levels, weights, at, true, points, leftOut);
        ok[static_cast<std::size_t>(task)] = done == Screened::Yes;
    });
    if (std::find(ok.begin(), ok.end(), 0) != ok.end()) return {};

    std::vector<ScreenedLevel> out(count);
    std::vector<const Cell*> open;
    for (std::size_t t = 0; t < count; ++t) {
        int hits[MaxQuantileCount + 2] = {};
        open.clear();
        int valid = 0;
        double infoLow = 0;
        double infoHigh = 0;
        long combinations = 1;
        for (std::size_t s = 0; s < seeds.size(); ++s) {
            const Cell& cell = cells[s * count + t];
            if (cell.State == Validity::Undecided) return {};
            if (cell.State != Validity::Valid) continue;
            ++valid;
            infoLow += cell.InfoLow;
            infoHigh += cell.InfoHigh;
            if (cell.BinLow == cell.BinHigh) {
                ++hits[cell.BinLow];
            } else {
                open.push_back(&cell);
                combinations = std::min<long>(combinations * (cell.BinHigh - cell.BinLow + 1), MostCombinations + 1);
            }
        }
        ScreenedLevel& level = out[t];
        level.SeedCount = valid;
        if (combinations > MostCombinations || !std::isfinite(infoHigh) || valid == 0) continue;
        const int n = UseMinSeedCount ? std::min(weights.DataMinSeedCount, valid) : valid;
        float least = Inf;
        float most = -Inf;
        if (!CalibrationRange(hits, open, 0, valid, n, least, most)) continue;
        const double meanLow = infoLow / valid;
        const double meanHigh = infoHigh / valid;
        const double products[] = {least * meanLow, least * meanHigh, most * meanLow, most * meanHigh};
        const double low = *std::min_element(std::begin(products), std::end(products));
        const double high = *std::max_element(std::begin(products), std::end(products));
        if (!std::isfinite(low) || !std::isfinite(high) || std::fabs(high) > 1e30) continue;
        level.Decided = true;
        level.Low = std::nextafter(static_cast<float>(low - 1e-6 * std::fabs(low) - 1e-30), -HUGE_VALF);
        level.High = std::nextafter(static_cast<float>(high + 1e-6 * std::fabs(high) + 1e-30), HUGE_VALF);
    }
    return out;
}

}  // namespace halvorine
