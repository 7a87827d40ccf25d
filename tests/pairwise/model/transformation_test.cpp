#include <gtest/gtest.h>

#include <cmath>

#include "common/core/calc_error.h"
#include "pairwise/model/model_results.h"
#include "pairwise/model/transformation.h"
#include "pairwise_model_cases.h"

using namespace trindel;

namespace {

using namespace pairmodel_test;

class Transformation : public ModelCase {
protected:
    // Three items with the values z1, 0, z2, the first and last the references R1 and R2.
    void Transform(long double z1, long double z2, long double r1, long double r2) {
        RunItemCount = 3;
        values = CalcVector{};
        values[1] = z1;
        values[2] = 0;
        values[3] = z2;
        RefItem1 = 1;
        RefItem2 = 3;
        RefValue1 = r1;
        RefValue2 = r2;
        reversed = false;
        TransformThurstone(linear, log, values, reversed, maps);
    }

    CalcVector values{};
    CalcVector linear{};
    CalcVector log{};
    bool reversed = false;
    MapStatuses maps;
};

TEST_F(Transformation, BothMapsThroughTheReferencePoints) {
    // b = (10 - 1) / 2 = 4.5, a = 10 - 4.5 = 5.5; c = ln(10) / 2, d = ln(10) - c = ln(10) / 2.
    Transform(1, -1, 10, 1);
    EXPECT_EQ(maps.Linear, MapStatus::Computed);
    EXPECT_EQ(maps.Log, MapStatus::Computed);
    EXPECT_EQ(ThurstoneSlope, 4.5L);
    EXPECT_EQ(ThurstoneIntercept, 5.5L);
    // A few six-byte steps (1.8e-12 at 1.15).
    EXPECT_NEAR(static_cast<double>(ThurstoneLogSlope), std::log(10.0) / 2, 1e-11);
    EXPECT_NEAR(static_cast<double>(ThurstoneLogIntercept), std::log(10.0) / 2, 1e-11);
    EXPECT_EQ(linear[1], 10.0L);
    EXPECT_EQ(linear[2], 5.5L);
    EXPECT_EQ(linear[3], 1.0L);
    EXPECT_NEAR(static_cast<double>(log[1]), 10.0, 1e-10);
    EXPECT_NEAR(static_cast<double>(log[2]), std::sqrt(10.0), 1e-10);
    EXPECT_NEAR(static_cast<double>(log[3]), 1.0, 1e-10);
    EXPECT_FALSE(reversed);
    EXPECT_FALSE(ThurstoneContradiction);
}

TEST_F(Transformation, ReversedOrderAndNegativeValues) {
    // The values put the references in the opposite order: b < 0, both maps still computed.
    Transform(-1, 1, 10, 1);
    EXPECT_TRUE(reversed);
    EXPECT_EQ(maps.Log, MapStatus::Computed);
    EXPECT_FALSE(ThurstoneContradiction);
    // Item 2's value beyond the lower reference gives a negative linear value.
    values[2] = 5;
    TransformThurstone(linear, log, values, reversed, maps);
    EXPECT_LT(linear[2], 0.0L);
    EXPECT_GT(log[2], 0.0L);
    EXPECT_TRUE(ThurstoneContradiction);
}

TEST_F(Transformation, DegenerateReferencesSkipOnlyTheAffectedMap) {
    const struct Case {
        long double z1, z2, r1, r2;
        MapStatus linear, log;
    } cases[] = {
        {1, 1, 10, 1, MapStatus::EqualDeviates, MapStatus::EqualDeviates},
        {1, 1, 10, 10, MapStatus::EqualDeviates, MapStatus::EqualDeviates},
        {1, -1, 0, 1, MapStatus::Computed, MapStatus::FirstReferenceZero},
        {1, -1, 1e-21L, 1, MapStatus::Computed, MapStatus::FirstReferenceZero},
        {1, -1, -1e-21L, 1, MapStatus::Computed, MapStatus::FirstReferenceZero},
        {1, -1, 1e-19L, 1, MapStatus::Computed, MapStatus::Computed},
        {1, -1, 10, 0, MapStatus::Computed, MapStatus::SecondReferenceZero},
        {1, -1, 10, -1, MapStatus::Computed, MapStatus::OppositeSigns},
        {1, -1, -10, 1, MapStatus::Computed, MapStatus::OppositeSigns},
        {1, -1, -10, -1, MapStatus::Computed, MapStatus::NegativeReferences},
    };
    for (const Case& c : cases) {
        Transform(c.z1, c.z2, c.r1, c.r2);
        const std::string what = std::to_string(static_cast<double>(c.r1)) + " " +
                                 std::to_string(static_cast<double>(c.r2));
        EXPECT_EQ(maps.Linear, c.linear) << what;
        EXPECT_EQ(maps.Log, c.log) << what;
        if (c.linear == MapStatus::Computed) {
            EXPECT_NEAR(static_cast<double>(linear[1]), static_cast<double>(c.r1), 1e-12) << what;
            EXPECT_NEAR(static_cast<double>(linear[3]), static_cast<double>(c.r2), 1e-12) << what;
        } else {
            EXPECT_EQ(ThurstoneSlope, 0.0L) << what;
            EXPECT_EQ(linear[1], 0.0L) << what;
        }
        if (c.log != MapStatus::Computed) {
            EXPECT_EQ(ThurstoneLogSlope, 0.0L) << what;
            EXPECT_EQ(ThurstoneLogIntercept, 0.0L) << what;
            EXPECT_EQ(log[2], 0.0L) << what;
        }
    }
    // A reference position outside the run's items maps nothing.
    RefItem2 = 4;
    TransformThurstone(linear, log, values, reversed, maps);
    EXPECT_EQ(maps.Linear, MapStatus::NoReference);
    EXPECT_EQ(maps.Log, MapStatus::NoReference);
}

TEST_F(Transformation, NotesNameEverySkippedMap) {
    Transform(1, 1, 10, 1);
    ThurstoneBMaps = maps;
    Transform(1, -1, 0, 1);
    ThurstoneCMaps = maps;
    const std::vector<std::string> expected = {
        " ThurC(log) not computable: the first reference value is 0.",
        " ThurB(lin) not computable: both reference items have the same value in this model.",
        " ThurB(log) not computable: both reference items have the same value in this model.",
    };
    EXPECT_EQ(TransformationNotes(), expected);
}

TEST_F(Transformation, LogValueBeyondTheSixByteRangeOverflows) {
    // c = ln(10) / 2 = 1.15; a value of 80 gives e^(92 + 1.15), beyond 1.7e38.
    Transform(1, -1, 10, 1);
    values[2] = 80;
    try {
        TransformThurstone(linear, log, values, reversed, maps);
        FAIL() << "no error";
    } catch (const CalcError& e) {
        EXPECT_EQ(e.Kind(), CalcErrorKind::Overflow);
    }
}

}  // namespace
