// The number conversions of the files: every text Val accepts formats and reads back, every
// float written in any field width reads back (exactly from 9 significant digits on), and an
// integer comes back as it was.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/core/pascal_str.h"

namespace {

void Fault(const std::string& message) {
    std::fprintf(stderr, "FUZZ FAULT: %s\n", message.c_str());
    std::abort();
}

void CheckFloat(float x) {
    if (!std::isfinite(x)) return;
    for (int width = 8; width <= 26; ++width) {
        const std::string text = StrExpReal32(x, width);
        float back = 0;
        if (!ParseReal32(text, back)) Fault("\"" + text + "\" does not read back");
        if (width >= 17 && back != x && !(x == 0 && back == 0)) Fault("\"" + text + "\" reads back as another float");
        const double unit = std::fabs(static_cast<double>(x)) * std::pow(10.0, 9 - std::min(width, 17));
        if (std::fabs(static_cast<double>(back) - x) > unit) Fault("\"" + text + "\" is too far from the value");
    }
    for (int decimals = 0; decimals <= 12; decimals += 4) {
        const std::string text = StrFixed(x, 1, decimals);
        long double back = 0;
        if (ValReal(text, back) != 0) Fault("\"" + text + "\" does not read back");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    long double extended = 0;
    // Within the range of doubles: the numbers the programs compute with.
    if (ValReal(text, extended) == 0 && std::fabs(extended) <= 1e308L) {
        for (const int width : {10, 14, 20, 26}) {
            const std::string written = StrExp(extended, width);
            long double back = 0;
            if (ValReal(written, back) != 0) Fault("\"" + written + "\" does not read back");
        }
    }
    float single = 0;
    if (ParseReal32(text, single)) CheckFloat(single);
    long long whole = 0;
    if (ValInt(text, whole) == 0) {
        long long back = 0;
        if (ValInt(StrInt(whole), back) != 0 || back != whole)
            Fault("integer " + StrInt(whole) + " does not read back");
    }
    if (size >= sizeof(float)) {
        float bits = 0;
        std::memcpy(&bits, data, sizeof bits);
        CheckFloat(bits);
    }
    return 0;
}
