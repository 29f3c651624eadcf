#include "data/effect_tree.h"

#include "platform/ini_file.h"

namespace vorlin::data {
namespace {

using namespace std::string_view_literals;

constexpr std::array kArcWiping = {"Left"sv,      "Right"sv,    "Up"sv,         "Down"sv,
                                   "TopLeft"sv,   "TopRight"sv, "BottomLeft"sv, "BottomRight"sv,
                                   "Round Out"sv, "Round In"sv};
constexpr std::array kRegularWiping = {"Left"sv,         "Right"sv,         "Up"sv,           "Down"sv,
                                       "Stretch Left"sv, "Stretch Right"sv, "Scroll Right"sv, "Scroll Left"sv,
                                       "Scroll Down"sv,  "Scroll Up"sv};
constexpr std::array kCrossWiping = {"UpLeft"sv,    "UpRight"sv, "DownLeft"sv, "DownRight"sv,
                                     "LeftRight"sv, "UpDown"sv,  "WindMill"sv};
constexpr std::array kSlideWiping = {"Stretch Left"sv, "Stretch Right"sv, "Extend Left"sv, "Extend Right"sv,
                                     "Stretch Up"sv,   "Stretch Down"sv,  "Extend Up"sv,   "Extend Down"sv};
constexpr std::array kRandomWave = {"Left"sv,          "Right"sv,         "Up"sv,         "Down"sv,
                                    "UpLeft"sv,        "UpRight"sv,       "DownLeft"sv,   "DownRight"sv,
                                    "LeftRightUp"sv,   "LeftRightDown"sv, "UpDownLeft"sv, "UpDownRight"sv,
                                    "LeftRight Out"sv, "LeftRight In"sv,  "UpDown Out"sv, "UpDown In"sv,
                                    "Cross Out"sv,     "Rectangle In"sv};
constexpr std::array kBoxLine = {"UpLeft"sv,           "UpRight"sv,
                                 "DownLeft"sv,         "DownRight"sv,
                                 "UpLeft Flex"sv,      "UpRight Flex"sv,
                                 "DownLeft Flex"sv,    "DownRight Flex"sv,
                                 "LeftRightUp Flex"sv, "LeftRightDown Flex"sv,
                                 "UpDownLeft Flex"sv,  "UpDownRight Flex"sv,
                                 "Cross Flex"sv,       "Alternation"sv};
constexpr std::array kSplashShow = {"Left"sv, "Right"sv, "Up"sv, "Down"sv};
constexpr std::array kSwarmShow = {"Left"sv, "Right"sv, "Up"sv, "Down"sv};
constexpr std::array kBlindShow = {"Left Line"sv, "Right Line"sv,     "Up Line"sv,   "Down Line"sv,
                                   "Left Flex"sv, "Right Flex"sv,     "Down Flex"sv, "Up Flex"sv,
                                   "UpDown"sv,    "LeftRight Cross"sv};
constexpr std::array kExpandShow = {"LeftRight Out"sv,
                                    "LeftRight In"sv,
                                    "UpDown Out"sv,
                                    "UpDown In"sv,
                                    "Extend Four Sides Out"sv,
                                    "Extend Four Sides In"sv,
                                    "LeftRight Cover In"sv,
                                    "UpDown Cover In"sv,
                                    "Corners Cross In"sv,
                                    "Oblong Cross In"sv,
                                    "Stretch Cross In"sv,
                                    "Stretch LeftRight Out"sv,
                                    "Stretch LeftRight In"sv,
                                    "Stretch Four Sides Out"sv,
                                    "Stretch Four Sides In"sv,
                                    "Stretch Up"sv,
                                    "Stretch Down"sv,
                                    "Stretch TopLeft"sv,
                                    "Stretch TopRight"sv,
                                    "Stretch BottomLeft"sv,
                                    "Stretch BottomRight"sv,
                                    "Stretch UpDown In"sv,
                                    "Stretch UpDown Out"sv};
constexpr std::array kCornerSlide = {
    "TopLeft"sv,         "TopRight"sv,         "BottomLeft"sv,         "BottomRight"sv,
    "Stretch TopLeft"sv, "Stretch TopRight"sv, "Stretch BottomLeft"sv, "Stretch BottomRight"sv,
    "Extend TopLeft"sv,  "Extend TopRight"sv,  "Extend BottomLeft"sv,  "Extend BottomRight"sv,
    "Shrink TopLeft"sv,  "Shrink TopRight"sv,  "Shrink BottomLeft"sv,  "Shrink BottomRight"sv};
constexpr std::array kMiscellaneous = {"Triangle"sv, "Flash"sv, "Dissolve"sv};

constexpr std::array<EffectGroupNode, 12> kTree = {{
    {"Arc Wiping", kArcWiping},
    {"Regular Wiping", kRegularWiping},
    {"Cross Wiping", kCrossWiping},
    {"Slide Wiping", kSlideWiping},
    {"Random Wave", kRandomWave},
    {"Box Line", kBoxLine},
    {"Splash Show", kSplashShow},
    {"Swarm Show", kSwarmShow},
    {"Blind Show", kBlindShow},
    {"Expand Show", kExpandShow},
    {"Corner Slide", kCornerSlide},
    {"Miscellaneous", kMiscellaneous},
}};

constexpr std::size_t leafTotal() {
    std::size_t n = 0;
    for (const auto& g : kTree) n += g.leaves.size();
    return n;
}
static_assert(leafTotal() == kEffectLeafCount);

} // namespace

std::span<const EffectGroupNode> effectTree() {
    return kTree;
}

const std::vector<EffectLeaf>& effectLeaves() {
    static const std::vector<EffectLeaf> leaves = [] {
        std::vector<EffectLeaf> all;
        all.reserve(kEffectLeafCount);
        for (std::size_t g = 0; g < kTree.size(); ++g)
            for (std::size_t l = 0; l < kTree[g].leaves.size(); ++l)
                all.push_back(
                    {kTree[g].caption, kTree[g].leaves[l], static_cast<int>(g), static_cast<int>(l)});
        return all;
    }();
    return leaves;
}

std::vector<int> readEffectNumbers(const std::string& path) {
    // One parse of the file for all 127 look-ups; a missing file parses as empty.
    const platform::IniFile file(path);
    const platform::IniFile::Snapshot snap = file.snapshot();
    std::vector<int> numbers;
    numbers.reserve(kEffectLeafCount);
    for (const EffectLeaf& leaf : effectLeaves())
        numbers.push_back(
            snap.readInteger(std::string(leaf.group), std::string(leaf.caption), kMissingEffectNumber));
    return numbers;
}

} // namespace vorlin::data
