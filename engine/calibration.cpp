#include "engine/calibration.h"

#include <cmath>

#include "common/core/pascal_str.h"
#include "common/core/text.h"
#include "engine/nudge.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/special_functions.h"
#include "engine/tables.h"

namespace halvorine {

namespace {

// Step tables of the p-value without the chi-square distribution: chi-square quantiles at the
// levels below for 1..5 degrees of freedom, as the program has always stored them (a few entries
// are imprecise; results depend on them as they are).
constexpr int StepCount = 23;
constexpr float StepLevels[StepCount + 1] = {0,    0.0001f, 0.0005f, 0.001f, 0.005f, 0.01f,  0.025f,  0.05f,
                                             0.1f, 0.2f,    0.3f,    0.4f,   0.5f,   0.6f,   0.7f,    0.8f,
                                             0.9f, 0.95f,   0.975f,  0.99f,  0.995f, 0.999f, 0.9995f, 0.9999f};

constexpr float StepQuantiles[6][StepCount + 1] = {
    {},
    {0,          1.5708e-08f, 3.92699e-07f, 1.5708e-06f, 3.92704e-05f, 0.000157088f, 0.000982069f, 0.00393214f,
     0.0157908f, 0.0641847f,  0.148472f,    0.274996f,   0.454936f,    0.708326f,    1.07419f,     1.64237f,
     2.70554f,   3.84146f,    5.02389f,     6.6349f,     7.87944f,     10.8276f,     12.1157f,     15.1367f},
    {0,         0.00020001f, 0.00100025f, 0.002001f, 0.0100251f, 0.0201007f, 0.0506356f, 0.102587f,
     0.210721f, 0.446287f,   0.71335f,    1.02165f,  1.38629f,   1.83258f,   2.40795f,   3.21888f,
     4.60517f,  5.99146f,    7.37776f,    9.21034f,  10.5966f,   13.8155f,   15.2018f,   18.4207f},
    {0,        0.00521483f, 0.015279f, 0.0242976f, 0.0717218f, 0.114832f, 0.215795f, 0.351846f,
     0.584f,   1.00517f,    1.42365f,  1.86917f,   2.36597f,   2.94617f,  3.66487f,  4.64163f,
     6.25139f, 7.81473f,    9.3484f,   11.3449f,   12.8382f,   16.2662f,  17.73f,    21.1075f},
    {0,         0.0284185f, 0.063922f, 0.090804f, 0.206989f, 0.297109f, 0.484418f, 0.710723f,
     1.063662f, 1.64878f,   2.1947f,   2.75284f,  3.35669f,  4.04463f,  4.87843f,  5.98862f,
     7.77944f,  9.48773f,   11.1433f,  13.2767f,  14.8603f,  18.4668f,  19.9974f,  23.5127f},
    {0,        0.0821774f, 0.158137f, 0.210213f, 0.411742f, 0.554298f, 0.831212f, 1.14548f,
     1.61031f, 2.34253f,   2.99991f,  3.6555f,   4.35146f,  5.13187f,  6.06443f,  7.28928f,
     9.23636f, 11.0705f,   12.8325f,  15.0863f,  16.7496f,  20.515f,   22.1053f,  25.7448f},
};

// The finer table of three quantiles (the usual 5/50/95 case): entries 5..103 are the
// chi-square(3) quantiles at 0.01, 0.02, ..., 0.99.
constexpr int FineCount = 107;
constexpr float FineQuantiles3[FineCount + 1] = {
    0,      0.00521483f, 0.015279f, 0.0242976f, 0.0717218f, 0.114832f, 0.185f,   0.245f, 0.3f,    0.352f, 0.401f,
    0.449f, 0.495f,      0.54f,     0.584f,     0.628f,     0.671f,    0.714f,   0.756f, 0.798f,  0.839f, 0.881f,
    0.922f, 0.964f,      1.005f,    1.047f,     1.088f,     1.129f,    1.171f,   1.213f, 1.254f,  1.296f, 1.339f,
    1.381f, 1.424f,      1.467f,    1.51f,      1.553f,     1.597f,    1.642f,   1.686f, 1.731f,  1.777f, 1.823f,
    1.869f, 1.916f,      1.964f,    2.012f,     2.06f,      2.109f,    2.159f,   2.21f,  2.261f,  2.313f, 2.366f,
    2.42f,  2.474f,      2.529f,    2.586f,     2.643f,     2.701f,    2.761f,   2.821f, 2.883f,  2.946f, 3.011f,
    3.076f, 3.144f,      3.213f,    3.283f,     3.355f,     3.43f,     3.506f,   3.584f, 3.665f,  3.748f, 3.834f,
    3.922f, 4.014f,      4.108f,    4.207f,     4.309f,     4.415f,    4.526f,   4.642f, 4.763f,  4.89f,  5.025f,
    5.167f, 5.317f,      5.477f,    5.649f,     5.833f,     6.033f,    6.251f,   6.491f, 6.759f,  7.06f,  7.407f,
    7.815f, 8.311f,      8.947f,    9.837f,     11.3449f,   12.8382f,  16.2662f, 17.73f, 21.1075f};

float FineTableValue(float stat) {
    if (stat > FineQuantiles3[FineCount]) return 0.0001f;
    int i = 1;
    while (stat > FineQuantiles3[i]) ++i;
    switch (i) {
    case 1: return 0.9999f;
    case 2: return 0.9995f;
    case 3: return 0.999f;
    case 4: return 0.995f;
    case 104: return 0.005f;
    case 105: return 0.001f;
    case 106: return 0.0005f;
    case 107: return 0.0001f;
    default: return static_cast<float>((104 - i) / 100.0L);
    }
}

float StepTableValue(int df, float stat) {
    // The last entry is never compared: a statistic above the 22nd gives 1 - 0.9999.
    int i = 1;
    while (i < StepCount && stat > StepQuantiles[df][i]) ++i;
    return static_cast<float>(1.0L - static_cast<long double>(StepLevels[i]));
}

}  // namespace

int CheckBinProbabilities() {
    if (QuantileCount < 1 || QuantileCount > MaxQuantileCount) return RunBadLevels;
    for (int k = 1; k <= QuantileCount + 1; ++k)
        if (!(BinProbabilities[k] > 0) || !std::isfinite(BinProbabilities[k])) return RunBadLevels;
    return RunOk;
}

std::string EmptyIntervalLevels() {
    if (QuantileCount < 1 || QuantileCount > MaxQuantileCount) return {};
    auto percent = [](long double level) {
        std::string text = StrFixed(level * 100, 0, 2);
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
        return text + "%";
    };
    for (int k = 1; k <= QuantileCount + 1; ++k) {
        if (BinProbabilities[k] > 0 && std::isfinite(BinProbabilities[k])) continue;
        const long double low = k == 1 ? 0.0L : QuantileLevels[k - 1];
        const long double high = k == QuantileCount + 1 ? 1.0L : QuantileLevels[k];
        return percent(low) + " and " + percent(high);
    }
    return {};
}

int RealisationBin(const TAssessment& a, float realisation) {
    for (int k = 1; k <= QuantileCount; ++k)
        if (!DefinitelyLess(NudgeIntegral(a.Values[k]), realisation)) return k;
    return QuantileCount + 1;
}

void RelativeEntropyOfSeeds(int e, float& I) {
    const TExpert* x = (e >= 1 && e <= ExpertSlotCount) ? ExpertTable[e].get() : nullptr;
    I = 0;
    if (!x) return;
    int hits[MaxQuantileCount + 2] = {};
    // In the left-out runs of a robustness run, from the full run's hits.
    if (const FullRunReuse* reuse = FullRunReuse::Open(); reuse && reuse->SeedHits(x, hits)) {
        I = RelativeEntropyOfHits(hits, x->SeedCount);
        return;
    }
    for (int i = 1; i <= MaxItemCount; ++i) {
        const TAssessment* a = AssessmentAt(e, i);
        if (!a || !a->Item || !a->Valid || !IsSeedItem(a->Item)) continue;
        ++hits[RealisationBin(*a, a->Item->Realisation)];
    }
    I = RelativeEntropyOfHits(hits, x->SeedCount);
}

float RelativeEntropyOfHits(const int* hits, int seedCount) {
    const long double n = seedCount;
    // Without a counted seed there is nothing to measure (and nothing to divide by).
    if (n <= 0) return 0;
    long double sum = 0;
    for (int k = 1; k <= QuantileCount + 1; ++k) {
        if (hits[k] == 0) continue;
        const long double s = hits[k];
        sum += (s / n) * std::log(s / (n * static_cast<long double>(BinProbabilities[k])));
    }
    const float I = static_cast<float>(sum);
    // Round to 4 decimals in the current rounding mode (to nearest, a half to even).
    return static_cast<float>(std::nearbyint(static_cast<long double>(I) * 10000.0L) / 10000.0L);
}

float CalibrationFromStatistic(int df, float stat) {
    if (!ExactChiSquare) {
        if (df == 3) return FineTableValue(stat);
        if (df >= 1 && df <= 5) return StepTableValue(df, stat);
    }
    return static_cast<float>(1.0L - ChiSquareCDF(df, static_cast<long double>(stat)));
}

float CalibrationOfEntropy(int e, float I) {
    return CalibrationOfCount(UseMinSeedCount ? MinSeedCount : ExpertTable[e]->SeedCount, I);
}

float CalibrationOfCount(int n, float I) {
    const float stat = static_cast<float>(2.0L * static_cast<long double>(CalibrationPower) *
                                          static_cast<long double>(n) * static_cast<long double>(I));
    return CalibrationFromStatistic(QuantileCount, stat);
}

float CalibrationScore(int e) {
    TExpert* x = (e >= 1 && e <= ExpertSlotCount) ? ExpertTable[e].get() : nullptr;
    if (!x) return 0;
    float I = 0;
    RelativeEntropyOfSeeds(e, I);
    return CalibrationScoreOfEntropy(e, I);
}

float CalibrationScoreOfEntropy(int e, float I) {
    return CalibrationScoreOfEntropy(e, I, CalibrationOfEntropy(e, I));
}

float CalibrationScoreOfEntropy(int e, float I, float calibration) {
    TExpert* x = ExpertTable[e].get();
    x->SeedEntropy = I;
    x->Calibration = calibration;
    x->CalibrationCut = x->Calibration >= SignificanceLevel ? x->Calibration : 0.0f;
    return IsDataExpert(e) ? x->CalibrationCut : x->Calibration;
}

}  // namespace halvorine
