// The intrinsic range of an item: the span of the experts' valid assessments and the
// realisation, widened on both sides by the overshoot; assessments are measured and pooled on it.
#pragma once

namespace halvorine {

// For item i: lo and hi become the lowest first and highest last nudged quantile of the data
// experts' valid assessments, widened to take in the realisation of a seed item (on a LOG item
// with LogIntrinsicRange set, as natural logarithms); L and U are lo and hi widened by overshoot
// times their distance (exponentiated back in the log case). An item without any valid
// assessment has no range: all four become NoValue.
// Returns 0, or RunLogBoundNotPositive / RunBoundOutOfRange (nothing stored then).
int ComputeIntrinsicRange(int i, float& L, float& U, float& lo, float& hi, float overshoot);

// The range of every item 1.. up to the first empty slot, into its IntrinsicLow, IntrinsicHigh,
// AssessedLow and AssessedHigh, the items spread over the run's threads. Stops at the first item
// that fails, with its index in ItemCount; the items after it keep what they had.
int ComputeIntrinsicRanges();

}  // namespace halvorine
