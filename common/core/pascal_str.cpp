#include "common/core/pascal_str.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/core/exact_decimal.h"

std::string PadLeft(std::string s, int width) {
    if (width > 0 && s.size() < static_cast<std::size_t>(width))
        s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

namespace {

// ---- Decimal text to binary -------------------------------------------------------------

// Unsigned big integer, little-endian 32-bit limbs, no leading zero limbs (zero is empty).
class BigUInt {
public:
    std::vector<std::uint32_t> limbs;

    void Trim() {
        while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
    }
    void MulAdd(std::uint32_t factor, std::uint32_t addend) {
        std::uint64_t carry = addend;
        for (std::uint32_t& l : limbs) {
            const std::uint64_t t = static_cast<std::uint64_t>(l) * factor + carry;
            l = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        if (carry != 0) limbs.push_back(static_cast<std::uint32_t>(carry));
    }
    int BitLength() const {
        if (limbs.empty()) return 0;
        int bits = static_cast<int>(limbs.size() - 1) * 32;
        for (std::uint32_t top = limbs.back(); top != 0; top >>= 1) ++bits;
        return bits;
    }
    bool Bit(int i) const {
        const std::size_t limb = static_cast<std::size_t>(i) / 32;
        return limb < limbs.size() && ((limbs[limb] >> (i % 32)) & 1u) != 0;
    }
    void SetBit(int i) {
        const std::size_t limb = static_cast<std::size_t>(i) / 32;
        if (limbs.size() <= limb) limbs.resize(limb + 1, 0);
        limbs[limb] |= 1u << (i % 32);
    }
    // Any bit below position i set.
    bool AnyBelow(int i) const {
        for (int b = 0; b < i; ++b)
            if (Bit(b)) return true;
        return false;
    }
    void ShiftLeft(int bits) {
        if (limbs.empty() || bits <= 0) return;
        const std::size_t whole = static_cast<std::size_t>(bits) / 32;
        const int part = bits % 32;
        if (part != 0) {
            std::uint32_t carry = 0;
            for (std::uint32_t& l : limbs) {
                const std::uint32_t next = l >> (32 - part);
                l = (l << part) | carry;
                carry = next;
            }
            if (carry != 0) limbs.push_back(carry);
        }
        limbs.insert(limbs.begin(), whole, 0);
    }
    void ShiftRightOne() {
        for (std::size_t i = 0; i < limbs.size(); ++i) {
            limbs[i] >>= 1;
            if (i + 1 < limbs.size()) limbs[i] |= limbs[i + 1] << 31;
        }
        Trim();
    }
    int Compare(const BigUInt& b) const {
        if (limbs.size() != b.limbs.size()) return limbs.size() < b.limbs.size() ? -1 : 1;
        for (std::size_t i = limbs.size(); i-- > 0;)
            if (limbs[i] != b.limbs[i]) return limbs[i] < b.limbs[i] ? -1 : 1;
        return 0;
    }
    void Subtract(const BigUInt& b) {  // requires *this >= b
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < limbs.size(); ++i) {
            std::int64_t t = static_cast<std::int64_t>(limbs[i]) - borrow - (i < b.limbs.size() ? b.limbs[i] : 0);
            borrow = t < 0 ? 1 : 0;
            if (t < 0) t += std::int64_t{1} << 32;
            limbs[i] = static_cast<std::uint32_t>(t);
        }
        Trim();
    }
    void MulPow10(int k) {
        for (; k >= 9; k -= 9) MulAdd(1000000000u, 0);
        std::uint32_t p = 1;
        while (k-- > 0) p *= 10;
        MulAdd(p, 0);
    }
};

// A binary target format: value = M x 2^q with M < 2^bits; q_min is the exponent of the
// subnormals, q_max the largest exponent of a normal value.
struct BinaryFormat {
    int bits;
    int qMin;
    int qMax;
    int maxDecimalMagnitude;  // beyond 10^this the value certainly overflows
    int minDecimalMagnitude;  // below 10^this the value certainly rounds to zero
};

constexpr BinaryFormat ExtendedFormat{64, -16445, 16320, 4934, -4953};
constexpr BinaryFormat SingleFormat{24, -149, 104, 40, -47};

// Enough significant digits to decide every rounding of the extended type (its halfway
// points have fewer); the rest only matters as "something non-zero follows".
constexpr std::size_t MaxSignificantDigits = 20000;

struct DecimalText {
    bool negative = false;
    std::string digits;      // significant digits, no leading or trailing zeros; empty for zero
    long long exponent = 0;  // value = digits x 10^exponent
};

// Val syntax. 0 on success, else the 1-based position of the first bad character.
int ParseDecimalText(const std::string& s, DecimalText& out) {
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n && s[i] == ' ') ++i;
    DecimalText t;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        t.negative = s[i] == '-';
        ++i;
    }
    bool anyDigit = false;
    bool dropped = false;
    long long pointShift = 0;  // digits after the point that were kept
    long long intDropped = 0;  // integer digits beyond the kept ones
    auto takeDigit = [&](char c, bool fraction) {
        anyDigit = true;
        if (t.digits.empty() && c == '0') {
            if (fraction) ++pointShift;
            return;
        }
        if (t.digits.size() < MaxSignificantDigits) {
            t.digits += c;
            if (fraction) ++pointShift;
        } else {
            if (c != '0') dropped = true;
            if (!fraction) ++intDropped;
        }
    };
    while (i < n && s[i] >= '0' && s[i] <= '9') takeDigit(s[i++], false);
    if (i < n && s[i] == '.') {
        ++i;
        while (i < n && s[i] >= '0' && s[i] <= '9') takeDigit(s[i++], true);
    }
    if (!anyDigit) return static_cast<int>(i) + 1;
    long long exponent = 0;
    if (i < n && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) {
            negativeExponent = s[i] == '-';
            ++i;
        }
        if (i >= n || s[i] < '0' || s[i] > '9') return static_cast<int>(i) + 1;
        while (i < n && s[i] >= '0' && s[i] <= '9') {
            if (exponent < 1000000000) exponent = exponent * 10 + (s[i] - '0');
            ++i;
        }
        if (negativeExponent) exponent = -exponent;
    }
    if (i < n) return static_cast<int>(i) + 1;
    if (dropped) {
        // A non-zero digit beyond the kept ones: keep it as a last 1 so that ties are not faked.
        t.digits += '1';
        ++pointShift;
    }
    t.exponent = exponent + intDropped - pointShift;
    if (t.digits.empty()) {
        t.exponent = 0;
    } else {
        while (t.digits.back() == '0') {
            t.digits.pop_back();
            ++t.exponent;
        }
    }
    out = t;
    return 0;
}

// Rounds digits x 10^exponent to nearest, ties to even, in the given format.
// False on overflow; otherwise mantissa x 2^q is the rounded magnitude (mantissa 0 for zero).
bool ToBinary(const DecimalText& d, const BinaryFormat& f, std::uint64_t& mantissa, int& q) {
    mantissa = 0;
    q = 0;
    if (d.digits.empty()) return true;
    const long long magnitude = static_cast<long long>(d.digits.size()) + d.exponent;  // value < 10^magnitude
    if (magnitude > f.maxDecimalMagnitude) return false;
    if (magnitude < f.minDecimalMagnitude) return true;

    BigUInt u;
    for (char c : d.digits) u.MulAdd(10, static_cast<std::uint32_t>(c - '0'));
    BigUInt v;
    v.limbs.push_back(1);
    if (d.exponent >= 0)
        u.MulPow10(static_cast<int>(d.exponent));
    else
        v.MulPow10(static_cast<int>(-d.exponent));

    // quotient = floor(u x 2^s / v) with bits + 2 or bits + 3 bits.
    const int s = f.bits + 2 - (u.BitLength() - v.BitLength());
    if (s > 0) u.ShiftLeft(s);
    if (s < 0) v.ShiftLeft(-s);
    BigUInt quotient;
    const int top = u.BitLength() - v.BitLength();
    if (top >= 0) {
        BigUInt shifted = v;
        shifted.ShiftLeft(top);
        for (int b = top; b >= 0; --b) {
            if (u.Compare(shifted) >= 0) {
                u.Subtract(shifted);
                quotient.SetBit(b);
            }
            shifted.ShiftRightOne();
        }
    }
    const bool remainder = !u.limbs.empty();

    const int qBits = quotient.BitLength();
    int drop = qBits - f.bits;
    int exponent = drop - s;
    if (exponent < f.qMin) {
        drop += f.qMin - exponent;
        exponent = f.qMin;
    }
    if (drop > qBits + 1) return true;  // far below the smallest subnormal's half
    std::uint64_t m = 0;
    for (int b = qBits - 1; b >= drop; --b) m = (m << 1) | (quotient.Bit(b) ? 1u : 0u);
    const bool roundBit = drop >= 1 && quotient.Bit(drop - 1);
    const bool sticky = remainder || (drop >= 2 && quotient.AnyBelow(drop - 1));
    if (roundBit && (sticky || (m & 1u) != 0)) {
        ++m;
        if (f.bits < 64 ? m == (std::uint64_t{1} << f.bits) : m == 0) {
            // Carried into a new bit.
            m = std::uint64_t{1} << (f.bits - 1);
            ++exponent;
        }
    }
    if (m != 0 && exponent > f.qMax) return false;
    mantissa = m;
    q = exponent;
    return true;
}

}  // namespace

// ---- Str --------------------------------------------------------------------------------

std::string StrInt(long long n, int width) {
    // Magnitude as unsigned so that LLONG_MIN works.
    unsigned long long m = n < 0 ? 0ull - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
    std::string s;
    do {
        s.insert(s.begin(), static_cast<char>('0' + m % 10));
        m /= 10;
    } while (m != 0);
    if (n < 0) s.insert(s.begin(), '-');
    return PadLeft(s, width);
}

std::string StrFixed(long double x, int width, int decimals) {
    if (std::isnan(x)) return PadLeft("NAN", width);
    if (std::isinf(x)) return PadLeft(x < 0 ? "-INF" : "INF", width);
    if (decimals < 0) decimals = 0;
    const ExactDecimal exact = ToExactDecimal(x);
    std::string s = RoundFixed(exact, decimals);
    const bool zero = s == "0";
    if (decimals > 0) {
        if (s.size() < static_cast<std::size_t>(decimals) + 1)
            s.insert(0, static_cast<std::size_t>(decimals) + 1 - s.size(), '0');
        s.insert(s.size() - static_cast<std::size_t>(decimals), 1, '.');
    }
    if (exact.negative && !zero) s.insert(s.begin(), '-');
    return PadLeft(s, width);
}

std::string StrExp(long double x, int width) {
    if (std::isnan(x)) return PadLeft("NAN", width);
    if (std::isinf(x)) return PadLeft(x < 0 ? "-INF" : "INF", width);
    int fraction = width - 9;
    if (fraction < 1) fraction = 1;
    if (fraction > 17) fraction = 17;
    const ExactDecimal exact = ToExactDecimal(x);
    const SignificantDigits d = RoundSignificant(exact, fraction + 1);
    std::string s;
    s += exact.negative && !d.zero ? '-' : ' ';
    s += d.digits[0];
    s += '.';
    s += d.digits.substr(1);
    s += 'E';
    s += d.exponent < 0 ? '-' : '+';
    std::string e = StrInt(std::abs(d.exponent));
    if (e.size() < 4) e.insert(0, 4 - e.size(), '0');
    s += e;
    return PadLeft(s, width);
}

std::string StrExpReal32(float x, int width) {
    std::string s = StrExp(static_cast<long double>(x), width);
    float back = 0;
    if (!std::isfinite(x) || ParseReal32(s, back)) return s;
    // Rounding went up past the largest float; one unit less in the last digit is the value
    // rounded toward zero, which lies below it.
    std::size_t k = s.find('E');
    while (k-- > 0) {
        if (s[k] == '.') continue;
        if (s[k] != '0') {
            --s[k];
            break;
        }
        s[k] = '9';
    }
    return s;
}

// ---- Val --------------------------------------------------------------------------------

int ValInt(const std::string& s, long long& out) {
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n && s[i] == ' ') ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i >= n || s[i] < '0' || s[i] > '9') return static_cast<int>(i) + 1;
    const unsigned long long limit = negative ? 0ull - static_cast<unsigned long long>(LLONG_MIN)
                                              : static_cast<unsigned long long>(LLONG_MAX);
    unsigned long long m = 0;
    for (; i < n && s[i] >= '0' && s[i] <= '9'; ++i) {
        const unsigned digit = static_cast<unsigned>(s[i] - '0');
        if (m > (limit - digit) / 10) return static_cast<int>(i) + 1;
        m = m * 10 + digit;
    }
    if (i < n) return static_cast<int>(i) + 1;
    out = negative ? static_cast<long long>(0ull - m) : static_cast<long long>(m);
    return 0;
}

int ValReal(const std::string& s, long double& out) {
    DecimalText d;
    const int code = ParseDecimalText(s, d);
    if (code != 0) return code;
    std::uint64_t m = 0;
    int q = 0;
    if (!ToBinary(d, ExtendedFormat, m, q)) return static_cast<int>(s.size()) + 1;
    long double value = std::ldexp(static_cast<long double>(m), q);  // exact: m has at most 64 bits
    out = d.negative ? -value : value;
    return 0;
}

bool ParseReal32(const std::string& s, float& out) {
    DecimalText d;
    if (ParseDecimalText(s, d) != 0) return false;
    std::uint64_t m = 0;
    int q = 0;
    if (!ToBinary(d, SingleFormat, m, q)) return false;
    const float value = std::ldexp(static_cast<float>(m), q);  // exact: m has at most 24 bits
    out = d.negative ? -value : value;
    return true;
}

namespace {

// The number of decimal digits of n.
int DecimalDigits(int n) {
    int count = 1;
    for (n = n < 0 ? -n : n; n >= 10; n /= 10) ++count;
    return count;
}

// digits (no leading zero) times 10^(exponent - digits + 1), in the first form that fits
// width; "" when none does.
std::string FittingForm(bool negative, const std::string& digits, int exponent, int width) {
    const std::string sign = negative ? "-" : " ";
    const int n = static_cast<int>(digits.size());
    const std::string mantissa = digits.substr(0, 1) + "." + (n > 1 ? digits.substr(1) : std::string("0"));
    const std::string expSign = exponent < 0 ? "-" : "+";
    const int need = DecimalDigits(exponent);
    for (int places = 4; places >= need; --places) {
        std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
        e.insert(0, static_cast<std::size_t>(places) - e.size(), '0');
        const std::string text = sign + mantissa + "E" + expSign + e;
        if (static_cast<int>(text.size()) <= width) return text;
    }
    std::string fixed;
    if (exponent >= n - 1) {
        fixed = digits + std::string(static_cast<std::size_t>(exponent - n + 1), '0');
    } else if (exponent >= 0) {
        fixed = digits.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
                digits.substr(static_cast<std::size_t>(exponent) + 1);
    } else {
        fixed = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    if (static_cast<int>(fixed.size()) + 1 <= width) return sign + fixed;
    const std::string whole = sign + digits + "E" + std::to_string(exponent - n + 1);
    if (static_cast<int>(whole.size()) <= width) return whole;
    return std::string();
}

}  // namespace

std::string StrExactReal32(float x, int width) {
    std::string text = StrExpReal32(x, width);
    float back = 0;
    if (!std::isfinite(x) || (ParseReal32(text, back) && back == x)) return text;
    // The shortest digits that give x again: d.ddde+XX.
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x), std::chars_format::scientific);
    const std::string shortest(buffer, r.ptr);
    const std::size_t e = shortest.find('e');
    std::string digits = shortest.substr(0, 1) + (e > 2 ? shortest.substr(2, e - 2) : std::string());
    int exponent = std::atoi(shortest.c_str() + e + 1);
    while (!digits.empty()) {
        std::string form = FittingForm(x < 0, digits, exponent, width);
        // A positive value may take the sign's blank as well: the field is read by its columns,
        // so a digit more is kept that would otherwise be rounded away.
        if (form.empty() && x > 0 && !(form = FittingForm(false, digits, exponent, width + 1)).empty())
            return form.substr(1);
        if (!form.empty()) return PadLeft(form, width);
        // One digit fewer, rounded half up; a carry out of the first digit raises the exponent.
        const bool up = digits.back() >= '5';
        digits.pop_back();
        if (digits.empty()) break;
        if (up) {
            std::size_t k = digits.size();
            while (k > 0 && digits[k - 1] == '9') digits[--k] = '0';
            if (k == 0) {
                digits.insert(digits.begin(), '1');
                digits.pop_back();
                ++exponent;
            } else {
                ++digits[k - 1];
            }
        }
        while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    }
    return text;
}
