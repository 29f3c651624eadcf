#pragma once
// Facts about the effect numbers that the engine, the builder and the tools share: how many there are,
// which drawing technique (family) each number belongs to, and the builder's effect groups.

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

enum class Family : unsigned char {
    Cut,         // 0: the cut, or the canvas's custom drawing
    Rectangle,   // 1–57: rectangle copies, stretched where source and destination differ in size
    Arc,         // 58, 59, 69, 70, 80–85: rounded-rectangle clip regions
    Triangle,    // 110–117: triangle clip regions
    Line,        // 60–64, 71–75, 86–99: clip regions of 5-pixel lines
    Wave,        // 65–68, 76–79, 100–109: 5-pixel bands with randomly jittered ends
    Swarm,       // 123–126: a front preceded by a swarm of random blocks
    RandomBlock, // 127: random blocks over the whole picture
    CrossFade,   // 118: per-pixel cross-fade
    Rotation,    // 119–122: per-pixel rotation about a corner
};

std::string_view familyName(Family f);

// The technique each effect number is drawn with. Numbers outside 0..127 give Family::Cut.
Family techniqueOf(int effect);

// Inclusive ranges of effect numbers per family, as the catalogue lists them.
struct EffectRange {
    int first, last;
    Family family;
};
inline constexpr std::array<EffectRange, 16> kEffectRanges = {{
    {0, 0, Family::Cut},
    {1, 57, Family::Rectangle},
    {58, 59, Family::Arc},
    {60, 64, Family::Line},
    {65, 68, Family::Wave},
    {69, 70, Family::Arc},
    {71, 75, Family::Line},
    {76, 79, Family::Wave},
    {80, 85, Family::Arc},
    {86, 99, Family::Line},
    {100, 109, Family::Wave},
    {110, 117, Family::Triangle},
    {118, 118, Family::CrossFade},
    {119, 122, Family::Rotation},
    {123, 126, Family::Swarm},
    {127, 127, Family::RandomBlock},
}};

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
