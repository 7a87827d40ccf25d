#include "common/core/number_format.h"

#include <cmath>
#include <cstdlib>

#include "common/core/exact_decimal.h"

namespace {

std::string PadLeft(std::string s, int width) {
    if (width > 0 && s.size() < static_cast<std::size_t>(width))
        s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
    return s;
}

std::string ExponentText(int exponent, bool plusSign) {
    std::string digits = std::to_string(std::abs(exponent));
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    if (exponent < 0) return "-" + digits;
    return plusSign ? "+" + digits : digits;
}

// R x 10^-places as fixed point.
std::string FixedText(const std::string& r, int places, char separator) {
    std::string s = r;
    if (places <= 0) return s;
    if (s.size() < static_cast<std::size_t>(places) + 1)
        s.insert(0, static_cast<std::size_t>(places) + 1 - s.size(), '0');
    s.insert(s.size() - static_cast<std::size_t>(places), 1, separator);
    return s;
}

}  // namespace

std::string FormatReal(long double x, int width, int places, char format, char decimalSeparator) {
    if (std::isnan(x)) return PadLeft("NAN", width);
    if (std::isinf(x)) return PadLeft(x < 0 ? "-INF" : "INF", width);

    const ExactDecimal exact = ToExactDecimal(x);
    std::string body;
    bool zero = false;

    if (format == 'f') {
        if (places < 0) places = 0;
        const std::string r = RoundFixed(exact, places);
        zero = r == "0";
        body = FixedText(r, places, decimalSeparator);
    } else if (format == 'e') {
        const SignificantDigits d = RoundSignificant(exact, places < 1 ? 1 : places);
        zero = d.zero;
        body = d.digits.substr(0, 1);
        if (d.digits.size() > 1) body += decimalSeparator + d.digits.substr(1);
        body += 'E' + ExponentText(d.exponent, true);
    } else {
        const int count = places < 1 ? 1 : places;
        SignificantDigits d = RoundSignificant(exact, count);
        zero = d.zero;
        if (d.zero) {
            body = "0";
        } else {
            // Trailing zeros go in either form.
            std::string digits = d.digits;
            while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
            const int e = d.exponent;
            if (e < count && e >= -4) {
                if (e < 0) {
                    body = "0";
                    body += decimalSeparator;
                    body.append(static_cast<std::size_t>(-e - 1), '0');
                    body += digits;
                } else {
                    const std::size_t intDigits = static_cast<std::size_t>(e) + 1;
                    if (digits.size() <= intDigits) {
                        body = digits + std::string(intDigits - digits.size(), '0');
                    } else {
                        body = digits.substr(0, intDigits) + decimalSeparator + digits.substr(intDigits);
                    }
                }
            } else {
                body = digits.substr(0, 1);
                if (digits.size() > 1) body += decimalSeparator + digits.substr(1);
                body += 'E' + ExponentText(e, false);
            }
        }
    }
    if (exact.negative && !zero) body.insert(0, 1, '-');
    return PadLeft(body, width);
}
