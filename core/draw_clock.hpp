#pragma once
// When the next result of a game is due, and what the one-second clock does about it.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace qivra {

inline constexpr int kGamePc28 = 0;     // draws every 5 minutes, 09:00-23:55
inline constexpr int kGameCanada28 = 1;  // draws every 210 seconds

// Seconds until the next result of the game is expected, from the newest draw's time text.
int32_t ComputeCountdown(int gameIndex, std::string_view newestTime, std::chrono::system_clock::time_point now);

struct ClockTickResult {
    bool refresh = false;  // a result is due: start a refresh
    std::string label;     // the text of the countdown label
};

// One tick of the clock: counts down, decides on a refresh and formats the label.
ClockTickResult ClockTick(int32_t& countdown);

std::string CountdownLabel(int32_t countdown);

}  // namespace qivra
