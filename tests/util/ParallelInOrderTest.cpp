#include "util/ParallelInOrder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace {

// Records what a run did, checking on the way that every commit finds its item and all before it
// done, that commits come in order and never overlap.
struct Recorder {
    explicit Recorder(std::size_t count) : done(count) {}
    std::vector<std::atomic<int>> done;
    std::vector<std::size_t> committed;
    std::atomic<int> committing{0};
    std::atomic<bool> faults{false};

    void work(std::size_t i) { done[i].fetch_add(1); }
    void commit(std::size_t i) {
        if (committing.fetch_add(1) != 0) faults = true;
        for (std::size_t j = 0; j <= i; ++j)
            if (done[j].load() != 1) faults = true;
        committed.push_back(i);
        committing.fetch_sub(1);
    }
};

TEST(ParallelInOrder, EveryItemOnceAndCommitsInOrder) {
    for (const std::size_t count : {std::size_t(0), std::size_t(1), std::size_t(2), std::size_t(97)})
        for (const std::uint32_t threads : {1u, 2u, 5u, 200u}) {
            SCOPED_TRACE(testing::Message() << count << " items on " << threads << " threads");
            Recorder r(count);
            runParallelInOrder(
                count, threads, [&](std::size_t i) { r.work(i); }, [&](std::size_t i) { r.commit(i); });
            EXPECT_FALSE(r.faults);
            ASSERT_EQ(r.committed.size(), count);
            for (std::size_t i = 0; i < count; ++i) {
                EXPECT_EQ(r.committed[i], i);
                EXPECT_EQ(r.done[i].load(), 1);
            }
        }
}

// Waits until `flag` is set by another thread; false after five seconds, so a run that does not
// overlap the way it should fails instead of hanging.
bool awaitFlag(std::mutex& lock, std::condition_variable& wake, bool& flag) {
    std::unique_lock<std::mutex> hold(lock);
    return wake.wait_for(hold, std::chrono::seconds(5), [&] { return flag; });
}

TEST(ParallelInOrder, ItemsRunAtOnceAndACommitDoesNotWaitForLaterItems) {
    std::mutex lock;
    std::condition_variable wake;
    bool secondStarted = false, firstCommitted = false;
    bool overlapped = false, committedEarly = false;
    runParallelInOrder(
        3, 2,
        [&](std::size_t i) {
            if (i == 1) {
                {
                    std::lock_guard<std::mutex> hold(lock);
                    secondStarted = true;
                }
                wake.notify_all();
                // Item 0's commit comes while this item still runs.
                committedEarly = awaitFlag(lock, wake, firstCommitted);
            } else if (i == 0) {
                overlapped = awaitFlag(lock, wake, secondStarted);
            }
        },
        [&](std::size_t i) {
            if (i != 0) return;
            {
                std::lock_guard<std::mutex> hold(lock);
                firstCommitted = true;
            }
            wake.notify_all();
        });
    EXPECT_TRUE(overlapped);
    EXPECT_TRUE(committedEarly);
}

TEST(ParallelInOrder, ASlowFirstItemHoldsBackOnlyTheCommits) {
    // Item 0 finishes last; nothing is committed before it, then everything in order.
    std::atomic<std::size_t> finished{0};
    std::vector<std::size_t> order;
    std::vector<std::size_t> finishedBefore;
    runParallelInOrder(
        6, 3,
        [&](std::size_t i) {
            if (i == 0)
                while (finished.load() < 5) std::this_thread::yield();
            finished.fetch_add(1);
        },
        [&](std::size_t i) {
            order.push_back(i);
            finishedBefore.push_back(finished.load());
        });
    EXPECT_EQ(order, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(finishedBefore.front(), 6u);
}

TEST(ParallelInOrder, TheMachineHasAtLeastOneProcessor) { EXPECT_GE(platform::processorCount(), 1u); }

}  // namespace
