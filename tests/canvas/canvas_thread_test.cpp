// The canvas with its pacing worker under churn: transitions started and stopped a thousand times,
// Manual switched mid-run, canvases destroyed while their worker is running or blocked in its call to
// the main thread, and several canvases sharing the dispatcher. Runs under ThreadSanitizer in CI: any
// race, deadlock (test timeout) or late call into a dead canvas fails it.
#include "show/canvas/vorlinscreen.h"

#include "canvas_test_util.h"
#include "show/canvas/animate_thread.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace canvas_test;
using namespace vorlin::canvas;

namespace {

struct Counters {
    int frames = 0;
    int completions = 0;
    bool stopped = false; // set between a StopTransition and the next start
    int completionsAfterStop = 0;
};

TVorlinscreen* makeCanvas(QWidget& host, Counters& counters) {
    auto* canvas = new TVorlinscreen(&host);
    canvas->SetStyle(1);
    canvas->SetAutoSize(false);
    canvas->resize(120, 90);
    canvas->SetCenter(true);
    canvas->show();
    canvas->OnProgress = [&counters](TCustomVorlinscreen&) { ++counters.frames; };
    canvas->OnComplete = [&counters](TCustomVorlinscreen&) {
        ++counters.completions;
        if (counters.stopped) ++counters.completionsAfterStop;
    };
    return canvas;
}

TEST(CanvasThreads, StartStopAThousandTimes) {
    QWidget host;
    host.resize(200, 150);
    host.show();
    Counters counters;
    const Bitmap pictures[] = {pattern(64, 48, 1), pattern(80, 40, 2)};
    auto* canvas = makeCanvas(host, counters);
    std::uint32_t seed = 12345;
    auto next = [&seed](int n) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(n));
    };
    int destroyed = 0;
    for (int i = 0; i < 1000; ++i) {
        canvas->SetDelay(next(3));
        canvas->SetStep(1 + next(10));
        canvas->SetReverse(next(4) == 0);
        canvas->SetStyle(next(3) == 0 ? next(128) : 1 + next(57)); // mostly wipes, some cuts
        canvas->SetPicture(pictures[i % 2]);
        counters.stopped = false;
        canvas->StartTransition();
        ASSERT_TRUE(canvas->Animating());
        if (next(2)) serveFor(next(4));
        if (i % 50 == 7) {
            canvas->SetManual(true);
            serveFor(2);
            canvas->SetProgress(60);
            canvas->SetManual(false);
        }
        if (i % 10 == 9) {
            // Mid-run (or just after its end): the worker is terminated, served and joined.
            counters.stopped = true;
            delete canvas;
            ++destroyed;
            canvas = makeCanvas(host, counters);
            continue;
        }
        canvas->StopTransition();
        counters.stopped = true;
        ASSERT_FALSE(canvas->Animating()) << i;
        ASSERT_FALSE(canvas->Thread()) << i;
        ASSERT_FALSE(canvas->OldFrame()) << i;
    }
    // Ends still queued for dead canvases (or stopped runs) find nothing to do.
    serveFor(50);
    EXPECT_EQ(counters.completionsAfterStop, 0);
    EXPECT_EQ(destroyed, 100);
    // At least the runs that were not stopped at once drew frames (how many depends on the machine's load).
    EXPECT_GT(counters.frames, 100);

    // The canvas left over still runs a transition to its end.
    counters.stopped = false;
    const int before = counters.completions;
    canvas->SetDelay(1);
    canvas->SetPicture(pictures[0]);
    canvas->StartTransition();
    ASSERT_TRUE(waitUntil([&] { return !canvas->Animating(); }));
    EXPECT_EQ(counters.completions, before + 1);
    delete canvas;
}

// A canvas destroyed at once after its start: the worker is usually blocked in its first call to the
// main thread, which nobody has served yet.
TEST(CanvasThreads, DestroyedWithItsFirstFrameStillQueued) {
    QWidget host;
    host.resize(200, 150);
    host.show();
    Counters counters;
    for (int i = 0; i < 300; ++i) {
        auto* canvas = makeCanvas(host, counters);
        canvas->SetDelay(0);
        canvas->SetPicture(pattern(32, 24, i));
        canvas->StartTransition();
        counters.stopped = true;
        delete canvas;
    }
    serveFor(30);
    EXPECT_EQ(counters.completionsAfterStop, 0);
}

// Three canvases at once (the builder's three previews), sharing the main thread's dispatcher.
TEST(CanvasThreads, SeveralCanvasesRunSideBySide) {
    QWidget host;
    host.resize(400, 150);
    host.show();
    Counters counters[3];
    std::vector<TVorlinscreen*> canvases;
    for (int k = 0; k < 3; ++k) {
        canvases.push_back(makeCanvas(host, counters[k]));
        canvases[k]->move(130 * k, 0);
        canvases[k]->SetDelay(1 + k);
        canvases[k]->SetStep(2 + k);
        canvases[k]->SetThreadPriority(k == 0 ? tpIdle : k == 1 ? tpLower : tpNormal);
    }
    for (int round = 0; round < 5; ++round) {
        for (int k = 0; k < 3; ++k) {
            canvases[k]->SetPicture(pattern(60, 40, round * 3 + k));
            canvases[k]->StartTransition();
        }
        ASSERT_TRUE(waitUntil([&] {
            for (auto* c : canvases)
                if (c->Animating()) return false;
            return true;
        }));
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(counters[k].completions, round + 1);
            EXPECT_TRUE(canvases[k]->FScreen.samePixels(canvases[k]->Picture()));
        }
    }
    for (auto* c : canvases) delete c;
}

// The worker's priority: SCHED_IDLE for tpIdle, the nice value moved otherwise (lowering always works).
TEST(CanvasThreads, ThreadPriorityReachesTheThread) {
    struct Row {
        TThreadPriority priority;
        int policy;
        int niceStep;
    } rows[] = {{tpIdle, SCHED_IDLE, 0},
                {tpLowest, SCHED_OTHER, 10},
                {tpLower, SCHED_OTHER, 5},
                {tpNormal, SCHED_OTHER, 0}};
    const int base = getpriority(PRIO_PROCESS, 0);
    for (const Row& row : rows) {
        int policy = -1, nice = -100;
        bool applied = false;
        std::thread t([&] {
            applied = applyThreadPriority(row.priority);
            sched_param param{};
            pthread_getschedparam(pthread_self(), &policy, &param);
            errno = 0;
            nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        });
        t.join();
        EXPECT_TRUE(applied) << row.priority;
        EXPECT_EQ(policy, row.policy) << row.priority;
        if (row.policy == SCHED_OTHER) {
            EXPECT_EQ(nice, std::min(base + row.niceStep, 19)) << row.priority;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
