#include <gtest/gtest.h>

#include <cmath>

#include "case_builder.h"
#include "engine/globals.h"
#include "engine/intrinsic_range.h"
#include "engine/run_codes.h"
#include "engine/tables.h"
#include "scoring_reference.h"
#include "scoring_steps.h"

using namespace halvorine;

using namespace testcase;

namespace {

class IntrinsicRangeTest : public ScoringTest {
protected:
    // Two seed items that make the case valid, then the item under test as item 3.
    TItem* Case(const char* scale, float realisation, std::vector<float> a, std::vector<float> b) {
        AddItem("S1", "UNI", 1.5f);
        AddItem("S2", "UNI", 2.5f);
        TItem* item = AddItem("X", scale, realisation);
        AddExpert("E1", {{1.25f, 2.25f, 3.25f}, {1.25f, 2.25f, 3.25f}, a});
        AddExpert("E2", {{1.25f, 2.25f, 3.25f}, {1.25f, 2.25f, 3.25f}, b});
        EXPECT_GT(CheckCaseData(), 0);
        BuildItemIndexMap();
        return item;
    }
};

TEST_F(IntrinsicRangeTest, SpanOfValidAnswersAndRealisationWidened) {
    // lo = 2.5, hi = max(8.5, realisation 9.5) = 9.5; d = 0.7; the nudged whole value 6 does
    // not matter here, the invalid third expert's values do not count.
    TItem* item = Case("UNI", 9.5f, {2.5f, 6, 8.5f}, {4.5f, 5.5f, 7.5f});
    AddExpert("E3", {{}, {}, {-50, 0, 50}});
    AssessmentAt(3, 3)->Valid = false;
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    EXPECT_EQ(item->AssessedLow, 2.5f);
    EXPECT_EQ(item->AssessedHigh, 9.5f);
    EXPECT_EQ(item->IntrinsicLow, static_cast<float>(2.5L - 0.7L * 1));
    EXPECT_FLOAT_EQ(item->IntrinsicLow, 1.8f);
    EXPECT_FLOAT_EQ(item->IntrinsicHigh, 10.2f);

    // Whole first and last quantiles are read nudged: lo = 2.00002, hi = 9.00009.
    AssessmentAt(1, 3)->Values[1] = 2;
    AssessmentAt(1, 3)->Values[3] = 9;
    item->Realisation = 5;
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    EXPECT_EQ(item->AssessedLow, 2.00002f);
    EXPECT_EQ(item->AssessedHigh, 9.00009f);
}

TEST_F(IntrinsicRangeTest, LogItemsAreWidenedOnTheLogScale) {
    // ln 2.5 .. ln 40, d = 0.1 x ln 16: L = 2.5 / 16^0.1, U = 40 x 16^0.1.
    TItem* item = Case("LOG", NoValue, {2.5f, 5.5f, 40.5f}, {3.5f, 4.5f, 10.5f});
    AssessmentAt(1, 3)->Values[3] = 40.0f;
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    const long double hi = std::log(40.0004L);
    EXPECT_FLOAT_EQ(item->AssessedLow, static_cast<float>(std::log(2.5L)));
    EXPECT_FLOAT_EQ(item->AssessedHigh, static_cast<float>(hi));
    const long double d = 0.1L * (hi - std::log(2.5L));
    EXPECT_TRUE(RelativelyNear(item->IntrinsicLow, 2.5L / std::exp(d), 1e-6L));
    EXPECT_TRUE(RelativelyNear(item->IntrinsicHigh, 40.0004L * std::exp(d), 1e-6L));

    // With the linear ("old") range the same item is widened on the values.
    LogIntrinsicRange = false;
    IntrinsicRangeOvershoot = 0.01f;
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    EXPECT_EQ(item->AssessedLow, 2.5f);
    EXPECT_FLOAT_EQ(item->IntrinsicLow, 2.5f - 0.01f * (40.0004f - 2.5f));
}

TEST_F(IntrinsicRangeTest, LinearWideningOfALogItemBelowZeroIsRefused) {
    // 0.1 .. 10.5 widened by 0.1 x 10.4 = 1.04 reaches -0.94: no logarithm exists for it.
    TItem* item = Case("LOG", NoValue, {0.1f, 1.5f, 10.5f}, {0.5f, 2.5f, 3.5f});
    LogIntrinsicRange = false;
    item->IntrinsicLow = 7;
    EXPECT_EQ(ComputeIntrinsicRanges(), RunLogBoundNotPositive);
    EXPECT_EQ(ItemCount, 3);
    EXPECT_EQ(item->IntrinsicLow, 7.0f) << "nothing stored";

    // A UNI item may reach below zero, but not below the clamp.
    item->Scale = "UNI";
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    EXPECT_LT(item->IntrinsicLow, 0.0f);
    AssessmentAt(1, 3)->Values[1] = -9e12f;
    AssessmentAt(1, 3)->Values[3] = 9e12f;
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    EXPECT_EQ(item->IntrinsicLow, static_cast<float>(LowerClamp));
}

// The items are ranged side by side; what is stored is what one pass in item order stores.
TEST_F(IntrinsicRangeTest, OnAnyNumberOfThreadsTheFirstFailingItemStopsTheRanges) {
    // Items 3 and 5 cannot be ranged (their linear widening of a LOG item reaches below zero).
    AddItem("S1", "UNI", 1.5f);
    AddItem("S2", "UNI", 2.5f);
    AddItem("X3", "LOG");
    AddItem("X4", "UNI");
    AddItem("X5", "LOG");
    const std::vector<float> seed = {1.25f, 2.25f, 3.25f}, wide = {0.1f, 1.5f, 10.5f}, plain = {4, 5, 6};
    AddExpert("E1", {seed, seed, wide, plain, wide});
    AddExpert("E2", {seed, seed, wide, plain, wide});
    ASSERT_GT(CheckCaseData(), 0);
    BuildItemIndexMap();
    LogIntrinsicRange = false;
    for (int threads : {1, 2, 8}) {
        RunThreadCount = threads;
        for (int i = 1; i <= 5; ++i) ItemTable[i]->IntrinsicLow = ItemTable[i]->IntrinsicHigh = 7;
        EXPECT_EQ(ComputeIntrinsicRanges(), RunLogBoundNotPositive) << threads;
        EXPECT_EQ(ItemCount, 3) << threads;
        // 1.25 .. 3.25 (the realisation 1.5 inside) widened by 0.2 on each side.
        EXPECT_FLOAT_EQ(ItemTable[1]->IntrinsicLow, 1.05f) << threads;
        EXPECT_FLOAT_EQ(ItemTable[2]->IntrinsicHigh, 3.45f) << threads;
        for (int i = 3; i <= 5; ++i) EXPECT_EQ(ItemTable[i]->IntrinsicLow, 7.0f) << threads << " item " << i;
    }
    RunThreadCount = 0;
}

TEST_F(IntrinsicRangeTest, BoundsBeyondTheRealsAreRefused) {
    // ln 0.1 .. ln 10.5 spans 4.654; with overshoot 20 the upper bound is e^95.4, past 3.4e38.
    TItem* item = Case("LOG", NoValue, {0.1f, 1.5f, 10.5f}, {0.5f, 2.5f, 3.5f});
    IntrinsicRangeOvershoot = 20;
    EXPECT_EQ(ComputeIntrinsicRanges(), RunBoundOutOfRange);
    EXPECT_EQ(ItemCount, 3);
    EXPECT_EQ(item->IntrinsicHigh, NoValue);
    IntrinsicRangeOvershoot = 19;  // e^90.8 still overflows
    EXPECT_EQ(ComputeIntrinsicRanges(), RunBoundOutOfRange);
    IntrinsicRangeOvershoot = 18;  // e^86.1 fits
    EXPECT_EQ(ComputeIntrinsicRanges(), RunOk);
    EXPECT_TRUE(std::isfinite(item->IntrinsicHigh));

    // A lower bound that underflows to zero: ln 1e-30 .. ln 1e-20, overshoot 2 gives e^-115.
    for (int e = 1; e <= 2; ++e) {
        AssessmentAt(e, 3)->Values[1] = 1e-30f;
        AssessmentAt(e, 3)->Values[2] = 1e-25f;
        AssessmentAt(e, 3)->Values[3] = 1e-20f;
    }
    IntrinsicRangeOvershoot = 2;
    EXPECT_EQ(ComputeIntrinsicRanges(), RunBoundOutOfRange);

    // A UNI item that overflows the reals when widened: the first quantile is clamped at -1e13,
    // the upper bound 3e38 + 0.2 x (3e38 + 1e13) passes 3.4e38.
    item->Scale = "UNI";
    AssessmentAt(1, 3)->Values[1] = -3e38f;
    AssessmentAt(1, 3)->Values[3] = 3e38f;
    IntrinsicRangeOvershoot = 0.1f;
    EXPECT_EQ(ComputeIntrinsicRanges(), RunOk);
    EXPECT_EQ(item->AssessedLow, static_cast<float>(LowerClamp));
    IntrinsicRangeOvershoot = 0.2f;
    EXPECT_EQ(ComputeIntrinsicRanges(), RunBoundOutOfRange);
}

TEST_F(IntrinsicRangeTest, AnItemWithoutValidAnswersHasNoRange) {
    TItem* item = Case("LOG", 5, {}, {});
    item->AssessedLow = std::log(3.0f);  // an earlier run's logarithms must not stand
    item->AssessedHigh = std::log(30.0f);
    ASSERT_EQ(ComputeIntrinsicRanges(), RunOk);
    EXPECT_EQ(item->IntrinsicLow, NoValue);
    EXPECT_EQ(item->IntrinsicHigh, NoValue);
    EXPECT_EQ(item->AssessedLow, NoValue);
    EXPECT_EQ(item->AssessedHigh, NoValue);
}

}  // namespace
