#include "engine/random.h"

#include <cstdint>

namespace {
constexpr std::int32_t kInitialState = 4660;
std::int32_t g_state = kInitialState;

// next = 48271 * state mod (2^31 - 1), split so that no intermediate value overflows.
std::int32_t Step() {
    std::int32_t s = (g_state % 44488) * 48271 - (g_state / 44488) * 3399;
    if (s < 0) s += 2147483647;
    g_state = s;
    return s;
}
}  // namespace

double RndDouble() {
    std::int32_t s1 = Step();
    std::int32_t s2 = Step();
    return ((s1 & 0x1ffffffc) + (s2 & 0x1ffffff8) / 134217728.0) / 536870912.0;
}

double Rnd(double min, double max) {
    double u = RndDouble();
    if (max > min) return min + u * (max - min);
    return max + u * (min - max);
}

int Rand(int min, int max) {
    double u = RndDouble();
    // Work in 64 bits: the span of two extreme ints does not fit in an int.
    if (max > min) {
        std::int64_t span = std::int64_t{max} - min + 1;
        return static_cast<int>(min + static_cast<std::int64_t>(u * static_cast<double>(span)));
    }
    std::int64_t span = std::int64_t{min} - max + 1;
    return static_cast<int>(max + static_cast<std::int64_t>(u * static_cast<double>(span)));
}

void SeedRnd(int seed) {
    std::int32_t s = static_cast<std::int32_t>(static_cast<std::uint32_t>(seed) & 0x7fffffffu);
    if (s == 0 || s == 0x7fffffff) s = kInitialState;
    g_state = s;
}

int RndSeed() {
    return g_state;
}
