// The independent reference scores of tests/fixtures/reference/scoring_reference.txt, by name.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/core/pascal_str.h"
#include "common/reference_file.h"

namespace testcase {

inline long double ScoringReference(const std::string& name) {
    static const std::map<std::string, long double> values = [] {
        std::map<std::string, long double> m;
        for (const std::string& line : ReferenceLines("scoring_reference.txt")) {
            const std::size_t blank = line.find(' ');
            long double v = 0;
            if (blank != std::string::npos && ValReal(line.substr(blank + 1), v) == 0) m[line.substr(0, blank)] = v;
        }
        return m;
    }();
    const auto it = values.find(name);
    EXPECT_NE(it, values.end()) << "no reference value " << name;
    return it == values.end() ? 0 : it->second;
}

// |actual - expected| within `relative` of |expected|.
inline ::testing::AssertionResult RelativelyNear(long double actual, long double expected, long double relative) {
    const long double diff = actual > expected ? actual - expected : expected - actual;
    const long double scale = expected < 0 ? -expected : expected;
    if (diff <= relative * scale) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "actual " << static_cast<double>(actual) << ", expected "
                                         << static_cast<double>(expected) << ", relative difference "
                                         << static_cast<double>(diff / scale);
}

}  // namespace testcase
