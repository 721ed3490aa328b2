#include "util/ParallelInOrder.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

void runParallelInOrder(std::size_t count, std::uint32_t threads, const std::function<void(std::size_t)>& work,
                        const std::function<void(std::size_t)>& commit) {
    std::atomic<std::size_t> nextItem{0};
    std::mutex lock;                     // guards the three below
    std::vector<bool> done(count, false);
    std::size_t nextCommit = 0;
    bool committing = false;             // one thread drains the finished items at a time

    const auto run = [&] {
        for (;;) {
            const std::size_t i = nextItem.fetch_add(1);
            if (i >= count) return;
            work(i);
            std::unique_lock<std::mutex> hold(lock);
            done[i] = true;
            // Whoever is draining sees this item when its turn comes; this thread goes back to work.
            if (committing) continue;
            committing = true;
            while (nextCommit < count && done[nextCommit]) {
                const std::size_t k = nextCommit++;
                hold.unlock();
                commit(k);
                hold.lock();
            }
            committing = false;
        }
    };

    const std::size_t helpers = threads > 1 && count > 1 ? (threads < count ? threads : count) - 1 : 0;
    std::vector<std::thread> pool;
    pool.reserve(helpers);
    for (std::size_t t = 0; t < helpers; ++t) {
        // Without another thread the items still all run, on fewer.
        try {
            pool.emplace_back(run);
        } catch (...) {
            break;
        }
    }
    run();
    for (std::thread& t : pool) t.join();
}
