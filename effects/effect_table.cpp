// The effect table, 0..127. The rectangle effects 1–57 are rows of rectangle formulas: the horizontal
// effects 1–17 are written out; the vertical effects 18–34 are the same rows with the axes exchanged; the
// two-axis effects 35–53 take Left and Right from a horizontal row and Top and Bottom from a vertical one;
// the four-part effects 54–57 are written out. The small asymmetries (+1 on one side only, OW beside
// OW + 1) belong to the effects' look and are kept as they are. Effects 58–127 (arcs, lines, waves,
// triangles, the cross-fade, rotations, swarms, random blocks) are written out, each with its number,
// which a compile-time check holds to its place.

#include "effects/effect_table.h"

#include <algorithm>
#include <utility>

namespace vorlin::effects {
namespace {

using namespace geo;
using namespace families;
using gfx::Point;

constexpr RectExpr R(Expr l, Expr t, Expr r, Expr b) {
    return {l, t, r, b};
}

constexpr RectCopy copy(RectExpr d, RectExpr s) {
    return {CopyKind::Stretch, d, s};
}
constexpr RectCopy same(RectExpr d) {
    return {CopyKind::Stretch, d, d};
}
constexpr RectCopy mirrorH(RectExpr d, RectExpr s) {
    return {CopyKind::MirrorHorizontal, d, s};
}

constexpr RectangleRow rect(std::initializer_list<RectCopy> copies) {
    RectangleRow row;
    for (const auto& c : copies) row.copies[row.copyCount++] = c;
    return row;
}

constexpr RectCopy transposed(const RectCopy& c) {
    CopyKind k = c.kind;
    if (k == CopyKind::MirrorHorizontal)
        k = CopyKind::MirrorVertical;
    else if (k == CopyKind::MirrorVertical)
        k = CopyKind::MirrorHorizontal;
    return {k, effects::transposed(c.d), effects::transposed(c.s)};
}

constexpr RectangleRow transposed(const RectangleRow& row) {
    RectangleRow r = row;
    for (int i = 0; i < row.copyCount; ++i) r.copies[i] = transposed(row.copies[i]);
    return r;
}

// A single-copy row with Left/Right of the horizontal row and Top/Bottom of the vertical one.
constexpr RectangleRow combined(const RectangleRow& h, const RectangleRow& v) {
    const RectCopy& a = h.finalCopy();
    const RectCopy& b = v.finalCopy();
    return rect(
        {copy(R(a.d.Left, b.d.Top, a.d.Right, b.d.Bottom), R(a.s.Left, b.s.Top, a.s.Right, b.s.Bottom))});
}

// Rows 1–57, at their numbers (row 0 is not a rectangle effect and stays empty).
using RectangleRows = std::array<RectangleRow, kLastRectangleEffect + 1>;

constexpr RectangleRows buildRectangles() {
    RectangleRows t{};

    // Horizontal effects.
    t[1] = rect({copy(R(K, Zero, W, H), Full)});                           // squeeze, grows from the right
    t[2] = rect({copy(R(Zero, Zero, X, H), Full)});                        // squeeze, grows from the left
    t[3] = rect({copy(R(K, Zero, 2 * W - X, H), Full)});                   // slide in from the right
    t[4] = rect({copy(R(X - W, Zero, X, H), Full)});                       // slide in from the left
    t[5] = rect({same(R(Zero, Zero, X, H))});                              // wipe from the left
    t[6] = rect({same(R(K, Zero, W, H))});                                 // wipe from the right
    t[7] = rect({copy(R(Zero, Zero, 2 * W - X, H), R(Zero, Zero, X, H))}); // extend from the left
    t[8] = rect({copy(R(X - W, Zero, W, H), R(K, Zero, W, H))});           // extend from the right
    t[9] = rect({copy(R(X - W, Zero, 2 * W - X, H), R(MX, Zero, CX, H))}); // centre strip stretched
    t[10] = rect({copy(R(MX, Zero, CX, H), Full)});                        // squeeze into the centre
    t[11] = rect({same(R(MX, Zero, CX, H))});                              // wipe out of the centre
    t[12] = rect({same(R(Zero, Zero, HX + 1, H)), same(R(W - HX - 1, Zero, W, H))}); // wipe inward
    t[13] = rect({copy(R(Zero, Zero, HX + 1, H), R(Zero, Zero, OW + 1, H)),          // halves squeezed
                  copy(R(W - HX - 1, Zero, W, H), R(OW, Zero, W, H))});
    t[14] = rect({mirrorH(R(X, Zero, X + E, H), R(X + E, Zero, X + 2 * E, H)), // wipe with a fold
                  same(R(Zero, Zero, X, H))});
    t[15] = rect({mirrorH(R(K - E, Zero, K, H), R(K - 2 * E, Zero, K - E, H)), same(R(K, Zero, W, H))});
    t[16] = rect({same(R(Zero, Zero, X, H)), copy(R(X, Zero, W, H), R(X, Zero, X + W20, H))}); // smear
    t[17] = rect({same(R(K, Zero, W, H)), copy(R(Zero, Zero, K, H), R(K - W20, Zero, K, H))});

    // Vertical effects: the horizontal ones with the axes exchanged.
    for (int n = 1; n <= 17; ++n) t[n + 17] = transposed(t[n]);

    // Two-axis effects.
    constexpr int pairs[][3] = {{35, 1, 18}, {36, 1, 19}, {37, 2, 19},  {38, 2, 18}, {39, 3, 20},
                                {40, 3, 21}, {41, 4, 21}, {42, 4, 20},  {43, 5, 22}, {44, 5, 23},
                                {45, 6, 23}, {46, 6, 22}, {47, 7, 24},  {48, 7, 25}, {49, 8, 25},
                                {50, 8, 24}, {51, 9, 26}, {52, 10, 27}, {53, 11, 28}};
    for (const auto& p : pairs) t[p[0]] = combined(t[p[1]], t[p[2]]);

    // Four-part effects: three partial copies and a final one.
    t[54] = rect({same(R(Zero, Zero, W, HY)), same(R(Zero, H - HY, W, H)), same(R(Zero, Zero, HX, H)),
                  same(R(W - HX, Zero, W, H))});
    t[55] = rect({same(R(Zero, Zero, HX + 1, HY + 1)), same(R(Zero, H - HY - 1, HX + 1, H)),
                  same(R(W - HX - 1, H - HY - 1, W, H)), same(R(W - HX - 1, Zero, W, HY + 1))});
    t[56] = rect({copy(R(Zero, Zero, HX + 1, HY + 1), R(Zero, Zero, OW + 1, OH + 1)),
                  copy(R(Zero, H - HY, HX + 1, H), R(Zero, OH + 1, OW + 1, H)),
                  copy(R(W - HX, H - HY, W, H), R(OW + 1, OH + 1, W, H)),
                  copy(R(W - HX, Zero, W, HY + 1), R(OW + 1, Zero, W, OH + 1))});
    t[57] = rect({copy(R(-MX, Zero, HX + 1, OH + 1), R(Zero, Zero, OW + 1, OH + 1)),
                  copy(R(OW - 1, -MY, W, HY + 1), R(OW - 1, Zero, W, OH + 1)),
                  copy(R(W - HX, OH - 1, W + MX, H), R(OW + 1, OH - 1, W, H)),
                  copy(R(Zero, H - HY, OW + 1, H + MY), R(Zero, OH + 1, OW + 1, H))});

    return t;
}

constexpr RectangleRows kRectangles = buildRectangles();

// Rows 58–127, each with its number.
struct NumberedRow {
    int effect;
    FamilyRow row;
};

// clang-format off
constexpr std::array<NumberedRow, kEffectCount - kLastRectangleEffect - 1> kFamilyRows = {{
    { 58, ArcRow{[](const FrameValues& v) { return rr(-2 * v.W, -5, 2 * v.X, v.H + 5, 2 * v.W, 2 * v.W); }}},
    { 59, ArcRow{[](const FrameValues& v) { return rr(v.W - 2 * v.X, -5, 3 * v.W, v.H + 5, 2 * v.W, 2 * v.W); }}},
    { 60, line(2, 0, 1, 0)},
    { 61, line(2, 0, 2, 0)},
    { 62, line(2, 0, 4, 0)},
    { 63, line(2, 0, 5, 0)},
    { 64, line(1, 0, 3, 0, false)},
    { 65, WaveRow{1, 0}},
    { 66, WaveRow{2, 0}},
    { 67, WaveRow{3, 0}},
    { 68, WaveRow{4, 0}},
    { 69, ArcRow{[](const FrameValues& v) { return rr(-5, -2 * v.H, v.W + 5, 2 * v.Y, 2 * v.H, 2 * v.H); }}},
    { 70, ArcRow{[](const FrameValues& v) { return rr(-5, v.H - 2 * v.Y, v.W + 5, 3 * v.H, 2 * v.H, 2 * v.H); }}},
    { 71, line(0, 2, 0, 1)},
    { 72, line(0, 2, 0, 2)},
    { 73, line(0, 2, 0, 4)},
    { 74, line(0, 2, 0, 5)},
    { 75, line(0, 1, 0, 3, false)},
    { 76, WaveRow{0, 1}},
    { 77, WaveRow{0, 2}},
    { 78, WaveRow{0, 3}},
    { 79, WaveRow{0, 4}},
    { 80, ArcRow{[](const FrameValues& v) { return rr(-2 * v.W, -2 * v.H, 2 * v.X, 2 * v.Y, 2 * v.W, 2 * v.H); }}},
    { 81, ArcRow{[](const FrameValues& v) { return rr(v.W - 2 * v.X, -2 * v.H, 3 * v.W, 2 * v.Y, 2 * v.W, 2 * v.H); }}},
    { 82, ArcRow{[](const FrameValues& v) { return rr(-2 * v.W, v.H - 2 * v.Y, 2 * v.X, 3 * v.H, 2 * v.W, 2 * v.H); }}},
    // 83's corner ellipse is 2H wide, where 80–82 have 2W: part of its look.
    { 83, ArcRow{[](const FrameValues& v) { return rr(v.W - 2 * v.X, v.H - 2 * v.Y, 3 * v.W, 3 * v.H, 2 * v.H, 2 * v.H); }}},
    { 84, ArcRow{[](const FrameValues& v) {
              const int ow = v.W / 2, oh = v.H / 2;
              return rr(ow - v.X, oh - v.Y, ow + v.X, oh + v.Y, 9 * v.X / 5, 9 * v.Y / 5);
          }}},
    { 85, ArcRow{[](const FrameValues& v) {
              const int ow = v.W / 2, oh = v.H / 2, k = v.W - v.X;
              return rr(v.X - ow, v.Y - oh, 3 * v.W / 2 - v.X, 3 * v.H / 2 - v.Y, 9 * k / 5, 9 * (v.H - v.Y) / 5);
          }, true}},
    { 86, line(2, 2, 1, 1)},
    { 87, line(2, 2, 1, 2)},
    { 88, line(2, 2, 2, 1)},
    { 89, line(2, 2, 2, 2)},
    { 90, line(2, 2, 4, 4)},
    { 91, line(2, 2, 4, 5)},
    { 92, line(2, 2, 5, 4)},
    { 93, line(2, 2, 5, 5)},
    { 94, line(1, 1, 1, 3)},
    { 95, line(1, 1, 2, 3)},
    { 96, line(1, 1, 3, 1)},
    { 97, line(1, 1, 3, 2)},
    { 98, line(1, 1, 3, 3, false)},
    { 99, LineIntersectionRow{line(2, 2, 1, 1), line(2, 2, 2, 2)}},
    {100, WaveRow{1, 1}},
    {101, WaveRow{1, 2}},
    {102, WaveRow{2, 1}},
    {103, WaveRow{2, 2}},
    {104, WaveRow{1, 3}},
    {105, WaveRow{2, 3}},
    {106, WaveRow{3, 1}},
    {107, WaveRow{3, 2}},
    {108, WaveRow{3, 3}},
    {109, WaveRow{4, 4}},
    {110, TriangleRow{[](const FrameValues& v) { return tri({{{{0, 0}, {2 * v.X, 0}, {0, 2 * v.Y}}}}); }}},
    {111, TriangleRow{[](const FrameValues& v) { return tri({{{{v.W, 0}, {v.W - 2 * v.X, 0}, {v.W, 2 * v.Y}}}}); }}},
    {112, TriangleRow{[](const FrameValues& v) { return tri({{{{0, v.H}, {2 * v.X, v.H}, {0, v.H - 2 * v.Y}}}}); }}},
    {113, TriangleRow{[](const FrameValues& v) { return tri({{{{v.W, v.H}, {v.W - 2 * v.X, v.H}, {v.W, v.H - 2 * v.Y}}}}); }}},
    {114, TriangleRow{[](const FrameValues& v) {
              const int k = v.W - v.X;
              return tri({{{{0, v.H}, {0, 0}, {v.X, v.H}}}, {{{v.W, v.H}, {v.W, 0}, {k, 0}}}});
          }}},
    {115, TriangleRow{[](const FrameValues& v) {
              return tri({{{{v.W, 0}, {0, 0}, {v.W, v.Y}}}, {{{v.W, v.H}, {0, v.H}, {0, v.H - v.Y}}}});
          }}},
    {116, TriangleRow{[](const FrameValues& v) {
              const Point c{v.W / 2, v.H / 2};
              const int k = v.W - v.X;
              return tri({{{c, {0, v.H}, {0, v.H - v.Y}}}, {{{0, 0}, {v.X, 0}, c}}, {{{k, v.H}, c, {v.W, v.H}}},
                          {{c, {v.W, 0}, {v.W, v.Y}}}});
          }}},
    {117, TriangleGridRow{}},
    {118, CrossFadeRow{}},
    {119, RotationRow{false, false}},
    {120, RotationRow{false, true}},
    {121, RotationRow{true, false}},
    {122, RotationRow{true, true}},
    {123, SwarmRow{1, 0}},
    {124, SwarmRow{2, 0}},
    {125, SwarmRow{0, 1}},
    {126, SwarmRow{0, 2}},
    {127, RandomBlockRow{}},
}};
// clang-format on

constexpr bool numberedInOrder() {
    for (std::size_t i = 0; i < kFamilyRows.size(); ++i)
        if (kFamilyRows[i].effect != kLastRectangleEffect + 1 + static_cast<int>(i)) return false;
    return true;
}
static_assert(numberedInOrder(), "rows 58..127 are listed once each, in order of their numbers");

constexpr FamilyRow rowAt(int n) {
    if (n == 0) return CutRow{};
    if (n <= kLastRectangleEffect) return kRectangles[n];
    return kFamilyRows[n - kLastRectangleEffect - 1].row;
}

template <std::size_t... N> constexpr EffectTable assemble(std::index_sequence<N...>) {
    return {{EffectRow{rowAt(static_cast<int>(N))}...}};
}

constexpr EffectTable kTable = assemble(std::make_index_sequence<kEffectCount>());

// Every number 0..127 has one row (rowAt leaves none out), and the ranges the catalogue names hold.
static_assert(kTable.size() == kEffectCount, "one row per effect number 0..127");
static_assert(kTable[0].family() == Family::Cut);
static_assert(std::all_of(kTable.begin() + kFirstRectangleEffect, kTable.begin() + kLastRectangleEffect + 1,
                          [](const EffectRow& r) {
                              const auto* row = std::get_if<RectangleRow>(&r.routine);
                              return row && row->copyCount > 0;
                          }),
              "every rectangle effect has its copies");
static_assert(std::all_of(kTable.begin() + kLastRectangleEffect + 1, kTable.end(),
                          [](const EffectRow& r) {
                              return std::visit(
                                  [](const auto& row) {
                                      using Row = std::decay_t<decltype(row)>;
                                      return RegionRow<Row> || PixelRow<Row>;
                                  },
                                  r.routine);
                          }),
              "every effect past the rectangles is drawn through a region or pixel by pixel");
static_assert(std::all_of(kTable.begin() + kFirstRotationEffect, kTable.begin() + kLastRotationEffect + 1,
                          [](const EffectRow& r) { return r.family() == Family::Rotation; }),
              "the rotations are where the catalogue says");
// Spot checks that the exchanged axes give the vertical rows as they read when written out.
static_assert(kRectangles[18].finalCopy().d == R(Zero, KV, W, H));
static_assert(kRectangles[31].copies[0] ==
              RectCopy{CopyKind::MirrorVertical, R(Zero, Y, W, Y + EV), R(Zero, Y + EV, W, Y + 2 * EV)});
static_assert(kRectangles[34].finalCopy().s == R(Zero, KV - H20, W, KV));
static_assert(kRectangles[51].finalCopy().d == R(X - W, Y - H, 2 * W - X, 2 * H - Y));

} // namespace

const EffectTable& effectTable() {
    return kTable;
}

const EffectRow& effectRow(int effect) {
    if (effect < 0 || effect >= kEffectCount) return kTable[0];
    return kTable[effect];
}

std::optional<gfx::Region> buildRegion(int effect, const FrameValues& v) {
    return std::visit(
        [&](const auto& row) -> std::optional<gfx::Region> {
            if constexpr (RegionRow<std::decay_t<decltype(row)>>)
                return clipRegion(row, v);
            else
                return std::nullopt;
        },
        effectRow(effect).routine);
}

bool drawPixelEffect(int effect, const FrameValues& v, const gfx::Bitmap& newFrame, gfx::Bitmap& screen) {
    return std::visit(
        [&](const auto& row) {
            if constexpr (PixelRow<std::decay_t<decltype(row)>>) {
                row.draw(v, newFrame, screen);
                return true;
            } else {
                return false;
            }
        },
        effectRow(effect).routine);
}

} // namespace vorlin::effects
