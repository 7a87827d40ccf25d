#include "engine/dm_optimisation.h"

#include <cmath>
#include <vector>

#include "engine/calibration.h"
#include "engine/decision_maker.h"
#include "engine/globals.h"
#include "engine/pooling.h"
#include "engine/run_codes.h"
#include "engine/weights.h"

namespace halvorine {

namespace {

void Passes(int& code, std::vector<float>& fileWeights) {
    const int dm = ExpertCount + 1;
    const int K = CalibrationLevelCount;

    // The experts' seed scores and every item's layout do not change from pass to pass.
    ExpertScores scores;
    scores.Read();
    DecisionMakerPool pool(true);

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

        if (WeightType == 3)
            ComputeItemWeights(code, scores);
        else
            ComputeGlobalWeights(code, scores, &fileWeights);
        if (code != RunOk) return;

        // A candidate's score reads only the seed items; the first and the final pass pool all.
        code = pool.Build(k > 1 && k <= K);
        if (code != RunOk) return;
        if (k > K) break;

        ComputeMinSeedCount();
        const float score = GlobalWeightRaw(dm);
        if (!std::isfinite(score)) {
            CheckedExpert = dm;
            code = RunNotFinite;
            return;
        }
        if (BecomesBest(k, score, BestDMScore)) {
            BestDMScore = score;
            best = SignificanceLevel;
        }
    }
}

} // namespace

bool BecomesBest(int k, float score, float best) { return k == 1 || score > best; }

void OptimiseDecisionMaker(int& code) {
    code = CheckBinProbabilities();
    if (code != RunOk) return;
    // "weightsw.dat" ends with the weights of the last pass that would have written it; it is
    // written once, not once per candidate level.
    std::vector<float> fileWeights;
    try {
        Passes(code, fileWeights);
    } catch (...) {
        if (!fileWeights.empty()) WriteWeightsFile(fileWeights);
        throw;
    }
    if (!fileWeights.empty()) WriteWeightsFile(fileWeights);
}

} // namespace halvorine
