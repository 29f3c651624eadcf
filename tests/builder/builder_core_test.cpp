// The builder's plain parts: the effect tree's layout against the engine's groups and the shipped
// catalogue, and the thumbnail workers handing decoded pictures back through the call queue.

#include "builder/effect_tree_layout.h"
#include "builder/thumbnail_pool.h"
#include "effects/catalogue.h"
#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <set>

using namespace vorlin;
namespace fs = std::filesystem;

TEST(EffectTreeLayout, GroupsMatchTheEngineAndLeavesAreUniqueWithinAGroup) {
    const auto& tree = builder::effectTreeLayout();
    ASSERT_EQ(tree.size(), effects::kEffectGroups.size());
    std::size_t leaves = 0;
    for (std::size_t g = 0; g < tree.size(); ++g) {
        EXPECT_EQ(tree[g].caption, effects::kEffectGroups[g].caption);
        EXPECT_EQ(static_cast<int>(tree[g].leaves.size()), effects::kEffectGroups[g].leafCount);
        const std::set<std::string_view> unique(tree[g].leaves.begin(), tree[g].leaves.end());
        EXPECT_EQ(unique.size(), tree[g].leaves.size()) << tree[g].caption;
        leaves += tree[g].leaves.size();
    }
    EXPECT_EQ(leaves, 127u);
}

// The catalogue the program ships must give every leaf its own number 1..127.
TEST(EffectTreeLayout, ShippedCatalogueNumbersEveryLeafOnce) {
    const fs::path catalogue = fs::path(VORLIN_TEST_DATA_DIR) / "../../data/VorlinSaver.001";
    if (!fs::exists(catalogue)) GTEST_SKIP() << "no catalogue in data/";
    platform::IniFile ini(catalogue.string());
    std::set<int> numbers;
    for (const auto& group : builder::effectTreeLayout())
        for (const auto leaf : group.leaves) {
            const int n = builder::catalogueNumber(&ini, group.caption, leaf);
            EXPECT_TRUE(ini.keyExists(std::string(group.caption), std::string(leaf)))
                << group.caption << "/" << leaf;
            EXPECT_GE(n, 1);
            EXPECT_LE(n, 127);
            numbers.insert(n);
        }
    EXPECT_EQ(numbers.size(), 127u);
    EXPECT_EQ(builder::catalogueNumber(nullptr, "Arc Wiping", "Left"), 59);
    EXPECT_EQ(builder::catalogueNumber(&ini, "Arc Wiping", "No Such Leaf"), 59);
}

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
