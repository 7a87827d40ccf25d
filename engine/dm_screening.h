// Bounds of the decision maker's score at many candidate levels without pooling it at each: the
// candidates whose bounds show they cannot be the best need no exact pass.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace halvorine {

// What the exact pass of one candidate level can give.
struct ScreenedLevel {
    bool Decided = false;  // Low..High bound the score; otherwise it may be anything
    float Low = 0;
    float High = 0;
    int SeedCount = 0;  // the decision maker's valid seed items
};

// The weights of the passes at the levels, as fixed numbers: data expert e takes part at a level
// when Calibration[e] >= the level, with Raw[e] (global weights) or, with item weights, the raw
// item weight of its valid assessment of seed item i, ItemRaw[e * (MaxItemCount + 1) + i].
struct ScreenWeights {
    bool ItemWeights = false;
    std::vector<float> Calibration;
    std::vector<double> Raw;
    std::vector<double> ItemRaw;
    int DataMinSeedCount = 0;  // the smallest SeedCount of the experts before the decision maker
};

// The points of each seed item's valid answers on the screening's scale, handed from one left-out
// run of a robustness run to the next (FullRunReuse::Screening): they stay while the item's range
// does.
struct ScreenPoints {
    struct Item {
        bool Built = false;
        std::uint32_t Low = 0, High = 0;  // the range they were formed on
        bool Usable = false;              // no point is zero, so the points sort as any subset sorts
        std::vector<int> Positions;       // the experts, as places among the full run's data experts
        std::vector<char> Bad;            // their points do not ascend or are not finite
        std::vector<double> Points;       // Q+2 per expert
        // The points of the others, ascending, each with its place x (Q+2) + its number.
        std::vector<std::pair<double, int>> Sorted;
    };
    int Quantiles = 0;
    bool NudgingOff = false;
    std::vector<Item> Slots;  // by assessment slot
};

// Bounds of the score of the pass at levels[t] for every t (levels ascending, all above 0), with
// the decision maker's seed count, which the bounds decide exactly. Empty when this case needs
// more than the bounds can tell (a seed item whose validity is undecided, a negative weight,
// breakpoints not in order): then the exact passes must all run.
std::vector<ScreenedLevel> ScreenLevels(const std::vector<float>& levels, const ScreenWeights& weights);

// The margin in probability the bounds allow around each decision-maker quantile for the 32-bit
// densities of the exact pooling of n experts.
double QuantileLevelMargin(int n);

}  // namespace halvorine
