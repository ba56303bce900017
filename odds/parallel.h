#pragma once

#include <system_error>
#include <thread>
#include <vector>

namespace odds {

// One worker per core, or one where the system does not say.
inline int DefaultThreadCount()
{
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int>(n);
}

// Runs work(0) .. work(threads - 1) at once, work(0) on the calling thread.
// Work is expected to share its items through a counter, so if the system
// refuses a thread the ones already running finish the job. Returns the
// number of workers that ran.
template <typename Work> int RunWorkers(int threads, Work&& work)
{
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) {
        try {
            pool.emplace_back(work, t);
        } catch (const std::system_error&) {
            break;
        }
    }
    work(0);
    for (std::thread& thread : pool)
        thread.join();
    return static_cast<int>(pool.size()) + 1;
}

} // namespace odds
