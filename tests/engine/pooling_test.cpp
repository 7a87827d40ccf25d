// The fast pooling against the pooling written out step by step (bubble sort, a walk from the
// left for every breakpoint, every density added in extended precision and stored in 32 bits):
// the same decision maker, bit for bit.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/case_generator.h"
#include "case_builder.h"
#include "case_snapshot.h"
#include "common/core/line_io.h"
#include "common/core/text.h"
#include "engine/calibration.h"
#include "engine/decision_maker.h"
#include "engine/globals.h"
#include "engine/information.h"
#include "engine/intrinsic_range.h"
#include "engine/nudge.h"
#include "engine/pooling.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "engine/weights.h"
#include "scoring_steps.h"

using namespace halvorine;

using namespace testcase;

namespace {

// ---- adding a density to a range ----

std::vector<float> Plain(std::vector<float> v, long double d) {
    AddDensityPlain(v.data(), static_cast<int>(v.size()), d);
    return v;
}

// Every way of adding that this processor runs, the one AddDensity chooses among them.
std::vector<DensityKernel> Kernels() {
    std::vector<DensityKernel> kernels;
    for (DensityKernel k : {DensityKernel::Double, DensityKernel::Avx2, DensityKernel::Avx512})
        if (DensityKernelRuns(k)) kernels.push_back(k);
    return kernels;
}

std::vector<float> Fast(std::vector<float> v, long double d, DensityKernel kernel) {
    AddDensityWith(kernel, v.data(), static_cast<int>(v.size()), d);
    return v;
}

std::vector<float> Fast(std::vector<float> v, long double d) {
    AddDensity(v.data(), static_cast<int>(v.size()), d);
    return v;
}

// Bit patterns, so that a difference in the last place shows.
std::vector<std::uint32_t> Bits(const std::vector<float>& v) {
    std::vector<std::uint32_t> b;
    for (float x : v) b.push_back(std::bit_cast<std::uint32_t>(x));
    return b;
}

TEST(AddDensity, SameSumsAsThePlainLoopOnRandomValues) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int round = 0; round < 2000; ++round) {
        const int count = static_cast<int>(rng() % 40);  // every tail length of the vector loops
        const double scale = std::ldexp(1.0, static_cast<int>(rng() % 80) - 40);
        std::vector<float> v(count);
        for (float& x : v) x = static_cast<float>(unit(rng) * scale);
        // Every bit of the extended significand random.
        const long double d = std::ldexp(static_cast<long double>(rng() | (std::uint64_t{1} << 63)),
                                         -63 + static_cast<int>(rng() % 80) - 40);
        ASSERT_EQ(Bits(Fast(v, d)), Bits(Plain(v, d))) << "round " << round;
        for (DensityKernel k : Kernels())
            ASSERT_EQ(Bits(Fast(v, d, k)), Bits(Plain(v, d))) << "round " << round << " kernel " << static_cast<int>(k);
    }
}

// Sums that land next to a midpoint between two floats, where the sum rounded to double and then
// to float goes the other way than the sum rounded to the extended format and then to float.
TEST(AddDensity, SameSumsNextToAMidpoint) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> unit(1.0, 2.0);
    int differedInDouble = 0;
    for (int round = 0; round < 500; ++round) {
        const float f = static_cast<float>(unit(rng)) * std::ldexp(1.0f, static_cast<int>(rng() % 20) - 10);
        const long double ulp = std::nextafter(f, HUGE_VALF) - f;
        const long double half = ulp / 2;
        // 2^-62 to 2^-75 of the value past the midpoint, either side.
        const long double off = std::ldexp(static_cast<long double>(f), -62 - static_cast<int>(rng() % 14));
        const long double d = (round % 2 ? half + off : half - off) + (round % 3 == 0 ? ulp : 0);
        const std::vector<float> v(9, f);
        const std::vector<float> plain = Plain(v, d);
        ASSERT_EQ(Bits(Fast(v, d)), Bits(plain)) << "round " << round;
        for (DensityKernel k : Kernels())
            ASSERT_EQ(Bits(Fast(v, d, k)), Bits(plain)) << "round " << round << " kernel " << static_cast<int>(k);
        if (static_cast<float>(static_cast<double>(f) + static_cast<double>(d)) != plain[0]) ++differedInDouble;
    }
    EXPECT_GT(differedInDouble, 50) << "the cases must be ones where double precision alone goes wrong";
}

TEST(AddDensity, SubnormalAndOverflowingSums) {
    const std::vector<float> small = {0.0f, 1e-40f, 1e-45f, 2e-38f, 0.0f};
    for (long double d : {1e-41L, 3e-39L, 1.2e-38L, 5e-46L})
        for (DensityKernel k : Kernels())
            EXPECT_EQ(Bits(Fast(small, d, k)), Bits(Plain(small, d))) << static_cast<double>(d);
    const std::vector<float> large = {3e38f, 3.4e38f, 1e38f, HUGE_VALF, 0.0f};
    for (long double d : {1e38L, 5e37L, 3.5e38L})
        for (DensityKernel k : Kernels())
            EXPECT_EQ(Bits(Fast(large, d, k)), Bits(Plain(large, d))) << static_cast<double>(d);
}

// ---- the pooling written out step by step ----

// The interval table's ends are 32-bit reals: a logarithm is stored as one.
long double Scaled(double v, bool isLog) {
    if (!isLog) return v;
    return v > 0 ? static_cast<float>(std::log(static_cast<long double>(v))) : 0.0L;
}

float WeightOf(int e, const TAssessment& a) {
    return WeightType == 3 ? a.ItemWeight : ExpertTable[e]->Weight;
}

int StepByStepPool(int i, TAssessment& d) {
    const TItem& item = *ItemTable[i];
    const bool isLog = IsLogItem(&item);
    const int q = QuantileCount;
    long double W = 0;
    std::vector<double> points;
    for (int e = 1; e <= ExpertCount; ++e) {
        const TAssessment* a = AssessmentAt(e, i);
        if (!a || !a->Valid) continue;
        W += WeightOf(e, *a);
        for (int k = 1; k <= q; ++k) points.push_back(NudgeIntegral(a->Values[k]));
    }
    if (points.empty() || W == 0) {
        for (int k = 1; k <= q; ++k) d.Values[k] = NoValue;
        d.Valid = false;
        return RunOk;
    }
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (std::size_t t = 0; t + 1 < points.size(); ++t)
            if (points[t] > points[t + 1]) {
                std::swap(points[t], points[t + 1]);
                swapped = true;
            }
    }
    std::vector<double> ends = {item.IntrinsicLow};
    for (std::size_t t = 0; t < points.size(); ++t)
        if (t + 1 == points.size() || (DefinitelyLess(static_cast<float>(LowerClamp), static_cast<float>(points[t])) &&
                                       points[t] < points[t + 1]))
            ends.push_back(points[t]);
    ends.push_back(item.IntrinsicHigh);
    const int count = static_cast<int>(ends.size()) - 1;
    std::vector<PoolInterval> intervals(count + 1);
    for (int j = 1; j <= count; ++j) intervals[j] = PoolInterval{Scaled(ends[j - 1], isLog), Scaled(ends[j], isLog), 0};

    for (int e = 1; e <= ExpertCount; ++e) {
        const TAssessment* a = AssessmentAt(e, i);
        if (!a || !a->Valid) continue;
        const long double frac = static_cast<long double>(WeightOf(e, *a)) / W;
        if (frac == 0) continue;
        long double p[MaxQuantileCount + 2];
        p[0] = Scaled(item.IntrinsicLow, isLog);
        for (int k = 1; k <= q; ++k) p[k] = Scaled(NudgeIntegral(a->Values[k]), isLog);
        p[q + 1] = Scaled(item.IntrinsicHigh, isLog);
        long double density[MaxQuantileCount + 2];
        for (int k = 1; k <= q + 1; ++k) {
            if (!(p[k] - p[k - 1] > 0)) return RunDegenerateBin;
            density[k] = frac * static_cast<long double>(BinProbabilities[k]) / (p[k] - p[k - 1]);
        }
        int j = 0;
        for (int k = 1; k <= q; ++k) {
            const int from = j + 1;
            bool found = false;
            while (j < count && !found) found = NearlyEqualExtended(intervals[++j].High, p[k]);
            if (!found) return RunDegenerateBin;
            for (int t = from; t <= j; ++t)
                intervals[t].Density = static_cast<float>(intervals[t].Density + density[k]);
        }
        for (int t = j + 1; t <= count; ++t)
            intervals[t].Density = static_cast<float>(intervals[t].Density + density[q + 1]);
    }
    DMQuantilesFromDensity(intervals, count, d);
    if (isLog)
        for (int k = 1; k <= q; ++k)
            d.Values[k] = static_cast<float>(std::exp(static_cast<long double>(NudgeIntegral(d.Values[k]))));
    d.Valid = true;
    return RunOk;
}

// The quantiles of every item, written out; the single-expert copies aside (none of these cases has one).
int StepByStepDecisionMaker() {
    const int dm = ExpertCount + 1;
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i)
        if (int code = StepByStepPool(i, *AssessmentAt(dm, i))) return code;
    return RunOk;
}

struct PoolCase {
    std::uint16_t weights;  // 1 global at the middle calibration level, 2 equal, 3 item, 4 user with zeros
    int quantiles;
    double missing;
    bool check;  // a decision maker named "check...": no nudge
    std::uint32_t seed;
};

class PoolingEquivalence : public ScoringTest, public ::testing::WithParamInterface<PoolCase> {
protected:
    // A generated case with some answers copied from one expert to the next, so that breakpoints
    // coincide exactly, and the weights of the case's kind.
    void Prepare() {
        const PoolCase& c = GetParam();
        generated::BuildCase({.experts = 14,
                              .items = 16,
                              .seeds = 6,
                              .quantiles = c.quantiles,
                              .logShare = 0.5,
                              .missingShare = c.missing,
                              .seed = c.seed});
        for (int i = 1; i <= 16; i += 3)
            for (int k = 1; k <= c.quantiles; ++k)
                ExpertTable[2]->Assessments[i]->Values[k] = ExpertTable[1]->Assessments[i]->Values[k];
        PrepareRun(c.check ? "check1" : "");
        WeightType = c.weights;
        ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
        ASSERT_EQ(ComputeAllInformation(), RunOk);
        int code = 0;
        switch (c.weights) {
        case 1:
            SortedCalibrationLevels(CalibrationLevels, CalibrationLevelCount);
            SignificanceLevel = CalibrationLevels[(CalibrationLevelCount + 1) / 2];
            ComputeGlobalWeights(code);
            break;
        case 2:
            for (int e = 1; e <= ExpertCount; ++e) ExpertTable[e]->Weight = 1.0f / ExpertCount;
            break;
        case 3: ComputeItemWeights(code); break;
        default:
            for (int e = 1; e <= ExpertCount; ++e) ExpertTable[e]->Weight = e % 3 == 0 ? 0.0f : 0.1f * (e % 4 + 1);
            break;
        }
        ASSERT_EQ(code, RunOk);
    }
};

TEST_P(PoolingEquivalence, SameDecisionMakerAsThePoolingWrittenOut) {
    Prepare();
    ASSERT_EQ(StepByStepDecisionMaker(), RunOk);
    const CaseSnapshot expected = TakeSnapshot(ExpertCount + 1, ExpertCount + 1);
    for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i) AssessmentAt(ExpertCount + 1, i)->Values[1] = 0;
    ASSERT_EQ(BuildDecisionMaker(), RunOk);
    ExpectSameSnapshot(expected, TakeSnapshot(ExpertCount + 1, ExpertCount + 1), "pooled");

    // The layouts kept between builds give the same decision maker with other weights.
    DecisionMakerPool pool(true);
    ASSERT_EQ(pool.Build(false), RunOk);
    for (int e = 1; e <= ExpertCount; ++e) {
        ExpertTable[e]->Weight = e % 2 ? 0.2f : 0.0f;
        for (int i = 1; i <= MaxItemCount && ItemTable[i]; ++i)
            AssessmentAt(e, i)->ItemWeight = static_cast<float>(e % 3) / 3.0f;
    }
    ASSERT_EQ(StepByStepDecisionMaker(), RunOk);
    const CaseSnapshot reweighted = TakeSnapshot(ExpertCount + 1, ExpertCount + 1);
    ASSERT_EQ(pool.Build(false), RunOk);
    ExpectSameSnapshot(reweighted, TakeSnapshot(ExpertCount + 1, ExpertCount + 1), "pooled again");
}

INSTANTIATE_TEST_SUITE_P(Cases, PoolingEquivalence,
                         ::testing::Values(PoolCase{1, 3, 0, false, 1}, PoolCase{2, 3, 0.1, false, 2},
                                           PoolCase{3, 5, 0.1, false, 3}, PoolCase{4, 3, 0, false, 4},
                                           PoolCase{2, 7, 0, true, 5}, PoolCase{4, 25, 0.05, false, 6}));

// A UNI and a LOG item pooled from two experts with user weights 0.25 and 0.75, against the bits
// that reference/pooling_log_item.py computes independently (numpy's long double for the
// extended arithmetic, float32 for every stored real, each LOG end stored as a float32 logarithm).
TEST_F(ScoringTest, LogItemPoolsOnThirtyTwoBitEndsBitForBit) {
    // Two seed items first, as the data check asks; items 3 and 4 are the ones under test.
    AddItem("S1", "UNI", 1.5f);
    AddItem("S2", "UNI", 2.75f);
    AddItem("U1", "UNI");
    AddItem("G2", "LOG");
    const std::vector<float> seed = {1.25f, 2.25f, 3.25f};
    AddExpert("A", {seed, seed, {1.75f, 4.3f, 7.1f}, {1.5f, 4.25f, 17.3f}});
    AddExpert("B", {seed, seed, {2.6f, 4.3f, 8.9f}, {2.2f, 6.1f, 30.7f}});
    PrepareRun();
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    ItemTable[3]->IntrinsicLow = 0.5f;
    ItemTable[3]->IntrinsicHigh = 9.5f;
    ItemTable[4]->IntrinsicLow = 0.35f;
    ItemTable[4]->IntrinsicHigh = 45.0f;
    ExpertTable[1]->Weight = 0.25f;
    ExpertTable[2]->Weight = 0.75f;
    WeightType = UserWeighting;
    ASSERT_EQ(BuildDecisionMaker(), RunOk);

    int rows = 0;
    for (const std::string& line : ReadTextLines(std::string(FIXTURES_DIR) + "/reference/pooling_log_item.txt")) {
        int pos = 1;
        const std::string name = NextWord(line, pos);
        if (name.empty() || name[0] == '#') continue;
        const int i = name == "U1" ? 3 : name == "G2" ? 4 : 0;
        ASSERT_NE(i, 0) << line;
        const TAssessment& d = *AssessmentAt(3, i);
        EXPECT_TRUE(d.Valid) << name;
        for (int k = 1; k <= 3; ++k)
            EXPECT_EQ(std::bit_cast<std::uint32_t>(d.Values[k]), std::stoul(NextWord(line, pos), nullptr, 16))
                << name << " quantile " << k << ": " << d.Values[k];
        ++rows;
    }
    EXPECT_EQ(rows, 2);
}

// The passes over the seed items only: a seed item is pooled as in a full build; another item
// keeps what it had, unless nobody with weight answers it (then it is missing, as in a full build)
// or its pooling would fail.
TEST_F(ScoringTest, PassesOverTheSeedItemsPoolTheSeedItemsOnly) {
    const generated::CaseShape shape{.experts = 8, .items = 10, .seeds = 4};
    generated::BuildCase(shape);
    PrepareRun();
    WeightType = EqualWeighting;
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    for (int e = 1; e <= ExpertCount; ++e) ExpertTable[e]->Weight = 0.125f;
    DecisionMakerPool pool(true);
    ASSERT_EQ(pool.Build(false), RunOk);
    const int dm = ExpertCount + 1;
    const float before = AssessmentAt(dm, 6)->Values[2];

    for (int e = 1; e <= ExpertCount; ++e) ExpertTable[e]->Weight = e <= 2 ? 0.5f : 0.0f;
    // Item 7: only experts without weight answer it now.
    for (int e = 1; e <= 2; ++e)
        for (int k = 1; k <= 3; ++k) AssessmentAt(e, 7)->Values[k] = NoValue;
    ASSERT_GT(CheckCaseData(), 0);
    DecisionMakerPool fresh(true);
    ASSERT_EQ(fresh.Build(true), RunOk);
    EXPECT_EQ(AssessmentAt(dm, 6)->Values[2], before);
    EXPECT_FALSE(AssessmentAt(dm, 7)->Valid);
    const CaseSnapshot seeds = TakeSnapshot(dm, dm);
    ASSERT_EQ(BuildDecisionMaker(), RunOk);
    const CaseSnapshot full = TakeSnapshot(dm, dm);
    for (std::size_t t = 0; t < full.names.size(); ++t) {
        const std::string& name = full.names[t];
        for (int i = 1; i <= shape.seeds; ++i) {
            if (name.find("item " + std::to_string(i) + " Values") != std::string::npos) {
                EXPECT_EQ(seeds.bits[t], full.bits[t]) << name;
            }
        }
    }
    EXPECT_NE(AssessmentAt(dm, 6)->Values[2], before) << "a full build pools it with the new weights";
}

// The left-out runs of a robustness run hand item layouts from one pool to the next. A layout is
// taken over only when nothing it was laid out from has changed: whatever one change between the
// pools, the second pool builds what a pool laying every item out anew builds, the same decision
// maker and the same code, whether it pools every item or passes over all but the seed items.
TEST_F(ScoringTest, HandedOnLayoutsGiveWhatLayingOutAnewGives) {
    // This case's items 1..4 are seed items, item 3 on the LOG scale and the others UNI.
    static constexpr generated::CaseShape shape{
        .experts = 8, .items = 12, .seeds = 4, .quantiles = 3, .logShare = 0.4, .seed = 1};
    float putAside[MaxQuantileCount + 2] = {};
    struct Change {
        const char* name;
        std::function<void()> apply;
    };
    const Change changes[] = {
        {"nothing", [] {}},
        {"a quantile moved",
         [] {
             float* v = ExpertTable[3]->Assessments[2]->Values;
             v[2] = (v[1] + v[2]) / 2;
         }},
        {"an answer made missing",
         [] {
             for (int k = 1; k <= QuantileCount; ++k) ExpertTable[4]->Assessments[4]->Values[k] = MissingValue;
         }},
        {"a missing answer given again",
         [&putAside] {
             for (int k = 1; k <= QuantileCount; ++k) ExpertTable[6]->Assessments[1]->Values[k] = putAside[k];
         }},
        {"a bound moved", [] { ItemTable[2]->IntrinsicHigh = ItemTable[2]->IntrinsicHigh * 1.5f + 1; }},
        {"the scale changed", [] { ItemTable[3]->Scale = "UNI"; }},
        {"the quantile levels changed",
         [] {
             QuantileLevels[1] = 0.1f;
             QuantileLevels[3] = 0.9f;
             ComputeBinProbabilities();
         }},
        {"whole values no longer nudged", [] { RunDMName = "check1"; }},
        {"an answer in a new record",
         [] {
             // Same values, another record: the old one is freed.
             auto& slot = ExpertTable[2]->Assessments[4];
             slot = std::make_unique<TAssessment>(*slot);
         }},
        {"a bin of no width on another item",
         [] { ExpertTable[5]->Assessments[9]->Values[1] = ItemTable[9]->IntrinsicLow; }},
    };
    auto clearDecisionMaker = [] {
        for (int i = 1; i <= shape.items; ++i) {
            TAssessment* d = AssessmentAt(ExpertCount + 1, i);
            for (int k = 1; k <= QuantileCount; ++k) d->Values[k] = 0;
            d->Valid = false;
        }
    };
    auto itemWeights = [] {
        for (int e = 1; e <= ExpertCount; ++e)
            for (int i = 1; i <= shape.items; ++i) AssessmentAt(e, i)->ItemWeight = static_cast<float>(e % 3 + 1) / 8;
    };
    for (const bool seedItemsOnly : {false, true}) {
        for (const Change& change : changes) {
            SCOPED_TRACE(std::string(change.name) + (seedItemsOnly ? ", seed items only" : ", every item"));
            ResetGlobals();
            generated::BuildCase(shape);
            ASSERT_TRUE(IsLogItem(ItemTable[3].get()));
            for (int i : {1, 2, 4}) ASSERT_FALSE(IsLogItem(ItemTable[i].get()));
            // Whole values, which the nudge moves.
            for (int e = 1; e <= 3; ++e)
                for (int k = 1; k <= 3; ++k)
                    ExpertTable[e]->Assessments[1]->Values[k] = std::round(ExpertTable[e]->Assessments[1]->Values[k]);
            for (int k = 1; k <= 3; ++k) {
                putAside[k] = ExpertTable[6]->Assessments[1]->Values[k];
                ExpertTable[6]->Assessments[1]->Values[k] = MissingValue;
            }
            PrepareRun();
            ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
            // Item weights: the pooling reads each answer's own record.
            WeightType = ItemWeighting;
            itemWeights();
            const int dm = ExpertCount + 1;

            PoolLayoutStore store;
            {
                DecisionMakerPool first(true, &store);
                ASSERT_EQ(first.Build(seedItemsOnly), RunOk);
            }
            change.apply();
            ASSERT_GT(CheckCaseData(), 0);
            itemWeights();
            clearDecisionMaker();
            int handedOnCode = 0;
            {
                DecisionMakerPool second(true, &store);
                handedOnCode = second.Build(seedItemsOnly);
            }
            const CaseSnapshot handedOn = TakeSnapshot(dm, dm);
            clearDecisionMaker();
            {
                DecisionMakerPool anew(true);
                EXPECT_EQ(anew.Build(seedItemsOnly), handedOnCode);
            }
            ExpectSameSnapshot(TakeSnapshot(dm, dm), handedOn, "laid out anew");
        }
    }
}

}  // namespace
