// The builder's plain parts: the thumbnail workers and the folder counter handing their results back
// through the call queue.

#include "../lib/test_files.h"
#include "builder/folder_counter.h"
#include "builder/thumbnail_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <thread>

using namespace vorlin;

TEST(ThumbnailPool, DecodesOnWorkersAndHandsResultsToTheOwner) {
    auto queue = std::make_shared<platform::CallQueue>();
    std::map<std::uint64_t, gfx::Bitmap> results;
    const auto owner = std::this_thread::get_id();
    bool onOwner = true;
    {
        builder::ThumbnailPool pool(
            queue,
            [&](std::uint64_t id, gfx::Bitmap bmp) {
                onOwner = onOwner && std::this_thread::get_id() == owner;
                results[id] = std::move(bmp);
            },
            2);
        const std::string dir = std::string(VORLIN_TEST_DATA_DIR) + "/pictures/";
        for (std::uint64_t id = 1; id <= 20; ++id)
            pool.add(id, id % 5 == 0 ? dir + "no-such-file.bmp" : dir + "bmp_24bit.bmp", 21, 16,
                     gfx::Color{255, 0, 0});
        queue->waitServing([&] { return results.size() == 20; }, std::chrono::milliseconds(10));
        EXPECT_EQ(pool.pending(), 0u);
    }
    EXPECT_TRUE(onOwner);
    ASSERT_EQ(results.size(), 20u);
    for (const auto& [id, bmp] : results) {
        if (id % 5 == 0) {
            EXPECT_TRUE(bmp.isEmpty()) << id;
        } else {
            EXPECT_FALSE(bmp.isEmpty());
            EXPECT_LE(bmp.width(), 21);
            EXPECT_LE(bmp.height(), 16);
        }
    }
}

// One worker with jobs 1 to 50 queued on it; the ids in the order their results reach the owner.
struct FiftyQueued {
    FiftyQueued() {
        for (std::uint64_t id = 1; id <= 50; ++id) pool.add(id, jpeg, 21, 16, gfx::Color{});
    }
    std::shared_ptr<platform::CallQueue> queue = std::make_shared<platform::CallQueue>();
    std::vector<std::uint64_t> arrived;
    builder::ThumbnailPool pool{queue, [this](std::uint64_t id, gfx::Bitmap) { arrived.push_back(id); }, 1};
    const std::string jpeg = std::string(VORLIN_TEST_DATA_DIR) + "/pictures/jpeg_orient1.jpg";
};

// The thumbnail a person looks at goes ahead of a long queue of list thumbnails.
TEST(ThumbnailPool, AJobQueuedFirstOvertakesTheQueue) {
    FiftyQueued jobs;
    jobs.pool.add(99, jobs.jpeg, 21, 16, gfx::Color{}, builder::ThumbnailPool::Place::First);
    jobs.queue->waitServing([&] { return jobs.arrived.size() == 51; }, std::chrono::milliseconds(10));
    const auto at = std::find(jobs.arrived.begin(), jobs.arrived.end(), 99u) - jobs.arrived.begin();
    EXPECT_LT(at, 50) << "the first-placed job came last";
    EXPECT_EQ(jobs.arrived.back(), 50u);
}

TEST(ThumbnailPool, CancelledJobsNeverReport) {
    auto queue = std::make_shared<platform::CallQueue>();
    int reports = 0;
    {
        builder::ThumbnailPool pool(
            queue, [&](std::uint64_t, gfx::Bitmap) { ++reports; }, 1);
        const std::string file = std::string(VORLIN_TEST_DATA_DIR) + "/pictures/bmp_24bit.bmp";
        for (std::uint64_t id = 1; id <= 500; ++id) pool.add(id, file, 21, 16, gfx::Color{});
        pool.cancelAll();
        queue->waitServing([&] { return pool.pending() == 0; }, std::chrono::milliseconds(5));
    }
    queue->serve();
    // Only jobs that had started before the queue was emptied report.
    EXPECT_LT(reports, 500);
}

// The panel's thumbnail of a picture no longer selected is dropped from the queue.
TEST(ThumbnailPool, OneCancelledJobNeverReports) {
    FiftyQueued jobs;
    EXPECT_TRUE(jobs.pool.cancel(50));
    EXPECT_FALSE(jobs.pool.cancel(50));
    jobs.queue->waitServing([&] { return jobs.arrived.size() >= 49 && jobs.pool.pending() == 0; },
                            std::chrono::milliseconds(10));
    jobs.queue->serve();
    EXPECT_EQ(jobs.arrived.size(), 49u);
    EXPECT_EQ(std::count(jobs.arrived.begin(), jobs.arrived.end(), 50u), 0);
}

// Counts arrive on the owner's thread, in the order asked, as a show would list each folder; a counter
// destroyed with jobs queued ends at once (it joins its worker without running them).
TEST(FolderCounter, CountsOnItsWorkerAndHandsCountsToTheOwner) {
    const vorlin::testing::TempDir dir;
    std::filesystem::create_directories(dir / "p/sub");
    for (const char* f : {"p/a.jpg", "p/b.png", "p/c.txt", "p/sub/d.gif"})
        vorlin::testing::writeFile(dir / f, "x");
    auto queue = std::make_shared<platform::CallQueue>();
    std::vector<std::pair<std::uint64_t, std::size_t>> counts;
    const auto owner = std::this_thread::get_id();
    bool onOwner = true;
    {
        builder::FolderCounter counter(queue, [&](std::uint64_t id, builder::FolderCount c) {
            onOwner = onOwner && std::this_thread::get_id() == owner;
            counts.emplace_back(id, c.pictures);
        });
        counter.add(1, {dir / "p", false});
        counter.add(2, {dir / "p", true});
        counter.add(3, {dir / "missing", true});
        queue->waitServing([&] { return counts.size() == 3; }, std::chrono::milliseconds(10));
        EXPECT_EQ(counter.pending(), 0u);
        for (std::uint64_t id = 10; id < 200; ++id) counter.add(id, {dir / "p", true});
    }
    queue->serve();
    EXPECT_TRUE(onOwner);
    ASSERT_GE(counts.size(), 3u);
    EXPECT_EQ(std::vector(counts.begin(), counts.begin() + 3),
              (std::vector<std::pair<std::uint64_t, std::size_t>>{{1, 2}, {2, 3}, {3, 0}}));
}
