// The effect catalogue shipped in data/: every leaf of the tree has an entry, the entries are the numbers
// 1..127 each once, and each group's numbers lie in the drawing family its leaves describe.

#include "data/effect_tree.h"
#include "effects/catalogue.h"
#include "effects/effect_table.h"
#include "platform/ini_file.h"

#include "../lib/test_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace {

using vorlin::data::effectLeaves;
using vorlin::data::effectTree;
using vorlin::effects::Family;

std::string dataDir() {
    const char* dir = std::getenv("VORLIN_DATA_DIR");
    return dir ? dir : "";
}

std::string cataloguePath() {
    return dataDir() + "/VorlinSaver.001";
}

TEST(EffectTree, GroupsMatchTheEngineCatalogue) {
    const auto tree = effectTree();
    ASSERT_EQ(tree.size(), vorlin::effects::kEffectGroups.size());
    for (std::size_t g = 0; g < tree.size(); ++g) {
        EXPECT_EQ(tree[g].caption, vorlin::effects::kEffectGroups[g].caption);
        EXPECT_EQ(static_cast<int>(tree[g].leaves.size()), vorlin::effects::kEffectGroups[g].leafCount)
            << tree[g].caption;
    }
    EXPECT_EQ(effectLeaves().size(), 127u);
    // Within a group a caption names one leaf only.
    for (const auto& group : tree) {
        std::set<std::string_view> seen(group.leaves.begin(), group.leaves.end());
        EXPECT_EQ(seen.size(), group.leaves.size()) << group.caption;
    }
}

TEST(EffectCatalogue, EveryLeafHasItsOwnNumberFrom1To127) {
    ASSERT_TRUE(std::filesystem::is_regular_file(cataloguePath())) << cataloguePath();
    const std::vector<int> numbers = vorlin::data::readEffectNumbers(cataloguePath());
    ASSERT_EQ(numbers.size(), 127u);

    // Each leaf has an entry of its own (a missing one would read as the default 59 unnoticed).
    const vorlin::platform::IniFile file(cataloguePath());
    std::map<int, std::string> owner;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const auto& leaf = effectLeaves()[i];
        const std::string name = std::string(leaf.group) + "/" + std::string(leaf.caption);
        EXPECT_TRUE(file.keyExists(std::string(leaf.group), std::string(leaf.caption))) << name;
        EXPECT_GE(numbers[i], 1) << name;
        EXPECT_LE(numbers[i], 127) << name;
        const auto [it, fresh] = owner.emplace(numbers[i], name);
        EXPECT_TRUE(fresh) << name << " repeats " << numbers[i] << " of " << it->second;
    }
    EXPECT_EQ(owner.size(), 127u);
}

TEST(EffectCatalogue, EachGroupDrawsWithTheFamilyItsCaptionsDescribe) {
    const std::map<std::string_view, std::set<Family>> families = {
        {"Arc Wiping", {Family::Arc}},
        {"Regular Wiping", {Family::Rectangle}},
        {"Cross Wiping", {Family::Triangle}},
        {"Slide Wiping", {Family::Rectangle}},
        {"Random Wave", {Family::Wave}},
        {"Box Line", {Family::Line}},
        {"Splash Show", {Family::Rotation}},
        {"Swarm Show", {Family::Swarm}},
        {"Blind Show", {Family::Line}},
        {"Expand Show", {Family::Rectangle}},
        {"Corner Slide", {Family::Rectangle}},
        {"Miscellaneous", {Family::Triangle, Family::CrossFade, Family::RandomBlock}},
    };
    const std::vector<int> numbers = vorlin::data::readEffectNumbers(cataloguePath());
    std::map<std::string_view, std::set<Family>> seen;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const auto& leaf = effectLeaves()[i];
        const Family f = vorlin::effects::effectRow(numbers[i]).family();
        EXPECT_TRUE(families.at(leaf.group).count(f))
            << leaf.group << "/" << leaf.caption << " = " << numbers[i] << " draws as "
            << vorlin::effects::familyName(f);
        seen[leaf.group].insert(f);
    }
    // The three miscellaneous leaves are the triangle grid, the cross-fade and the random blocks.
    EXPECT_EQ(seen["Miscellaneous"].size(), 3u);
    // Cross Wiping holds the seven wipe triangles, not the grid (117), which Miscellaneous needs.
    for (std::size_t i = 0; i < numbers.size(); ++i)
        if (effectLeaves()[i].group == "Cross Wiping") {
            EXPECT_LE(numbers[i], 116) << effectLeaves()[i].caption;
        }
}

TEST(EffectCatalogue, MissingFileOrEntryGives59) {
    const vorlin::testing::TempDir tmp;
    const auto dir = tmp.path();
    const std::string partial = (dir / "partial.001").string();
    {
        std::ofstream out(partial);
        out << "[arc wiping]\nleft=80\nRight=abc\n";
    }
    const auto numbers = vorlin::data::readEffectNumbers(partial);
    EXPECT_EQ(numbers[0], 80); // section and key names ignore letter case
    EXPECT_EQ(numbers[1], 59); // not a number
    EXPECT_EQ(numbers[2], 59); // no entry
    for (int n : vorlin::data::readEffectNumbers((dir / "absent.001").string())) EXPECT_EQ(n, 59);
}

} // namespace
