// Every result the scoring leaves in the records, bit for bit, for comparing two ways of getting
// the same run.
#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/globals.h"
#include "engine/tables.h"

using namespace halvorine;

namespace testcase {

struct CaseSnapshot {
    std::vector<std::string> names;
    std::vector<std::uint32_t> bits;

    void Add(const std::string& name, float v) { Add(name, std::bit_cast<std::uint32_t>(v)); }
    void Add(const std::string& name, std::uint32_t v) {
        names.push_back(name);
        bits.push_back(v);
    }
};

// Experts first..last (empty slots skipped), through AssessmentAt: scores, weights, counts and, with
// assessments, each assessment's values with its bound slots, information, weights, discrepancy
// and validity; then every item's range and weight sum and the run's globals.
inline CaseSnapshot TakeSnapshot(int first, int last, bool assessments = true) {
    CaseSnapshot s;
    const int q = QuantileCount;
    for (int e = first; e <= last; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        const std::string p = "expert " + std::to_string(e) + " ";
        s.Add(p + "Calibration", x->Calibration);
        s.Add(p + "CalibrationCut", x->CalibrationCut);
        s.Add(p + "SeedEntropy", x->SeedEntropy);
        s.Add(p + "RawWeight", x->RawWeight);
        s.Add(p + "Weight", x->Weight);
        s.Add(p + "WeightWithDM", x->WeightWithDM);
        s.Add(p + "MeanSeedInformation", x->MeanSeedInformation);
        s.Add(p + "MeanInformation", x->MeanInformation);
        s.Add(p + "MeanDiscrepancy", x->MeanDiscrepancy);
        s.Add(p + "MeanSeedDiscrepancy", x->MeanSeedDiscrepancy);
        s.Add(p + "counts", static_cast<std::uint32_t>(x->AssessedCount * 65536 + x->SeedCount * 256 + x->MinSeeds));
        if (!assessments) continue;
        for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
            const TAssessment* a = AssessmentAt(e, i);
            if (!a) continue;
            const std::string pa = p + "item " + std::to_string(i) + " ";
            for (int k = 0; k <= q + 1; ++k) s.Add(pa + "Values[" + std::to_string(k) + "]", a->Values[k]);
            s.Add(pa + "Information", a->Information);
            s.Add(pa + "RawItemWeight", a->RawItemWeight);
            s.Add(pa + "ItemWeight", a->ItemWeight);
            s.Add(pa + "Discrepancy", a->Discrepancy);
            s.Add(pa + "Valid", static_cast<std::uint32_t>(a->Valid));
        }
    }
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) {
        const TItem& item = *ItemTable[i];
        const std::string p = "item " + std::to_string(i) + " ";
        s.Add(p + "IntrinsicLow", item.IntrinsicLow);
        s.Add(p + "IntrinsicHigh", item.IntrinsicHigh);
        s.Add(p + "AssessedLow", item.AssessedLow);
        s.Add(p + "AssessedHigh", item.AssessedHigh);
        s.Add(p + "ItemWeightSum", item.ItemWeightSum);
    }
    s.Add("SignificanceLevel", SignificanceLevel);
    s.Add("BestDMScore", BestDMScore);
    s.Add("MinSeedCount", static_cast<std::uint32_t>(MinSeedCount));
    return s;
}

inline void ExpectSameSnapshot(const CaseSnapshot& expected, const CaseSnapshot& actual, const std::string& what) {
    ASSERT_EQ(expected.names, actual.names) << what;
    int shown = 0;
    for (std::size_t t = 0; t < expected.bits.size() && shown < 5; ++t) {
        if (expected.bits[t] == actual.bits[t]) continue;
        ADD_FAILURE() << what << ": " << expected.names[t] << " is " << std::bit_cast<float>(actual.bits[t])
                      << ", expected " << std::bit_cast<float>(expected.bits[t]);
        ++shown;
    }
}

}  // namespace testcase
