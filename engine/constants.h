// Fixed values of the analysis program: table sizes, the missing-value conventions, tolerances.
#pragma once

#include <bit>
#include <cstdint>

namespace halvorine {

constexpr int MaxItemCount = 1000;     // item slots 1..1000
constexpr int MaxExpertCount = 1000;   // data experts in slots 1..1000
constexpr int ExpertSlotCount = 1032;  // decision makers follow the data experts
constexpr int MaxQuantileCount = 25;

// A value within MissingTolerance of MissingValue counts as not given.
constexpr float MissingValue = -999.5f;
constexpr float MissingTolerance = 0.1f;
// Stored for a value that is absent or could not be parsed; inside the missing band.
inline const float NoValue = std::bit_cast<float>(std::uint32_t{0xC479E666u});

constexpr double FloatTolerance = 1e-9;
constexpr double LowerClamp = -1.0E13;
constexpr double NudgeFactor = 1e-5;

// Scale words, 1-based; unrecognised words and new items get DefaultScale.
inline const char* const ScaleNames[3] = {"", "LOG", "UNI"};
constexpr int DefaultScale = 1;

// Distribution families of an assessment.
enum DistributionFamily : std::uint8_t {
    FamilyConstant = 0,
    FamilyUniform = 1,
    FamilyLogUniform = 2,
    FamilyNormal = 3,
    FamilyLogNormal = 4,
    FamilyExponential = 5,
    FamilyGamma = 6,
    FamilyWeibull = 7,
    FamilyBeta = 8,
    FamilyTriangular = 9,
    FamilyNone = 11,
};

// True when x counts as missing: |x - MissingValue| <= MissingTolerance, in 32-bit reals.
inline bool IsMissing(float x) {
    float d = x - MissingValue;
    if (d < 0) d = -d;
    return d <= MissingTolerance;
}

}  // namespace halvorine
