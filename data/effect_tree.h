#pragma once
// The builder's effect tree as plain data: 12 groups and their 127 leaves with their captions, in tree
// order, and the reading of the effect catalogue "VorlinSaver.001" that gives each leaf its effect number
// (section = group caption, key = leaf caption, 59 when missing). No Qt: the builder, the tools and the
// tests share it.

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vorlin::data {

// The number a leaf gets when the catalogue or its entry is missing.
inline constexpr int kMissingEffectNumber = 59;
inline constexpr int kEffectLeafCount = 127;
inline constexpr std::string_view kCatalogueFileName = "VorlinSaver.001";

struct EffectGroupNode {
    std::string_view caption;
    std::span<const std::string_view> leaves;
};

// A leaf, identified by its group's caption and its own (captions repeat across groups).
struct EffectLeaf {
    std::string_view group;
    std::string_view caption;
    int groupIndex; // 0..11
    int leafIndex;  // within the group
};

// The 12 groups in tree order.
std::span<const EffectGroupNode> effectTree();

// The 127 leaves in tree order (group by group).
const std::vector<EffectLeaf>& effectLeaves();

// The effect number of every leaf, in the order of effectLeaves(), read from the catalogue file at
// `path`. A missing file or entry, or a value that is not a whole number, gives kMissingEffectNumber.
std::vector<int> readEffectNumbers(const std::string& path);

} // namespace vorlin::data
