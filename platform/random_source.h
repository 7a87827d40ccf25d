// The random numbers the programs draw (WTrindel's simulations), apart from the services that
// ask the user: a run reaches it through one pointer in its globals.
#pragma once

#include <cstdint>
#include <random>

namespace platform {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void Randomize() = 0;
    // Uniform on [0, 1), with the full 53 bits of a double.
    virtual double Random() = 0;
};

// The draws of a 64-bit Mersenne Twister: the top 53 bits, scaled to [0, 1).
inline double UnitFromBits(std::uint64_t bits) {
    return static_cast<double>(bits >> 11) * 0x1.0p-53;
}

// The desktop's source: Randomize seeds it from the wall clock and the steady clock, so that two
// runs a moment apart differ.
class ClockRandom : public RandomSource {
public:
    void Randomize() override;
    double Random() override { return UnitFromBits(generator_()); }

private:
    std::mt19937_64 generator_;
};

// The one clock-seeded source of the process, used where no other is set.
ClockRandom& ProcessRandom();

}  // namespace platform
