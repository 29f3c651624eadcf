#pragma once
// Facts about the effect numbers that the engine, the builder and the tools share: how many there are,
// the drawing techniques (families) the effect table's rows name, and the builder's effect groups.

#include <array>
#include <string_view>

namespace vorlin::effects {

// An effect number 0..127; 0 is the cut.
inline constexpr int kEffectCount = 128;
inline constexpr int kFirstRectangleEffect = 1;
inline constexpr int kLastRectangleEffect = 57;
// The rotations, which a show never picks on its own (only a preview of that number shows them).
inline constexpr int kFirstRotationEffect = 119;
inline constexpr int kLastRotationEffect = 122;

// The drawing technique of an effect: every row of the effect table (effects/effect_table.h) names its
// family.
enum class Family : unsigned char {
    Cut,         // the cut, or the canvas's custom drawing
    Rectangle,   // rectangle copies, stretched where source and destination differ in size
    Arc,         // rounded-rectangle clip regions
    Triangle,    // triangle clip regions
    Line,        // clip regions of 5-pixel lines
    Wave,        // 5-pixel bands with randomly jittered ends
    Swarm,       // a front preceded by a swarm of random blocks
    RandomBlock, // random blocks over the whole picture
    CrossFade,   // per-pixel cross-fade
    Rotation,    // per-pixel rotation about a corner
};

std::string_view familyName(Family f);

// The builder's effect groups in tree order, with the number of leaves each holds (127 in all).
struct EffectGroup {
    std::string_view caption;
    int leafCount;
};
inline constexpr std::array<EffectGroup, 12> kEffectGroups = {{
    {"Arc Wiping", 10},
    {"Regular Wiping", 10},
    {"Cross Wiping", 7},
    {"Slide Wiping", 8},
    {"Random Wave", 18},
    {"Box Line", 14},
    {"Splash Show", 4},
    {"Swarm Show", 4},
    {"Blind Show", 10},
    {"Expand Show", 23},
    {"Corner Slide", 16},
    {"Miscellaneous", 3},
}};

} // namespace vorlin::effects
