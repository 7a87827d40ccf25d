#include "engine/scoring_run.h"

#include <algorithm>
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
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "engine/weights.h"

namespace halvorine {

namespace {

// Global and item weights depend on the significance level; equal and user weights do not.
bool LevelledWeights() { return WeightType == 1 || WeightType == 3; }

void Run(int& code) {
    code = RunOk;
    if (WeightType == 4 && !CheckUserWeights(code)) return;
    if ((code = CheckBinProbabilities()) != RunOk) return;
    if (!BayesianUpdates && (code = ComputeIntrinsicRanges()) != RunOk) return;
    if (!InformationComputed) {
        if ((code = ComputeAllInformation()) != RunOk) return;
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
        default: break; // user weights as checked and completed
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

} // namespace

void RunCalculation(int& code) {
    try {
        Run(code);
    } catch (const std::bad_alloc&) {
        // The working storage of the pooling and the optimisation grows with the case.
        code = RunOutOfMemory;
    }
}

bool CheckUserWeights(int& code) {
    float sum = 0; // kept as a 32-bit real after every addition, in expert order
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
    std::vector<float> score;
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        float I = 0;
        RelativeEntropyOfSeeds(e, I);
        score.push_back(CalibrationOfEntropy(e, I));
    }
    if (score.empty()) return;
    // The order the repeated bubble passes reach; a p-value is never NaN.
    std::sort(score.begin(), score.end());
    const int n = static_cast<int>(score.size());
    K = 1;
    for (int j = 0; j + 1 < n; ++j)
        if (score[j] < score[j + 1]) levels[K++] = score[j];
    levels[K] = score[n - 1];
}

} // namespace halvorine
