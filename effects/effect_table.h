#pragma once
// The effect table: one row per effect number 0..127. A row's type is the family routine that draws the
// effect, and the row holds the parameters that routine reads; the type names the family. DrawFrame looks
// the row up and dispatches on its type once per frame. Adding an effect means adding a row; adding a
// family means one row type, its routine and its rows.

#include "effects/catalogue.h"
#include "effects/families/family_rows.h"
#include "effects/geometry_expr.h"

#include <array>
#include <optional>
#include <variant>

namespace vorlin::effects {

// Effect 0 and every number outside the table: the cut, or the canvas's custom drawing.
struct CutRow {
    static constexpr Family family = Family::Cut;
};

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

struct RectangleRow {
    static constexpr Family family = Family::Rectangle;
    unsigned char copyCount = 0;
    std::array<RectCopy, kMaxRectCopies> copies{};

    constexpr const RectCopy& finalCopy() const { return copies[copyCount - 1]; }
};

// Every way of drawing an effect, one alternative per row type.
using FamilyRow =
    std::variant<CutRow, RectangleRow, families::ArcRow, families::TriangleRow, families::TriangleGridRow,
                 families::LineRow, families::LineIntersectionRow, families::WaveRow, families::SwarmRow,
                 families::RandomBlockRow, families::CrossFadeRow, families::RotationRow>;

struct EffectRow {
    FamilyRow routine;

    constexpr Family family() const {
        return std::visit([](const auto& row) { return row.family; }, routine);
    }
};

using EffectTable = std::array<EffectRow, kEffectCount>;

// The row for an effect number; numbers outside 0..127 get the cut's row.
const EffectRow& effectRow(int effect);
const EffectTable& effectTable();

// For callers that hold an effect number rather than a frame (tests, benchmarks): the clip region of a
// region effect's frame (families::clipRegion), std::nullopt for an effect drawn otherwise; and a
// per-pixel effect's frame drawn into screen, which holds the old frame (false, drawing nothing, for an
// effect drawn otherwise).
std::optional<gfx::Region> buildRegion(int effect, const FrameValues& v);
bool drawPixelEffect(int effect, const FrameValues& v, const gfx::Bitmap& newFrame, gfx::Bitmap& screen);

} // namespace vorlin::effects
