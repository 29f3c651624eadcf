#pragma once
// The effect table: one row per effect number, naming the family routine that draws it and the
// parameters that routine reads. Adding an effect means adding a row; adding a family means one routine
// and its rows. Rows 58–127 carry only their family: their parameters live in the region effects' own
// table (effects/regions/region_effects.cpp).

#include "effects/catalogue.h"
#include "effects/geometry_expr.h"

#include <array>

namespace vorlin::effects {

enum class CopyKind : unsigned char {
    Stretch,          // stretch-copy S of the new frame onto D of the screen
    MirrorHorizontal, // the same, mirrored left to right (a fold)
    MirrorVertical,   // the same, mirrored top to bottom
};

struct RectCopy {
    CopyKind kind = CopyKind::Stretch;
    RectExpr d;
    RectExpr s;
    constexpr bool operator==(const RectCopy&) const = default;
};

// A rectangle effect: copies[0 .. count−2] are the partial copies made (and invalidated) at every
// progress; copies[count−1] is the final D and S, which the frame's finish draws for progress 1..99.
inline constexpr int kMaxRectCopies = 4;

struct EffectRow {
    Family family = Family::Cut;
    unsigned char copyCount = 0;
    std::array<RectCopy, kMaxRectCopies> copies{};

    constexpr const RectCopy& finalCopy() const { return copies[copyCount - 1]; }
};

using EffectTable = std::array<EffectRow, kEffectCount>;

// The row for an effect number; numbers outside 0..127 get the cut's row.
const EffectRow& effectRow(int effect);
const EffectTable& effectTable();

} // namespace vorlin::effects
