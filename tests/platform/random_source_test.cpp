#include "platform/random_source.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

namespace platform_test {
namespace {

TEST(ClockRandom, UniformOnTheHalfOpenUnitIntervalWithFullPrecision) {
    platform::ClockRandom source;
    source.Randomize();
    double sum = 0;
    bool finerThan32Bits = false;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        const double x = source.Random();
        ASSERT_GE(x, 0.0);
        ASSERT_LT(x, 1.0);
        sum += x;
        const double scaled = x * 4294967296.0;
        finerThan32Bits |= scaled != std::floor(scaled);
    }
    EXPECT_NEAR(sum / n, 0.5, 0.01);
    EXPECT_TRUE(finerThan32Bits);
}

TEST(ClockRandom, RandomizeSeedsFromTheClock) {
    platform::ClockRandom a;
    platform::ClockRandom b;
    a.Randomize();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    b.Randomize();
    EXPECT_NE(a.Random(), b.Random());
}

}  // namespace
}  // namespace platform_test
