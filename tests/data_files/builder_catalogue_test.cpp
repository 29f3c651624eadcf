// The builder's effect tree against the shipped catalogue: the same groups and captions in the same order,
// and the builder's own lookup gives every leaf its own number.

#include "builder/effect_tree_layout.h"
#include "data/effect_tree.h"
#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace {

TEST(BuilderCatalogue, TheBuilderTreeIsTheCatalogueTree) {
    const auto& builderTree = vorlin::builder::effectTreeLayout();
    const auto dataTree = vorlin::data::effectTree();
    ASSERT_EQ(builderTree.size(), dataTree.size());
    for (std::size_t g = 0; g < dataTree.size(); ++g) {
        EXPECT_EQ(builderTree[g].caption, dataTree[g].caption);
        ASSERT_EQ(builderTree[g].leaves.size(), dataTree[g].leaves.size()) << dataTree[g].caption;
        for (std::size_t l = 0; l < dataTree[g].leaves.size(); ++l)
            EXPECT_EQ(builderTree[g].leaves[l], dataTree[g].leaves[l]) << dataTree[g].caption;
    }
}

TEST(BuilderCatalogue, TheBuilderLookupNumbersEveryLeafOnce) {
    const vorlin::platform::IniFile catalogue(std::string(std::getenv("VORLIN_DATA_DIR")) +
                                              "/VorlinSaver.001");
    std::set<int> numbers;
    int leaves = 0;
    for (const auto& group : vorlin::builder::effectTreeLayout())
        for (const auto leaf : group.leaves) {
            ++leaves;
            numbers.insert(vorlin::builder::catalogueNumber(&catalogue, group.caption, leaf));
        }
    EXPECT_EQ(leaves, 127);
    EXPECT_EQ(numbers.size(), 127u);
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), 127);
}

} // namespace
