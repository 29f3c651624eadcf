#pragma once
// The shared pseudo-random generator of the show: a 32-bit linear congruential sequence
//   seed := seed × 134775813 + 1 (mod 2^32),  Random(n) = high 32 bits of (new seed × n).
// Every random choice of the show (effects, pictures, music order, swarms, random blocks) draws from this
// one sequence in a fixed order, so a frame or a show is reproducible from its seed. Main thread only.

#include <cstdint>

namespace vorlin {

// Advances the seed and returns a value in 0..n−1 (0 for n <= 0, which advances the seed too).
int random(int n);

std::uint32_t randomSeed();
void setRandomSeed(std::uint32_t seed);
// Seeds from the clock (milliseconds since midnight, as a program start would).
void randomize();

} // namespace vorlin
