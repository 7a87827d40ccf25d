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
#include "engine/tables.h"

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

} // namespace

void WriteWeightsFile() {
    try {
        TextFileWriter out("weightsw.dat");
        for (int e = 1; e <= ExpertCount; ++e) {
            if (!ExpertTable[e]) continue;
            out.WriteLine(StrInt(e, 2) + ": " + StrFixed(ExpertTable[e]->RawWeight, 14, 10));
        }
        out.Commit();
    } catch (const IoError&) {
        // The weights are set all the same; the run goes on.
    }
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

void ComputeGlobalWeights(int& code) {
    code = CheckWeightInputs();
    if (code != RunOk) return;

    std::vector<float> raw(ExpertCount + 1, 0.0f);
    long double sum = 0;
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!ExpertTable[e]) continue;
        raw[e] = GlobalWeightRaw(e);
        if (!std::isfinite(raw[e])) {
            CheckedExpert = e;
            code = RunNotFinite;
            return;
        }
        sum += raw[e];
    }
    for (int e = 1; e <= ExpertCount; ++e)
        if (ExpertTable[e]) ExpertTable[e]->RawWeight = raw[e];
    if (sum == 0) {
        code = RunZeroWeights;
        return;
    }

    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        long double itemSum = 0;
        bool assessed = false;
        for (int e = 1; e <= ExpertCount; ++e) {
            if (!IsDataExpert(e)) continue;
            const TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item) continue;
            assessed = true;
            if (a->Valid) itemSum += ExpertTable[e]->RawWeight;
        }
        if (assessed && itemSum == 0) code = i;
    }

    WriteWeightsFile();
    for (int e = 1; e <= ExpertCount; ++e)
        if (ExpertTable[e])
            ExpertTable[e]->Weight =
                static_cast<float>(static_cast<long double>(ExpertTable[e]->RawWeight) / sum);
}

void ComputeItemWeights(int& code) {
    if (int refused = CheckWeightInputs()) {
        code = refused;
        return;
    }
    // Each expert's calibration once per pass; it is the same for every item.
    std::vector<float> calibration(ExpertCount + 1, 0.0f);
    for (int e = 1; e <= ExpertCount; ++e) calibration[e] = CalibrationScore(e);

    std::vector<TAssessment*> assessed;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        assessed.clear();
        long double itemSum = 0;
        for (int e = 1; e <= ExpertCount; ++e) {
            TAssessment* a = AssessmentAt(e, i);
            if (!a || !a->Item) continue;
            const float raw = static_cast<float>(ItemWeightFrom(calibration[e], e, i));
            if (!std::isfinite(raw)) {
                CheckedExpert = e;
                ItemCount = i;
                code = RunNotFinite;
                return;
            }
            a->RawItemWeight = raw;
            itemSum += raw;
            assessed.push_back(a);
        }
        if (itemSum == 0) {
            code = RunZeroWeights;
            return;
        }
        for (TAssessment* a : assessed)
            a->ItemWeight = static_cast<float>(static_cast<long double>(a->RawItemWeight) / itemSum);
    }
}
