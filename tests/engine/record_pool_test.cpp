// The blocks the assessment records are taken from: every record its own room, emptied blocks
// used again, and the same from several threads at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "engine/record_pool.h"

using namespace halvorine;

namespace {

constexpr std::size_t Record = 40;   // not a power of two: records straddle cache lines and pages
constexpr std::size_t Block = 4096;  // about a hundred records a block

// Each record filled with its own byte: an overlap shows as a record that lost its bytes.
void Fill(void* p, unsigned char tag) {
    std::memset(p, tag, Record);
}
bool Holds(const void* p, unsigned char tag) {
    const auto* b = static_cast<const unsigned char*>(p);
    return std::all_of(b, b + Record, [tag](unsigned char c) { return c == tag; });
}

TEST(RecordPool, RecordsAreDisjointAlignedAndBlocksGoBackWhenEmpty) {
    RecordPool pool(Record, 8, Block);
    std::vector<void*> taken;
    for (int k = 0; k < 1000; ++k) {
        void* p = pool.Take();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 8, 0u);
        Fill(p, static_cast<unsigned char>(k));
        taken.push_back(p);
    }
    EXPECT_EQ(std::set<void*>(taken.begin(), taken.end()).size(), taken.size());
    for (std::size_t k = 0; k < taken.size(); ++k) ASSERT_TRUE(Holds(taken[k], static_cast<unsigned char>(k))) << k;
    const std::size_t blocks = pool.BlockCount();
    EXPECT_GE(blocks, 1000 * Record / Block);
    EXPECT_LE(blocks, 1000 * Record / Block + 2);

    // Every other record back, then as many again: the room given back is used first.
    for (std::size_t k = 0; k < taken.size(); k += 2) pool.Give(taken[k]);
    for (std::size_t k = 0; k < taken.size(); k += 2) {
        taken[k] = pool.Take();
        Fill(taken[k], static_cast<unsigned char>(k));
    }
    EXPECT_EQ(pool.BlockCount(), blocks);
    for (std::size_t k = 0; k < taken.size(); ++k) ASSERT_TRUE(Holds(taken[k], static_cast<unsigned char>(k))) << k;

    // All back in a shuffled order, then all taken again: the emptied blocks serve again.
    std::shuffle(taken.begin(), taken.end(), std::mt19937(7));
    for (void* p : taken) pool.Give(p);
    for (std::size_t k = 0; k < taken.size(); ++k) {
        taken[k] = pool.Take();
        Fill(taken[k], static_cast<unsigned char>(k));
    }
    EXPECT_EQ(std::set<void*>(taken.begin(), taken.end()).size(), taken.size());
    for (std::size_t k = 0; k < taken.size(); ++k) ASSERT_TRUE(Holds(taken[k], static_cast<unsigned char>(k))) << k;
    EXPECT_EQ(pool.BlockCount(), blocks);
    for (void* p : taken) pool.Give(p);
    pool.Give(nullptr);
}

TEST(RecordPool, ThreadsTakeAndGiveAtOnce) {
    RecordPool pool(Record, 8, Block);
    std::vector<std::thread> threads;
    std::vector<int> faults(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&pool, &faults, t] {
            std::vector<void*> mine;
            const auto tag = static_cast<unsigned char>(t + 1);
            for (int round = 0; round < 20; ++round) {
                for (int k = 0; k < 200; ++k) {
                    void* p = pool.Take();
                    Fill(p, tag);
                    mine.push_back(p);
                }
                for (void* p : mine)
                    if (!Holds(p, tag)) ++faults[static_cast<std::size_t>(t)];
                for (std::size_t k = 0; k < mine.size(); k += 2) pool.Give(mine[k]);
                std::vector<void*> kept;
                for (std::size_t k = 1; k < mine.size(); k += 2) kept.push_back(mine[k]);
                mine = kept;
            }
            for (void* p : mine) pool.Give(p);
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(faults, std::vector<int>(4, 0));
}

}  // namespace
