#include "engine/decision_maker.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/core/text.h"
#include "engine/calibration.h"
#include "engine/information.h"
#include "engine/pooling.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "engine/weights.h"
#include "engine/worker_pool.h"

namespace halvorine {

namespace {

bool Finite(float v) {
    return std::isfinite(v);
}

bool ScoresFinite(const TExpert& x) {
    if (!Finite(x.Calibration) || !Finite(x.CalibrationCut) || !Finite(x.SeedEntropy) || !Finite(x.RawWeight) ||
        !Finite(x.Weight) || !Finite(x.WeightWithDM) || !Finite(x.MeanSeedInformation) || !Finite(x.MeanInformation))
        return false;
    // A left-out run changes few of a data expert's assessments.
    if (const FullRunReuse* reuse = FullRunReuse::Open(); reuse && reuse->AnswersFinite(x)) return true;
    return AnswerScoresFinite(x);
}

}  // namespace

bool AnswerScoresFinite(const TExpert& x) {
    for (const auto& a : x.Assessments) {
        if (!a || !a->Item) continue;
        if (!Finite(a->Information) || !Finite(a->RawItemWeight) || !Finite(a->ItemWeight)) return false;
        for (int k = 1; k <= QuantileCount; ++k)
            if (!Finite(a->Values[k])) return false;
    }
    return true;
}

void DMQuantilesFromDensity(const std::vector<PoolInterval>& intervals, int count, TAssessment& d) {
    QuantilesFromDensity(
        count, [&](int j) { return intervals[j].Low; }, [&](int j) { return intervals[j].High; },
        [&](int j) { return intervals[j].Density; }, d);
}

int BuildDecisionMaker() {
    DecisionMakerPool pool(false);
    return pool.Build(false);
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
    const bool itemWeights = WeightType == ItemWeighting;
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
        const float raw = (WeightType == GlobalWeighting && IsDataExpert(e)) ? x->RawWeight : GlobalWeightRaw(e);
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
            a->ItemWeight = itemSum != 0 ? static_cast<float>(static_cast<long double>(a->RawItemWeight) / itemSum)
                                         : 0.0f;
        }
    }

    // Every record of every expert is looked at: the experts side by side, the first in order
    // with a score that is not finite reported.
    std::vector<char> finite(static_cast<std::size_t>(last) + 1, 1);
    ForEachTask(last, [&finite](int, int task) {
        const int e = task + 1;
        if (ExpertTable[e]) finite[static_cast<std::size_t>(e)] = ScoresFinite(*ExpertTable[e]);
    });
    for (int e = 1; e <= last; ++e)
        if (!finite[static_cast<std::size_t>(e)]) {
            CheckedExpert = e;
            return RunNotFinite;
        }
    return RunOk;
}

}  // namespace halvorine
