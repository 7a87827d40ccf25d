#pragma once

#include <array>
#include <cstdint>

// The six-byte real: a sign, an 8-bit exponent biased by 129 (0 means the value 0) and a
// 40-bit significand whose leading 1 is not stored. Every store rounds to 40 significant bits
// (to nearest, ties to even); arithmetic is done in long double on the widened value.
//
// Range: the largest value is (2 - 2^-39) * 2^126 (about 1.7e38); a value that rounds beyond
// it raises CalcError "Floating point overflow" (infinities too). The smallest value other
// than 0 is 2^-128 (exponent byte 1); a value whose rounded magnitude is below it is stored as
// 0, so values from 2^-128 * (1 - 2^-41) up round to 2^-128. NaN raises "Invalid floating
// point operation". Zero is stored without a sign.
class Real48 {
public:
    static constexpr int SignificandBits = 40;
    static constexpr int ExponentBias = 129;

    constexpr Real48() noexcept = default;
    Real48(long double x) : value_(static_cast<double>(Round(x))) {}  // NOLINT: a store

    Real48& operator=(long double x) {
        value_ = static_cast<double>(Round(x));
        return *this;
    }

    operator long double() const noexcept { return value_; }  // NOLINT: widened on every read
    long double Value() const noexcept { return value_; }

    Real48& operator+=(long double x) { return *this = Value() + x; }
    Real48& operator-=(long double x) { return *this = Value() - x; }
    Real48& operator*=(long double x) { return *this = Value() * x; }
    Real48& operator/=(long double x) { return *this = Value() / x; }

    // Bytes in file order: exponent, four fraction bytes (least significant first), then the
    // top 7 fraction bits with the sign in bit 7.
    std::array<std::uint8_t, 6> Encode() const noexcept;
    static Real48 Decode(const std::uint8_t* bytes) noexcept;
    static Real48 Decode(const std::array<std::uint8_t, 6>& bytes) noexcept { return Decode(bytes.data()); }

    // x rounded to the six-byte format; raises as a store does.
    static long double Round(long double x);

    static long double Largest();         // (2 - 2^-39) * 2^126
    static long double SmallestNormal();  // 2^-128

private:
    double value_ = 0;  // always a value of the format: 40 bits fit a double exactly
};
