#include "engine/weights.h"

#include <cmath>
#include <vector>

#include "common/core/io_error.h"
#include "common/core/line_io.h"
#include "common/core/pascal_str.h"
#include "engine/calibration.h"
#include "engine/globals.h"
#include "engine/information.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "engine/worker_pool.h"

namespace halvorine {

namespace {

// The refusals both weight kinds share, before anything is stored.
int CheckWeightInputs() {
    if (int code = CheckBinProbabilities()) return code;
    if (int e = FirstExpertWithoutSeeds()) {
        CheckedExpert = e;
        return RunNoSeedAnswers;
    }
    return RunOk;
}

long double ItemWeightFrom(float calibration, int e, int i) {
    return static_cast<long double>(GetItemInformation(e, i)) * static_cast<long double>(calibration);
}

}  // namespace

void WriteWeightsFile(const std::vector<float>& raw) {
    try {
        TextFileWriter out("weightsw.dat");
        for (int e = 1; e <= ExpertCount && e < static_cast<int>(raw.size()); ++e) {
            if (!ExpertTable[e]) continue;
            out.WriteLine(StrInt(e, 2) + ": " + StrFixed(raw[e], 14, 10));
        }
        out.Commit();
    } catch (const IoError&) {
        // The weights are set all the same; the run goes on.
    }
}

void WriteWeightsFile() {
    std::vector<float> raw(ExpertCount + 1, 0.0f);
    for (int e = 1; e <= ExpertCount; ++e)
        if (ExpertTable[e]) raw[e] = ExpertTable[e]->RawWeight;
    WriteWeightsFile(raw);
}

float GlobalWeightRaw(int e) {
    const long double calibration = CalibrationScore(e);
    return static_cast<float>(calibration * static_cast<long double>(ComputeMeanInformation(e)));
}

float ItemWeightRaw(int e, int i) {
    return static_cast<float>(ItemWeightFrom(CalibrationScore(e), e, i));
}

int FirstExpertWithoutSeeds() {
    for (int e = 1; e <= ExpertCount; ++e)
        if (IsDataExpert(e) && ExpertTable[e]->SeedCount <= 0) return e;
    // The smallest seed count may also come from the decision maker of an earlier pass.
    if (ExpertCount > 0 && MinSeedCount <= 0) return ExpertCount + 1;
    return 0;
}

void ExpertScores::Read(bool everyAnswer) {
    const int n = ExpertCount;
    present_.assign(n + 1, 0);
    entropy_.assign(n + 1, 0.0f);
    meanSeedInformation_.assign(n + 1, 0.0f);
    meanInformation_.assign(n + 1, 0.0f);
    // Each expert's task reads and writes only that expert's records.
    ForEachTask(n, [this](int, int task) {
        const int e = task + 1;
        if (!ExpertTable[e]) return;
        present_[e] = 1;
        RelativeEntropyOfSeeds(e, entropy_[e]);
        const InformationMeans means = MeanInformationOf(e);
        meanSeedInformation_[e] = means.Seed;
        meanInformation_[e] = means.All;
    });

    items_ = 0;
    while (items_ < MaxItemCount && ItemTable[items_ + 1]) ++items_;
    assessed_.assign(items_ + 1, 0);
    validRange_.assign(items_ + 1, Range{});
    answerRange_.assign(items_ + 1, Range{});
    // Who answered each item, item by item side by side, each item in its own row of n places
    // (every answer only when asked for).
    const auto row = static_cast<std::size_t>(n);
    valid_.resize(row * (static_cast<std::size_t>(items_) + 1));
    answers_.resize(everyAnswer ? valid_.size() : 0);
    // In a left-out run the full run's lists hold, less the expert left out.
    const FullRunReuse* reuse = FullRunReuse::Open();
    if (reuse && !reuse->ExpertsAsChecked()) reuse = nullptr;
    const int leftOut = reuse ? reuse->LeftOutPosition() : -1;
    ForEachTask(items_, [&](int, int task) {
        const int i = task + 1;
        const auto first = static_cast<int>(row * static_cast<std::size_t>(i));
        int validEnd = first;
        int answerEnd = first;
        if (const int s = (*ItemIndexMap)[i]; reuse && reuse->SlotAsChecked(s)) {
            assessed_[i] = n >= 1;
            for (const int p : reuse->ValidInSlot(s))
                if (p != leftOut)
                    valid_[static_cast<std::size_t>(validEnd++)] = leftOut >= 0 && p > leftOut ? p : p + 1;
            if (everyAnswer)
                for (int e = 1; e <= n; ++e)
                    answers_[static_cast<std::size_t>(answerEnd++)] = Answer{e, ExpertTable[e]->Assessments[s].get()};
            validRange_[i] = {first, validEnd};
            answerRange_[i] = {first, answerEnd};
            return;
        }
        for (int e = 1; e <= n; ++e) {
            TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item) continue;
            if (everyAnswer) answers_[static_cast<std::size_t>(answerEnd++)] = Answer{e, a};
            if (!IsDataExpert(e)) continue;
            assessed_[i] = 1;
            if (a->Valid) valid_[static_cast<std::size_t>(validEnd++)] = e;
        }
        validRange_[i] = {first, validEnd};
        answerRange_[i] = {first, answerEnd};
    });
}

void ComputeGlobalWeights(int& code) {
    code = CheckWeightInputs();
    if (code != RunOk) return;
    ExpertScores scores;
    scores.Read(false);
    ComputeGlobalWeights(code, scores, nullptr);
}

void ComputeGlobalWeights(int& code, const ExpertScores& scores, std::vector<float>* fileWeights) {
    code = CheckWeightInputs();
    if (code != RunOk) return;

    const int n = ExpertCount;
    float raw[MaxExpertCount + 1] = {};
    long double sum = 0;
    bool negative = false;
    // The calibrations side by side (each reads only its expert); the loop below writes them in
    // expert order and stops where the serial one would.
    std::vector<float> calibrations(static_cast<std::size_t>(n) + 1, 0.0f);
    ForEachTask(n, [&](int, int task) {
        const int e = task + 1;
        if (ExpertTable[e]) calibrations[static_cast<std::size_t>(e)] = CalibrationOfEntropy(e, scores.entropy_[e]);
    });
    for (int e = 1; e <= n; ++e) {
        TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        // GlobalWeightRaw(e), from the scores that do not change between passes.
        const long double calibration = CalibrationScoreOfEntropy(e, scores.entropy_[e],
                                                                  calibrations[static_cast<std::size_t>(e)]);
        x->MeanSeedInformation = scores.meanSeedInformation_[e];
        x->MeanInformation = scores.meanInformation_[e];
        raw[e] = static_cast<float>(calibration * static_cast<long double>(x->MeanSeedInformation));
        if (!std::isfinite(raw[e])) {
            CheckedExpert = e;
            code = RunNotFinite;
            return;
        }
        sum += raw[e];
        negative = negative || raw[e] < 0;
    }
    for (int e = 1; e <= n; ++e)
        if (ExpertTable[e]) ExpertTable[e]->RawWeight = raw[e];
    if (sum == 0) {
        code = RunZeroWeights;
        return;
    }

    // Whether each assessed item's valid answers carry no weight, item by item side by side.
    std::vector<char> zeros(static_cast<std::size_t>(scores.items_) + 1, 0);
    ForEachTask(scores.items_, [&](int, int task) {
        const int i = task + 1;
        if (!scores.assessed_[i]) return;
        const auto range = scores.validRange_[i];
        bool zero = true;
        if (negative) {
            long double itemSum = 0;
            for (int t = range.First; t < range.End; ++t) itemSum += raw[scores.valid_[t]];
            zero = itemSum == 0;
        } else {
            // Without negative weights the sum is zero exactly when every term is.
            for (int t = range.First; t < range.End && zero; ++t) zero = raw[scores.valid_[t]] == 0;
        }
        zeros[static_cast<std::size_t>(i)] = zero;
    });
    for (int i = 1; i <= scores.items_; ++i)
        if (zeros[static_cast<std::size_t>(i)]) code = i;

    if (fileWeights)
        fileWeights->assign(raw, raw + n + 1);
    else
        WriteWeightsFile();
    for (int e = 1; e <= n; ++e)
        if (ExpertTable[e])
            ExpertTable[e]->Weight = static_cast<float>(static_cast<long double>(ExpertTable[e]->RawWeight) / sum);
}

void ComputeItemWeights(int& code) {
    if (int refused = CheckWeightInputs()) {
        code = refused;
        return;
    }
    ExpertScores scores;
    scores.Read(true);
    ComputeItemWeights(code, scores);
}

void ComputeItemWeights(int& code, const ExpertScores& scores) {
    if (int refused = CheckWeightInputs()) {
        code = refused;
        return;
    }
    // Each expert's calibration once per pass; it is the same for every item.
    const int n = ExpertCount;
    float calibration[MaxExpertCount + 1] = {};
    for (int e = 1; e <= n; ++e)
        if (scores.present_[e]) calibration[e] = CalibrationScoreOfEntropy(e, scores.entropy_[e]);

    // Item i's weights, stored when `store` (a failing item stores what it got to, as one pass
    // in item order would). RunOk, RunNotFinite (`failed` the expert) or RunZeroWeights.
    auto weigh = [&](int i, bool store, int& failed) {
        const auto range = scores.answerRange_[i];
        long double itemSum = 0;
        for (int t = range.First; t < range.End; ++t) {
            const int e = scores.answers_[t].Expert;
            TAssessment* a = scores.answers_[t].Assessment;
            const float information = IsDataExpert(e) ? a->Information : ItemInformation(e, i);
            const float raw = static_cast<float>(static_cast<long double>(information) *
                                                 static_cast<long double>(calibration[e]));
            if (!std::isfinite(raw)) {
                failed = e;
                return RunNotFinite;
            }
            if (store) a->RawItemWeight = raw;
            itemSum += raw;
        }
        if (itemSum == 0) return RunZeroWeights;
        if (store)
            for (int t = range.First; t < range.End; ++t) {
                TAssessment* a = scores.answers_[t].Assessment;
                a->ItemWeight = static_cast<float>(static_cast<long double>(a->RawItemWeight) / itemSum);
            }
        return RunOk;
    };

    // The items side by side (each writes its own answers only); the first item that stops the
    // computation is found before anything is stored, so the items after it keep their weights.
    const int items = scores.items_;
    std::vector<int> outcome(static_cast<std::size_t>(items) + 1, RunOk);
    ForEachTask(items, [&](int, int task) {
        int failed = 0;
        outcome[static_cast<std::size_t>(task) + 1] = weigh(task + 1, false, failed);
    });
    int stop = items + 1;
    for (int i = 1; i <= items; ++i)
        if (outcome[static_cast<std::size_t>(i)] != RunOk) {
            stop = i;
            break;
        }
    ForEachTask(stop - 1, [&](int, int task) {
        int failed = 0;
        weigh(task + 1, true, failed);
    });
    if (stop <= items) {
        int failed = 0;
        code = weigh(stop, true, failed);
        if (code == RunNotFinite) {
            CheckedExpert = failed;
            ItemCount = stop;
        }
    }
}

}  // namespace halvorine
