#include "engine/intrinsic_range.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/globals.h"
#include "engine/nudge.h"
#include "engine/run_codes.h"
#include "engine/scoring_run.h"
#include "engine/tables.h"
#include "engine/worker_pool.h"

namespace halvorine {

namespace {

// Within the range of the 32-bit reals (a bound is stored as one).
bool FitsReal(long double v) {
    return std::isfinite(v) && std::fabs(v) <= std::numeric_limits<float>::max();
}

}  // namespace

float RangeFirst(const TAssessment& a) {
    return static_cast<float>(
        std::max(static_cast<long double>(LowerClamp), static_cast<long double>(NudgeIntegral(a.Values[1]))));
}

float RangeLast(const TAssessment& a) {
    return NudgeIntegral(a.Values[QuantileCount]);
}

int ComputeIntrinsicRange(int i, float& L, float& U, float& lo, float& hi, float overshoot) {
    const TItem* item = (i >= 1 && i <= MaxItemCount) ? ItemTable[i].get() : nullptr;
    if (!item) return RunOk;

    float low = lo;
    float high = hi;
    bool assessed = false;
    ScanSpan(i, [&](int, float first, float last) {
        if (!assessed || first < low) low = first;
        if (!assessed || last > high) high = last;
        assessed = true;
        return true;
    });
    return WidenedRange(item, assessed, low, high, L, U, lo, hi, overshoot);
}

int WidenedRange(const TItem* item, bool assessed, float low, float high, float& L, float& U, float& lo, float& hi,
                 float overshoot) {
    if (!assessed) {
        // Nothing to measure or pool on: the item's assessments are all invalid, so no score
        // reads this range, and an earlier range (possibly already in logarithms) must not stand.
        L = U = lo = hi = NoValue;
        return RunOk;
    }
    if (IsSeedItem(item)) {
        if (item->Realisation < low) low = item->Realisation;
        if (item->Realisation > high) high = item->Realisation;
    }

    const bool logRange = LogIntrinsicRange && IsLogItem(item);
    if (logRange) {
        low = static_cast<float>(std::log(static_cast<long double>(low)));
        high = static_cast<float>(std::log(static_cast<long double>(high)));
    }
    const long double d = (static_cast<long double>(high) - low) * static_cast<long double>(overshoot);
    long double lower = low - d;
    long double upper = high + d;
    if (!FitsReal(lower) || !FitsReal(upper)) return RunBoundOutOfRange;
    lower = static_cast<float>(lower);
    upper = static_cast<float>(upper);
    if (!LogIntrinsicRange && lower < LowerClamp) lower = static_cast<float>(LowerClamp);
    if (logRange) {
        lower = std::exp(lower);
        upper = std::exp(upper);
        if (!FitsReal(lower) || !FitsReal(upper) || static_cast<float>(lower) == 0) return RunBoundOutOfRange;
    }
    // The log scale cannot take a bound the linear widening pushed to zero or below.
    if (IsLogItem(item) && lower <= 0) return RunLogBoundNotPositive;

    L = static_cast<float>(lower);
    U = static_cast<float>(upper);
    lo = low;
    hi = high;
    return RunOk;
}

int ComputeIntrinsicRanges() {
    int items = 0;
    while (items < MaxItemCount && ItemTable[items + 1]) ++items;
    // The items side by side, each range into its own row; stored in item order up to the first
    // item that fails, as one pass would leave them.
    struct Row {
        float L = 0, U = 0, Low = 0, High = 0;
        int Code = RunOk;
    };
    std::vector<Row> rows(static_cast<std::size_t>(items) + 1);
    // In the left-out runs of a robustness run, the span of most items is known from the full run.
    FullRunReuse* reuse = FullRunReuse::Open();
    const bool spans = reuse && reuse->SpansHold();
    ForEachTask(items, [&](int, int task) {
        const int i = task + 1;
        const TItem* item = ItemTable[i].get();
        Row& r = rows[static_cast<std::size_t>(i)];
        r.L = item->IntrinsicLow;
        r.U = item->IntrinsicHigh;
        r.Low = item->AssessedLow;
        r.High = item->AssessedHigh;
        bool assessed = false;
        float low = 0, high = 0;
        if (spans && reuse->SpanOf(item, assessed, low, high))
            r.Code = WidenedRange(item, assessed, low, high, r.L, r.U, r.Low, r.High, IntrinsicRangeOvershoot);
        else
            r.Code = ComputeIntrinsicRange(i, r.L, r.U, r.Low, r.High, IntrinsicRangeOvershoot);
    });
    for (int i = 1; i <= items; ++i) {
        const Row& r = rows[static_cast<std::size_t>(i)];
        if (r.Code != RunOk) {
            ItemCount = i;
            return r.Code;
        }
        TItem* item = ItemTable[i].get();
        item->IntrinsicLow = r.L;
        item->IntrinsicHigh = r.U;
        item->AssessedLow = r.Low;
        item->AssessedHigh = r.High;
    }
    return RunOk;
}

}  // namespace halvorine
