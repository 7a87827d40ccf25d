// The full-size case as a user meets it: generated once, written as a ".dtt" and ".rls" pair, and
// read back through the readers. Also the checksums the benchmarks compare their results with, so
// that a faster program is known to give the same scores, weights, quantiles and bytes.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_map>

#include "bench/case_generator.h"
#include "engine/assessments_file.h"
#include "engine/globals.h"
#include "engine/items_file.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"

using namespace halvorine;

namespace fullcase {

// The table limits, one item in ten a seed, three quantiles.
inline generated::CaseShape FullShape() {
    return {.experts = 1000, .items = 1000, .seeds = 100, .quantiles = 3};
}

struct CaseFiles {
    std::string Dtt;
    std::string Rls;
};

inline CaseFiles FilesIn(const std::filesystem::path& folder, const std::string& stem = "FULL") {
    return {(folder / (stem + ".dtt")).string(), (folder / (stem + ".rls")).string()};
}

// Generates the case into the (empty) tables and writes its two files into folder.
inline CaseFiles WriteGeneratedCase(const std::filesystem::path& folder, const generated::CaseShape& shape,
                                    const std::string& stem = "FULL") {
    ResetGlobals();
    generated::BuildCase(shape);
    int percents[MaxQuantileCount] = {};
    for (int k = 1; k <= QuantileCount; ++k) percents[k - 1] = static_cast<int>(QuantileLevels[k] * 100 + 0.5f);
    AssessmentHeader = MakeAssessmentHeader(QuantileCount, percents);
    std::filesystem::create_directories(folder);
    const CaseFiles files = FilesIn(folder, stem);
    WriteAssessmentsFile(files.Dtt);
    WriteItemsFile(files.Rls);
    ResetGlobals();
    return files;
}

// Opens the case as the main window's Open Case does: assessments, then items. 0 when both read.
inline int ReadCase(const CaseFiles& files) {
    ResetGlobals();
    if (const int n = ReadAssessmentsFile(files.Dtt)) return n;
    return ReadItemsFile(files.Rls);
}

// A run as the run dialog starts it on the open case: the data checked, a new decision maker,
// the information not yet computed, the user's level 0. The run's code (-1000: the check failed).
inline int StartRun(int weightType, bool optimise) {
    CheckedExpert = 0;
    ItemCount = 0;
    if (CheckCaseData() <= 0) return -1000;
    BuildItemIndexMap();
    if (ExpertTable[ExpertCount + 1]) DeleteExperts(ExpertCount + 1, ExpertCount + 1, ExpertTable, nullptr);
    DecisionMakerCount = 0;
    AddDecisionMaker("");
    WeightType = static_cast<std::uint16_t>(weightType);
    OptimiseDM = optimise;
    UserSignificanceLevel = 0;
    RunDMName = "";
    InformationComputed = false;
    int code = 0;
    RunCalculation(code);
    return code;
}

// FNV-1a over the bytes of whatever is added.
class Checksum {
public:
    void Bytes(const void* data, std::size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t t = 0; t < size; ++t) {
            hash_ ^= p[t];
            hash_ *= 0x100000001b3ULL;
        }
    }
    void Real(float v) { Bytes(&v, sizeof v); }
    void Int(long long v) { Bytes(&v, sizeof v); }
    void Text(const std::string& s) {
        Int(static_cast<long long>(s.size()));
        Bytes(s.data(), s.size());
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

inline std::uint64_t FileChecksum(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Checksum sum;
    sum.Bytes(bytes.data(), bytes.size());
    return sum.Value();
}

// What the readers put into the tables: levels, items, experts and every assessment's values.
inline std::uint64_t TablesChecksum() {
    Checksum sum;
    sum.Int(QuantileCount);
    for (int k = 1; k <= QuantileCount; ++k) sum.Real(QuantileLevels[k]);
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TItem* t = ItemTable[i].get();
        if (!t) continue;
        sum.Int(i);
        sum.Text(t->Id.str());
        sum.Text(t->Name.str());
        sum.Text(t->Scale.str());
        sum.Real(t->Realisation);
        sum.Int(t->HasRealisation);
        sum.Int(t->FilterFlag);
    }
    std::unordered_map<const TItem*, int> index;
    for (int i = 1; i <= MaxItemCount; ++i)
        if (ItemTable[i]) index.emplace(ItemTable[i].get(), i);
    for (int e = 1; e <= MaxExpertCount; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        sum.Int(e);
        sum.Text(x->Id.str());
        sum.Text(x->Name.str());
        sum.Int(x->FilterFlag);
        for (int i = 1; i <= MaxItemCount; ++i) {
            const TAssessment* a = x->Assessments[i].get();
            if (!a) continue;
            sum.Int(i);
            const auto found = index.find(a->Item);
            sum.Int(found == index.end() ? 0 : found->second);
            for (int k = 1; k <= QuantileCount; ++k) sum.Real(a->Values[k]);
        }
    }
    return sum.Value();
}

// What a run leaves: every expert's and the decision maker's scores and weights, the item
// weights, and the decision maker's quantiles; with the level the run ended at.
inline std::uint64_t RunChecksum() {
    Checksum sum;
    sum.Real(SignificanceLevel);
    sum.Real(BestDMScore);
    sum.Int(CalibrationLevelCount);
    for (int e = 1; e <= ExpertCount + 1; ++e) {
        const TExpert* x = ExpertTable[e].get();
        if (!x) continue;
        sum.Int(e);
        for (float v : {x->Calibration, x->CalibrationCut, x->SeedEntropy, x->RawWeight, x->Weight, x->WeightWithDM,
                        x->MeanSeedInformation, x->MeanInformation})
            sum.Real(v);
        for (int i = 1; i <= MaxItemCount; ++i) {
            const TAssessment* a = x->Assessments[i].get();
            if (!a || !a->Item) continue;
            sum.Real(a->Information);
            sum.Real(a->RawItemWeight);
            sum.Real(a->ItemWeight);
            if (e == ExpertCount + 1)
                for (int k = 0; k <= QuantileCount + 1; ++k) sum.Real(a->Values[k]);
        }
    }
    return sum.Value();
}

}  // namespace fullcase
