#pragma once
// Deterministic made-up draws for the benchmarks and the check.

#include <random>
#include <string>
#include <vector>

#include "core/draw.hpp"
#include "plans/plan_definition.hpp"

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

// count made-up plans of the shipped shape, three formulas of two to four positions, read back
// through the plan-list parser as the program reads its own.
inline std::vector<PlanDefinition> MadeUpPlans(int count, unsigned seed) {
    std::string text;
    unsigned x = seed;
    for (int p = 0; p < count; ++p) {
        text += "p" + std::to_string(p) + "----";
        for (int f = 0; f < 3; ++f) {
            x = x * 1103515245u + 12345u;
            const unsigned n = 2 + (x >> 16) % 3;
            for (unsigned t = 0; t < n; ++t) {
                x = x * 1103515245u + 12345u;
                text += std::to_string(1 + (x >> 16) % 12) + (t + 1 < n ? "+" : "");
            }
            text += f < 2 ? "|" : "\r\n";
        }
    }
    return ParsePlanList(text).plans;
}

}  // namespace qivra::bench
