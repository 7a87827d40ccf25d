// Reads the committed reference tables under tests/fixtures/reference.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/core/line_io.h"

inline std::vector<std::string> ReferenceLines(const std::string& name) {
    return ReadTextLines(std::string(FIXTURES_DIR) + "/reference/" + name);
}

// The text between the first and the last bar of a row.
inline std::string BarredText(const std::string& row) {
    const std::size_t open = row.find('|');
    const std::size_t close = row.rfind('|');
    return row.substr(open + 1, close - open - 1);
}

// A value written as f + 8 hex digits (float32 bits) or d + 16 hex digits (float64 bits).
inline long double ValueFromBits(char kind, const std::string& hex) {
    const std::uint64_t bits = std::stoull(hex, nullptr, 16);
    if (kind == 'f') {
        const std::uint32_t b = static_cast<std::uint32_t>(bits);
        float f;
        std::memcpy(&f, &b, sizeof f);
        return f;
    }
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
