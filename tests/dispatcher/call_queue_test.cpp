// The Qt-free call queue: calls run on the owning thread, in order, with exceptions carried back, and
// a closed queue releases every waiting worker. Runs under ThreadSanitizer in CI: the plain (non-atomic)
// counters below are touched only by calls the owner runs, so any call run on a worker is a reported race.
#include "platform/dispatcher/call_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using vorlin::platform::CallQueue;
using vorlin::platform::CallQueueClosed;

namespace {

// Starts n workers running body(i) and serves them until all have ended.
template <class Body> void runWorkers(CallQueue& queue, int n, Body body) {
    std::atomic<int> running{n};
    std::vector<std::thread> threads;
    for (int i = 0; i < n; ++i) {
        threads.emplace_back([&, i] {
            body(i);
            running.fetch_sub(1);
            queue.wake();
        });
    }
    queue.waitServing([&] { return running.load() == 0; });
    for (auto& t : threads) t.join();
}

} // namespace

TEST(CallQueue, ManyWorkersRunSyncWhileTheOwnerWaitsServing) {
    CallQueue queue;
    const auto owner = std::this_thread::get_id();
    long counter = 0;
    int offThread = 0;
    constexpr int kWorkers = 8, kCalls = 300;
    runWorkers(queue, kWorkers, [&](int) {
        for (int k = 0; k < kCalls; ++k) {
            long before = -1;
            queue.runSync([&] {
                if (std::this_thread::get_id() != owner) ++offThread;
                before = counter++;
            });
            // runSync returned only after the call ran: its result is visible here.
            EXPECT_GE(before, 0);
        }
    });
    EXPECT_EQ(counter, long(kWorkers) * kCalls);
    EXPECT_EQ(offThread, 0);
    EXPECT_EQ(queue.pending(), 0u);
}

TEST(CallQueue, PostsFromSeveralThreadsAllRunInEachThreadsOrder) {
    CallQueue queue;
    constexpr int kThreads = 4, kPosts = 500;
    std::vector<std::vector<int>> seen(kThreads);
    runWorkers(queue, kThreads, [&](int t) {
        for (int k = 0; k < kPosts; ++k) queue.post([&seen, t, k] { seen[t].push_back(k); });
    });
    queue.serve(); // posts handed over just before the last worker ended
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(seen[t].size(), std::size_t(kPosts)) << "thread " << t;
        for (int k = 0; k < kPosts; ++k) ASSERT_EQ(seen[t][k], k) << "thread " << t;
    }
}

TEST(CallQueue, PostsAndSyncCallsOfOneWorkerKeepTheirOrder) {
    CallQueue queue;
    std::string trace;
    runWorkers(queue, 1, [&](int) {
        queue.post([&] { trace += 'a'; });
        queue.post([&] { trace += 'b'; });
        queue.runSync([&] { trace += 'c'; });
        queue.post([&] { trace += 'd'; });
        queue.runSync([&] { trace += 'e'; });
    });
    queue.serve();
    EXPECT_EQ(trace, "abcde");
}

TEST(CallQueue, ExceptionsGoBackToRunSyncAndAreDroppedForPost) {
    CallQueue queue;
    std::string caught;
    bool afterThrowingPost = false;
    runWorkers(queue, 1, [&](int) {
        queue.post([] { throw std::runtime_error("dropped"); });
        queue.post([&] { afterThrowingPost = true; });
        try {
            queue.runSync([] { throw std::invalid_argument("bad frame"); });
        } catch (const std::invalid_argument& e) {
            caught = e.what();
        }
    });
    EXPECT_EQ(caught, "bad frame");
    EXPECT_TRUE(afterThrowingPost);
}

TEST(CallQueue, RunSyncOnTheOwnerRunsInPlace) {
    CallQueue queue;
    int n = 0;
    queue.runSync([&] { ++n; });
    EXPECT_EQ(n, 1);
    EXPECT_THROW(queue.runSync([] { throw std::logic_error("x"); }), std::logic_error);
}

TEST(CallQueue, ServeRunsOnlyWhatWasPendingWhenItStarted) {
    CallQueue queue;
    int runs = 0;
    std::function<void()> again = [&] {
        ++runs;
        queue.post(again); // re-posts itself: one serve must not loop for ever
    };
    queue.post(again);
    EXPECT_EQ(queue.serve(), 1);
    EXPECT_EQ(queue.serve(), 1);
    EXPECT_EQ(runs, 2);
    queue.close(); // drops the last re-post
}

TEST(CallQueue, ClosingReleasesBlockedWorkersAndRefusesLaterCalls) {
    auto queue = std::make_unique<CallQueue>();
    constexpr int kWorkers = 4;
    std::atomic<int> released{0}, ranOnClosed{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kWorkers; ++i) {
        threads.emplace_back([&] {
            try {
                queue->runSync([&] { ranOnClosed.fetch_add(1); });
            } catch (const CallQueueClosed&) {
                released.fetch_add(1);
            }
        });
    }
    // Every worker is blocked inside runSync once all its calls are queued; nothing serves them.
    while (queue->pending() < kWorkers) std::this_thread::yield();
    queue->close();
    for (auto& t : threads) t.join();
    EXPECT_EQ(released.load(), kWorkers);
    EXPECT_EQ(ranOnClosed.load(), 0);

    std::thread late([&] {
        EXPECT_THROW(queue->runSync([] {}), CallQueueClosed);
        EXPECT_FALSE(queue->post([] {}));
    });
    late.join();
    EXPECT_EQ(queue->serve(), 0);
}

TEST(CallQueue, WaitServingReturnsWhenAWorkerChangesThePredicateAndWakes) {
    CallQueue queue;
    std::atomic<bool> flag{false};
    std::thread t([&] {
        flag.store(true);
        queue.wake();
    });
    // A long poll interval: only the wake-up (or the flag already set) can end the wait in time.
    queue.waitServing([&] { return flag.load(); }, std::chrono::milliseconds(60000));
    t.join();
    EXPECT_TRUE(flag.load());
}
