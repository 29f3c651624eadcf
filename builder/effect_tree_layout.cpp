#include "builder/effect_tree_layout.h"

#include "platform/ini_file.h"

namespace vorlin::builder {

const std::vector<EffectTreeGroup>& effectTreeLayout() {
    static const std::vector<EffectTreeGroup> groups = {
        {"Arc Wiping",
         {"Left", "Right", "Up", "Down", "TopLeft", "TopRight", "BottomLeft", "BottomRight", "Round Out",
          "Round In"}},
        {"Regular Wiping",
         {"Left", "Right", "Up", "Down", "Stretch Left", "Stretch Right", "Scroll Right", "Scroll Left",
          "Scroll Down", "Scroll Up"}},
        {"Cross Wiping", {"UpLeft", "UpRight", "DownLeft", "DownRight", "LeftRight", "UpDown", "WindMill"}},
        {"Slide Wiping",
         {"Stretch Left", "Stretch Right", "Extend Left", "Extend Right", "Stretch Up", "Stretch Down",
          "Extend Up", "Extend Down"}},
        {"Random Wave",
         {"Left", "Right", "Up", "Down", "UpLeft", "UpRight", "DownLeft", "DownRight", "LeftRightUp",
          "LeftRightDown", "UpDownLeft", "UpDownRight", "LeftRight Out", "LeftRight In", "UpDown Out",
          "UpDown In", "Cross Out", "Rectangle In"}},
        {"Box Line",
         {"UpLeft", "UpRight", "DownLeft", "DownRight", "UpLeft Flex", "UpRight Flex", "DownLeft Flex",
          "DownRight Flex", "LeftRightUp Flex", "LeftRightDown Flex", "UpDownLeft Flex", "UpDownRight Flex",
          "Cross Flex", "Alternation"}},
        {"Splash Show", {"Left", "Right", "Up", "Down"}},
        {"Swarm Show", {"Left", "Right", "Up", "Down"}},
        {"Blind Show",
         {"Left Line", "Right Line", "Up Line", "Down Line", "Left Flex", "Right Flex", "Down Flex",
          "Up Flex", "UpDown", "LeftRight Cross"}},
        {"Expand Show",
         {"LeftRight Out",
          "LeftRight In",
          "UpDown Out",
          "UpDown In",
          "Extend Four Sides Out",
          "Extend Four Sides In",
          "LeftRight Cover In",
          "UpDown Cover In",
          "Corners Cross In",
          "Oblong Cross In",
          "Stretch Cross In",
          "Stretch LeftRight Out",
          "Stretch LeftRight In",
          "Stretch Four Sides Out",
          "Stretch Four Sides In",
          "Stretch Up",
          "Stretch Down",
          "Stretch TopLeft",
          "Stretch TopRight",
          "Stretch BottomLeft",
          "Stretch BottomRight",
          "Stretch UpDown In",
          "Stretch UpDown Out"}},
        {"Corner Slide",
         {"TopLeft", "TopRight", "BottomLeft", "BottomRight", "Stretch TopLeft", "Stretch TopRight",
          "Stretch BottomLeft", "Stretch BottomRight", "Extend TopLeft", "Extend TopRight",
          "Extend BottomLeft", "Extend BottomRight", "Shrink TopLeft", "Shrink TopRight", "Shrink BottomLeft",
          "Shrink BottomRight"}},
        {"Miscellaneous", {"Triangle", "Flash", "Dissolve"}},
    };
    return groups;
}

int catalogueNumber(const platform::IniFile* catalogue, std::string_view group, std::string_view leaf) {
    if (!catalogue) return kMissingEffectNumber;
    return catalogue->readInteger(std::string(group), std::string(leaf), kMissingEffectNumber);
}

} // namespace vorlin::builder
