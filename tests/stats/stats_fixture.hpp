#pragma once
// Histories drawn with the results service's own digit generator, fair or biased.

#include <cstdint>
#include <string>

#include "core/draw.hpp"
#include "service/draw_bias.hpp"

namespace qivra::testing {

// size draws of game 0, newest first, newest period first counting down.
inline DrawHistory ServiceHistory(uint64_t seed, int size, const DrawBias& bias = {}, int64_t newestPeriod = 3000000) {
    DrawHistory h;
    for (int i = 0; i < size; ++i) {
        int a = 0, b = 0, c = 0;
        BiasedDrawDigits(seed, 0, newestPeriod - i, bias, a, b, c);
        h.push_back(DrawRecord::Make(std::to_string(newestPeriod - i), "12:00", a, b, c));
    }
    return h;
}

}  // namespace qivra::testing
