// A stand-in for the program's main-thread queue: any thread posts, the test thread runs what was
// posted while it waits.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

class MainQueue {
public:
    void post(std::function<void()> fn) {
        {
            std::lock_guard lock(m_);
            q_.push_back(std::move(fn));
        }
        cv_.notify_all();
    }
    // Runs posted functions until `done()` holds or `seconds` pass; returns done().
    template <class Pred> bool runUntil(Pred done, double seconds) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            std::function<void()> fn;
            {
                std::unique_lock lock(m_);
                if (!cv_.wait_until(lock, until, [&] { return !q_.empty(); })) return done();
                fn = std::move(q_.front());
                q_.pop_front();
            }
            fn();
        }
        return true;
    }
    // Runs whatever arrives during `seconds`.
    void runFor(double seconds) {
        runUntil([] { return false; }, seconds);
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> q_;
};
