// The pooling behind the decision maker: each item's piecewise-constant mixture density on the
// breakpoints of all valid assessments, and its quantiles. What the weights do not change (the
// sorted breakpoints, where each expert's quantiles fall among them, the widths of its bins) is
// laid out once per item and reused by every build of a run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/globals.h"

namespace halvorine {

class ExpertScores;

// density[0..count-1] += d, every sum formed in extended precision and rounded to 32 bits, bit for
// bit as the plain loop would; for non-negative densities and d, where it runs several sums at a
// time in double precision and takes the plain sum only where the two roundings could disagree.
void AddDensity(float* density, int count, long double d);

// The plain loop of AddDensity, for densities of any sign.
void AddDensityPlain(float* density, int count, long double d);

// The ways AddDensity can run, of which it takes the widest the processor has; each gives the
// plain loop's sums. A way the processor lacks runs as Double.
enum class DensityKernel { Double, Avx2, Avx512 };
bool DensityKernelRuns(DensityKernel kernel);
void AddDensityWith(DensityKernel kernel, float* density, int count, long double d);

// DMQuantilesFromDensity on intervals 1..count given by their lower and upper ends and densities.
template <class LowEnd, class HighEnd, class DensityOf>
void QuantilesFromDensity(int count, LowEnd low, HighEnd high, DensityOf density, TAssessment& d) {
    long double cum = 0;
    int j = 0;
    for (int k = 1; k <= QuantileCount; ++k) {
        const long double level = QuantileLevels[k];
        while (cum <= level && j < count) {
            ++j;
            cum += (high(j) - low(j)) * static_cast<long double>(density(j));
        }
        if (cum > level) {
            d.Values[k] = static_cast<float>(high(j) - (cum - level) / density(j));
        } else {
            const long double before = k == 1 ? low(1) : static_cast<long double>(d.Values[k - 1]);
            d.Values[k] = static_cast<float>((before + high(j)) / 2);
        }
    }
}

class PoolLayoutStore;

class DecisionMakerPool {
public:
    // reuse: keep every item's layout between builds (the optimisation builds the decision maker
    // once per candidate level, with nothing but the weights changed in between). store: where the
    // layouts are taken from when nothing they were laid out from has changed, and handed back to
    // when the pool ends (the left-out runs of a robustness run lay out the same items again).
    // scores: who answered each item, as the run read it (the same as the pool would find).
    explicit DecisionMakerPool(bool reuse, PoolLayoutStore* store = nullptr, const ExpertScores* scores = nullptr)
        : reuse_(reuse), store_(store), scores_(scores) {}
    ~DecisionMakerPool();
    DecisionMakerPool(const DecisionMakerPool&) = delete;
    DecisionMakerPool& operator=(const DecisionMakerPool&) = delete;

    // BuildDecisionMaker. With seedItemsOnly only the seed items are pooled: the other items keep
    // the decision maker's earlier quantiles, unless their pooling would fail or they have no
    // weighted answer (then the result is exactly that of pooling them). The decision maker's
    // score reads nothing but its seed items.
    int Build(bool seedItemsOnly);

    // After a build that laid the items out (reuse): whether no later build of this run can fail
    // for any weights that are not negative. Every item the decision maker has must have finite
    // breakpoints, bounds that keep every density finite, and no expert with a bin of no width or
    // a lost breakpoint (an item not laid out yet is laid out here).
    bool NoBuildCanFail();

private:
    friend class PoolLayoutStore;

    struct Layout {
        bool Built = false;
        bool Full = false;  // Ends, Widths and Last are filled
        bool IsLog = false;
        bool NotFinite = false;  // a breakpoint is not a number
        bool Safe = false;       // any non-negative weights give finite densities and quantiles
        int Count = 0;           // intervals 1..Count; interval j runs from Ends[j-1] to Ends[j]
        std::vector<long double> Ends;
        std::vector<int> Experts;  // the data experts with a valid assessment, in expert order
        std::vector<TAssessment*> Answers;
        bool AllExperts = false;          // every data expert answered validly
        std::vector<char> Broken;         // per expert: a bin without width, or a quantile
                                          // that is not among the interval ends
        std::vector<int> BrokenExperts;   // the same, as a list
        std::vector<long double> Widths;  // per expert, bins 1..Q+1 on the pooling scale
        std::vector<std::uint16_t> Last;  // per expert, the last interval of bins 1..Q
        // What it was laid out from, besides the experts and their answers above: the item, its
        // bounds, the quantiles of each expert's answer, the records of the experts, the item's
        // assessment slot, the bins and whether whole values were nudged.
        const TItem* Item = nullptr;
        float Low = 0;
        float High = 0;
        std::vector<float> Values;  // per expert, quantiles 1..Q (none kept in a store with answers fixed)
        std::vector<const TExpert*> Owners;
        int Slot = 0;
        std::vector<float> Bins;    // bins 1..Q+1
        bool NudgingOff = false;
    };

    struct Point {
        double Value;
        std::uint32_t Origin;  // expert (in layout order) x Q + quantile - 1
    };
    // What pooling one item needs for itself; one per thread, so items are pooled side by side.
    struct Worker {
        Layout Scratch;       // the full layout of an item that is not kept
        int ScratchItem = 0;  // the item Scratch holds, within one build
        std::vector<Point> Points;
        std::vector<Point> Spare;
        std::vector<long double> Scaled;  // of Points, when taken from sorted answers
        std::vector<int> Places;          // each expert's place among the sorted answers
        std::vector<int> EndOf;
        std::vector<float> Density;
        std::vector<long double> Fracs;
    };
    struct Fractions {
        long double Total = 0;            // the sum of the weights, in expert order
        bool Negative = false;            // some fraction is below 0
        const long double* Of = nullptr;  // weight / Total per expert of the layout
    };

    // The values of the valid answers in one slot of the full run's data experts, sorted as Lay
    // sorts them; the left-out runs of a robustness run lay out their items from them.
    struct SortedAnswers {
        bool Built = false;
        std::vector<int> Positions;   // the experts, as places among the full run's data experts
        std::vector<char> NotFinite;  // per expert: a value is not a number
        std::vector<Point> Points;    // Origin: place x Q + quantile - 1
        bool IsLog = false;
        std::vector<long double> Scaled;  // each point on the pooling scale
        // With no point at zero each expert's values are its interval ends, so what Lay forms of
        // its bins on the item's bounds does not depend on the others: per expert, the widths of
        // bins 1..Q+1, the largest density of a unit weight, and whether a bin has no width.
        bool OwnBins = false;
        std::uint32_t Low = 0, High = 0;
        std::vector<float> Bins;
        std::vector<long double> Widths;
        std::vector<long double> Largest;
        std::vector<char> NoWidth;
    };

    static void SortByValue(Worker& w);
    const SortedAnswers* KnownAnswers(int i, Worker& w);
    bool LaidOutFromTheSame(int i, const Layout& layout) const;
    void TakeFromStore(int items);
    void Lay(int i, Layout& layout, bool full, Worker& w);
    const Layout& ScratchLayout(int i, Worker& w);
    int Pool(const Layout& layout, TAssessment& d, Worker& w);
    int Shadow(int i, Layout& layout, TAssessment& d, Worker& w);
    int PoolItem(int i, bool seedItemsOnly, bool keep, Worker& w);
    Fractions WeightFractions(const Layout& layout, Worker& w);
    Fractions Shared(std::vector<long double>& fracs, int n);

    bool reuse_;
    PoolLayoutStore* store_;
    const ExpertScores* scores_;
    bool sortedSlots_ = false;  // this build's items lie in slots of their own
    std::size_t keptBytes_ = 0;
    std::vector<Layout> layouts_;  // per item, while reusing
    std::vector<Worker> workers_;
    // Per build: the experts' weights, and the fractions shared by the items all experts answered.
    std::vector<float> weights_;
    int dataExperts_ = 0;
    Fractions all_;
    std::vector<long double> allFracs_;
};

// The layouts a pool handed back, by item, for the next pool to take over. answersFixed: while the
// store lives, no assessment record is replaced and no quantile changes (the left-out runs of one
// robustness run), so a layout's answers need not be compared value by value.
class PoolLayoutStore {
public:
    explicit PoolLayoutStore(bool answersFixed = false) : answersFixed_(answersFixed) {}

private:
    friend class DecisionMakerPool;
    bool answersFixed_;
    std::vector<DecisionMakerPool::SortedAnswers> sorted_;  // by slot, with answers fixed
    int sortedQuantiles_ = 0;
    bool sortedNudgingOff_ = false;
    std::unordered_map<const TItem*, DecisionMakerPool::Layout> layouts_;
};

}  // namespace halvorine
