// The intrinsic range of an item: the span of the experts' valid assessments and the
// realisation, widened on both sides by the overshoot; assessments are measured and pooled on it.
#pragma once

#include "engine/tables.h"

namespace halvorine {

// What a valid assessment adds to its item's span: its first quantile (nudged, at least
// LowerClamp) and its last one (nudged).
float RangeFirst(const TAssessment& a);
float RangeLast(const TAssessment& a);

// answer(e, first, last) for every data expert e with a valid assessment of item i, in expert
// order, with what it adds to the span; a false answer ends the scan.
template <class Answer>
void ScanSpan(int i, Answer answer) {
    for (int e = 1; e <= ExpertCount; ++e) {
        if (!IsDataExpert(e)) continue;
        const TAssessment* a = AssessmentAt(e, i);
        if (!a || !a->Valid) continue;
        if (!answer(e, RangeFirst(*a), RangeLast(*a))) return;
    }
}

// For item i: lo and hi become the lowest first and highest last nudged quantile of the data
// experts' valid assessments, widened to take in the realisation of a seed item (on a LOG item
// with LogIntrinsicRange set, as natural logarithms); L and U are lo and hi widened by overshoot
// times their distance (exponentiated back in the log case). An item without any valid
// assessment has no range: all four become NoValue.
// Returns 0, or RunLogBoundNotPositive / RunBoundOutOfRange (nothing stored then).
int ComputeIntrinsicRange(int i, float& L, float& U, float& lo, float& hi, float overshoot);

// The second half of ComputeIntrinsicRange, from the span of the assessments (low, high; none
// when not assessed).
int WidenedRange(const TItem* item, bool assessed, float low, float high, float& L, float& U, float& lo, float& hi,
                 float overshoot);

// The range of every item 1.. up to the first empty slot, into its IntrinsicLow, IntrinsicHigh,
// AssessedLow and AssessedHigh, the items spread over the run's threads. Stops at the first item
// that fails, with its index in ItemCount; the items after it keep what they had.
int ComputeIntrinsicRanges();

}  // namespace halvorine
