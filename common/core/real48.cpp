#include "common/core/real48.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "common/core/calc_error.h"

namespace {

// m * 2^e with 2^39 <= m < 2^40 for a non-zero value of the format.
struct Parts {
    bool negative = false;
    std::uint64_t significand = 0;  // 0 for zero
    int exponentByte = 0;           // 1..255; 0 for zero
};

// Rounds |x| to 40 significant bits, ties to even, without relying on the rounding mode.
Parts Split(long double x) {
    if (std::isnan(x)) throw CalcError(CalcErrorKind::InvalidOperation);
    if (std::isinf(x)) throw CalcError(CalcErrorKind::Overflow);
    Parts p;
    if (x == 0) return p;
    p.negative = std::signbit(x);
    int e = 0;
    const long double m = std::frexp(std::fabs(x), &e);                 // 0.5 <= m < 1, exact
    const long double scaled = std::ldexp(m, Real48::SignificandBits);  // in [2^39, 2^40), exact
    long double whole = std::floor(scaled);
    const long double rest = scaled - whole;  // exact: the long double has 64 bits
    auto q = static_cast<std::uint64_t>(whole);
    if (rest > 0.5L || (rest == 0.5L && (q & 1u) != 0)) ++q;
    if (q == (std::uint64_t{1} << Real48::SignificandBits)) {
        q >>= 1;
        ++e;
    }
    // |x| = q * 2^(e - 40) and the format's value is 2^(byte - 129) * q / 2^39.
    const int byte = e + Real48::ExponentBias - 1;
    if (byte > 255) throw CalcError(CalcErrorKind::Overflow);
    if (byte < 1) return Parts{};  // below the smallest normal: stored as 0
    p.significand = q;
    p.exponentByte = byte;
    return p;
}

long double Join(const Parts& p) {
    if (p.exponentByte == 0) return 0.0L;
    const long double v = std::ldexp(static_cast<long double>(p.significand),
                                     p.exponentByte - Real48::ExponentBias - (Real48::SignificandBits - 1));
    return p.negative ? -v : v;
}

}  // namespace

// Every arithmetic result of the models is stored through here, so it works on the bits of the
// 80-bit extended value directly: 64-bit significand with its leading 1, then sign and exponent.
static_assert(LDBL_MANT_DIG == 64, "the extended type is the 80-bit format");

long double Real48::Round(long double x) {
    std::uint64_t mant = 0;
    std::uint16_t signExp = 0;
    std::memcpy(&mant, &x, sizeof mant);
    std::memcpy(&signExp, reinterpret_cast<const unsigned char*>(&x) + sizeof mant, sizeof signExp);
    int exponent = signExp & 0x7FFF;
    if (exponent == 0x7FFF) return Join(Split(x));  // infinity or NaN: raises
    if (exponent == 0 || mant == 0) return 0.0L;    // zero, or far below the format's range
    constexpr int dropped = 64 - SignificandBits;
    constexpr std::uint64_t half = std::uint64_t{1} << (dropped - 1);
    std::uint64_t q = mant >> dropped;
    const std::uint64_t rest = mant & ((std::uint64_t{1} << dropped) - 1);
    if (rest > half || (rest == half && (q & 1u) != 0)) ++q;
    if (q == (std::uint64_t{1} << SignificandBits)) {
        q >>= 1;
        ++exponent;
    }
    const int byte = exponent - 16383 + ExponentBias;
    if (byte > 255) throw CalcError(CalcErrorKind::Overflow);
    if (byte < 1) return 0.0L;
    mant = q << dropped;
    signExp = static_cast<std::uint16_t>((signExp & 0x8000u) | static_cast<unsigned>(exponent));
    long double r = 0.0L;
    std::memcpy(&r, &mant, sizeof mant);
    std::memcpy(reinterpret_cast<unsigned char*>(&r) + sizeof mant, &signExp, sizeof signExp);
    return r;
}

long double Real48::Largest() {
    return std::ldexp(static_cast<long double>((std::uint64_t{1} << SignificandBits) - 1),
                      255 - ExponentBias - (SignificandBits - 1));
}

long double Real48::SmallestNormal() {
    return std::ldexp(1.0L, 1 - ExponentBias);
}

std::array<std::uint8_t, 6> Real48::Encode() const noexcept {
    std::array<std::uint8_t, 6> b{};
    const Parts p = Split(value_);  // exact: value_ is already of the format
    if (p.exponentByte == 0) return b;
    const std::uint64_t fraction = p.significand - (std::uint64_t{1} << (SignificandBits - 1));
    b[0] = static_cast<std::uint8_t>(p.exponentByte);
    for (int i = 0; i < 5; ++i) b[1 + i] = static_cast<std::uint8_t>((fraction >> (8 * i)) & 0xFFu);
    b[5] = static_cast<std::uint8_t>((b[5] & 0x7Fu) | (p.negative ? 0x80u : 0u));
    return b;
}

Real48 Real48::Decode(const std::uint8_t* bytes) noexcept {
    Parts p;
    p.exponentByte = bytes[0];
    if (p.exponentByte == 0) return Real48();
    std::uint64_t fraction = 0;
    for (int i = 0; i < 5; ++i) fraction |= static_cast<std::uint64_t>(bytes[1 + i]) << (8 * i);
    p.negative = (bytes[5] & 0x80u) != 0;
    fraction &= (std::uint64_t{1} << (SignificandBits - 1)) - 1;
    p.significand = fraction | (std::uint64_t{1} << (SignificandBits - 1));
    Real48 r;
    r.value_ = static_cast<double>(Join(p));  // every decoded value lies within the range
    return r;
}
