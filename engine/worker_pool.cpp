#include "engine/worker_pool.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/globals.h"

namespace halvorine {

namespace {

// Threads are started when a run first needs them and wait between runs; the optimisation and
// the robustness runs hand them work thousands of times.
class Pool {
public:
    ~Pool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        threads_.clear();  // joins
    }

    void Run(int count, int workers, const std::function<void(int, int)>& task) {
        std::lock_guard one(runMutex_);  // one run at a time
        while (static_cast<int>(threads_.size()) < workers - 1) {
            const int id = static_cast<int>(threads_.size()) + 1;
            threads_.emplace_back([this, id] { Loop(id); });
        }
        {
            std::lock_guard lock(mutex_);
            task_ = &task;
            count_ = count;
            workers_ = workers;
            active_ = workers - 1;
            error_ = nullptr;
            next_.store(0, std::memory_order_relaxed);
            ++generation_;
        }
        wake_.notify_all();
        Work(0, task);
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [this] { return active_ == 0; });
        task_ = nullptr;
        if (error_) std::rethrow_exception(error_);
    }

private:
    void Loop(int id) {
        std::uint64_t seen = 0;
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) return;
            seen = generation_;
            if (id >= workers_) continue;  // not needed for this run
            const std::function<void(int, int)>* task = task_;
            lock.unlock();
            Work(id, *task);
            lock.lock();
            if (--active_ == 0) finished_.notify_all();
        }
    }

    void Work(int id, const std::function<void(int, int)>& task) {
        InTask = true;
        for (;;) {
            const int t = next_.fetch_add(1, std::memory_order_relaxed);
            if (t >= count_) break;
            try {
                task(id, t);
            } catch (...) {
                std::lock_guard lock(mutex_);
                if (!error_) error_ = std::current_exception();
            }
        }
        InTask = false;
    }

public:
    static thread_local bool InTask;

private:
    std::mutex runMutex_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::vector<std::jthread> threads_;
    const std::function<void(int, int)>* task_ = nullptr;
    int count_ = 0;  // written before the generation changes, read by the run's workers
    int workers_ = 0;
    int active_ = 0;
    std::atomic<int> next_{0};
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
    std::exception_ptr error_;
};

thread_local bool Pool::InTask = false;

Pool& ThePool() {
    static Pool pool;
    return pool;
}

}  // namespace

int UsableProcessorCount() {
    // The set of processors this thread may run on (taskset, cgroups' cpusets), which the
    // machine's processor count ignores. The set is read at every call: it may change while the
    // program runs. A machine with more processors than one set holds needs a larger set.
    for (int size = CPU_SETSIZE; size <= (1 << 20); size *= 2) {
        cpu_set_t* set = CPU_ALLOC(size);
        if (!set) break;
        const std::size_t bytes = CPU_ALLOC_SIZE(size);
        CPU_ZERO_S(bytes, set);
        const int got = ::sched_getaffinity(0, bytes, set);
        const int count = got == 0 ? CPU_COUNT_S(bytes, set) : 0;
        CPU_FREE(set);
        if (got == 0) return std::max(1, count);
        if (errno != EINVAL) break;
    }
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

int RunWorkerCount() {
    if (RunThreadCount > 0) return RunThreadCount;
    return UsableProcessorCount();
}

void ForEachTask(int count, const std::function<void(int worker, int task)>& task) {
    if (count <= 0) return;
    const int workers = std::min(RunWorkerCount(), count);
    if (workers <= 1 || Pool::InTask) {
        for (int t = 0; t < count; ++t) task(0, t);
        return;
    }
    ThePool().Run(count, workers, task);
}

}  // namespace halvorine
