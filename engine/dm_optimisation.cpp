#include "engine/dm_optimisation.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/core/text.h"
#include "engine/calibration.h"
#include "engine/decision_maker.h"
#include "engine/dm_screening.h"
#include "engine/globals.h"
#include "engine/pooling.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "engine/weights.h"
#include "engine/worker_pool.h"

namespace halvorine {

namespace {

LevelSearchReport Report;
LevelSearch Search = LevelSearch::Screened;

void Weigh(int& code, const ExpertScores& scores, std::vector<float>* fileWeights) {
    if (WeightType == ItemWeighting)
        ComputeItemWeights(code, scores);
    else
        ComputeGlobalWeights(code, scores, fileWeights);
}

// Every assessment of the decision maker still names its item (copying an expert who lacks one
// clears it), so that recounting the decision maker gives what the bounds assume.
bool DecisionMakerItemsIntact() {
    const int dm = ExpertCount + 1;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i)
        if (const TAssessment* d = AssessmentAt(dm, i); d && d->Item != ItemTable[i].get()) return false;
    return true;
}

// What a candidate's build does: Pools, or copies the expert who carries all the weight (Copies),
// or copies one who lacks some item the decision maker has, which clears that assessment's item and
// so changes what the pass hands on (CopiesAndClears).
enum Build : char { Pools = 0, Copies = 1, CopiesAndClears = 2 };

// With item weights, from the weights of the pass at level 2 (just computed): the seed items' raw
// item weights into `weights`, the last level whose weights do not fail (some item's raw weights
// all zero), and the levels whose build copies some item's expert (one with all but a negligible
// share of the item's weight, which NearlyEqual(1, ItemWeight) may then take for 1). False when a
// raw weight is negative or so small that its 32-bit share loses precision.
bool ItemWeightLevels(ScreenWeights& weights, int& last, std::vector<char>& copies, const std::vector<int>& firstCopy) {
    const int K = CalibrationLevelCount;
    const int dm = ExpertCount + 1;
    int items = 0;
    while (items < MaxItemCount && ItemTable[items + 1]) ++items;
    weights.ItemRaw.assign((static_cast<std::size_t>(ExpertCount) + 1) * (MaxItemCount + 1), 0.0);
    const auto levels = static_cast<std::size_t>(K) + 1;
    std::vector<char> fails(static_cast<std::size_t>(items + 1) * levels, 0);
    std::vector<char> copied(static_cast<std::size_t>(items + 1) * levels, 0);
    std::vector<char> usable(static_cast<std::size_t>(items) + 1, 1);
    ForEachTask(items, [&](int, int task) {
        const int i = task + 1;
        struct Answer {
            float Calibration;
            double Raw;
            bool Data;
            int Expert;
        };
        std::vector<Answer> answers;
        const bool seed = IsSeedItem(ItemTable[i].get());
        for (int e = 1; e <= ExpertCount; ++e) {
            const TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item) continue;
            const bool data = IsDataExpert(e);
            if (a->RawItemWeight < 0 || (data && a->RawItemWeight > 0 && !(a->ItemWeight >= 1e-30f))) {
                usable[static_cast<std::size_t>(i)] = 0;
                return;
            }
            // The weights of the others (not data experts) are not cut.
            answers.push_back({data ? weights.Calibration[e] : HUGE_VALF, a->RawItemWeight, data, e});
            if (data && seed && a->Valid)
                weights.ItemRaw[static_cast<std::size_t>(e) * (MaxItemCount + 1) + i] = a->RawItemWeight;
        }
        std::stable_sort(answers.begin(), answers.end(),
                         [](const Answer& a, const Answer& b) { return a.Calibration > b.Calibration; });
        const bool pooled = AssessmentAt(dm, i) != nullptr;
        std::size_t taken = 0;
        double sum = 0;
        double largest = 0;
        int dominant = 0;  // the expert with the largest weight
        int copiedExpert = 0;
        bool mixed = false;
        for (int k = K; k >= 2; --k) {
            for (; taken < answers.size() && answers[taken].Calibration >= CalibrationLevels[k]; ++taken) {
                sum += answers[taken].Raw;
                if (answers[taken].Data && answers[taken].Raw > largest) {
                    largest = answers[taken].Raw;
                    dominant = answers[taken].Expert;
                }
            }
            const std::size_t at = static_cast<std::size_t>(i) * levels + static_cast<std::size_t>(k);
            fails[at] = sum == 0;
            copied[at] = pooled && largest > 0 && largest >= (1 - 1e-6) * sum;
            if (copied[at]) {
                mixed = mixed || (copiedExpert != 0 && copiedExpert != dominant);
                copiedExpert = dominant;
            }
        }
        // Copying again the expert pass 1 copied, and no other, leaves the decision maker's
        // assessment as it was (its values are pooled over or copied again by the final pass).
        if (!mixed && copiedExpert != 0 && copiedExpert == firstCopy[static_cast<std::size_t>(i)])
            for (int k = 2; k <= K; ++k) copied[static_cast<std::size_t>(i) * levels + static_cast<std::size_t>(k)] = 0;
    });
    if (std::find(usable.begin(), usable.end(), 0) != usable.end()) return false;
    for (int k = 2; k <= K; ++k) {
        bool fail = false;
        for (int i = 1; i <= items && !fail; ++i) {
            const std::size_t at = static_cast<std::size_t>(i) * levels + static_cast<std::size_t>(k);
            fail = fails[at] != 0;
            if (copied[at]) copies[static_cast<std::size_t>(k)] = Copies;
        }
        if (fail) {
            last = k - 1;
            break;
        }
    }
    return true;
}

// The sum, in their order, of the weights of the experts a level keeps; apart, so that the sum
// stays in a register.
__attribute__((noinline)) long double KeptSum(const float* weight, const float* keptUpTo, std::size_t n, float level) {
    long double sum = 0;
    for (std::size_t e = 0; e < n; ++e)
        if (keptUpTo[e] >= level) sum += weight[e];
    return sum;
}

// With global weights, from the weights of the pass at level 2 (just computed): the last level
// whose weights do not fail (all raw weights zero, or those of some assessed item's valid answers)
// and what each level's build does, its weights formed as ComputeGlobalWeights forms them.
bool GlobalWeightLevels(const ScreenWeights& weights, const ExpertScores& scores, int& last,
                        std::vector<char>& copies) {
    const int K = CalibrationLevelCount;
    const int dm = ExpertCount + 1;
    const int n = ExpertCount;
    std::vector<double> raw(static_cast<std::size_t>(n) + 1, 0.0);
    for (int e = 1; e <= n; ++e)
        if (ExpertTable[e]) {
            raw[static_cast<std::size_t>(e)] = ExpertTable[e]->RawWeight;
            if (ExpertTable[e]->RawWeight < 0) return false;
        }
    // Asked for every expert at every level: who is a data expert, and who is there, read once.
    std::vector<char> data(static_cast<std::size_t>(n) + 1, 0);
    std::vector<char> present(static_cast<std::size_t>(n) + 1, 0);
    for (int e = 1; e <= n; ++e) {
        data[static_cast<std::size_t>(e)] = IsDataExpert(e);
        present[static_cast<std::size_t>(e)] = ExpertTable[e] != nullptr;
    }
    auto kept = [&](int e, int k) {
        return !data[static_cast<std::size_t>(e)] || weights.Calibration[e] >= CalibrationLevels[k];
    };
    // The highest calibration among the valid, weighted answers of each item some data expert assessed,
    // from who answered what as the run's scores read it.
    const int slots = scores.Items();
    std::vector<float> tops(static_cast<std::size_t>(slots) + 1, HUGE_VALF);
    for (int i = 1; i <= slots; ++i) {
        if (!scores.Assessed(i)) continue;
        float top = -HUGE_VALF;
        for (const int e : scores.ValidExperts(i))
            if (raw[static_cast<std::size_t>(e)] > 0) top = std::max(top, weights.Calibration[e]);
        tops[static_cast<std::size_t>(i)] = top;
    }
    float lowestTop = HUGE_VALF;
    for (int i = 1; i <= slots; ++i) lowestTop = std::min(lowestTop, tops[static_cast<std::size_t>(i)]);
    // The items of the decision maker, which a copied expert must have.
    std::vector<int> items;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i)
        if (AssessmentAt(dm, i)) items.push_back(i);
    // Each expert's 32-bit weight and the highest level that keeps it: its calibration, +inf for one
    // who is not a data expert, NaN (kept by none) for one who is not there.
    std::vector<float> weight32(static_cast<std::size_t>(n) + 1, 0.0f);
    std::vector<float> keptUpTo(static_cast<std::size_t>(n) + 1, NAN);
    for (int e = 1; e <= n; ++e) {
        if (!present[static_cast<std::size_t>(e)]) continue;
        weight32[static_cast<std::size_t>(e)] = static_cast<float>(raw[static_cast<std::size_t>(e)]);
        keptUpTo[static_cast<std::size_t>(e)] = data[static_cast<std::size_t>(e)] ? weights.Calibration[e] : HUGE_VALF;
    }
    for (int k = 2; k <= K; ++k) {
        long double sum = 0;
        if (std::isnan(CalibrationLevels[k])) {
            for (int e = 1; e <= n; ++e)
                if (present[static_cast<std::size_t>(e)] && kept(e, k))
                    sum += static_cast<float>(raw[static_cast<std::size_t>(e)]);
        } else {
            sum = KeptSum(weight32.data() + 1, keptUpTo.data() + 1, static_cast<std::size_t>(n), CalibrationLevels[k]);
        }
        if (sum == 0 || !(lowestTop >= CalibrationLevels[k])) {
            last = k - 1;
            return true;
        }
        int sole = 0;
        for (int e = 1; e <= n; ++e) {
            if (!data[static_cast<std::size_t>(e)] || !kept(e, k)) continue;
            const float w = static_cast<float>(
                static_cast<long double>(static_cast<float>(raw[static_cast<std::size_t>(e)])) / sum);
            if (NearlyEqual(1, w)) sole = e;
        }
        char build = Pools;
        if (sole != 0) {
            build = Copies;
            for (int i : items)
                if (!AssessmentAt(sole, i)) build = CopiesAndClears;
        }
        copies[static_cast<std::size_t>(k)] = build;
    }
    last = K;
    return true;
}

// The state the candidate passes hand on to the next and that a skipped pass must leave as its
// exact pass would: MinSeedCount (which the next weights read) and ItemCount, both from
// recounting the decision maker.
struct HandedOn {
    int MinSeedCount = 0;
    int ItemCount = 0;
};

// Which candidate passes 2..K must pool: exact[k]. False when the bounds do not apply to this run
// (then every pass pools). After pass 1; `handed` is what pass 1 left, `first` its score.
bool PlanPasses(const ExpertScores& scores, DecisionMakerPool& pool, const HandedOn& handed, float first,
                std::vector<char>& exact, std::vector<char>& copies, int& last, std::vector<ScreenedLevel>& bounds) {
    const int K = CalibrationLevelCount;
    const int dm = ExpertCount + 1;
    if (WeightType != GlobalWeighting && WeightType != ItemWeighting) return false;
    if (!pool.NoBuildCanFail() || !DecisionMakerItemsIntact()) return false;
    // A filtered item counts as valid in the recount whatever its values.
    if (ItemsFilterEnabled)
        for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i)
            if (ItemTable[i]->FilterFlag) return false;

    ScreenWeights weights;
    weights.ItemWeights = WeightType == ItemWeighting;
    weights.DataMinSeedCount = 32767;
    for (int e = 1; e <= ExpertCount; ++e)
        if (ExpertTable[e]) weights.DataMinSeedCount = std::min(weights.DataMinSeedCount, ExpertTable[e]->SeedCount);
    if (std::min(weights.DataMinSeedCount, ExpertTable[dm]->SeedCount) != handed.MinSeedCount) return false;

    // With item weights, the expert pass 1 copied on each item (its weights are still in place).
    std::vector<int> firstCopy(static_cast<std::size_t>(MaxItemCount) + 1, 0);
    if (weights.ItemWeights)
        for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
            if (!AssessmentAt(dm, i)) continue;
            for (int e = 1; e <= ExpertCount; ++e) {
                const TAssessment* a = IsDataExpert(e) ? AssessmentAt(e, i) : nullptr;
                if (a && a->Item && NearlyEqual(1, a->ItemWeight)) firstCopy[static_cast<std::size_t>(i)] = e;
            }
        }

    // The weights of the pass at level 2, computed while MinSeedCount stays as pass 1 left it: the
    // raw weights of the experts the levels above 0 keep do not change from level to level, so
    // they tell which level fails and which copies an expert. Nothing of it is kept; the passes
    // compute their weights again.
    const float level = SignificanceLevel;
    const int checked = CheckedExpert;
    std::vector<float> scratch;
    MinSeedCount = handed.MinSeedCount;
    SignificanceLevel = CalibrationLevels[2];
    int code = RunOk;
    Weigh(code, scores, &scratch);
    bool usable = code == RunOk;
    last = usable ? K : 1;
    if (usable) {
        weights.Calibration.assign(ExpertCount + 1, 0.0f);
        weights.Raw.assign(ExpertCount + 1, 0.0);
        for (int e = 1; e <= ExpertCount; ++e) {
            if (!IsDataExpert(e)) continue;
            const TExpert& x = *ExpertTable[e];
            weights.Calibration[e] = x.Calibration;
            weights.Raw[e] = x.RawWeight;
            // A weight so small that its 32-bit fraction loses precision is beyond the bounds.
            if (!weights.ItemWeights && (x.RawWeight < 0 || (x.RawWeight > 0 && !(x.Weight >= 1e-30f)))) usable = false;
        }
        usable = usable && (weights.ItemWeights ? ItemWeightLevels(weights, last, copies, firstCopy)
                                                : GlobalWeightLevels(weights, scores, last, copies));
    }
    MinSeedCount = handed.MinSeedCount;
    ItemCount = handed.ItemCount;
    CheckedExpert = checked;
    SignificanceLevel = level;
    if (!usable || last < 3) return false;

    const std::vector<float> levels(CalibrationLevels + 2, CalibrationLevels + last + 1);
    bounds = ScreenLevels(levels, weights);
    if (bounds.empty()) return false;
    for (const ScreenedLevel& b : bounds)
        if (std::min(weights.DataMinSeedCount, b.SeedCount) != handed.MinSeedCount) return false;

    // A pass that copies an expert is pooled exactly: what it copies stays in the decision maker.
    // When it also clears items, the bounds of the levels after it hold only if it hands on what
    // the others do (checked as it ends). So a level is passed over only when some level before
    // the next such pass surely scores more.
    auto at = [&](int k) -> const ScreenedLevel& { return bounds[static_cast<std::size_t>(k - 2)]; };
    std::vector<float> surelyReached(static_cast<std::size_t>(last) + 2, first);
    float reached = first;
    for (int k = 2; k <= last; ++k) {
        if (at(k).Decided && copies[static_cast<std::size_t>(k)] == Pools) reached = std::max(reached, at(k).Low);
        surelyReached[static_cast<std::size_t>(k)] = reached;
    }
    int barrier = last + 1;
    for (int k = last; k >= 2; --k) {
        const char build = copies[static_cast<std::size_t>(k)];
        // A copy hands on the copied expert's seed count, which is no smaller than DataMinSeedCount.
        if (build == CopiesAndClears || (build == Copies && handed.MinSeedCount != weights.DataMinSeedCount))
            barrier = k;
        const bool pooled = !at(k).Decided || build != Pools ||
                            !(at(k).High < surelyReached[static_cast<std::size_t>(barrier - 1)]);
        exact[static_cast<std::size_t>(k)] = pooled ? 1 : 0;
    }
    // When the next pass fails, the decision maker is left as this one builds it.
    if (last < K) exact[static_cast<std::size_t>(last)] = 1;
    return true;
}

void Passes(int& code, std::vector<float>& fileWeights, LevelSearch search) {
    const int dm = ExpertCount + 1;
    const int K = CalibrationLevelCount;
    Report = {};

    // The experts' seed scores and every item's layout do not change from pass to pass; in the
    // left-out runs of a robustness run most layouts do not change from run to run either.
    ExpertScores scores;
    scores.Read(WeightType == ItemWeighting);
    FullRunReuse* reuse = FullRunReuse::Open();
    DecisionMakerPool pool(true, reuse ? &reuse->Layouts() : nullptr, &scores);
    // The first pass's score reads only the seed items, and the final pass pools every item anew;
    // the first pass's pooling of the others is seen only when a later pass fails and leaves them
    // so. The left-out runs of a robustness run, whose decision maker is read only after a run
    // that succeeded, pass over them.
    const bool firstPassSeedsOnly = reuse != nullptr;

    std::vector<char> exact(static_cast<std::size_t>(K) + 2, 1);
    std::vector<char> copies(static_cast<std::size_t>(K) + 2, 0);
    std::vector<ScreenedLevel> bounds;  // of levels 2.., while screened
    HandedOn handed;
    bool screened = false;
    int last = K;

    float best = 0;
    for (int k = 1; k <= K + 1; ++k) {
        if (k == 1) {
            SignificanceLevel = 0;
        } else if (k <= K) {
            SignificanceLevel = CalibrationLevels[k];
        } else {
            SignificanceLevel = best;
            if (TExpert* x = ExpertTable[dm].get()) {
                x->SeedCount = 0;
                x->AssessedCount = 0;
            }
        }

        // A passed-over level leaves what its pass would hand on. Its weights are computed only
        // when the next pass's weights may fail and so keep some of them.
        if (screened && k <= K && !exact[static_cast<std::size_t>(k)]) {
            if (k == last) {
                Weigh(code, scores, &fileWeights);
                if (code != RunOk) return;
            }
            MinSeedCount = handed.MinSeedCount;
            ItemCount = handed.ItemCount;
            ExpertTable[dm]->MinSeeds = handed.MinSeedCount;
            ++Report.Candidates;
            continue;
        }

        Weigh(code, scores, &fileWeights);
        if (code != RunOk) return;

        // A candidate's score reads only the seed items; the first and the final pass pool all.
        code = pool.Build((k > 1 && k <= K) || (k == 1 && firstPassSeedsOnly));
        if (code != RunOk) return;
        if (k > K) break;

        ComputeMinSeedCount();
        const float score = GlobalWeightRaw(dm);
        if (!std::isfinite(score)) {
            CheckedExpert = dm;
            code = RunNotFinite;
            return;
        }
        ++Report.ExactPasses;
        ++Report.Candidates;
        if (BecomesBest(k, score, BestDMScore)) {
            BestDMScore = score;
            best = SignificanceLevel;
        }

        if (k == 1 && search != LevelSearch::Exhaustive && K > 2) {
            handed = {MinSeedCount, ItemCount};
            screened = PlanPasses(scores, pool, handed, score, exact, copies, last, bounds);
            if (screened)
                for (int j = 2; j <= last; ++j) Report.PassedOver += exact[static_cast<std::size_t>(j)] ? 0 : 1;
            if (!screened || search == LevelSearch::Audited) std::fill(exact.begin(), exact.end(), 1);
            Report.Screened = screened;
        } else if (screened && k > 1) {
            const auto t = static_cast<std::size_t>(k - 2);
            if (t < bounds.size() && bounds[t].Decided && copies[static_cast<std::size_t>(k)] == Pools) {
                ++Report.Bounded;
                if (!(bounds[t].Low <= score && score <= bounds[t].High)) ++Report.OutOfBounds;
            }
            // A copy that hands on something else: the bounds of the later levels no longer hold.
            if (MinSeedCount != handed.MinSeedCount || ItemCount != handed.ItemCount || !DecisionMakerItemsIntact()) {
                std::fill(exact.begin(), exact.end(), 1);
                screened = false;
            }
        }
    }
}

}  // namespace

bool BecomesBest(int k, float score, float best) {
    return k == 1 || score > best;
}

const LevelSearchReport& LastLevelSearch() {
    return Report;
}

void SetLevelSearch(LevelSearch search) {
    Search = search;
}

void OptimiseDecisionMaker(int& code) {
    OptimiseDecisionMaker(code, Search);
}

void OptimiseDecisionMaker(int& code, LevelSearch search) {
    code = CheckBinProbabilities();
    if (code != RunOk) return;
    // "weightsw.dat" ends with the weights of the last pass that would have written it; it is
    // written once, not once per candidate level.
    std::vector<float> fileWeights;
    try {
        Passes(code, fileWeights, search);
    } catch (...) {
        if (!fileWeights.empty()) WriteWeightsFile(fileWeights);
        throw;
    }
    if (!fileWeights.empty()) WriteWeightsFile(fileWeights);
}

}  // namespace halvorine
