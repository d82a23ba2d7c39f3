#pragma once
// Deterministic made-up draws for the benchmarks and the check.

#include <random>
#include <string>

#include "core/draw.hpp"

namespace qivra::bench {

// size draws, newest first, with consecutive period numbers counting down from a seed-chosen one.
inline DrawHistory RandomHistory(uint64_t seed, int size = kDefaultHistoryDepth + kHistoryLookback) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> digit(0, 9);
    const long first = 3000000 + static_cast<long>(rng() % 100000);
    DrawHistory h;
    for (int i = 0; i < size; ++i) {
        const int a = digit(rng), b = digit(rng), c = digit(rng);
        char time[6];
        std::snprintf(time, sizeof time, "%02d:%02d", (23 - i / 12 % 24), (55 - i % 12 * 5));
        h.push_back(DrawRecord::Make(std::to_string(first - i), time, a, b, c));
    }
    return h;
}

}  // namespace qivra::bench
