#include "engine/case_number_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "common/core/pascal_str.h"

namespace halvorine {

namespace {

using Wide = unsigned __int128;

struct Powers {
    Wide Ten[39];  // 10^0 .. 10^38
    Wide Five[45]; // 5^0 .. 5^44
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

} // namespace

// x = m 2^e exactly, m < 2^24. For -44 <= e <= 104 its decimal value m 5^-e 10^e (e < 0) or
// m 2^e is an integer N below 2^128 times a power of ten, so the exact digits come from N; the
// six significant digits are then rounded half up on the seventh, as StrExp rounds the exact
// decimal expansion.
void AppendCaseNumber(std::string& out, float x) {
    if (!std::isfinite(x) || x == 0) {
        out += StrExp(static_cast<long double>(x), 14);
        return;
    }
    int e2 = 0;
    const float fraction = std::frexp(std::fabs(x), &e2); // |x| = fraction 2^e2, fraction in [0.5, 1)
    const auto m = static_cast<std::uint32_t>(std::ldexp(fraction, 24));
    const int e = e2 - 24;
    if (e < -44 || e > 104) {
        out += StrExp(static_cast<long double>(x), 14);
        return;
    }
    Wide n = m;
    int scale = 0; // value = n 10^-scale
    if (e >= 0) {
        n <<= e;
    } else {
        n *= Power.Five[-e];
        scale = -e;
    }
    // The number of digits of n, and its first seven (the rest cut off).
    int count = 1;
    while (count < 39 && n >= Power.Ten[count]) ++count;
    const std::uint64_t first = count > 7 ? static_cast<std::uint64_t>(n / Power.Ten[count - 7])
                                          : static_cast<std::uint64_t>(n) * static_cast<std::uint64_t>(Power.Ten[7 - count]);
    int exponent = count - 1 - scale;
    std::uint64_t six = first / 10;
    if (first % 10 >= 5) ++six;
    if (six == 1000000) {
        six = 100000; // 9.99999.. carried into a new digit
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

} // namespace halvorine
