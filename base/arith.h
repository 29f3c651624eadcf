#pragma once
// Integer arithmetic with the exact rounding rules the show's geometry depends on. Each rule lives here
// once: effects, the canvas and the builder call these instead of writing their own.

#include <cmath>
#include <cstdint>

namespace vorlin {

// a × b / c with a 64-bit intermediate, rounded to the nearest integer, halves away from zero.
// Returns -1 when c is 0 or the result does not fit in 32 bits (the platform's MulDiv contract).
constexpr int mulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t p = static_cast<std::int64_t>(a) * b;
    const bool negative = (p < 0) != (c < 0);
    const std::uint64_t up = static_cast<std::uint64_t>(p < 0 ? -p : p);
    const std::uint64_t uc = static_cast<std::uint64_t>(c < 0 ? -static_cast<std::int64_t>(c) : c);
    const std::uint64_t q = (up + uc / 2) / uc; // halves (remainder exactly c/2, c even) go up in magnitude
    if (q > 0x7FFFFFFFull + (negative ? 1 : 0)) return -1;
    const auto r = static_cast<std::int64_t>(q);
    return static_cast<int>(negative ? -r : r);
}

// Rounds to the nearest integer, halves to the even neighbour (2.5 → 2, 3.5 → 4, -2.5 → -2).
inline std::int64_t roundHalfEven(double v) {
    const double f = std::floor(v);
    const double diff = v - f;
    if (diff > 0.5) return static_cast<std::int64_t>(f) + 1;
    if (diff < 0.5) return static_cast<std::int64_t>(f);
    const auto fi = static_cast<std::int64_t>(f);
    return (fi % 2 == 0) ? fi : fi + 1;
}

// Integer division truncating toward zero (the geometry rules' "div"). C++ already truncates; the name says
// it is meant.
constexpr int divTrunc(int a, int b) {
    return a / b;
}
constexpr int modTrunc(int a, int b) {
    return a % b;
}

} // namespace vorlin
