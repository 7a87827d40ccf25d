// A sum of 32-bit reals in extended precision that knows whether it is exact. Every such real is a
// whole multiple of the unit of its last place, so while the sum of the terms' magnitudes stays
// below 2^(extended digits) of the smallest of those units, no partial sum rounds, in whatever
// order the terms come. Then taking terms out or adding others gives, bit for bit, what summing the
// remaining terms in any order gives, as long as the sum is still exact with them counted in.
#pragma once

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>

namespace halvorine {

class ExactSum {
public:
    void Add(float v) {
        Count(v);
        total_ += v;
    }
    // A term added earlier goes again.
    void Remove(float v) { total_ -= v; }
    // A term that the sum is to be exact with but that is not in it.
    void Count(float v) {
        if (!std::isfinite(v)) {
            finite_ = false;
            return;
        }
        if (v == 0) return;
        magnitude_ += std::fabs(static_cast<long double>(v));
        lowest_ = std::min(lowest_, std::ilogb(v) - (std::numeric_limits<float>::digits - 1));
    }

    long double Total() const { return total_; }
    // Two digits are kept in reserve for the rounding of the magnitude itself.
    bool Exact() const {
        if (!finite_) return false;
        if (lowest_ == INT_MAX) return true;
        return magnitude_ < std::ldexp(1.0L, std::numeric_limits<long double>::digits - 2 + lowest_);
    }

private:
    long double total_ = 0;
    long double magnitude_ = 0;
    int lowest_ = INT_MAX;
    bool finite_ = true;
};

}  // namespace halvorine
