#include "engine/case_number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "common/core/pascal_str.h"

namespace halvorine {

namespace {

using Wide = unsigned __int128;

struct Powers {
    Wide Ten[39];   // 10^0 .. 10^38
    Wide Five[45];  // 5^0 .. 5^44
};

constexpr Powers MakePowers() {
    Powers p{};
    p.Ten[0] = 1;
    for (int k = 1; k < 39; ++k) p.Ten[k] = p.Ten[k - 1] * 10;
    p.Five[0] = 1;
    for (int k = 1; k < 45; ++k) p.Five[k] = p.Five[k - 1] * 5;
    return p;
}

constexpr Powers Power = MakePowers();

// The number of decimal digits of n > 0: from its bit length (log10 2 is about 1233/4096), then
// one more when n reaches the next power.
int DigitCount(Wide n) {
    const auto high = static_cast<std::uint64_t>(n >> 64);
    const int bits = high != 0 ? 128 - __builtin_clzll(high) : 64 - __builtin_clzll(static_cast<std::uint64_t>(n));
    int count = ((bits - 1) * 1233 >> 12) + 1;
    if (count < 39 && n >= Power.Ten[count]) ++count;
    return count;
}

// n / 10^d, cut, for a quotient below 10^7: estimated in double precision, one less to be sure not
// to overshoot, then made exact by the remainder. A 128-bit division costs several times more.
std::uint64_t Quotient(Wide n, int d) {
    const Wide divisor = Power.Ten[d];
    const double estimate = static_cast<double>(n) / static_cast<double>(divisor);
    std::uint64_t q = estimate >= 1 ? static_cast<std::uint64_t>(estimate) - 1 : 0;
    Wide rest = n - divisor * q;
    while (rest >= divisor) {
        rest -= divisor;
        ++q;
    }
    return q;
}

}  // namespace

// x = m 2^e exactly, m < 2^24. For -44 <= e <= 104 its decimal value m 5^-e 10^e (e < 0) or
// m 2^e is an integer N below 2^128 times a power of ten, so the exact digits come from N; the
// six significant digits are then rounded half up on the seventh, as StrExp rounds the exact
// decimal expansion.
void AppendCaseNumber(std::string& out, float x) {
    if (!std::isfinite(x) || x == 0) {
        out += StrExp(static_cast<long double>(x), 14);
        return;
    }
    // From the bits: a normal float is (2^23 + its 23 fraction bits) 2^(exponent field - 150);
    // subnormals (exponent field 0) lie far below the range taken here.
    const auto bits = std::bit_cast<std::uint32_t>(x);
    const int field = static_cast<int>((bits >> 23) & 0xFF);
    const std::uint32_t m = (bits & 0x7FFFFF) | 0x800000;
    const int e = field - 150;
    if (field == 0 || e < -44 || e > 104) {
        out += StrExp(static_cast<long double>(x), 14);
        return;
    }
    Wide n = m;
    int scale = 0;  // value = n 10^-scale
    if (e >= 0) {
        n <<= e;
    } else {
        n *= Power.Five[-e];
        scale = -e;
    }
    // The number of digits of n, and its first seven (the rest cut off).
    const int count = DigitCount(n);
    const std::uint64_t first = count > 7
                                    ? Quotient(n, count - 7)
                                    : static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(Power.Ten[7 - count]);
    int exponent = count - 1 - scale;
    std::uint64_t six = first / 10;
    if (first % 10 >= 5) ++six;
    if (six == 1000000) {
        six = 100000;  // 9.99999.. carried into a new digit
        ++exponent;
    }
    char kept[6];
    for (int t = 5; t >= 0; --t) {
        kept[t] = static_cast<char>('0' + six % 10);
        six /= 10;
    }
    char text[14];
    text[0] = x < 0 ? '-' : ' ';
    text[1] = kept[0];
    text[2] = '.';
    std::memcpy(text + 3, kept + 1, 5);
    text[8] = 'E';
    text[9] = exponent < 0 ? '-' : '+';
    int a = exponent < 0 ? -exponent : exponent;
    for (int t = 13; t >= 10; --t) {
        text[t] = static_cast<char>('0' + a % 10);
        a /= 10;
    }
    out.append(text, 14);
}

bool ParseCommonCaseNumber(std::string_view text, float& out) {
    // [-]digits[.digits][(E|e)[+|-]digits], at most 20 significant places, exponent small enough
    // that no value can overflow or come near the subnormals.
    const char* p = text.data();
    const char* const end = p + text.size();
    if (p != end && *p == '-') ++p;
    int places = 0;
    while (p != end && *p >= '0' && *p <= '9') ++p, ++places;
    if (places == 0) return false;
    if (p != end && *p == '.') {
        ++p;
        int after = 0;
        while (p != end && *p >= '0' && *p <= '9') ++p, ++after;
        if (after == 0) return false;
        places += after;
    }
    if (places > 20) return false;
    int exponent = 0;
    if (p != end && (*p == 'E' || *p == 'e')) {
        ++p;
        bool negative = false;
        if (p != end && (*p == '+' || *p == '-')) negative = *p++ == '-';
        int expDigits = 0;
        while (p != end && *p >= '0' && *p <= '9') {
            exponent = exponent * 10 + (*p++ - '0');
            if (++expDigits > 6) return false;
        }
        if (expDigits == 0) return false;
        if (negative) exponent = -exponent;
    }
    if (p != end) return false;
    // With up to 20 places the value lies within 10^(exponent-20) .. 10^(exponent+20), or is 0.
    if (exponent < -10 || exponent > 10) return false;
    float v = 0;
    const auto r = std::from_chars(text.data(), end, v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != end) return false;
    out = v;
    return true;
}

}  // namespace halvorine
