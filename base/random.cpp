#include "base/random.h"

#include <chrono>

namespace vorlin {
namespace {
std::uint32_t g_seed = 0;
}

int random(int n) {
    g_seed = g_seed * 134775813u + 1u;
    if (n <= 0) return 0;
    return static_cast<int>((static_cast<std::uint64_t>(g_seed) * static_cast<std::uint32_t>(n)) >> 32);
}

std::uint32_t randomSeed() { return g_seed; }
void setRandomSeed(std::uint32_t seed) { g_seed = seed; }

void randomize() {
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    g_seed = static_cast<std::uint32_t>(duration_cast<milliseconds>(now).count() % 86400000);
}

} // namespace vorlin
