#include "engine/scoring_run.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <new>
#include <vector>

#include "engine/calibration.h"
#include "engine/decision_maker.h"
#include "engine/discrepancy.h"
#include "engine/dm_optimisation.h"
#include "engine/globals.h"
#include "engine/information.h"
#include "engine/intrinsic_range.h"
#include "engine/pooling.h"
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "engine/weights.h"
#include "engine/worker_pool.h"

namespace halvorine {

namespace {

// Global and item weights depend on the significance level; equal and user weights do not.
bool LevelledWeights() {
    return WeightType == 1 || WeightType == 3;
}

FullRunReuse* OpenReuse = nullptr;

void Run(int& code) {
    code = RunOk;
    if (WeightType == 4 && !CheckUserWeights(code)) return;
    if ((code = CheckBinProbabilities()) != RunOk) return;
    if (!BayesianUpdates && (code = ComputeIntrinsicRanges()) != RunOk) return;
    if (!InformationComputed) {
        FullRunReuse* reuse = FullRunReuse::Open();
        if ((code = reuse ? reuse->ComputeInformation() : ComputeAllInformation()) != RunOk) return;
        InformationComputed = true;
    }
    if (LevelledWeights()) SortedCalibrationLevels(CalibrationLevels, CalibrationLevelCount);

    if (OptimiseDM && LevelledWeights()) {
        OptimiseDecisionMaker(code);
        if (code != RunOk) return;
    } else {
        if (LevelledWeights()) {
            if (!CheckSignificanceLevel(false)) {
                code = RunSignificanceOutOfRange;
                return;
            }
            SignificanceLevel = UserSignificanceLevel;
        } else {
            SignificanceLevel = 0;
        }
        switch (WeightType) {
        case 1: ComputeGlobalWeights(code); break;
        case 2:
            for (int e = 1; e <= ExpertCount; ++e)
                if (ExpertTable[e]) ExpertTable[e]->Weight = static_cast<float>(1.0L / ExpertCount);
            break;
        case 3: ComputeItemWeights(code); break;
        default: break;  // user weights as checked and completed
        }
        if (code != RunOk) return;
        if ((code = BuildDecisionMaker()) != RunOk) return;
    }

    if (WeightType >= 1 && WeightType <= 4 && (code = ScoreDecisionMaker()) != RunOk) return;
    if (DiscrepancyOn && !RobustnessRun) {
        ComputeDiscrepancies(code);
        if (code == RunOk) ComputeMeanDiscrepancies();
    }
}

}  // namespace

void RunCalculation(int& code) {
    try {
        Run(code);
    } catch (const std::bad_alloc&) {
        // The working storage of the pooling and the optimisation grows with the case.
        code = RunOutOfMemory;
    }
}

bool CheckUserWeights(int& code) {
    float sum = 0;  // kept as a 32-bit real after every addition, in expert order
    int given = 0;
    int missing = 0;
    for (int e = 1; e <= ExpertCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        const float w = x->Weight;
        if (IsMissing(w)) {
            ++missing;
            continue;
        }
        if (w == 1.0f) {
            code = RunUserWeightIsOne;
            return false;
        }
        // Not a number is no weight between 0 and 1 either.
        if (!(w >= 0.0f && w <= 1.0f)) {
            code = RunUserWeightOutOfRange;
            return false;
        }
        sum = static_cast<float>(static_cast<long double>(sum) + w);
        ++given;
    }
    if (given == 0) {
        code = RunNoUserWeights;
        return false;
    }
    if (std::fabs(static_cast<long double>(sum) - 1) > 1e-5L && missing == 0) {
        code = RunUserWeightSum;
        return false;
    }
    if (sum > 1.0f) {
        code = RunUserWeightSum;
        return false;
    }
    if (missing > 0) {
        const float fill = static_cast<float>((1 - static_cast<long double>(sum)) / missing);
        for (int e = 1; e <= ExpertCount; ++e) {
            TExpert* x = ExpertTable[e].get();
            if (x && IsMissing(x->Weight)) x->Weight = fill;
        }
    }
    return true;
}

bool CheckSignificanceLevel(bool recompute) {
    if (OptimiseDM || !LevelledWeights()) return true;
    if (recompute) SortedCalibrationLevels(CalibrationLevels, CalibrationLevelCount);
    SignificanceLevel = 0.03f;
    MinSignificanceLevel = 0;
    // Without data experts there is no level to offer but 0.
    MaxSignificanceLevel = CalibrationLevelCount > 0 ? CalibrationLevels[CalibrationLevelCount] : 0.0f;
    return MinSignificanceLevel <= UserSignificanceLevel && UserSignificanceLevel <= MaxSignificanceLevel;
}

void SortedCalibrationLevels(float (&levels)[MaxExpertCount + 1], int& K) {
    K = 0;
    // Levels without mass would make every entropy infinite.
    if (CheckBinProbabilities() != RunOk) return;
    // The experts side by side; each score only reads its expert's assessments.
    std::vector<float> all(static_cast<std::size_t>(ExpertCount) + 1, 0.0f);
    ForEachTask(ExpertCount, [&all](int, int task) {
        const int e = task + 1;
        if (!IsDataExpert(e)) return;
        float I = 0;
        RelativeEntropyOfSeeds(e, I);
        all[static_cast<std::size_t>(e)] = CalibrationOfEntropy(e, I);
    });
    std::vector<float> score;
    for (int e = 1; e <= ExpertCount; ++e)
        if (IsDataExpert(e)) score.push_back(all[static_cast<std::size_t>(e)]);
    if (score.empty()) return;
    // The order the repeated bubble passes reach; a p-value is never NaN.
    std::sort(score.begin(), score.end());
    const int n = static_cast<int>(score.size());
    K = 1;
    for (int j = 0; j + 1 < n; ++j)
        if (score[j] < score[j + 1]) levels[K++] = score[j];
    levels[K] = score[n - 1];
}

FullRunReuse::FullRunReuse() : outer_(OpenReuse) {
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        const TItem* item = ItemTable[i].get();
        ranges_[item] = {std::bit_cast<std::uint32_t>(item->IntrinsicLow),
                         std::bit_cast<std::uint32_t>(item->IntrinsicHigh)};
    }
    OpenReuse = this;
}

FullRunReuse::~FullRunReuse() {
    PutBack();
    OpenReuse = outer_;
}

FullRunReuse* FullRunReuse::Open() {
    return OpenReuse;
}

PoolLayoutStore& FullRunReuse::Layouts() {
    if (!layouts_) layouts_ = std::make_unique<PoolLayoutStore>();
    return *layouts_;
}

void FullRunReuse::PutBack() {
    const int q = QuantileCount;
    for (const Saved& s : saved_) {
        s.Assessment->Information = s.Information;
        s.Assessment->Values[0] = s.Low;
        s.Assessment->Values[q + 1] = s.High;
    }
    saved_.clear();
}

int FullRunReuse::ComputeInformation() {
    PutBack();
    computed_ = 0;
    // The slots whose item is not the one with the full run's range; a slot without an item is
    // computed when the map still leads to assessments there.
    std::vector<int> slots;
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* item = ItemTable[i].get();
        if (!item) {
            if ((*ItemIndexMap)[i] != 0) slots.push_back(i);
            continue;
        }
        const auto found = ranges_.find(item);
        if (found == ranges_.end() || found->second.Low != std::bit_cast<std::uint32_t>(item->IntrinsicLow) ||
            found->second.High != std::bit_cast<std::uint32_t>(item->IntrinsicHigh))
            slots.push_back(i);
    }
    computed_ = static_cast<int>(slots.size());
    const int q = QuantileCount;
    return ComputeInformationOfItems(slots, [this, q](TAssessment& a) {
        saved_.push_back({&a, a.Information, a.Values[0], a.Values[q + 1]});
    });
}

}  // namespace halvorine
