#include "common/core/exact_decimal.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t Base = 1000000000u;

// Little-endian limbs of base 10^9.
using Limbs = std::vector<std::uint32_t>;

void MultiplySmall(Limbs& a, std::uint64_t factor) {
    std::uint64_t carry = 0;
    for (std::uint32_t& limb : a) {
        const std::uint64_t t = limb * factor + carry;
        limb = static_cast<std::uint32_t>(t % Base);
        carry = t / Base;
    }
    while (carry != 0) {
        a.push_back(static_cast<std::uint32_t>(carry % Base));
        carry /= Base;
    }
}

std::string ToDigits(const Limbs& a) {
    std::size_t top = a.size();
    while (top > 1 && a[top - 1] == 0) --top;
    std::string s = std::to_string(a[top - 1]);
    for (std::size_t i = top - 1; i-- > 0;) {
        const std::string part = std::to_string(a[i]);
        s.append(9 - part.size(), '0');
        s += part;
    }
    return s;
}

// Adds one unit to a digit string; "999" becomes "1000".
void Increment(std::string& digits) {
    for (std::size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

}  // namespace

ExactDecimal ToExactDecimal(long double x) {
    ExactDecimal r;
    r.negative = std::signbit(x);
    if (x == 0) {
        r.digits = "0";
        return r;
    }
    int e = 0;
    const long double f = std::frexp(std::fabs(x), &e);  // |x| = f * 2^e, 0.5 <= f < 1
    std::uint64_t m = static_cast<std::uint64_t>(std::ldexp(f, 64));
    e -= 64;
    while ((m & 1u) == 0) {
        m >>= 1;
        ++e;
    }
    Limbs a;
    for (std::uint64_t t = m; t != 0; t /= Base) a.push_back(static_cast<std::uint32_t>(t % Base));
    if (e >= 0) {
        for (; e >= 32; e -= 32) MultiplySmall(a, std::uint64_t{1} << 32);
        MultiplySmall(a, std::uint64_t{1} << e);
    } else {
        // m / 2^k = m * 5^k / 10^k
        int k = -e;
        r.scale = k;
        for (; k >= 13; k -= 13) MultiplySmall(a, 1220703125u);  // 5^13
        std::uint64_t p = 1;
        while (k-- > 0) p *= 5;
        MultiplySmall(a, p);
    }
    r.digits = ToDigits(a);
    return r;
}

SignificantDigits RoundSignificant(const ExactDecimal& x, int count) {
    SignificantDigits r;
    if (count < 1) count = 1;
    if (x.digits == "0") {
        r.digits.assign(static_cast<std::size_t>(count), '0');
        return r;
    }
    r.zero = false;
    r.exponent = static_cast<int>(x.digits.size()) - 1 - x.scale;
    const std::size_t n = static_cast<std::size_t>(count);
    if (x.digits.size() <= n) {
        r.digits = x.digits;
        r.digits.append(n - x.digits.size(), '0');
        return r;
    }
    r.digits = x.digits.substr(0, n);
    if (x.digits[n] >= '5') {
        Increment(r.digits);
        if (r.digits.size() > n) {  // 9.99.. carried into a new digit
            r.digits.resize(n);
            ++r.exponent;
        }
    }
    return r;
}

std::string RoundFixed(const ExactDecimal& x, int places) {
    if (places < 0) places = 0;
    if (x.digits == "0") return "0";
    // Digits kept: those down to the 10^-places position.
    const long long keep = static_cast<long long>(x.digits.size()) - x.scale + places;
    if (keep >= static_cast<long long>(x.digits.size())) {
        return x.digits + std::string(static_cast<std::size_t>(places - x.scale), '0');
    }
    if (keep < 0) return "0";
    if (keep == 0) return x.digits[0] >= '5' ? "1" : "0";
    std::string r = x.digits.substr(0, static_cast<std::size_t>(keep));
    if (x.digits[static_cast<std::size_t>(keep)] >= '5') Increment(r);
    return r;
}
