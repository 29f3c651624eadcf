// The Qt dispatcher: worker calls served by the event loop and by waitServing, and a dispatcher
// destroyed with calls pending. Qt is touched only on the main thread (Debian's Qt is not built for
// ThreadSanitizer; these tests run under it in CI).
#include "platform/dispatcher/dispatcher.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <atomic>
#include <thread>
#include <vector>

using vorlin::platform::CallQueueClosed;
using vorlin::platform::Dispatcher;
using vorlin::platform::WorkerThread;

namespace {

class DispatcherTest : public ::testing::Test {
protected:
    int argc = 1;
    char name[16] = "dispatcher_test";
    char* argv[2] = {name, nullptr};
    QCoreApplication app{argc, argv};
};

} // namespace

TEST_F(DispatcherTest, EventLoopServesWorkerCalls) {
    Dispatcher dispatcher;
    auto queue = dispatcher.queue();
    const auto mainId = std::this_thread::get_id();
    int calls = 0;
    bool allOnMain = true;
    WorkerThread worker;
    worker.start(queue, [&] {
        for (int i = 0; i < 50; ++i) {
            queue->runSync([&] {
                allOnMain = allOnMain && std::this_thread::get_id() == mainId;
                ++calls;
            });
        }
        queue->post([] { QCoreApplication::exit(0); });
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(20000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
    worker.join();
    EXPECT_EQ(calls, 50);
    EXPECT_TRUE(allOnMain);
}

TEST_F(DispatcherTest, WaitServingAWorkerDoesNotDeadlock) {
    Dispatcher dispatcher;
    auto queue = dispatcher.queue();
    constexpr int kWorkers = 6, kCalls = 200;
    std::vector<WorkerThread> workers(kWorkers);
    long total = 0;
    for (auto& w : workers) {
        w.start(queue, [&] {
            for (int i = 0; i < kCalls; ++i) queue->runSync([&] { ++total; });
        });
    }
    for (auto& w : workers) {
        dispatcher.waitServing(w);
        EXPECT_TRUE(w.finished());
        EXPECT_FALSE(w.started()); // joined
    }
    EXPECT_EQ(total, long(kWorkers) * kCalls);
}

TEST_F(DispatcherTest, DestroyingTheDispatcherReleasesAPendingRunSync) {
    auto dispatcher = std::make_unique<Dispatcher>();
    auto queue = dispatcher->queue();
    std::atomic<bool> released{false};
    bool ran = false;
    std::thread worker([&] {
        try {
            queue->runSync([&] { ran = true; });
        } catch (const CallQueueClosed&) {
            released = true;
        }
    });
    while (queue->pending() == 0) std::this_thread::yield();
    dispatcher.reset(); // no event loop ran: the call is still pending
    worker.join();
    EXPECT_TRUE(released.load());
    EXPECT_FALSE(ran);
    EXPECT_TRUE(queue->closed());
}

TEST_F(DispatcherTest, ApplicationDispatcherIsOnePerApplication) {
    Dispatcher& a = Dispatcher::forApplication();
    Dispatcher& b = Dispatcher::forApplication();
    EXPECT_EQ(&a, &b);
    EXPECT_EQ(a.parent(), QCoreApplication::instance());
    int ran = 0;
    std::thread t([&] { a.post([&] { ++ran; }); });
    t.join();
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 1);
}
