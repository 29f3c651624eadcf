#pragma once
// Effect geometry as data: a coordinate is a linear combination of the per-frame quantities plus a
// constant (for example 2W − X, or W − HX − 1), and a rectangle is four such coordinates. Rows of the
// effect table are written with these, so an effect is a row of formulas, not a function; one evaluator
// turns them into pixels for the frame at hand.

#include "base/geometry.h"
#include "effects/frame_values.h"

#include <array>

namespace vorlin::effects {

struct Expr {
    std::array<signed char, kQuantityCount> coef{};
    int constant = 0;

    constexpr int eval(const FrameValues& v) const {
        int sum = constant;
        for (int i = 0; i < kQuantityCount; ++i) sum += coef[i] * v.q[i];
        return sum;
    }

    constexpr Expr operator-() const {
        Expr r;
        for (int i = 0; i < kQuantityCount; ++i) r.coef[i] = static_cast<signed char>(-coef[i]);
        r.constant = -constant;
        return r;
    }
    friend constexpr Expr operator+(Expr a, const Expr& b) {
        for (int i = 0; i < kQuantityCount; ++i) a.coef[i] = static_cast<signed char>(a.coef[i] + b.coef[i]);
        a.constant += b.constant;
        return a;
    }
    friend constexpr Expr operator-(const Expr& a, const Expr& b) { return a + (-b); }
    friend constexpr Expr operator*(int k, Expr a) {
        for (auto& c : a.coef) c = static_cast<signed char>(c * k);
        a.constant *= k;
        return a;
    }
    friend constexpr Expr operator+(Expr a, int k) {
        a.constant += k;
        return a;
    }
    friend constexpr Expr operator-(Expr a, int k) {
        a.constant -= k;
        return a;
    }
    constexpr bool operator==(const Expr&) const = default;
};

constexpr Expr term(Q n) {
    Expr e;
    e.coef[static_cast<int>(n)] = 1;
    return e;
}
constexpr Expr constant(int k) {
    Expr e;
    e.constant = k;
    return e;
}

struct RectExpr {
    Expr Left, Top, Right, Bottom;

    constexpr Rect eval(const FrameValues& v) const {
        return {Left.eval(v), Top.eval(v), Right.eval(v), Bottom.eval(v)};
    }
    constexpr bool operator==(const RectExpr&) const = default;
};

// Exchanges the horizontal and vertical quantities of an expression (W and H, X and Y, ...).
constexpr Expr transposed(const Expr& e) {
    constexpr Q pairs[][2] = {{Q::W, Q::H},   {Q::X, Q::Y},   {Q::HX, Q::HY}, {Q::MX, Q::MY},
                              {Q::CX, Q::CY}, {Q::OW, Q::OH}, {Q::E, Q::EV},  {Q::W20, Q::H20}};
    Expr r = e;
    for (const auto& p : pairs) {
        const int a = static_cast<int>(p[0]), b = static_cast<int>(p[1]);
        r.coef[a] = e.coef[b];
        r.coef[b] = e.coef[a];
    }
    return r;
}

// The same rectangle with x and y exchanged: what was (Left, Top, Right, Bottom) in horizontal terms
// becomes (Top, Left, Bottom, Right) in vertical terms.
constexpr RectExpr transposed(const RectExpr& r) {
    return {transposed(r.Top), transposed(r.Left), transposed(r.Bottom), transposed(r.Right)};
}

namespace geo {
inline constexpr Expr W = term(Q::W), H = term(Q::H), X = term(Q::X), Y = term(Q::Y);
inline constexpr Expr K = W - X, KV = H - Y;
inline constexpr Expr HX = term(Q::HX), HY = term(Q::HY), MX = term(Q::MX), MY = term(Q::MY);
inline constexpr Expr CX = term(Q::CX), CY = term(Q::CY), OW = term(Q::OW), OH = term(Q::OH);
inline constexpr Expr E = term(Q::E), EV = term(Q::EV), W20 = term(Q::W20), H20 = term(Q::H20);
inline constexpr Expr Zero = constant(0);
inline constexpr RectExpr Full = {Zero, Zero, W, H};
} // namespace geo

} // namespace vorlin::effects
