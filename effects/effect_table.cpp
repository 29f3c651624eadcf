// The rectangle effects 1–57 as rows of rectangle formulas. The horizontal effects 1–17 are written out;
// the vertical effects 18–34 are the same rows with the axes exchanged; the two-axis effects 35–53 take
// Left and Right from a horizontal row and Top and Bottom from a vertical one; the four-part effects
// 54–57 are written out. The small asymmetries (+1 on one side only, OW beside OW + 1) belong to the
// effects' look and are kept as they are.
//
// Rows 58–127 (arcs, triangles, lines, waves, swarms, random blocks, cross-fade, rotations) name only
// their family: the region builders and per-pixel routines keep every parameter of those effects in
// their own table (effects/regions), keyed by the effect number.

#include "effects/effect_table.h"

#include <algorithm>

namespace vorlin::effects {
namespace {

using namespace geo;

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

constexpr EffectRow rect(std::initializer_list<RectCopy> copies) {
    EffectRow row;
    row.family = Family::Rectangle;
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

constexpr EffectRow transposed(const EffectRow& row) {
    EffectRow r = row;
    for (int i = 0; i < row.copyCount; ++i) r.copies[i] = transposed(row.copies[i]);
    return r;
}

// A single-copy row with Left/Right of the horizontal row and Top/Bottom of the vertical one.
constexpr EffectRow combined(const EffectRow& h, const EffectRow& v) {
    const RectCopy& a = h.finalCopy();
    const RectCopy& b = v.finalCopy();
    return rect(
        {copy(R(a.d.Left, b.d.Top, a.d.Right, b.d.Bottom), R(a.s.Left, b.s.Top, a.s.Right, b.s.Bottom))});
}

constexpr EffectTable buildTable() {
    EffectTable t{};
    t[0].family = Family::Cut;

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

    // 58–127: region and per-pixel effects, one row per number with its family.
    for (const EffectRange& range : kEffectRanges)
        if (range.first > kLastRectangleEffect)
            for (int n = range.first; n <= range.last; ++n) t[n].family = range.family;
    return t;
}

constexpr EffectTable kTable = buildTable();

static_assert(kTable.size() == kEffectCount, "one row per effect number 0..127");
static_assert(std::all_of(kTable.begin() + kFirstRectangleEffect, kTable.begin() + kLastRectangleEffect + 1,
                          [](const EffectRow& r) {
                              return r.family == Family::Rectangle && r.copyCount > 0;
                          }),
              "every rectangle effect has its copies");
static_assert(std::all_of(kTable.begin() + kLastRectangleEffect + 1, kTable.end(),
                          [](const EffectRow& r) { return r.family != Family::Cut && r.copyCount == 0; }),
              "every effect past the rectangles has a family and no rectangle copies");
// Spot checks that the exchanged axes give the vertical rows as they read when written out.
static_assert(kTable[18].finalCopy().d == R(Zero, KV, W, H));
static_assert(kTable[31].copies[0] ==
              RectCopy{CopyKind::MirrorVertical, R(Zero, Y, W, Y + EV), R(Zero, Y + EV, W, Y + 2 * EV)});
static_assert(kTable[34].finalCopy().s == R(Zero, KV - H20, W, KV));
static_assert(kTable[51].finalCopy().d == R(X - W, Y - H, 2 * W - X, 2 * H - Y));

} // namespace

const EffectTable& effectTable() {
    return kTable;
}

const EffectRow& effectRow(int effect) {
    if (effect < 0 || effect >= kEffectCount) return kTable[0];
    return kTable[effect];
}

} // namespace vorlin::effects
