// The worker pool takes as many threads as the process may run on: a run limited to some
// processors (taskset, a container's cpuset) does not start a thread for every processor of the
// machine.
#include <gtest/gtest.h>

#include <sched.h>

#include <atomic>
#include <vector>

#include "engine/globals.h"
#include "engine/worker_pool.h"

using namespace halvorine;

namespace {

class WorkerPoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::sched_getaffinity(0, sizeof original, &original), 0);
        RunThreadCount = 0;
    }
    void TearDown() override {
        ::sched_setaffinity(0, sizeof original, &original);
        RunThreadCount = 0;
    }

    // The first n processors this thread may run on.
    cpu_set_t FirstOf(int n) const {
        cpu_set_t set;
        CPU_ZERO(&set);
        for (int cpu = 0; cpu < CPU_SETSIZE && CPU_COUNT(&set) < n; ++cpu)
            if (CPU_ISSET(cpu, &original)) CPU_SET(cpu, &set);
        return set;
    }

    // The highest worker number that took one of many tasks, and whether every task ran once.
    static int HighestWorker(bool& allOnce) {
        constexpr int Tasks = 2000;
        std::vector<std::atomic<int>> runs(Tasks);
        std::atomic<int> highest{0};
        ForEachTask(Tasks, [&](int worker, int task) {
            runs[static_cast<std::size_t>(task)].fetch_add(1);
            int seen = highest.load();
            while (worker > seen && !highest.compare_exchange_weak(seen, worker)) {}
        });
        allOnce = true;
        for (const auto& r : runs) allOnce = allOnce && r.load() == 1;
        return highest.load();
    }

    cpu_set_t original;
};

TEST_F(WorkerPoolTest, TakesTheProcessorsTheMaskAllows) {
    const int available = CPU_COUNT(&original);
    // One processor, two, and all the test may use (as given to the test process).
    for (const int n : {1, 2, available}) {
        if (n > available) continue;
        const cpu_set_t set = FirstOf(n);
        ASSERT_EQ(::sched_setaffinity(0, sizeof set, &set), 0);
        EXPECT_EQ(UsableProcessorCount(), n) << n << " processors";
        EXPECT_EQ(RunWorkerCount(), n) << n << " processors";
        bool allOnce = false;
        EXPECT_LT(HighestWorker(allOnce), n) << n << " processors";
        EXPECT_TRUE(allOnce) << n << " processors";
    }
}

TEST_F(WorkerPoolTest, AGivenThreadCountOutranksTheMask) {
    const cpu_set_t one = FirstOf(1);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    RunThreadCount = 3;
    EXPECT_EQ(RunWorkerCount(), 3);
    bool allOnce = false;
    EXPECT_LT(HighestWorker(allOnce), 3);
    EXPECT_TRUE(allOnce);
}

}  // namespace
