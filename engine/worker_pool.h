// The small pool of threads a run spreads its per-item (and per-expert) work over. A task reads
// the shared tables and writes only the records of its own item or expert, and nothing is summed
// across tasks, so the results do not depend on the number of threads.
#pragma once

#include <functional>

namespace halvorine {

// The processors the calling thread may run on (its affinity mask); at least 1.
int UsableProcessorCount();

// The threads a run uses: RunThreadCount, or UsableProcessorCount() when that is 0; at least 1.
int RunWorkerCount();

// Calls task(worker, t) for every t in 0..count-1, spread over up to RunWorkerCount() threads
// (the calling one among them, as worker 0; worker < RunWorkerCount()), and returns when all
// are done. Tasks run in no particular order. The first exception a task throws is thrown here
// once all have ended. Called from within a task, it runs the tasks on that thread.
void ForEachTask(int count, const std::function<void(int worker, int task)>& task);

}  // namespace halvorine
